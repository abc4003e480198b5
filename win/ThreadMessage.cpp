#include "win/ThreadMessage.h"

#include <windows.h>

#include <utility>

#include "base/exception.h"
#include "win/log_file.h"
#include "win/message_box.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos {

namespace {

void ShowPlainBox(const MessageQueueElementType& e) {
  ModuleMessageBox(nullptr, e.Body, e.Title, static_cast<UINT>(e.Style));
}

Text ExceptionText(const std::exception_ptr& p) {
  try {
    std::rethrow_exception(p);
  } catch (...) {
    return CurrentExceptionText();
  }
}

}  // namespace

TMessageThread::TMessageThread(std::chrono::milliseconds poll, ShowBox show)
    : poll_(poll), show_(show ? std::move(show) : ShowBox(ShowPlainBox)), thread_([this] { Run(); }) {}

TMessageThread::~TMessageThread() {
  Terminate();
  WaitFor();
}

void TMessageThread::AddMessage(const MessageQueueElementType& element) {
  std::lock_guard<std::mutex> guard(lock_);
  if (accepting_) mMessageQueue.push_back({element.Body, element.Title, element.Style});
}

void TMessageThread::Terminate() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    terminated_ = true;
  }
  wake_.notify_all();
}

void TMessageThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool TMessageThread::Terminated() const {
  std::lock_guard<std::mutex> guard(lock_);
  return terminated_;
}

bool TMessageThread::Finished() const {
  std::lock_guard<std::mutex> guard(lock_);
  return finished_;
}

void TMessageThread::Run() noexcept {
  try {
    Execute();
  } catch (...) {
    mException = std::current_exception();
    HandleThreadException();
  }
  std::lock_guard<std::mutex> guard(lock_);
  mMessageQueue.clear();
  accepting_ = false;
  finished_ = true;
}

// The box is shown without the lock held, so AddMessage never waits for the user. Only
// this thread removes elements, so the first one is still the one shown.
void TMessageThread::Execute() {
  while (!Terminated()) {
    if (const std::optional<MessageQueueElementType> element = PeekFirst()) {
      show_(*element);
      RemoveFirst();
    }
    SleepUnlessTerminated();
  }
}

// The failure is shown from this thread, not handed to the user-interface thread: a
// message box needs no other thread, and that thread may itself be waiting in WaitFor.
void TMessageThread::HandleThreadException() noexcept {
  try {
    const Text text = ExceptionText(mException);
    ModuleMessageBox(nullptr, text, win::ApplicationTitle(), MB_OK | MB_ICONERROR);
  } catch (...) {
    win::LogSwallowed(u"TMessageThread");
  }
  mException = nullptr;
}

std::optional<MessageQueueElementType> TMessageThread::PeekFirst() {
  std::lock_guard<std::mutex> guard(lock_);
  if (mMessageQueue.empty()) return std::nullopt;
  return mMessageQueue.front();
}

void TMessageThread::RemoveFirst() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!mMessageQueue.empty()) mMessageQueue.pop_front();
}

// One look at the queue per interval; a terminate request cuts the pause short.
void TMessageThread::SleepUnlessTerminated() {
  std::unique_lock<std::mutex> guard(lock_);
  wake_.wait_for(guard, poll_, [this] { return terminated_; });
}

}  // namespace eos
