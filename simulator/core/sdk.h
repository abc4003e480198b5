// The simulated EOS SDK: every entry point of EDSDK.DLL as a method, with the cameras,
// their properties, cards and pictures, reference counting and books. The DLL's
// exports forward here; native tests call it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "edsdk/EDSDK.h"
#include "simulator/core/books.h"

namespace eos::sim {

// Where the SDK's events go: to the thread that opened a session, delivered later from
// that thread's message loop, never inside the call that raised them.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // A session opens on the calling thread; its events go to this thread from now on.
  virtual void Attach(int session) = 0;
  // The session is over; undelivered events of it are dropped.
  virtual void Detach(int session) = 0;
  virtual void Post(int session, std::function<void()> deliver) = 0;
  // Delivers what is waiting for the calling thread (EdsGetEvent).
  virtual void DeliverPending() = 0;
  // The SDK has terminated: nothing more will be posted until it starts again.
  virtual void Stopped() = 0;
};

struct SdkSetup {
  EventSink* events = nullptr;
  // The scenario text for each EdsInitializeSDK; empty for the default camera.
  std::function<std::string()> scenario;
  // Reports a scenario that cannot be read (the SDK then refuses to start).
  std::function<void(const std::string&)> complain;
  // Milliseconds of a steady clock, for what the scenario times; empty for the system's.
  std::function<uint64_t()> clock;
};

class Sdk {
 public:
  explicit Sdk(SdkSetup setup);
  ~Sdk();
  Sdk(const Sdk&) = delete;
  Sdk& operator=(const Sdk&) = delete;

#define EOS_SIM_DECLARE(name, exported, ret, params, args) ret name params;
  EDSDK_ENTRY_POINTS(EOS_SIM_DECLARE)
#undef EOS_SIM_DECLARE

  // The books of the current (or last) run between EdsInitializeSDK and EdsTerminateSDK.
  const Books& books() const;

  // Lets the scenario's time pass without a call: a camera switching itself off or
  // coming back now does so. Every call does this first; a host waiting in its message
  // loop needs it from a timer. Skipped while another thread is inside a call.
  void Tick();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace eos::sim
