// Delivery of the stand-in SDK's events the way the real SDK delivers them: a hidden
// message window per thread that opens a session, and posted messages that the
// thread's own message loop dispatches, so events never arrive on another thread and
// never inside the call that caused them.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <mutex>

#include "simulator/core/sdk.h"
#include "win/handles.h"

namespace eos::sim {

class WindowSink final : public EventSink {
 public:
  WindowSink() = default;
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

  std::mutex mutex_;
  std::map<DWORD, win::UniqueWindow> windows_;  // by thread
  std::map<int, HWND> sessions_;
  std::map<HWND, std::deque<Pending>> queues_;
};

}  // namespace eos::sim
