#include "face/worker.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>

namespace eos::face {

FaceWorker::FaceWorker(Detect detect, Notify notify, Prepare prepare)
    : detect_(std::move(detect)), notify_(std::move(notify)), prepare_(std::move(prepare)) {}

FaceWorker::~FaceWorker() { Stop(); }

bool FaceWorker::Start(std::string& error) {
  std::lock_guard lock(mutex_);
  if (stopping_) {
    error = "face worker already stopped";
    return false;
  }
  if (running_) return true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& e) {
    error = std::string("face worker thread not started: ") + e.what();
    return false;
  }
  running_ = true;
  return true;
}

void FaceWorker::Offer(const GreyView& luma, Orientation shown) noexcept {
  {
    std::lock_guard lock(mutex_);
    if (!running_ || stopping_ || phase_ == Phase::kFailed) return;
    ++counts_.offered;
    if (waiting_) ++counts_.replaced;
    try {
      slot_.luma.Resize(luma.width, luma.height);
      for (int y = 0; y < luma.height; ++y) std::copy_n(luma.row(y), luma.width, &slot_.luma.at(0, y));
    } catch (const std::exception&) {
      waiting_ = false;
      return;
    }
    slot_.shown = shown;
    slot_.number = counts_.offered;
    waiting_ = true;
  }
  wake_.notify_one();
}

bool FaceWorker::Take(FrameResult& out) {
  std::lock_guard lock(mutex_);
  if (!has_result_) return false;
  std::swap(out, result_);
  has_result_ = false;
  return true;
}

void FaceWorker::Forget() noexcept {
  std::lock_guard lock(mutex_);
  waiting_ = false;
  has_result_ = false;
  forgotten_ = counts_.offered;
}

void FaceWorker::Stop() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_ = false;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
}

FaceWorker::Phase FaceWorker::phase(std::string* error) const {
  std::lock_guard lock(mutex_);
  if (error) *error = failure_;
  return phase_;
}

FaceWorker::Counts FaceWorker::counts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

namespace {

// An error text that cannot throw: out of memory leaves it empty.
void SetError(std::string& error, const char* text) noexcept {
  try {
    error = text;
  } catch (...) {
    error.clear();
  }
}

}  // namespace

void FaceWorker::DetectInto(const Slot& work, FrameResult& result) noexcept {
  result.error.clear();
  try {
    if (detect_(ViewOf(work.luma), work.shown, result.faces, result.error)) return;
  } catch (const std::exception& e) {
    SetError(result.error, e.what());
  } catch (...) {
    SetError(result.error, "face detection failed");
  }
  result.faces.faces.clear();
}

bool FaceWorker::Ready() noexcept {
  std::string error;
  bool ready = false;
  try {
    ready = !prepare_ || prepare_(error);
  } catch (const std::exception& e) {
    SetError(error, e.what());
  } catch (...) {
    SetError(error, "face detection not prepared");
  }
  std::lock_guard lock(mutex_);
  phase_ = ready ? Phase::kReady : Phase::kFailed;
  if (!ready) {
    std::swap(failure_, error);
    waiting_ = false;
  }
  return ready;
}

void FaceWorker::Run() noexcept {
  if (!Ready()) return;
  // The frame in work; swapped with the slot so that both keep their buffers.
  Slot work;
  FrameResult result;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || waiting_; });
    if (stopping_) return;
    std::swap(work, slot_);
    waiting_ = false;
    lock.unlock();

    result.number = work.number;
    DetectInto(work, result);

    lock.lock();
    ++counts_.detected;
    if (result.number <= forgotten_) continue;
    std::swap(result_, result);
    has_result_ = true;
    if (notify_) {
      lock.unlock();
      try {
        notify_();
      } catch (...) {
        // The owner's notice is a wake-up only; the result waits for Take all the same.
      }
      lock.lock();
    }
  }
}

ModelWork WorkWithModel(std::shared_ptr<const FaceModel> model, std::filesystem::path path) {
  struct State {
    std::filesystem::path path;
    std::mutex mutex;  // guards `model`, which the preparation sets on the worker thread
    std::shared_ptr<const FaceModel> model;
    std::optional<FaceFinder> finder;  // the worker thread's alone, made by the preparation
    FrameScratch scratch;
  };
  auto state = std::make_shared<State>();
  state->path = std::move(path);
  state->model = std::move(model);
  const auto prepare = [state](std::string& error) {
    std::shared_ptr<const FaceModel> read;
    {
      std::lock_guard lock(state->mutex);
      read = state->model;
    }
    if (!read && !(read = FaceModel::FromFile(state->path, error))) return false;
    state->finder.emplace(read);
    std::lock_guard lock(state->mutex);
    state->model = std::move(read);
    return true;
  };
  const auto detect = [state](const GreyView& frame, Orientation shown, FrameFaces& out, std::string& error) {
    return FindInFrame(*state->finder, frame, shown, kWorkingLongSide, state->scratch, out, error);
  };
  const auto loaded = [state] {
    std::lock_guard lock(state->mutex);
    return state->model;
  };
  return {prepare, detect, loaded};
}

}  // namespace eos::face
