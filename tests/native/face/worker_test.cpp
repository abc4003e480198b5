#include "face/worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace eos::face {
namespace {

using namespace std::chrono_literals;

// A detector that holds each frame until the test lets it go, and records what it saw:
// the frame's first sample (the test fills each frame with its number) and orientation.
class HeldDetector {
 public:
  FaceWorker::Detect Detect() {
    return [this](const GreyView& frame, Orientation shown, FrameFaces& out, std::string& error) {
      std::unique_lock lock(mutex_);
      seen_.push_back(frame.row(0)[0]);
      angles_.push_back(shown.angle_cw);
      changed_.notify_all();
      changed_.wait(lock, [&] { return released_ > 0; });
      --released_;
      if (frame.row(0)[0] == kThrowing) throw std::runtime_error("detector broke");
      if (frame.row(0)[0] == kFailing) {
        error = "detector failed";
        out.faces.push_back({});  // a failure's faces are not handed on
        return false;
      }
      out.width = frame.width;
      out.height = frame.height;
      out.faces.assign(1, Face{{0, 0, static_cast<double>(frame.row(0)[0]), 1}, {}, {}});
      return true;
    };
  }
  // Waits until the detector has been handed `count` frames in all.
  bool WaitForFrames(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return seen_.size() >= count; });
  }
  void Release(int frames = 1) {
    std::lock_guard lock(mutex_);
    released_ += frames;
    changed_.notify_all();
  }
  std::vector<int> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::vector<int> angles() {
    std::lock_guard lock(mutex_);
    return angles_;
  }

  static constexpr int kThrowing = 200;
  static constexpr int kFailing = 201;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> seen_;
  std::vector<int> angles_;
  int released_ = 0;
};

struct Frame {
  explicit Frame(int number) : samples(static_cast<size_t>(kStride) * 3, static_cast<uint8_t>(number)) {}
  GreyView view() const { return {4, 3, kStride, samples.data()}; }
  static constexpr size_t kStride = 6;
  std::vector<uint8_t> samples;
};

// Results as the owner's thread sees them after each notice.
class Results {
 public:
  FaceWorker::Notify Notify(FaceWorker*& worker) {
    return [this, &worker] {
      FrameResult result;
      if (!worker->Take(result)) return;
      std::lock_guard lock(mutex_);
      taken_.push_back(result);
      changed_.notify_all();
    };
  }
  bool WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return taken_.size() >= count; });
  }
  std::vector<FrameResult> taken() {
    std::lock_guard lock(mutex_);
    return taken_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<FrameResult> taken_;
};

struct WorkerFixture : ::testing::Test {
  WorkerFixture() : worker(detector.Detect(), results.Notify(self)) {
    self = &worker;
    std::string error;
    EXPECT_TRUE(worker.Start(error)) << error;
  }
  ~WorkerFixture() override {
    detector.Release(1000);
    worker.Stop();
  }
  HeldDetector detector;
  Results results;
  FaceWorker* self = nullptr;
  FaceWorker worker;
};

// While the detector works on frame 1, frames 2 to 10 arrive: each replaces the one
// waiting, so the detector sees 1 and then only 10.
TEST_F(WorkerFixture, NewestFrameReplacesTheWaitingOne) {
  worker.Offer(Frame(1).view(), {90, true});
  ASSERT_TRUE(detector.WaitForFrames(1));
  for (int n = 2; n <= 10; ++n) worker.Offer(Frame(n).view(), {n % 2 == 0 ? 180 : 270, false});
  detector.Release(2);
  ASSERT_TRUE(results.WaitFor(2));
  EXPECT_EQ(detector.seen(), (std::vector<int>{1, 10}));
  EXPECT_EQ(detector.angles(), (std::vector<int>{90, 180}));
  const std::vector<FrameResult> taken = results.taken();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].number, 1u);
  EXPECT_EQ(taken[1].number, 10u);
  ASSERT_EQ(taken[1].faces.faces.size(), 1u);
  EXPECT_EQ(taken[1].faces.faces[0].box.width, 10);  // from frame 10's own samples
  EXPECT_EQ(taken[1].faces.width, 4);
  const FaceWorker::Counts counts = worker.counts();
  EXPECT_EQ(counts.offered, 10u);
  EXPECT_EQ(counts.replaced, 8u);
  EXPECT_EQ(counts.detected, 2u);
}

// A thousand frames offered to a busy detector leave one waiting, not a queue.
TEST_F(WorkerFixture, NoQueueGrows) {
  worker.Offer(Frame(1).view(), {});
  ASSERT_TRUE(detector.WaitForFrames(1));
  for (int n = 0; n < 1000; ++n) worker.Offer(Frame(n % 100).view(), {});
  detector.Release(1);
  ASSERT_TRUE(detector.WaitForFrames(2));
  detector.Release(1);
  ASSERT_TRUE(results.WaitFor(2));
  EXPECT_EQ(detector.seen(), (std::vector<int>{1, 99}));
  EXPECT_EQ(worker.counts().replaced, 999u);
}

TEST_F(WorkerFixture, FailuresAndExceptionsBecomeResults) {
  worker.Offer(Frame(HeldDetector::kThrowing).view(), {});
  detector.Release(1);
  ASSERT_TRUE(results.WaitFor(1));
  worker.Offer(Frame(HeldDetector::kFailing).view(), {});
  detector.Release(1);
  ASSERT_TRUE(results.WaitFor(2));
  worker.Offer(Frame(7).view(), {});
  detector.Release(1);
  ASSERT_TRUE(results.WaitFor(3));
  const std::vector<FrameResult> taken = results.taken();
  EXPECT_EQ(taken[0].error, "detector broke");
  EXPECT_TRUE(taken[0].faces.faces.empty());
  EXPECT_EQ(taken[1].error, "detector failed");
  EXPECT_TRUE(taken[1].faces.faces.empty());
  EXPECT_EQ(taken[2].error, "");
  EXPECT_EQ(taken[2].faces.faces.size(), 1u);
}

// Frames offered before Forget give no result: neither the one in hand nor the one
// waiting; the next frame's result is taken as always.
TEST_F(WorkerFixture, ForgottenFramesGiveNoResult) {
  worker.Offer(Frame(1).view(), {});
  ASSERT_TRUE(detector.WaitForFrames(1));
  worker.Offer(Frame(2).view(), {});
  worker.Forget();
  detector.Release(1);
  worker.Offer(Frame(3).view(), {});
  ASSERT_TRUE(detector.WaitForFrames(2));
  detector.Release(1);
  ASSERT_TRUE(results.WaitFor(1));
  EXPECT_EQ(detector.seen(), (std::vector<int>{1, 3})) << "the waiting frame was dropped";
  const std::vector<FrameResult> taken = results.taken();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].number, 3u);
  FrameResult none;
  EXPECT_FALSE(worker.Take(none));
}

// Stop waits for the frame in hand and drops the one waiting; later offers are ignored.
TEST_F(WorkerFixture, StopsCleanly) {
  worker.Offer(Frame(1).view(), {});
  ASSERT_TRUE(detector.WaitForFrames(1));
  std::thread stopper([&] { worker.Stop(); });
  // Frames keep coming until the worker has begun to stop and ignores them.
  uint64_t before = 0;
  do {
    before = worker.counts().offered;
    worker.Offer(Frame(2).view(), {});
    std::this_thread::sleep_for(1ms);
  } while (worker.counts().offered != before);
  detector.Release(1);
  stopper.join();
  EXPECT_EQ(detector.seen(), (std::vector<int>{1}));
  EXPECT_GE(worker.counts().offered, 1u);
  std::string error;
  EXPECT_FALSE(worker.Start(error));
  EXPECT_FALSE(error.empty());
}

TEST(Worker, TakeWithoutResultAndOffersBeforeStart) {
  int calls = 0;
  FaceWorker worker([&](const GreyView&, Orientation, FrameFaces&, std::string&) { return ++calls > 0; });
  worker.Offer(Frame(1).view(), {});
  FrameResult result;
  EXPECT_FALSE(worker.Take(result));
  EXPECT_EQ(worker.counts().offered, 0u);
  worker.Stop();
  EXPECT_EQ(calls, 0);
}

// Results can also be polled: the newest one waits for Take, once.
TEST(Worker, PolledResults) {
  FaceWorker worker([](const GreyView& frame, Orientation, FrameFaces& out, std::string&) {
    out.width = frame.width;
    return true;
  });
  std::string error;
  ASSERT_TRUE(worker.Start(error));
  worker.Offer(Frame(1).view(), {});
  FrameResult result;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!worker.Take(result) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(result.number, 1u);
  EXPECT_EQ(result.faces.width, 4);
  EXPECT_FALSE(worker.Take(result));
}

// The preparation runs on the worker thread before any frame is detected: frames offered
// meanwhile wait (the newest one), and detection begins once it is done.
TEST(Worker, PreparesOnItsThreadBeforeTheFirstFrame) {
  std::mutex mutex;
  std::condition_variable changed;
  bool go = false;
  std::thread::id prepared_on;
  std::vector<int> seen;
  FaceWorker worker(
      [&](const GreyView& frame, Orientation, FrameFaces&, std::string&) {
        seen.push_back(frame.row(0)[0]);
        return true;
      },
      {},
      [&](std::string&) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return go; });
        prepared_on = std::this_thread::get_id();
        return true;
      });
  std::string error;
  ASSERT_TRUE(worker.Start(error));
  EXPECT_EQ(worker.phase(), FaceWorker::Phase::kPreparing);
  worker.Offer(Frame(1).view(), {});
  worker.Offer(Frame(2).view(), {});
  {
    std::lock_guard lock(mutex);
    go = true;
  }
  changed.notify_all();
  FrameResult result;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!worker.Take(result) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(result.number, 2u);
  EXPECT_EQ(worker.phase(), FaceWorker::Phase::kReady);
  worker.Stop();
  EXPECT_EQ(seen, (std::vector<int>{2}));
  EXPECT_NE(prepared_on, std::this_thread::get_id());
}

// A preparation that fails, or raises, leaves a worker that detects nothing and says why.
TEST(Worker, APreparationThatFailsDetectsNothingAndSaysWhy) {
  const struct {
    const char* name;
    FaceWorker::Prepare prepare;
    const char* reason;
  } cases[] = {
      {"refused",
       [](std::string& error) {
         error = "face model missing: here";
         return false;
       },
       "face model missing: here"},
      {"raised", [](std::string&) -> bool { throw std::runtime_error("no memory for the model"); },
       "no memory for the model"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int detected = 0;
    FaceWorker worker(
        [&](const GreyView&, Orientation, FrameFaces&, std::string&) {
          ++detected;
          return true;
        },
        {}, c.prepare);
    std::string error;
    ASSERT_TRUE(worker.Start(error));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (worker.phase() == FaceWorker::Phase::kPreparing && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(1ms);
    EXPECT_EQ(worker.phase(&error), FaceWorker::Phase::kFailed);
    EXPECT_EQ(error, c.reason);
    worker.Offer(Frame(1).view(), {});
    EXPECT_EQ(worker.counts().offered, 0u);
    worker.Stop();
    EXPECT_EQ(detected, 0);
  }
}

}  // namespace
}  // namespace eos::face
