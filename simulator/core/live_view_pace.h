// When the camera's live-view frames are ready, for a camera that makes them at a pace of
// its own: frame k is ready `start` after live view went on plus k frame intervals. A
// download takes the newest ready frame; the frames before it that nobody fetched are
// gone, as the camera's one buffer is overwritten. Times are microseconds of one steady
// clock, given by the caller, so the schedule is a matter of arithmetic alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace eos::sim {

class LiveViewPace {
 public:
  struct Frame {
    uint64_t number = 0;    // counted from 0 since live view went on
    uint64_t ready_us = 0;  // when the schedule made it ready
  };

  // `rate` frames a second; 0 makes a frame whenever one is asked for from the start on.
  LiveViewPace(uint32_t rate, uint32_t start_ms) : rate_(rate), start_us_(uint64_t{start_ms} * 1000) {}

  // Live view's state at `now_us`: going on starts the schedule again from frame 0.
  void See(bool on, uint64_t now_us);

  // The newest ready frame not taken yet, taken now; nothing while live view is off,
  // before its first frame, and when the newest ready one was taken already.
  std::optional<Frame> Take(uint64_t now_us);

 private:
  uint32_t rate_;
  uint64_t start_us_;
  bool on_ = false;
  uint64_t first_us_ = 0;          // when frame 0 is ready
  std::optional<uint64_t> taken_;  // the last frame taken since live view went on
};

// The JPEG comment a paced frame carries, for a reader in the same process that times
// the frame's way from ready to shown.
std::string PacedFrameComment(const LiveViewPace::Frame& frame);

}  // namespace eos::sim
