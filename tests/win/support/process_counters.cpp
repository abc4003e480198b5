#include "tests/win/support/process_counters.h"

#include <psapi.h>

#include <tlhelp32.h>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "win/handles.h"

namespace eos::test {

namespace {

DWORD ThreadsOfThisProcess() {
  const win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD n = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  return n;
}

// GDI objects answer to their 16-bit index, kernel handles are multiples of 4.
DWORD GdiObjectsByProbing() {
  DWORD n = 0;
  for (uintptr_t index = 1; index < 0x10000; ++index) n += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
  return n;
}

DWORD KernelHandlesByProbing() {
  DWORD n = 0, flags = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4)
    n += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
  return n;
}

BOOL CALLBACK CountWindow(HWND w, LPARAM lp) {
  DWORD process = 0;
  GetWindowThreadProcessId(w, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<DWORD*>(lp);
  EnumChildWindows(w, CountWindow, lp);
  return TRUE;
}

// The process's windows, top-level, child and message-only: the USER objects a
// window-making plug-in could leave.
DWORD WindowsOfThisProcess() {
  DWORD n = 0;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&n));
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;)
    CountWindow(w, reinterpret_cast<LPARAM>(&n));
  return n;
}

}  // namespace

DWORD KernelHandleCount() {
  DWORD n = 0;
  return GetProcessHandleCount(GetCurrentProcess(), &n) && n != 0 ? n : KernelHandlesByProbing();
}

DWORD FreeTlsIndexes() {
  std::vector<DWORD> taken;
  for (DWORD i; (i = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(i);
  for (const DWORD i : taken) TlsFree(i);
  return static_cast<DWORD>(taken.size());
}

ProcessCounters ReadProcessCounters() {
  ProcessCounters c;
  c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (c.gdi == 0) c.gdi = GdiObjectsByProbing();
  c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (c.user == 0) c.user = WindowsOfThisProcess();
  c.handles = KernelHandleCount();
  c.threads = ThreadsOfThisProcess();
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m))
    c.private_mb = static_cast<double>(std::max(m.PrivateUsage, m.PagefileUsage)) / (1024.0 * 1024.0);
  return c;
}

}  // namespace eos::test
