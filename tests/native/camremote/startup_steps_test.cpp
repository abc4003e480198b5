#include "camremote/core/startup_steps.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

using Clock = StartupTimes::Clock;
using std::chrono::milliseconds;

TEST(StartupTimes, EachStepTakesItsOwnTimeFromTheStepBefore) {
  const Clock::time_point t0{};
  StartupTimes times;
  times.Begin(t0);
  struct Mark {
    StartupStep step;
    int at_ms;
  };
  // No settings text: that step is never reached and is left out.
  const Mark marks[] = {
      {StartupStep::kSdkLoaded, 35},       {StartupStep::kCameraFound, 47},    {StartupStep::kSession, 87},
      {StartupStep::kRemoteMode, 237},     {StartupStep::kLiveViewOn, 537},    {StartupStep::kFrameAsked, 560},
      {StartupStep::kFrameReceived, 1100}, {StartupStep::kFramePainted, 1112},
  };
  for (const Mark& m : marks) EXPECT_TRUE(times.Mark(m.step, t0 + milliseconds(m.at_ms)));
  EXPECT_EQ(ToUtf8(times.Summary()),
            "1112 ms from the capture call to the first frame painted: SDK loaded 35, camera found 12, session 40, "
            "remote mode 150, live view on 300, first frame asked 23, received 540, painted 12");
  EXPECT_EQ(times.MsToStep(StartupStep::kFrameReceived), 1100.0);
  EXPECT_FALSE(times.MsToStep(StartupStep::kSettingsApplied).has_value());
}

TEST(StartupTimes, OnlyTheFirstTimeOfAStepAfterBeginCounts) {
  const Clock::time_point t0{};
  StartupTimes times;
  EXPECT_FALSE(times.Mark(StartupStep::kSdkLoaded, t0)) << "before the call";
  EXPECT_FALSE(times.Awaits(StartupStep::kSdkLoaded));
  times.Begin(t0);
  EXPECT_TRUE(times.Awaits(StartupStep::kFrameAsked));
  EXPECT_TRUE(times.Mark(StartupStep::kFrameAsked, t0 + milliseconds(20)));
  EXPECT_FALSE(times.Mark(StartupStep::kFrameAsked, t0 + milliseconds(40))) << "the camera asked again";
  EXPECT_FALSE(times.Awaits(StartupStep::kFrameAsked));
  EXPECT_EQ(times.MsToStep(StartupStep::kFrameAsked), 20.0);
  EXPECT_EQ(ToUtf8(times.Summary()), "20 ms from the capture call to the last step reached: first frame asked 20");

  times.Begin(t0 + milliseconds(1000));  // the next run starts afresh
  EXPECT_FALSE(times.Reached(StartupStep::kFrameAsked));
  EXPECT_TRUE(times.Mark(StartupStep::kFrameAsked, t0 + milliseconds(1005)));
  EXPECT_EQ(times.MsToStep(StartupStep::kFrameAsked), 5.0);
}

}  // namespace
}  // namespace eos
