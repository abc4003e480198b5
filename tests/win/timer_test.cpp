// Timers tick on their own thread from its message loop, only while enabled.
#include "win/timer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace eos::win {
namespace {

TEST(Timer, TicksOnlyWhileEnabled) {
  int ticks = 0;
  Timer timer([&] { ++ticks; }, 20);
  PumpMessagesFor(150);
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  PumpMessagesFor(300);
  EXPECT_GE(ticks, 3);
  timer.SetEnabled(false);
  const int stopped = ticks;
  PumpMessagesFor(150);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, NoIntervalOrNoHandlerMeansNoTicks) {
  int ticks = 0;
  Timer zero([&] { ++ticks; }, 0, true);
  Timer none({}, 10, true);
  PumpMessagesFor(100);
  EXPECT_EQ(ticks, 0);
  none.SetHandler([&] { ++ticks; });
  PumpMessagesFor(150);
  EXPECT_GE(ticks, 1);
}

TEST(Timer, HandlerMayFreeItsOwnTimer) {
  int ticks = 0;
  auto timer = std::make_unique<Timer>(nullptr, 10, true);
  timer->SetHandler([&] {
    ++ticks;
    timer.reset();
  });
  PumpMessagesFor(200);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(timer, nullptr);
}

TEST(Timer, ExceptionInAHandlerStaysThere) {
  int ticks = 0;
  Timer timer(
      [&] {
        ++ticks;
        throw std::runtime_error("handler failure");
      },
      10, true);
  PumpMessagesFor(200);
  EXPECT_GE(ticks, 2);
}

TEST(Timer, DisablingInsideTheHandlerPreventsNesting) {
  int depth = 0;
  int deepest = 0;
  int ticks = 0;
  Timer* self = nullptr;
  Timer timer(
      [&] {
        self->SetEnabled(false);
        ++depth;
        ++ticks;
        deepest = std::max(deepest, depth);
        PumpMessagesFor(40);  // a handler that lets messages run
        --depth;
        self->SetEnabled(true);
      },
      5, true);
  self = &timer;
  PumpMessagesFor(300);
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(deepest, 1);
}

}  // namespace
}  // namespace eos::win
