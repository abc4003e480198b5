// TMessageThread: a worker that shows queued message boxes one at a time, so a camera
// warning reaches the user without blocking the capture dialog's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "base/text.h"

namespace eos {

struct MessageQueueElementType {
  Text Body;               // the text inside the box
  Text Title;              // the box's title bar
  std::int32_t Style = 0;  // MessageBox flags: icon and buttons (MB_ICONWARNING | MB_OK, say)
  bool Critical = false;   // for the poster; the thread does not use it
};

class TMessageThread {
 public:
  // Shows one element and returns when the user has closed it.
  using ShowBox = std::function<void(const MessageQueueElementType&)>;
  static constexpr std::chrono::milliseconds kPollInterval{1000};

  // Starts running at once. The queue exists before the worker does, so nothing posted
  // right after construction is lost. `show` defaults to a plain MessageBoxW owned by
  // no window, modal for the worker only.
  explicit TMessageThread(std::chrono::milliseconds poll = kPollInterval, ShowBox show = {});
  // Terminate and WaitFor.
  ~TMessageThread();
  TMessageThread(const TMessageThread&) = delete;
  TMessageThread& operator=(const TMessageThread&) = delete;

  // Appends a copy and returns at once. Dropped once the worker has ended.
  void AddMessage(const MessageQueueElementType& element);
  // Asks the worker to end: at once between boxes, or when the user closes the open
  // one. Messages still queued are dropped, unshown.
  void Terminate();
  // Waits until the worker has ended.
  void WaitFor();
  bool Terminated() const;
  bool Finished() const;

 private:
  void Run() noexcept;
  void Execute();
  void HandleThreadException() noexcept;
  std::optional<MessageQueueElementType> PeekFirst();
  void RemoveFirst();
  void SleepUnlessTerminated();

  const std::chrono::milliseconds poll_;
  const ShowBox show_;
  mutable std::mutex lock_;  // guards the queue and the flags below
  std::condition_variable wake_;
  std::deque<MessageQueueElementType> mMessageQueue;
  bool accepting_ = true;  // false once the worker has ended and freed the queue
  bool terminated_ = false;
  bool finished_ = false;
  std::exception_ptr mException;  // the worker's own: set while HandleThreadException reports it
  std::thread thread_;            // last: starts once everything above exists
};

}  // namespace eos
