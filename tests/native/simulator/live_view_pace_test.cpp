// The paced camera's schedule, step by step: live view going on and off, and downloads
// at chosen times with the frame each one gets.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "simulator/core/live_view_pace.h"

namespace eos::sim {
namespace {

constexpr int64_t kNotReady = -1;

struct Step {
  enum What { kOn, kOff, kTake } what;
  uint64_t at_us;
  int64_t number = kNotReady;  // the frame a download gets
  uint64_t ready_us = 0;
};

struct PaceCase {
  const char* name;
  uint32_t rate;
  uint32_t start_ms;
  std::vector<Step> steps;
};

TEST(LiveViewPace, GivesTheNewestReadyFrameOnce) {
  using S = Step;
  const PaceCase cases[] = {
      {"before the start nothing is ready, at the start frame 0",
       10,
       500,
       {{S::kTake, 0}, {S::kOn, 1000000}, {S::kTake, 1000000}, {S::kTake, 1499999}, {S::kTake, 1500000, 0, 1500000}}},
      {"a download exactly at a frame's time gets it",
       10,
       0,
       {{S::kOn, 0}, {S::kTake, 0, 0, 0}, {S::kTake, 100000, 1, 100000}, {S::kTake, 200000, 2, 200000}}},
      {"between frames the one already fetched is not given again",
       10,
       0,
       {{S::kOn, 0}, {S::kTake, 50000, 0, 0}, {S::kTake, 99999}, {S::kTake, 100001, 1, 100000}, {S::kTake, 150000}}},
      {"frames nobody fetched are skipped for the newest",
       10,
       0,
       {{S::kOn, 0}, {S::kTake, 0, 0, 0}, {S::kTake, 450000, 4, 400000}, {S::kTake, 499999}}},
      {"thirty a second: each frame at the whole microsecond of its time, without drift",
       30,
       0,
       {{S::kOn, 0},
        {S::kTake, 33332, 0, 0},
        {S::kTake, 33333, 1, 33333},
        {S::kTake, 66666, 2, 66666},
        {S::kTake, 1000000, 30, 1000000},
        {S::kTake, 3600000000, 108000, 3600000000}}},
      {"live view off: nothing; on again: the schedule starts anew from frame 0",
       10,
       200,
       {{S::kOn, 0},
        {S::kTake, 500000, 3, 500000},
        {S::kOff, 600000},
        {S::kTake, 900000},
        {S::kOn, 2000000},
        {S::kTake, 2100000},
        {S::kTake, 2200000, 0, 2200000},
        {S::kTake, 2300000, 1, 2300000}}},
      {"telling it is on again while on changes nothing",
       10,
       0,
       {{S::kOn, 0}, {S::kOn, 250000}, {S::kTake, 250000, 2, 200000}}},
      {"a rate without a start: frame 0 as live view goes on",
       60,
       0,
       {{S::kOn, 7000}, {S::kTake, 7000, 0, 7000}, {S::kTake, 23665}, {S::kTake, 23666, 1, 23666}}},
      {"a start without a rate: from the start a frame for every download",
       0,
       200,
       {{S::kOn, 0},
        {S::kTake, 199999},
        {S::kTake, 300000, 0, 200000},
        {S::kTake, 300000, 1, 300000},
        {S::kTake, 300001, 2, 300001},
        {S::kOff, 400000},
        {S::kTake, 400000},
        {S::kOn, 500000},
        {S::kTake, 700000, 0, 700000}}},
  };
  for (const PaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    LiveViewPace pace(c.rate, c.start_ms);
    for (const Step& s : c.steps) {
      if (s.what != S::kTake) {
        pace.See(s.what == S::kOn, s.at_us);
        continue;
      }
      const auto frame = pace.Take(s.at_us);
      if (s.number == kNotReady) {
        EXPECT_FALSE(frame) << "at " << s.at_us << " frame " << frame->number;
      } else {
        ASSERT_TRUE(frame) << "at " << s.at_us;
        EXPECT_EQ(frame->number, static_cast<uint64_t>(s.number)) << "at " << s.at_us;
        EXPECT_EQ(frame->ready_us, s.ready_us) << "at " << s.at_us;
      }
    }
  }
}

TEST(LiveViewPace, TheCommentNamesTheFrameAndItsTime) {
  EXPECT_EQ(PacedFrameComment({12, 1234567890123}), "eos-sim frame 12 ready 1234567890123");
}

}  // namespace
}  // namespace eos::sim
