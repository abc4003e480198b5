// A timer whose handler runs on the thread that made it, from that thread's message loop,
// as a form's timer does: the component's notification and live-view timers and the
// dialog's timers are all of this kind. Handlers never let an exception out. A timer
// belongs to its thread: make, change and free it there.
#pragma once

#include <windows.h>

#include <functional>

namespace eos::win {

class Timer {
 public:
  using Handler = std::function<void()>;

  explicit Timer(Handler handler = {}, unsigned interval_ms = 1000, bool enabled = false);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // A timer ticks only while it is enabled, has an interval above 0 and a handler.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // A new interval starts counting afresh.
  void SetInterval(unsigned interval_ms);
  unsigned Interval() const { return interval_; }
  void SetHandler(Handler handler);

 private:
  friend struct TimerWindow;
  void Apply();
  void Tick();

  Handler handler_;
  unsigned interval_;
  bool enabled_;
  bool running_ = false;
  UINT_PTR id_;
};

// Destroys the calling thread's timer window once none of its timers is left.
void ReleaseTimerWindow() noexcept;

// Runs the calling thread's messages for about `ms` milliseconds.
void PumpMessagesFor(DWORD ms);

}  // namespace eos::win
