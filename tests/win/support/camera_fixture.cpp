#include "tests/win/support/camera_fixture.h"

#include <regex>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "tests/win/support/plugin_fixture.h"
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

std::set<std::string> DistinctCalls(const std::string& trace) {
  static const std::regex kLine(R"(^(Eds\w+)\(([^)]*)\) = 0x[0-9A-F]{8}$)");
  static const std::regex kKeyed(R"(^Eds(Get|Set)Property(Data|Size|Desc)$|^EdsSend(Status)?Command$)");
  static const std::regex kFirstNumber(R"((0x[0-9a-fA-F]+))");
  std::set<std::string> calls;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch m;
    if (!std::regex_match(line, m, kLine)) continue;
    std::string call = m[1];
    std::smatch number;
    const std::string args = m[2];
    if (std::regex_search(call, kKeyed) && std::regex_search(args, number, kFirstNumber)) call += ":" + number[1].str();
    calls.insert(call);
  }
  return calls;
}

}  // namespace eos::test
