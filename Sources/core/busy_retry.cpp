#include "Sources/core/busy_retry.h"

namespace eos {

EdsError RetryWhileRefused(const BusyRetry& pattern, const std::function<EdsError()>& attempt,
                           const std::function<void(unsigned)>& pause) {
  EdsError result = attempt();
  for (int retry = 0; retry < pattern.retries && result != EDS_ERR_OK; ++retry) {
    pause(pattern.pause_ms);
    result = attempt();
  }
  if (result != EDS_ERR_OK && pattern.last_try_unpaused) result = attempt();
  return result;
}

}  // namespace eos
