#include "dialog/core/focus_steps.h"

#include <gtest/gtest.h>

#include <vector>

namespace eos {
namespace {

// The commands a button held for `ticks` timer ticks sends, counting the one at the press.
std::vector<RemoteViewFinderDriveLensType> Hold(int first_step, int ticks) {
  FocusHold hold;
  hold.Start(first_step);
  std::vector<RemoteViewFinderDriveLensType> sent;
  for (int t = 0; t < ticks; ++t)
    if (const auto command = hold.Tick()) sent.push_back(*command);
  return sent;
}

TEST(FocusSteps, AHeldButtonSpeedsUpEverySecond) {
  struct Case {
    int first;
    RemoteViewFinderDriveLensType small, medium, large;
  };
  for (const Case& c :
       {Case{-1, RemoteViewFinderDriveLensNear1, RemoteViewFinderDriveLensNear2, RemoteViewFinderDriveLensNear3},
        Case{1, RemoteViewFinderDriveLensFar1, RemoteViewFinderDriveLensFar2, RemoteViewFinderDriveLensFar3}}) {
    const std::vector<RemoteViewFinderDriveLensType> sent = Hold(c.first, 25);  // 2.5 s
    ASSERT_EQ(sent.size(), 25u);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(sent[i], i < 10 ? c.small : i < 20 ? c.medium : c.large) << i;
    EXPECT_EQ(Hold(c.first, 60).back(), c.large) << "the large step stays";
  }
}

TEST(FocusSteps, ZeroAndStrangeStepsDriveNothing) {
  for (const int step : {0, 4, -4, 100}) {
    EXPECT_FALSE(LensCommand(step).has_value()) << step;
    EXPECT_EQ(NextFocusStep(step), step) << step;
    EXPECT_TRUE(Hold(step, 30).empty()) << step;
  }
  FocusHold hold;
  hold.Start(-1);
  EXPECT_TRUE(hold.Tick().has_value());
  hold.Stop();
  EXPECT_FALSE(hold.Tick().has_value()) << "a released button drives nothing";
}

}  // namespace
}  // namespace eos
