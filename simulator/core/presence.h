// Whether the cameras are on the computer's bus as time goes by: pulled off it after a
// count of calls, switched off after a time without the keep-alive command, and back
// after a while. Pure logic: the caller gives the time, in milliseconds of one steady
// clock, and acts on what changes.
//
// Calls are counted towards a pull only while the cameras are there, from the SDK's
// start and again from each return. The time to switching off runs while a session is
// open: from its opening or the last keep-alive; the warning comes halfway.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "simulator/core/scenario.h"

namespace eos::sim {

class Presence {
 public:
  enum class Change : uint8_t {
    kWarning,      // the cameras will soon switch themselves off
    kSwitchedOff,  // gone, as if their cables had been pulled
    kBack,         // listed again, to be opened anew
  };

  explicit Presence(const Scenario* scenario) : scenario_(scenario) {}

  bool present() const { return present_; }
  uint32_t returns() const { return returns_; }

  // A call the cameras answered, at `now`; true when it pulls their cables.
  bool Call(std::string_view entry, std::optional<uint32_t> arg, uint64_t now);
  // A session opened or the keep-alive command came: the time to switching off starts
  // over.
  void KeepAwake(uint64_t now);
  // No session is open any more: the cameras stay on.
  void Idle();
  // The changes due by `now`, in the order they happened.
  std::vector<Change> Advance(uint64_t now);
  // Milliseconds from `now` to switching off, while that time runs.
  std::optional<uint64_t> UntilSwitchOff(uint64_t now) const;

 private:
  void Leave(uint64_t at, std::optional<uint32_t> back_ms);

  const Scenario* scenario_;
  bool present_ = true;
  uint32_t returns_ = 0;
  uint32_t calls_ = 0;  // matching calls since the start or the last return
  uint32_t pulls_ = 0;
  std::optional<uint64_t> back_at_;
  std::optional<uint64_t> awake_since_;
  bool warned_ = false;
};

}  // namespace eos::sim
