// The long day, shortened: 50 captures and 10 reloads in one process; every capture
// answers a picture, and the captures leave the process holding what it held after its
// first ones, and the reloads what it held after the first of them. The whole day (1,000
// captures, 100 reloads) is scripts/long_day.sh.
#include <gtest/gtest.h>

#include "tests/win/long_day/long_day.h"

namespace eos::test {
namespace {

TEST(LongDay, CapturesAndReloadsLeaveTheProcessAsItWas) {
  const LongDay day = RunLongDay(50, 10, "picture_size = 1920x1280\n");
  EXPECT_EQ(day.failed, 0) << day.first_failure;
  ASSERT_EQ(day.samples.size(), 60u);
  // After ten captures everything the plug-in keeps for the process is in place.
  const ProcessCounters early = Mean(day.samples, 10, 20);
  const ProcessCounters late = Mean(day.samples, 40, 50);
  EXPECT_LE(late.gdi, early.gdi + 2);
  EXPECT_LE(late.user, early.user + 2);
  EXPECT_LE(late.handles, early.handles + 5);
  EXPECT_LE(late.threads, early.threads) << "a thread left behind";
  EXPECT_LT(late.private_mb, early.private_mb + 16) << "private bytes grow";
  const ProcessCounters reloaded = Mean(day.samples, 55, 60);
  EXPECT_LE(reloaded.gdi, early.gdi + 2);
  EXPECT_LE(reloaded.user, early.user + 2);
  EXPECT_LE(reloaded.threads, early.threads) << "a thread left behind by an unload";
  EXPECT_LT(reloaded.private_mb, early.private_mb + 32);
  // Each reload frees and loads the plug-in and the stand-in SDK with it; less than one
  // handle a reload is Wine's own now and then, not theirs.
  const DWORD first_reload = day.samples[51].handles;
  EXPECT_LT(day.samples.back().handles, first_reload + 8) << "handles left behind by unloads";
}

}  // namespace
}  // namespace eos::test
