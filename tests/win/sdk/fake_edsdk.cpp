// A DLL that stands in for EDSDK.DLL in the binding's tests. Every entry point answers 0
// without touching its arguments and counts its calls; the DLL also records the process
// error mode that was in force while it was being loaded.
#include <windows.h>

#include <map>
#include <string>

#include "edsdk/EDSDK.h"

namespace {

UINT g_error_mode_at_load = 0xFFFFFFFFu;

std::map<std::string, int>& Calls() {
  static std::map<std::string, int> calls;
  return calls;
}

EdsError Answer(const char* name) {
  ++Calls()[name];
  return EDS_ERR_OK;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_error_mode_at_load = GetErrorMode();
  return TRUE;
}

extern "C" {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define FAKE_ENTRY(name, exported, ret, params, args) \
  ret EDS_STDCALL name params { return Answer(#name); }
EDSDK_ENTRY_POINTS(FAKE_ENTRY)
#undef FAKE_ENTRY
#pragma GCC diagnostic pop

UINT EDS_STDCALL FakeErrorModeAtLoad() { return g_error_mode_at_load; }

int EDS_STDCALL FakeCallCount(const char* name) {
  const auto it = Calls().find(name);
  return it == Calls().end() ? 0 : it->second;
}

}  // extern "C"
