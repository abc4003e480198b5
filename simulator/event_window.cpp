#include "simulator/event_window.h"

#include <utility>

#include "win/module.h"

namespace eos::sim {
namespace {

constexpr UINT kDeliver = WM_APP + 0x51;
constexpr UINT_PTR kTickTimer = 1;
constexpr wchar_t kClassName[] = L"EosSimulatedSdkEvents";

// A class that outlived an earlier load of this DLL at the same address counts as
// registered; it is removed again when the sink goes (see ~WindowSink).
bool WindowClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = win::ThisModule();
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

// Windows does not unregister a DLL's window classes when it unloads the DLL.
WindowSink::~WindowSink() {
  CloseWindows();
  UnregisterClassW(kClassName, win::ThisModule());
}

LRESULT CALLBACK WindowSink::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kDeliver || (msg == WM_TIMER && wp == kTickTimer)) {
    auto* sink = reinterpret_cast<WindowSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (sink == nullptr) return 0;
    if (msg == kDeliver) {
      sink->DeliverOne(hwnd);
    } else if (sink->tick_) {
      try {
        sink->tick_();
      } catch (...) {
      }
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND WindowSink::WindowOfThisThread() {
  const DWORD thread = GetCurrentThreadId();
  auto it = windows_.find(thread);
  if (it != windows_.end()) return it->second.get();
  if (!WindowClass(&Proc)) return nullptr;
  HWND hwnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, win::ThisModule(), nullptr);
  if (hwnd == nullptr) return nullptr;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetTimer(hwnd, kTickTimer, kTickMs, nullptr);  // goes with the window
  windows_.emplace(thread, win::UniqueWindow(hwnd));
  return hwnd;
}

void WindowSink::Attach(int session) {
  std::lock_guard lock(mutex_);
  if (HWND hwnd = WindowOfThisThread()) sessions_[session] = hwnd;
}

void WindowSink::Detach(int session) {
  std::lock_guard lock(mutex_);
  const auto it = sessions_.find(session);
  if (it == sessions_.end()) return;
  std::erase_if(queues_[it->second], [&](const Pending& p) { return p.session == session; });
  sessions_.erase(it);
}

void WindowSink::Post(int session, std::function<void()> deliver) {
  std::lock_guard lock(mutex_);
  const auto it = sessions_.find(session);
  if (it == sessions_.end()) return;
  queues_[it->second].push_back({session, std::move(deliver)});
  PostMessageW(it->second, kDeliver, 0, 0);
}

// One event per posted message; the handler runs without the lock, so it may call the
// SDK again, and nothing it throws leaves the window procedure.
void WindowSink::DeliverOne(HWND hwnd) {
  std::function<void()> deliver;
  {
    std::lock_guard lock(mutex_);
    auto& queue = queues_[hwnd];
    if (queue.empty()) return;
    deliver = std::move(queue.front().deliver);
    queue.pop_front();
  }
  try {
    deliver();
  } catch (...) {
  }
}

void WindowSink::DeliverPending() {
  HWND hwnd = nullptr;
  {
    std::lock_guard lock(mutex_);
    const auto it = windows_.find(GetCurrentThreadId());
    if (it == windows_.end()) return;
    hwnd = it->second.get();
  }
  MSG msg;
  while (PeekMessageW(&msg, hwnd, kDeliver, kDeliver, PM_REMOVE)) DispatchMessageW(&msg);
}

void WindowSink::Stopped() { CloseWindows(); }

// Only a window's own thread may destroy it; the others are asked to close, which
// their message loops do. Either way no message reaches this code once it is unloaded.
void WindowSink::CloseWindows() {
  std::lock_guard lock(mutex_);
  queues_.clear();
  sessions_.clear();
  const DWORD self = GetCurrentThreadId();
  for (auto& [thread, window] : windows_) {
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, 0);
    if (thread != self) PostMessageW(window.release(), WM_CLOSE, 0, 0);
  }
  windows_.clear();
}

}  // namespace eos::sim
