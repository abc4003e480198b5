#include "simulator/core/presence.h"

namespace eos::sim {

bool Presence::Call(std::string_view entry, std::optional<uint32_t> arg, uint64_t now) {
  const std::optional<PulledCable>& pull = scenario_->unplug;
  if (!present_ || !pull || !pull->call.Matches(entry, arg)) return false;
  if (++calls_ != pull->nth || pulls_ > pull->repeats) return false;
  ++pulls_;
  Leave(now, pull->back_ms);
  return true;
}

void Presence::KeepAwake(uint64_t now) {
  if (!present_) return;
  awake_since_ = now;
  warned_ = false;
}

void Presence::Idle() {
  awake_since_.reset();
  warned_ = false;
}

void Presence::Leave(uint64_t at, std::optional<uint32_t> back_ms) {
  present_ = false;
  back_at_.reset();
  if (back_ms) back_at_ = at + *back_ms;
  Idle();
}

std::optional<uint64_t> Presence::UntilSwitchOff(uint64_t now) const {
  if (!present_ || !awake_since_ || !scenario_->sleep) return std::nullopt;
  const uint64_t off = *awake_since_ + scenario_->sleep->after_ms;
  return off > now ? off - now : 0;
}

// Each step moves the state on by the one change due first, from the moment it was due,
// so a late look finds the changes as they would have come one by one.
std::vector<Presence::Change> Presence::Advance(uint64_t now) {
  std::vector<Change> changes;
  while (true) {
    if (const std::optional<uint64_t> left = UntilSwitchOff(now)) {
      const AutoPowerOff& sleep = *scenario_->sleep;
      if (!warned_ && *left <= sleep.after_ms - sleep.after_ms / 2) {
        warned_ = true;
        changes.push_back(Change::kWarning);
      }
      if (*left == 0) {
        Leave(*awake_since_ + sleep.after_ms, sleep.back_ms);
        changes.push_back(Change::kSwitchedOff);
        continue;
      }
    }
    if (!present_ && back_at_ && now >= *back_at_) {
      present_ = true;
      ++returns_;
      calls_ = 0;
      back_at_.reset();
      changes.push_back(Change::kBack);
      continue;
    }
    return changes;
  }
}

}  // namespace eos::sim
