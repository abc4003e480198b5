// The steps from a capture call to its first live-view frame painted, each timed once, so
// that the log shows where the wait before the first frame goes: in the SDK, the camera's
// session and remote mode, the settings, or the camera's first frame.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

#include "base/text.h"

namespace eos {

// In the order a run takes them.
enum class StartupStep {
  kSdkLoaded,        // the SDK's library loaded and initialised
  kCameraFound,      // the camera listed
  kSession,          // its session open
  kRemoteMode,       // remote mode on
  kSettingsApplied,  // the stored settings given to the camera and the dialog
  kLiveViewOn,       // live view switched on
  kFrameAsked,       // the first frame asked for
  kFrameReceived,    // the first frame in hand
  kFramePainted,     // the first frame painted
};
inline constexpr std::size_t kStartupStepCount = static_cast<std::size_t>(StartupStep::kFramePainted) + 1;
TextView StartupStepName(StartupStep step);

class StartupTimes {
 public:
  using Clock = std::chrono::steady_clock;

  // A run called at `called`: every step is still to come.
  void Begin(Clock::time_point called);
  // `step` reached at `at`: only its first time after Begin counts. True when it counted.
  bool Mark(StartupStep step, Clock::time_point at);
  bool Reached(StartupStep step) const { return at_[Index(step)].has_value(); }
  // Begun and `step` not reached yet.
  bool Awaits(StartupStep step) const { return called_ && !Reached(step); }
  // Milliseconds from the call to `step`; nothing before it is reached.
  std::optional<double> MsToStep(StartupStep step) const;
  // "812 ms from the capture call to the first frame painted: SDK loaded 35, camera found
  // 12, ..." with each step's own time, from the step reached before it; steps not
  // reached are left out.
  Text Summary() const;

 private:
  static std::size_t Index(StartupStep step) { return static_cast<std::size_t>(step); }

  std::optional<Clock::time_point> called_;
  std::array<std::optional<Clock::time_point>, kStartupStepCount> at_{};
};

}  // namespace eos
