// Asking a busy camera again: how many tries each pattern makes, the pauses between
// them, and which answer comes back.
#include <gtest/gtest.h>

#include <vector>

#include "Sources/core/busy_retry.h"

namespace eos {
namespace {

struct RetryCase {
  const char* name;
  const BusyRetry& pattern;
  int refusals;  // before the camera takes the request; -1: never takes it
  int attempts;
  int pauses;
};

const RetryCase kRetryCases[] = {
    {"parameter taken at once", kParameterWriteRetry, 0, 1, 0},
    {"parameter taken on the retry", kParameterWriteRetry, 1, 2, 1},
    {"parameter refusal dropped after one retry", kParameterWriteRetry, -1, 2, 1},
    {"camera mode taken on the third retry", kCameraModeRetry, 3, 4, 3},
    {"camera mode taken on the unpaused last try", kCameraModeRetry, 6, 7, 5},
    {"camera mode never taken", kCameraModeRetry, -1, 7, 5},
    {"shutter taken on the last paused retry", kShutterButtonRetry, 25, 26, 25},
    {"shutter never taken", kShutterButtonRetry, -1, 27, 25},
};

TEST(BusyRetry, EachPatternTriesAndPausesAsOften) {
  for (const RetryCase& c : kRetryCases) {
    int attempts = 0;
    std::vector<unsigned> pauses;
    // Each refusal has its own code, so the answer shows which try it came from.
    const EdsError result = RetryWhileRefused(
        c.pattern,
        [&] {
          ++attempts;
          return c.refusals < 0 || attempts <= c.refusals ? EdsError{0x1000u + attempts} : EDS_ERR_OK;
        },
        [&](unsigned ms) { pauses.push_back(ms); });
    EXPECT_EQ(attempts, c.attempts) << c.name;
    EXPECT_EQ(pauses, std::vector<unsigned>(static_cast<std::size_t>(c.pauses), c.pattern.pause_ms)) << c.name;
    EXPECT_EQ(result, c.refusals < 0 ? EdsError{0x1000u + c.attempts} : EDS_ERR_OK) << c.name;
  }
}

}  // namespace
}  // namespace eos
