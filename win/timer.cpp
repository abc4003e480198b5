#include "win/timer.h"

#include <mutex>
#include <unordered_map>

#include "win/log_file.h"
#include "win/module.h"
#include "win/window_class.h"

namespace eos::win {

// One hidden message-only window per thread carries the WM_TIMER messages of that
// thread's timers; the timer's identifier finds the Timer object. The window and its class
// belong to this module and go with ReleaseModuleWindows.
//
// The windows are found by thread in the registry, not kept in thread_local variables: the
// runtime pins a DLL with a thread_local destructor, and the first thread_local of a load
// makes the thread runtime create two semaphores that outlive the DLL.
struct TimerWindow {
  static constexpr wchar_t kClass[] = L"EosTimerWindow";

  struct Entry {
    Timer* timer;
    DWORD thread;
  };
  struct Registry {
    std::mutex mutex;
    std::unordered_map<UINT_PTR, Entry> timers;
    std::unordered_map<DWORD, HWND> windows;  // by thread
    UINT_PTR next_id = 1;
  };
  static Registry& Timers() {
    static Registry registry;
    return registry;
  }

  static Timer* Find(UINT_PTR id) {
    Registry& r = Timers();
    std::lock_guard lock(r.mutex);
    const auto it = r.timers.find(id);
    return it != r.timers.end() && it->second.thread == GetCurrentThreadId() ? it->second.timer : nullptr;
  }

  static bool ThreadHasTimers(const Registry& r, DWORD thread) {
    for (const auto& [id, entry] : r.timers)
      if (entry.thread == thread) return true;
    return false;
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_TIMER) {
      // Only this thread frees its timers, so the timer found stays alive for the tick.
      if (Timer* timer = Find(wp)) timer->Tick();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }

  // Plain handles, not owners: at process exit nothing may be destroyed, so a window goes
  // only through ReleaseTimerWindow. The window of a thread that has ended went with it, and
  // a new thread may have the same identifier: only a window of the calling thread is its.
  static HWND Get() {
    Registry& r = Timers();
    const DWORD thread = GetCurrentThreadId();
    {
      std::lock_guard lock(r.mutex);
      const auto it = r.windows.find(thread);
      if (it != r.windows.end() && IsWindow(it->second) && GetWindowThreadProcessId(it->second, nullptr) == thread)
        return it->second;
    }
    WNDCLASSEXW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kClass;
    HWND window = EnsureModuleClass(wc)
                      ? CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr)
                      : nullptr;
    std::lock_guard lock(r.mutex);
    r.windows[thread] = window;
    return window;
  }

  // Takes the calling thread's window out of the registry once none of its timers is left.
  static HWND TakeUnused() {
    Registry& r = Timers();
    const DWORD thread = GetCurrentThreadId();
    std::lock_guard lock(r.mutex);
    const auto it = r.windows.find(thread);
    if (it == r.windows.end() || ThreadHasTimers(r, thread)) return nullptr;
    const HWND window = it->second;
    r.windows.erase(it);
    return window;
  }

  static UINT_PTR Add(Timer* timer) {
    Registry& r = Timers();
    std::lock_guard lock(r.mutex);
    const UINT_PTR id = r.next_id++;
    r.timers[id] = {timer, GetCurrentThreadId()};
    return id;
  }

  static void Remove(UINT_PTR id) {
    Registry& r = Timers();
    std::lock_guard lock(r.mutex);
    r.timers.erase(id);
  }
};

void ReleaseTimerWindow() noexcept {
  if (const HWND window = TimerWindow::TakeUnused()) DestroyWindow(window);
}

Timer::Timer(Handler handler, unsigned interval_ms, bool enabled)
    : handler_(std::move(handler)), interval_(interval_ms), enabled_(enabled), id_(TimerWindow::Add(this)) {
  Apply();
}

Timer::~Timer() {
  if (running_) KillTimer(TimerWindow::Get(), id_);
  TimerWindow::Remove(id_);
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
    LogSwallowed(u"Timer");
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
