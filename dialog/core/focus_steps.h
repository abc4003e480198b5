// The focus buttons' drive steps: -1..-3 nearer and 1..3 farther, small to large; a held
// button moves up one size every ten ticks. 0 (or anything else) drives nothing.
#pragma once

#include <optional>

#include "camremote/core/CamDefines.h"

namespace eos {

inline constexpr int kTicksPerFocusSpeed = 10;

// The lens command of a step; none for 0 and for values outside the steps.
std::optional<RemoteViewFinderDriveLensType> LensCommand(int step);
// The next larger step in the same direction; ±3 stay.
int NextFocusStep(int step);

// A focus button held down: the repeat timer's state. The press starts it with the
// button's step (and ticks once at once); each tick answers the command to send, or none
// when the hold has ended.
struct FocusHold {
  int step = 0;
  int repeat = 0;  // ticks since the last speed-up

  void Start(int first_step) {
    step = first_step;
    repeat = 0;
  }
  void Stop() { Start(0); }
  std::optional<RemoteViewFinderDriveLensType> Tick();
};

}  // namespace eos
