// The entry point of the project's DLLs (linked with eos_dll_entry in cmake/eos.cmake):
// the C runtime's own, followed, when a host frees the DLL, by the end of the freeing
// thread as the DLL's thread runtime would see it if the thread ended.
//
// The thread runtime linked into the DLL keeps a record for every thread of the host that
// touches it, the loading thread included (the unwinder's registration at load already
// does): an event and a duplicate of the thread's handle, released only when the loader
// reports that thread's end to the DLL's TLS callbacks, which never happens for a host
// thread that outlives the DLL. The runtime also takes a TLS index once per load and never
// gives it back; a process has 1,088 of them, so a host would fail its 1,085th load.
#include <pthread.h>
#include <windows.h>

#include <array>

extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);

namespace {

constexpr DWORD kTlsIndexes = TLS_MINIMUM_AVAILABLE + 1024;  // with the expansion slots

// Calls this module's TLS callbacks as the loader does when the calling thread ends.
void CallThreadDetach(HINSTANCE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (entry.VirtualAddress == 0) return;
  const auto* tls = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
  // AddressOfCallBacks is an address, relocated with the module, of a null-ended list.
  for (auto* callback = reinterpret_cast<const PIMAGE_TLS_CALLBACK*>(tls->AddressOfCallBacks);
       callback != nullptr && *callback != nullptr; ++callback)
    (*callback)(module, DLL_THREAD_DETACH, nullptr);
}

// Runs after the C runtime has finished with the module: static destructors and atexit
// functions still use what is released here.
void EndCallingThread(HINSTANCE module) {
  // The calling thread's record exists (made now if this thread never touched the runtime),
  // so the slot its release empties is the runtime's TLS index, which nothing else names.
  pthread_self();
  std::array<void*, kTlsIndexes> before{};
  for (DWORD i = 0; i < kTlsIndexes; ++i) before[i] = TlsGetValue(i);
  CallThreadDetach(module);
  for (DWORD i = 0; i < kTlsIndexes; ++i)
    if (before[i] != nullptr && TlsGetValue(i) == nullptr) TlsFree(i);
}

}  // namespace

extern "C" BOOL WINAPI EosDllEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  const BOOL result = DllMainCRTStartup(module, reason, reserved);
  // At process exit (reserved not null) everything goes with the process.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) EndCallingThread(module);
  return result;
}
