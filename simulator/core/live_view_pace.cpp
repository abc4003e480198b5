#include "simulator/core/live_view_pace.h"

namespace eos::sim {
namespace {

constexpr uint64_t kMicrosPerSecond = 1000000;

}  // namespace

void LiveViewPace::See(bool on, uint64_t now_us) {
  if (on && !on_) {
    first_us_ = now_us + start_us_;
    taken_.reset();
  }
  on_ = on;
}

std::optional<LiveViewPace::Frame> LiveViewPace::Take(uint64_t now_us) {
  if (!on_ || now_us < first_us_) return std::nullopt;
  Frame f;
  if (rate_ == 0) {
    // Made on request: the first when the start has come, each later one when asked.
    f.number = taken_ ? *taken_ + 1 : 0;
    f.ready_us = f.number == 0 ? first_us_ : now_us;
  } else {
    // Frame k is ready at first + floor(k / rate seconds): the largest k whose time has
    // come, computed from k each time so that the intervals never drift.
    f.number = ((now_us - first_us_ + 1) * rate_ - 1) / kMicrosPerSecond;
    if (taken_ && *taken_ >= f.number) return std::nullopt;
    f.ready_us = first_us_ + f.number * kMicrosPerSecond / rate_;
  }
  taken_ = f.number;
  return f;
}

std::string PacedFrameComment(const LiveViewPace::Frame& frame) {
  return "eos-sim frame " + std::to_string(frame.number) + " ready " + std::to_string(frame.ready_us);
}

}  // namespace eos::sim
