#include "tests/win/long_day/long_day.h"

#include <psapi.h>

#include <tlhelp32.h>
#include <algorithm>
#include <cstdint>

#include "base/paramtext.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
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

// Wine answers 0 for the GUI resources and the handle count; there the live objects are
// found by asking about every value a handle of theirs can have. GDI objects answer to
// their 16-bit index, kernel handles are multiples of 4.
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

ProcessCounters ReadProcessCounters() {
  ProcessCounters c;
  c.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (c.gdi == 0) c.gdi = GdiObjectsByProbing();
  c.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (c.user == 0) c.user = WindowsOfThisProcess();
  if (!GetProcessHandleCount(GetCurrentProcess(), &c.handles) || c.handles == 0) c.handles = KernelHandlesByProbing();
  c.threads = ThreadsOfThisProcess();
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m))
    c.private_mb = static_cast<double>(std::max(m.PrivateUsage, m.PagefileUsage)) / (1024.0 * 1024.0);
  return c;
}

ProcessCounters Mean(const std::vector<ProcessCounters>& samples, size_t from, size_t to) {
  ProcessCounters sum;
  double gdi = 0, user = 0, handles = 0, threads = 0;
  to = std::min(to, samples.size());
  for (size_t i = from; i < to; ++i) {
    gdi += samples[i].gdi;
    user += samples[i].user;
    handles += samples[i].handles;
    threads += samples[i].threads;
    sum.private_mb += samples[i].private_mb;
  }
  const double n = to > from ? static_cast<double>(to - from) : 1.0;
  sum.gdi = static_cast<DWORD>(gdi / n + 0.5);
  sum.user = static_cast<DWORD>(user / n + 0.5);
  sum.handles = static_cast<DWORD>(handles / n + 0.5);
  sum.threads = static_cast<DWORD>(threads / n + 0.5);
  sum.private_mb /= n;
  return sum;
}

LongDay RunLongDay(int captures, int reloads, const std::string& picture_scenario,
                   const std::function<void(int done)>& progress) {
  LongDay day;
  day.captures = captures;
  day.reloads = reloads;
  const StandInCamera camera(picture_scenario);
  TempDir dir;
  PluginCopy plugin;
  const Text input = u"File=" + dir.path() + u"desk.jpg";
  // Settings from the host: the registry's (a countdown, say) would set the day's pace.
  const auto no_stored_settings = [&] { plugin.Call(4, u""); };
  no_stored_settings();
  const auto capture = [&] {
    const CallResult r = plugin.Call(11, input);
    if (r.result != 0 || !HasParam(u"Base64", r.text)) {
      if (day.failed++ == 0) day.first_failure = ToUtf8(r.text.substr(0, 200));
    }
    day.samples.push_back(ReadProcessCounters());
    if (progress) progress(static_cast<int>(day.samples.size()));
  };
  for (int i = 0; i < captures; ++i) capture();
  for (int i = 0; i < reloads; ++i) {
    plugin.Call(9, u"");  // what a host does before it unloads the plug-in
    plugin.Reload();
    no_stored_settings();
    capture();
  }
  plugin.Call(9, u"");
  return day;
}

}  // namespace eos::test
