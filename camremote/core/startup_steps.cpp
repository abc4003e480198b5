#include "camremote/core/startup_steps.h"

#include <cmath>

namespace eos {

namespace {

constexpr const char16_t* kNames[] = {
    u"SDK loaded",   u"camera found",      u"session",  u"remote mode", u"settings applied",
    u"live view on", u"first frame asked", u"received", u"painted",
};
static_assert(std::size(kNames) == kStartupStepCount, "a name for every step");

double Ms(StartupTimes::Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Text WholeMs(double ms) { return IntToText(std::llround(ms)); }

}  // namespace

TextView StartupStepName(StartupStep step) { return kNames[static_cast<std::size_t>(step)]; }

void StartupTimes::Begin(Clock::time_point called) {
  called_ = called;
  at_ = {};
}

bool StartupTimes::Mark(StartupStep step, Clock::time_point at) {
  std::optional<Clock::time_point>& slot = at_[Index(step)];
  if (!called_ || slot) return false;
  slot = at;
  return true;
}

std::optional<double> StartupTimes::MsToStep(StartupStep step) const {
  if (!called_ || !at_[Index(step)]) return std::nullopt;
  return Ms(*at_[Index(step)] - *called_);
}

Text StartupTimes::Summary() const {
  if (!called_) return {};
  Text steps;
  Clock::time_point before = *called_;
  for (std::size_t i = 0; i < kStartupStepCount; ++i) {
    if (!at_[i]) continue;
    if (!steps.empty()) steps += u", ";
    steps += Text(kNames[i]) + u" " + WholeMs(Ms(*at_[i] - before));
    before = *at_[i];
  }
  return WholeMs(Ms(before - *called_)) + u" ms from the capture call to the " +
         (Reached(StartupStep::kFramePainted) ? u"first frame painted" : u"last step reached") + u": " + steps;
}

}  // namespace eos
