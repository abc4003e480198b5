// Test support for the camera stack: the stand-in EDSDK.DLL found the way the plug-in
// finds the real one (its folder on PATH), a scenario for it, and (from wait.h) message
// pumping while the SDK's events and the component's timers do their work.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>

#include "base/exception.h"
#include "base/text.h"
#include "tests/win/support/wait.h"

namespace eos::test {

// Puts bin\Canon_EOS_SDK_redist in front of PATH and gives the stand-in `scenario`
// (its text, as the stand-in's EOS_SIM_SCENARIO variable) for the life of the object.
// The library, once loaded, stays loaded for the process, as in the plug-in, but it reads
// the scenario again at every EdsInitializeSDK.
class StandInCamera {
 public:
  explicit StandInCamera(const std::string& scenario = std::string());
  ~StandInCamera();
  StandInCamera(const StandInCamera&) = delete;
  StandInCamera& operator=(const StandInCamera&) = delete;

 private:
  Text saved_path_;
};

// The distinct calls of a stand-in's trace as its scenario language names them:
// "EdsOpenSession", or "EdsSetPropertyData:0x405" for the calls whose first number is a
// property or command.
std::set<std::string> DistinctCalls(const std::string& trace);

// The message of the system's exception `operation` raises, or "" when it returns.
inline std::string Raised(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const Exception& e) {
    return e.what();
  }
  return {};
}

}  // namespace eos::test
