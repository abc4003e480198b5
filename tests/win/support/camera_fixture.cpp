#include "tests/win/support/camera_fixture.h"

#include <vector>

#include "base/text.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/timer.h"
#include "win/wtext.h"

namespace eos::test {

namespace {

Text PathValue() {
  std::vector<wchar_t> buf(GetEnvironmentVariableW(L"PATH", nullptr, 0) + 1, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"PATH", buf.data(), static_cast<DWORD>(buf.size()));
  return win::FromWide(buf.data(), n < buf.size() ? n : 0);
}

}  // namespace

StandInCamera::StandInCamera(const std::string& scenario) : saved_path_(PathValue()) {
  const Text path = ProgramFolder() + u"Canon_EOS_SDK_redist;" + saved_path_;
  SetEnvironmentVariableW(L"PATH", win::W(path));
  const Text text = FromUtf8(scenario);
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", text.empty() ? nullptr : win::W(text));
}

StandInCamera::~StandInCamera() {
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr);
  SetEnvironmentVariableW(L"PATH", win::W(saved_path_));
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return done();
    win::PumpMessagesFor(10);
  }
  return true;
}

}  // namespace eos::test
