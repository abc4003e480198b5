// EDSDK.DLL, the stand-in: every entry point of the SDK, exported under the name the
// binding looks up, forwarding to the simulated camera. Scenarios come from the
// environment variable EOS_SIM_SCENARIO (a file's path, or the scenario text itself)
// or from "edsdk-scenario.txt" beside this DLL.
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/cfile.h"
#include "simulator/core/sdk.h"
#include "simulator/event_window.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::sim {
namespace {

constexpr wchar_t kScenarioVariable[] = L"EOS_SIM_SCENARIO";
constexpr char16_t kScenarioFile[] = u"edsdk-scenario.txt";

bool IsFile(const Text& path) {
  const DWORD a = GetFileAttributesW(win::W(path));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const Text& path) {
  std::string out;
  if (const CFile f{_wfopen(win::W(path), L"rb")}) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) out.append(buf, n);
  }
  return out;
}

std::string ScenarioText() {
  std::wstring value(32767, L'\0');
  const DWORD n = GetEnvironmentVariableW(kScenarioVariable, value.data(), static_cast<DWORD>(value.size()));
  if (n > 0 && n < value.size()) {
    const Text text = win::FromWide(value.data(), n);
    return IsFile(text) ? ReadFile(text) : win::ToAnsi(text);
  }
  const Text beside = win::ThisModuleFolder() + kScenarioFile;
  return IsFile(beside) ? ReadFile(beside) : std::string();
}

void Complain(const std::string& error) {
  const std::string line = "EDSDK stand-in: " + error + "\n";
  OutputDebugStringA(line.c_str());
  std::fputs(line.c_str(), stderr);
}

// The sink outlives the SDK, which reports its end to it; the SDK's end closes the
// windows whose timer looks at it.
struct StandIn {
  WindowSink sink{[this] { sdk.Tick(); }};
  Sdk sdk{SdkSetup{&sink, ScenarioText, Complain, nullptr}};
};

Sdk& TheSdk() {
  static StandIn stand_in;
  return stand_in.sdk;
}

}  // namespace
}  // namespace eos::sim

#define EOS_SIM_EXPORT(name, exported, ret, params, args) \
  extern "C" ret EDS_STDCALL name params {                \
    try {                                                 \
      return eos::sim::TheSdk().name args;                \
    } catch (...) {                                       \
      return EDS_ERR_INTERNAL_ERROR;                      \
    }                                                     \
  }
EDSDK_ENTRY_POINTS(EOS_SIM_EXPORT)
#undef EOS_SIM_EXPORT
