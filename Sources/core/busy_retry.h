// Asking a busy camera again. A camera that is switching live view, recording or still
// busy with the last picture refuses for a while and then takes the same request; how
// long it is given depends on what is asked, so the patterns are data.
#pragma once

#include <functional>

#include "edsdk/EDSDK.h"

namespace eos {

struct BusyRetry {
  unsigned pause_ms;       // before each retry
  int retries;             // at most this many after the first try
  bool last_try_unpaused;  // one more try straight after the last retry
};

// A shooting parameter: the value is usually taken a moment later.
inline constexpr BusyRetry kParameterWriteRetry{100, 1, false};
// Switching the live-view output device, starting or ending a movie: about five seconds.
inline constexpr BusyRetry kCameraModeRetry{1000, 5, true};
// The shutter button: about five seconds in shorter steps.
inline constexpr BusyRetry kShutterButtonRetry{200, 25, true};

// Runs `attempt` until it answers EDS_ERR_OK or the pattern is spent, calling `pause`
// with the pattern's pause before each retry; the last answer.
EdsError RetryWhileRefused(const BusyRetry& pattern, const std::function<EdsError()>& attempt,
                           const std::function<void(unsigned)>& pause);

}  // namespace eos
