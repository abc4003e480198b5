// Delivery of the stand-in SDK's events the way the real SDK delivers them: a hidden
// message window per thread that opens a session, and posted messages that the
// thread's own message loop dispatches, so events never arrive on another thread and
// never inside the call that caused them. The same windows' timer lets the SDK look at
// the time while a host only waits in its message loop.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "simulator/core/sdk.h"
#include "win/handles.h"

namespace eos::sim {

class WindowSink final : public EventSink {
 public:
  // `tick` runs from each window's timer on its thread, about every kTickMs.
  explicit WindowSink(std::function<void()> tick) : tick_(std::move(tick)) {}
  ~WindowSink() override;
  WindowSink(const WindowSink&) = delete;
  WindowSink& operator=(const WindowSink&) = delete;

  void Attach(int session) override;
  void Detach(int session) override;
  void Post(int session, std::function<void()> deliver) override;
  void DeliverPending() override;
  void Stopped() override;

 private:
  struct Pending {
    int session;
    std::function<void()> deliver;
  };
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND WindowOfThisThread();
  void DeliverOne(HWND hwnd);
  void CloseWindows();

  static constexpr UINT kTickMs = 50;
  std::function<void()> tick_;
  std::mutex mutex_;
  std::map<DWORD, win::UniqueWindow> windows_;  // by thread
  std::map<int, HWND> sessions_;
  std::map<HWND, std::deque<Pending>> queues_;
};

}  // namespace eos::sim
