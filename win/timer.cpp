#include "win/timer.h"

#include <unordered_map>

namespace eos::win {

// One hidden message-only window per thread carries the WM_TIMER messages of that
// thread's timers; the timer's identifier finds the Timer object.
struct TimerWindow {
  static constexpr wchar_t kClass[] = L"EosTimerWindow";

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
      const auto it = Timers().find(wp);
      if (it != Timers().end()) it->second->Tick();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  static HWND Get() {
    thread_local HWND window = nullptr;
    if (window && IsWindow(window)) return window;
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kClass;
      return RegisterClassW(&wc);
    }();
    window =
        atom ? CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr)
             : nullptr;
    return window;
  }

  static std::unordered_map<UINT_PTR, Timer*>& Timers() {
    thread_local std::unordered_map<UINT_PTR, Timer*> timers;
    return timers;
  }
};

namespace {
UINT_PTR NextTimerId() {
  thread_local UINT_PTR next = 1;
  return next++;
}
}  // namespace

Timer::Timer(Handler handler, unsigned interval_ms, bool enabled)
    : handler_(std::move(handler)), interval_(interval_ms), enabled_(enabled), id_(NextTimerId()) {
  TimerWindow::Timers()[id_] = this;
  Apply();
}

Timer::~Timer() {
  if (running_) KillTimer(TimerWindow::Get(), id_);
  TimerWindow::Timers().erase(id_);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Apply();
}

void Timer::SetInterval(unsigned interval_ms) {
  interval_ = interval_ms;
  Apply();
}

void Timer::SetHandler(Handler handler) {
  handler_ = std::move(handler);
  Apply();
}

void Timer::Apply() {
  HWND window = TimerWindow::Get();
  const bool run = enabled_ && interval_ > 0 && handler_;
  if (run)
    running_ = SetTimer(window, id_, interval_, nullptr) != 0;  // also restarts a running timer
  else if (running_) {
    KillTimer(window, id_);
    running_ = false;
  }
}

void Timer::Tick() {
  // The handler may free this timer; the copy keeps the running function alive.
  const Handler handler = handler_;
  try {
    if (handler) handler();
  } catch (...) {
    // A timer has nobody to report to: the message loop must go on.
  }
}

void PumpMessagesFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

}  // namespace eos::win
