// Face detection off the user-interface thread. The UI thread offers each live-view
// frame's luma; one background thread detects on the newest. A frame offered while the
// thread is busy replaces the one still waiting, so at most one frame waits and the
// results follow the view as closely as the detector's speed allows.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "face/detector.h"
#include "face/find.h"
#include "face/grey.h"

namespace eos::face {

struct FrameResult {
  uint64_t number = 0;  // the offered frame's number: 1 for the first offered
  FrameFaces faces;
  std::string error;  // set when the detection failed; there are then no faces
};

class FaceWorker {
 public:
  // Finds the faces of one frame shown under an orientation; runs on the worker thread.
  using Detect = std::function<bool(const GreyView& frame, Orientation shown, FrameFaces& out, std::string& error)>;
  // Told on the worker thread after each new result, with no lock held: it may Take the
  // result there or ask the owner's thread to. It must not call Stop.
  using Notify = std::function<void()>;

  // Readies the detection on the worker thread before its first frame (reads the model,
  // say); false with `error` set when it cannot, and the worker then detects nothing.
  using Prepare = std::function<bool(std::string& error)>;

  explicit FaceWorker(Detect detect, Notify notify = {}, Prepare prepare = {});
  ~FaceWorker();  // stops
  FaceWorker(const FaceWorker&) = delete;
  FaceWorker& operator=(const FaceWorker&) = delete;

  // Starts the thread; false with `error` set when it cannot be made.
  bool Start(std::string& error);

  // Copies the frame into the waiting slot, replacing a frame not yet started, and wakes
  // the thread. A frame that cannot be copied (out of memory) is dropped. Does nothing
  // before Start or after Stop.
  void Offer(const GreyView& luma, Orientation shown) noexcept;

  // The newest result not taken yet; false when there is none.
  bool Take(FrameResult& out);

  // Forgets every frame offered so far: the one waiting is dropped, and neither its result
  // nor that of the frame in hand is ever taken. For a view that is no longer the one the
  // frames showed (a camera that went away and came back).
  void Forget() noexcept;

  // Ends the thread after the frame in hand and waits for it; a waiting frame is dropped.
  void Stop() noexcept;

  // Readying the detection (frames offered meanwhile wait, the newest one), detecting, or
  // unable to: the preparation failed, and `error` (when given) says why.
  enum class Phase { kPreparing, kReady, kFailed };
  Phase phase(std::string* error = nullptr) const;

  struct Counts {
    uint64_t offered = 0;
    uint64_t replaced = 0;  // dropped from the slot for a newer one before work began
    uint64_t detected = 0;
  };
  Counts counts() const;

 private:
  struct Slot {
    GreyImage luma;
    Orientation shown;
    uint64_t number = 0;
  };
  // Runs the preparation and sets the phase by it; true when the worker may detect.
  bool Ready() noexcept;
  void Run() noexcept;
  void DetectInto(const Slot& work, FrameResult& result) noexcept;

  Detect detect_;
  Notify notify_;
  Prepare prepare_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool running_ = false;
  bool stopping_ = false;
  Phase phase_ = Phase::kPreparing;
  std::string failure_;   // why the preparation failed
  bool waiting_ = false;  // `slot_` holds a frame not yet started
  Slot slot_;
  bool has_result_ = false;
  FrameResult result_;
  uint64_t forgotten_ = 0;  // the results of frames up to this number are dropped
  Counts counts_;
};

// A worker's work with the face model at the working size: `model` when the caller has it,
// else the one its preparation reads from `path` on the worker thread, so that nobody
// waits for the model to be read and checked. `model` gives it once it is there.
struct ModelWork {
  FaceWorker::Prepare prepare;
  FaceWorker::Detect detect;
  std::function<std::shared_ptr<const FaceModel>()> model;
};
ModelWork WorkWithModel(std::shared_ptr<const FaceModel> model, std::filesystem::path path);

}  // namespace eos::face
