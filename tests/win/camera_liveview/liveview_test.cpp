// Live view through the remote component and its EOS backend, against the stand-in
// camera: switching live view on and off (with a busy camera), frames polled and handed
// to OnViewfinderEvent with their metadata, frames on request, what each download result
// does, the live-view settings, focus frames, movie recording and the guards. Each case
// ends as the capture dialog does, and the stand-in's books must then show every SDK
// reference given back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "Sources/EDSDKBinding.h"
#include "camremote/CamRemote.h"
#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// The stand-in's live-view frame and sensor sizes.
constexpr int kFrameWidth = 960;
constexpr int kFrameHeight = 640;
constexpr EdsSize kSensor{5184, 3456};
constexpr EdsUInt32 kOn = 1;
constexpr EdsUInt32 kPc = kEdsEvfOutputDevice_PC;

// The pixels a histogram row counts.
int Count(const HistogramType::value_type& row) {
  return static_cast<int>(std::accumulate(row.begin(), row.end(), 0u));
}

struct Frame {
  std::vector<std::uint8_t> jpeg;
  ViewfinderPositionType meta;
};

class LiveView : public testing::Test {
 protected:
  // Connects the stand-in's camera with `scenario` (and a trace of its calls) and starts
  // remote mode; frames are collected from then on.
  void Open(const std::string& scenario = {}, std::int32_t interval_ms = 30) {
    trace_ = dir_.path() + u"trace.txt";
    camera_.emplace("trace = " + win::ToAnsi(trace_) + "\n" + scenario);
    remote_.emplace();
    remote_->SetEOSViewfinderRefreshInterval(interval_ms);
    const CameraConnectedType cameras = remote_->OpenCameraEnumeration();
    ASSERT_EQ(cameras.EOSCameras->size(), 1u);
    remote_->Connect(CamModEOS, 0);
    remote_->RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, u"");
    remote_->OnViewfinderEvent = [this](JpegBytes jpeg, const ViewfinderPositionType& meta) {
      frames_.push_back({std::vector<std::uint8_t>(jpeg.begin(), jpeg.end()), meta});
    };
  }

  // Leaves in the dialog's order; the SDK then writes its books into the trace.
  void Close() {
    remote_->RemoteStopViewfinder();
    remote_->RemoteEnd();
    remote_->Disconnect();
    remote_->CloseCameraEnumeration();
    remote_.reset();
    const std::string trace = Trace();
    EXPECT_NE(trace.find("books: "), std::string::npos) << trace;
    EXPECT_EQ(trace.find("leak:"), std::string::npos) << trace;
  }

  void TearDown() override {
    if (remote_) Close();
  }

  std::string Trace() const { return ReadFileBytes(trace_); }

  // How many calls of `entry` the trace shows with `tail` in their line, as in
  // Calls("EdsSendCommand", ", 0x103, 32771) = 0x00000000"); the references before it are
  // the stand-in's own numbers.
  int Calls(const std::string& entry, const std::string& tail = {}) const {
    const std::string trace = Trace();
    int n = 0;
    for (size_t start = 0, end; (end = trace.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const std::string line = trace.substr(start, end - start);
      n += line.rfind(entry + "(", 0) == 0 && line.find(tail) != std::string::npos;
    }
    return n;
  }

  bool WaitForFrames(size_t n, DWORD timeout_ms = 5000) {
    return PumpUntil([&] { return frames_.size() >= n; }, timeout_ms);
  }

  // What the camera holds now, read past the component.
  EdsUInt32 CameraValue(EdsPropertyID id) {
    EdsUInt32 value = 0xDEADBEEF;
    EXPECT_EQ(EdsGetPropertyData(remote_->EDSDK().CameraDevice(), id, 0, sizeof value, &value), EDS_ERR_OK);
    return value;
  }

  TempDir dir_;
  Text trace_;
  std::optional<StandInCamera> camera_;
  std::optional<TCamRemote> remote_;
  std::vector<Frame> frames_;
};

// --- Switching live view ---------------------------------------------------------------

TEST_F(LiveView, StartsWithHostOutputAndStopsBoth) {
  Open();
  const int unlocks = Calls("EdsSendStatusCommand", ", 0x1, 0) = ");
  remote_->RemoteStartViewfinder(false);
  EXPECT_TRUE(remote_->ViewfinderPolling());
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_Mode), 1u);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_OutputDevice), kEdsEvfOutputDevice_PC);
  EXPECT_EQ(Calls("EdsSendStatusCommand", ", 0x1, 0) = "), unlocks + 1) << "the camera's controls are unlocked";

  remote_->RemoteStopViewfinder();
  EXPECT_FALSE(remote_->ViewfinderPolling());
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_Mode), 0u);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_OutputDevice), 0u);
  // Viewfinder mode stays set: the live-view settings are still forwarded.
  EXPECT_EQ(Raised([&] { remote_->RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensNear1); }),
            "EdsSendCommand errorcode 0x000000F1, Invalid function call")
      << "the stand-in refuses lens drive without live view, which shows the call got through";
}

TEST_F(LiveView, OutputDeviceRefusedTwiceIsRetriedASecondApart) {
  Open("refuse = EdsSetPropertyData:0x500 1-2\n");
  const DWORD start = GetTickCount();
  remote_->RemoteStartViewfinder(false);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 1900u);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, 0, 0x4, ptr) = 0x00000081"), 2);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, 0, 0x4, ptr) = 0x00000000"), 1);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_OutputDevice), kEdsEvfOutputDevice_PC);
  EXPECT_TRUE(remote_->ViewfinderPolling());
  EXPECT_TRUE(WaitForFrames(1));
}

TEST_F(LiveView, ModeRefusedRaisesAndLeavesViewfinderModeOff) {
  Open("refuse = EdsSetPropertyData:0x501 1 0x2019\n");
  EXPECT_EQ(Raised([&] { remote_->RemoteStartViewfinder(false); }),
            "EdsSetPropertyData, kEdsPropID_Evf_Mode errorcode 0x00002019, PTP device busy");
  EXPECT_FALSE(remote_->ViewfinderPolling());
  EXPECT_EQ(Raised([&] { remote_->RemoteActivateViewfinderAuto(true); }), "Camera not in viewfinder mode");
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, "), 0) << "no output device without live view";
}

// A camera without live view refuses the first switch, and nothing polls.
TEST_F(LiveView, CameraWithoutLiveViewRefusesTheStart) {
  Open("live_view = no\n");
  const std::string message = Raised([&] { remote_->RemoteStartViewfinder(false); });
  EXPECT_EQ(message.rfind("EdsSetPropertyData, kEdsPropID_Evf_Mode errorcode 0x", 0), 0u) << message;
  EXPECT_FALSE(remote_->ViewfinderPolling());
  EXPECT_EQ(Raised([&] { remote_->RemoteSetViewfinderZoom(RemoteViewFinderZoomx5); }), "Camera not in viewfinder mode");
}

// A refusal that outlasts every retry: seven writes in about five seconds, then the
// message with the operation's text. Movie recording shares the write with the output
// device.
TEST_F(LiveView, MovieRecordingRefusedThroughAllRetriesRaisesOnce) {
  Open("refuse = EdsSetPropertyData:0x510 1-\n");
  const DWORD start = GetTickCount();
  EXPECT_EQ(Raised([&] { remote_->RemoteStartMovieRecording(); }),
            "EdsSetPropertyData, kEdsPropID_Record - start errorcode 0x00000081, Device busy");
  EXPECT_GE(GetTickCount() - start, 4900u);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x510, 0, 0x4, ptr) = 0x00000081"), 7);
  // Recording stayed off.
  EXPECT_EQ(Raised([&] { remote_->RemoteEndMovieRecording(); }), "Camera not in movie recording mode");
}

TEST_F(LiveView, MovieRecordingStartsAndEnds) {
  Open("refuse = EdsSetPropertyData:0x510 1\n");
  remote_->RemoteStartMovieRecording();
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x510, 0, 0x4, ptr) = 0x00000081"), 1);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x510, 0, 0x4, ptr) = 0x00000000"), 1) << "the retry";
  EXPECT_EQ(Raised([&] { remote_->RemoteStartMovieRecording(); }), "Camera already in recording mode");
  remote_->RemoteEndMovieRecording();
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x510, 0, 0x4, ptr) = 0x00000000"), 2);
  EXPECT_EQ(Raised([&] { remote_->RemoteEndMovieRecording(); }), "Camera not in movie recording mode");
  // A new remote start ends the component's recording mode.
  remote_->RemoteStartMovieRecording();
  remote_->RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, u"");
  EXPECT_EQ(Raised([&] { remote_->RemoteEndMovieRecording(); }), "Camera not in movie recording mode");
}

// --- Frames ----------------------------------------------------------------------------

TEST_F(LiveView, PolledFramesAreMovingJpegsOfTheCamerasSizeWithMetadata) {
  Open();
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(3));
  for (size_t i = 0; i < 3; ++i) {
    const Frame& f = frames_[i];
    const auto image = sim::DecodeJpeg(f.jpeg.data(), f.jpeg.size());
    ASSERT_TRUE(image) << "frame " << i;
    EXPECT_EQ(image->width, kFrameWidth);
    EXPECT_EQ(image->height, kFrameHeight);
    EXPECT_TRUE(f.meta.Valid);
    EXPECT_EQ(f.meta.CoordSystem.Width, kSensor.width);
    EXPECT_EQ(f.meta.CoordSystem.Height, kSensor.height);
    EXPECT_EQ(f.meta.ZoomRect.Rect.Width, kSensor.width / 5);
    EXPECT_EQ(f.meta.ZoomRect.Rect.Height, kSensor.height / 5);
    EXPECT_EQ(f.meta.ZoomRect.Point.X, f.meta.ZoomPosition.X);
    EXPECT_EQ(f.meta.ImagePosition.X, 0) << "at fit the image starts at the corner";
    for (const auto& row : f.meta.Histogram) EXPECT_EQ(Count(row), kFrameWidth * kFrameHeight);
  }
  EXPECT_NE(frames_[0].jpeg, frames_[1].jpeg);
  EXPECT_NE(frames_[1].jpeg, frames_[2].jpeg);
  // The scene is a grey-ish chart: its blue and red counts differ from its luminance.
  EXPECT_NE(frames_[0].meta.Histogram[HistogramBlue], frames_[0].meta.Histogram[HistogramLuminance]);
}

TEST_F(LiveView, NoHandlerNoDownload) {
  Open();
  remote_->OnViewfinderEvent = nullptr;
  remote_->RemoteStartViewfinder(false);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 0);
  EXPECT_TRUE(remote_->ViewfinderPolling());
}

TEST_F(LiveView, UnreadableHistogramKeepsThePreviousRowUnreadableZoomReadsZero) {
  Open("refuse = EdsGetPropertyData:0x518 2\nrefuse = EdsGetPropertyData:0x541 2\n");
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(3));
  EXPECT_EQ(frames_[1].meta.Histogram[HistogramBlue], frames_[0].meta.Histogram[HistogramBlue]);
  EXPECT_EQ(Count(frames_[1].meta.Histogram[HistogramBlue]), kFrameWidth * kFrameHeight) << "kept, not cleared";
  EXPECT_EQ(frames_[1].meta.ZoomRect.Rect.Width, 0);
  EXPECT_EQ(frames_[1].meta.ZoomRect.Point.X, 0);
  EXPECT_EQ(frames_[1].meta.ZoomPosition.X, frames_[0].meta.ZoomPosition.X) << "read as usual";
  EXPECT_EQ(frames_[2].meta.ZoomRect.Rect.Width, kSensor.width / 5);
}

TEST_F(LiveView, OnRequestOneFramePerRequest) {
  Open({}, 0);
  remote_->RemoteStartViewfinder(false);
  EXPECT_FALSE(remote_->ViewfinderPolling());
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(frames_.empty());

  EXPECT_FALSE(remote_->RemoteGetViewfinderImage());
  EXPECT_FALSE(remote_->RemoteGetViewfinderImage());  // already pending: adds nothing
  ASSERT_TRUE(WaitForFrames(1, 1000));
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(frames_.size(), 1u);
  EXPECT_FALSE(remote_->ViewfinderPolling());

  remote_->RemoteGetViewfinderImage();
  ASSERT_TRUE(WaitForFrames(2, 1000));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(frames_.size(), 2u);
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 2);
}

// In the continuous mode a request switches polling to the request's 50 ms until live
// view is started again.
TEST_F(LiveView, ARequestWhilePollingKeepsPollingAtTheRequestInterval) {
  Open({}, 1000);
  remote_->RemoteStartViewfinder(false);
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(frames_.empty()) << "the first tick is a second away";
  remote_->RemoteGetViewfinderImage();
  EXPECT_TRUE(WaitForFrames(3, 700)) << frames_.size();
  EXPECT_TRUE(remote_->ViewfinderPolling());
  remote_->RemoteStartViewfinder(false);
  const size_t seen = frames_.size();
  PumpUntil([] { return false; }, 400);
  EXPECT_LE(frames_.size(), seen + 1) << "back at a second";
}

// Live view's first frame is asked for at its own short interval while the camera answers
// "not ready", and the poll then goes on at the refresh interval; a restart asks quickly
// again.
TEST_F(LiveView, TheFirstFrameIsAskedForQuicklyThenAtTheRefreshInterval) {
  Open("refuse = EdsDownloadEvfImage 1-5 0xA102\nrefuse = EdsDownloadEvfImage 7-9 0xA102\n", 1000);
  remote_->SetEOSViewfinderFirstFrameInterval(20);
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(1, 900)) << "six asks 20 ms apart, not six seconds";
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 6);
  PumpUntil([] { return false; }, 400);
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 6) << "the next ask is a second away";

  remote_->RemoteStopViewfinder();
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(2, 900)) << "a new start asks quickly again";
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 10);
  PumpUntil([] { return false; }, 400);
  EXPECT_EQ(frames_.size(), 2u);
}

TEST_F(LiveView, ANewRefreshIntervalTakesEffectWhilePolling) {
  Open({}, 1000);
  remote_->RemoteStartViewfinder(false);
  remote_->SetEOSViewfinderRefreshInterval(30);
  EXPECT_TRUE(WaitForFrames(3, 700)) << frames_.size() << " frames: still polling once a second";
  remote_->SetEOSViewfinderRefreshInterval(1000);
  const size_t seen = frames_.size();
  PumpUntil([] { return false; }, 400);
  EXPECT_LE(frames_.size(), seen + 1) << "back at a second";
}

// --- What a download result does -------------------------------------------------------

TEST_F(LiveView, NotReadyBusyAndInvalidHandleSkipTheFrameSilently) {
  Open(
      "refuse = EdsDownloadEvfImage 1 0xA102\n"
      "refuse = EdsDownloadEvfImage 2 0x81\n"
      "refuse = EdsDownloadEvfImage 3 0x61\n");
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(2));
  const int frames = static_cast<int>(frames_.size());
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), frames + 3);
  EXPECT_TRUE(remote_->ViewfinderPolling());
  // Only downloaded frames have their metadata read.
  EXPECT_EQ(Calls("EdsGetPropertyData", ", 0x541, 0, 0x10, ptr)"), frames);
  EXPECT_EQ(Calls("EdsGetPropertyData", ", 0x515, 0, 0x400, ptr)"), frames);
}

TEST_F(LiveView, DisconnectedStopsPollingUntilStartedAgain) {
  Open("refuse = EdsDownloadEvfImage 1 0xC1\n");
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(PumpUntil([&] { return !remote_->ViewfinderPolling(); }, 2000));
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(frames_.empty());
  EXPECT_EQ(Calls("EdsDownloadEvfImage"), 1);
  remote_->RemoteStartViewfinder(false);
  EXPECT_TRUE(WaitForFrames(1));
}

// A frame the handler refuses, or a download the camera refuses with another code, ends
// that tick only: the SDK objects go back and the next tick brings a frame.
TEST_F(LiveView, AFailedTickReleasesItsObjectsAndPollingGoesOn) {
  Open("refuse = EdsDownloadEvfImage 2 0x2\n");
  int calls = 0;
  remote_->OnViewfinderEvent = [&](JpegBytes jpeg, const ViewfinderPositionType& meta) {
    if (++calls == 1) throw ECamException(u"frame cannot be shown");
    frames_.push_back({std::vector<std::uint8_t>(jpeg.begin(), jpeg.end()), meta});
  };
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(2));
  EXPECT_TRUE(remote_->ViewfinderPolling());
  EXPECT_EQ(Calls("EdsDownloadEvfImage", " = 0x00000002"), 1);
  EXPECT_EQ(calls, static_cast<int>(frames_.size()) + 1);
  // Close() then finds every image and stream of the failed ticks given back.
}

// A handler that lets messages run lets the next tick in while its frame is still out;
// each depth has its own bytes, and both stay intact.
TEST_F(LiveView, ANestedTickDeliversItsOwnBytes) {
  Open();
  bool nested_seen = false;
  int depth = 0;
  remote_->OnViewfinderEvent = [&](JpegBytes jpeg, const ViewfinderPositionType& meta) {
    const std::vector<std::uint8_t> mine(jpeg.begin(), jpeg.end());
    frames_.push_back({mine, meta});
    if (depth > 0) {
      nested_seen = true;
      return;
    }
    ++depth;
    PumpUntil([&] { return nested_seen; }, 2000);
    --depth;
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), mine.begin(), mine.end())) << "the outer frame was overwritten";
  };
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(PumpUntil([&] { return nested_seen && depth == 0; }));
  ASSERT_GE(frames_.size(), 2u);
  EXPECT_NE(frames_[0].jpeg, frames_[1].jpeg);
}

// A handler may free the component that called it (a dialog closing on a frame): the
// tick then touches nothing of the component and still gives the SDK its objects back.
TEST_F(LiveView, AHandlerMayFreeItsComponent) {
  Open();
  int calls = 0;
  remote_->OnViewfinderEvent = [&](JpegBytes jpeg, const ViewfinderPositionType&) {
    ++calls;
    EXPECT_FALSE(jpeg.empty());
    remote_.reset();
  };
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(PumpUntil([&] { return !remote_; }));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(calls, 1);
  const std::string trace = Trace();
  const size_t last_download = trace.rfind("EdsDownloadEvfImage(");
  ASSERT_NE(last_download, std::string::npos);
  const std::string after = trace.substr(last_download);
  int released = 0;
  for (size_t at = after.find("\nEdsRelease("); at != std::string::npos; at = after.find("\nEdsRelease(", at + 1)) {
    ++released;
    EXPECT_EQ(after.substr(after.find(") = ", at), 14), ") = 0x00000000");
  }
  EXPECT_EQ(released, 2) << "the image and the stream of the last tick" << after;
}

// --- Live-view settings ----------------------------------------------------------------

TEST_F(LiveView, LensDriveMovesTheFocusAndFocusFramesFollow) {
  Open();
  remote_->RemoteStartViewfinder(false);
  ASSERT_TRUE(WaitForFrames(1));
  const auto blurred = sim::DecodeJpeg(frames_.back().jpeg.data(), frames_.back().jpeg.size());
  ASSERT_TRUE(blurred);

  AFFocusInfoType info = remote_->RemoteGetViewfinderAutofocusInfo();
  EXPECT_EQ(info.PictureSize.Width, kSensor.width);
  EXPECT_EQ(info.PictureSize.Height, kSensor.height);
  EXPECT_EQ(info.NrOfFrames, 9);
  for (int i = 0; i < kAFFrameCount; ++i) EXPECT_EQ(info.Frames[i].FrameUsed, i < 9) << i;
  EXPECT_TRUE(info.Frames[4].FrameValid) << "the middle point is the selected one";
  EXPECT_FALSE(info.Frames[0].FrameValid);
  EXPECT_FALSE(info.Frames[4].FrameSelected) << "out of focus at first";

  // Two big steps towards far bring the lens to the chart's distance.
  remote_->RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensFar3);
  remote_->RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensFar3);
  EXPECT_EQ(Calls("EdsSendCommand", ", 0x103, 32771) = 0x00000000"), 2);
  info = remote_->RemoteGetViewfinderAutofocusInfo();
  EXPECT_TRUE(info.Frames[4].FrameSelected) << "in focus now";

  const size_t seen = frames_.size();
  ASSERT_TRUE(WaitForFrames(seen + 2));  // one frame may have been under way
  const auto sharp = sim::DecodeJpeg(frames_.back().jpeg.data(), frames_.back().jpeg.size());
  ASSERT_TRUE(sharp);
  EXPECT_GT(sim::FocusFigure(*sharp), 1.5 * sim::FocusFigure(*blurred));

  // NotUsed is the smallest step towards near.
  remote_->RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensNotUsed);
  EXPECT_EQ(Calls("EdsSendCommand", ", 0x103, 1) = 0x00000000"), 1);
  info = remote_->RemoteGetViewfinderAutofocusInfo();
  EXPECT_TRUE(info.Frames[4].FrameSelected) << "one small step keeps the chart in focus";
}

TEST_F(LiveView, SettingsReachTheCameraAndReadBack) {
  Open();
  remote_->RemoteStartViewfinder(false);

  remote_->RemoteSetViewfinderWhitebalance(100, 50);
  EXPECT_EQ(Calls("EdsSendCommand", ", 0x104, 6553650) = 0x00000000"), 1) << "0x00640032";
  remote_->RemoteActivateViewfinderAuto(false);
  EXPECT_EQ(Calls("EdsSendCommand", ", 0x102, 0) = 0x00000000"), 1);
  remote_->RemoteActivateViewfinderAuto(true);
  EXPECT_EQ(Calls("EdsSendCommand", ", 0x102, 1) = 0x00000000"), 1);

  for (const RemoteViewFinderAFModeType mode : {RemoteViewFinderAFModeLiveFace, RemoteViewFinderAFModeLiveMulti,
                                                RemoteViewFinderAFModeLive, RemoteViewFinderAFModeQuick}) {
    remote_->RemoteSetViewfinderAutofocusMode(mode);
    EXPECT_EQ(remote_->RemoteGetViewfinderAutofocusMode(), mode);
  }
  remote_->RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeNotUsed);
  EXPECT_EQ(remote_->RemoteGetViewfinderAutofocusMode(), RemoteViewFinderAFModeQuick);

  EXPECT_FALSE(remote_->RemoteGetViewfinderDepthOfFieldPreview());
  remote_->RemoteSetViewfinderDepthOfFieldPreview(true);
  EXPECT_TRUE(remote_->RemoteGetViewfinderDepthOfFieldPreview());
  remote_->RemoteSetViewfinderDepthOfFieldPreview(false);
  EXPECT_FALSE(remote_->RemoteGetViewfinderDepthOfFieldPreview());

  remote_->RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_OutputDevice), kEdsEvfOutputDevice_PC | kEdsEvfOutputDevice_TFT);
  remote_->RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD);  // already on: not written again
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, "), 2);
  remote_->RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, "), 2);
  remote_->RemoteSetViewfinderOutput(RemoteViewFinderOutputOff);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_OutputDevice), kEdsEvfOutputDevice_PC);

  // Zoom five times into a corner: the frames say so.
  remote_->RemoteSetViewfinderZoom(RemoteViewFinderZoomx5);
  remote_->RemoteSetViewfinderZoomPosition(1000, 600);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_Zoom), 5u);
  frames_.clear();
  ASSERT_TRUE(WaitForFrames(2));
  const ViewfinderPositionType& zoomed = frames_.back().meta;
  EXPECT_EQ(zoomed.ZoomPosition.X, 1000);
  EXPECT_EQ(zoomed.ZoomPosition.Y, 600);
  EXPECT_EQ(zoomed.ImagePosition.X, 1000);
  remote_->RemoteSetViewfinderZoom(RemoteViewFinderZoomx10);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_Zoom), 10u);
  remote_->RemoteSetViewfinderZoom(RemoteViewFinderZoomFit);
  EXPECT_EQ(CameraValue(kEdsPropID_Evf_Zoom), 1u);
}

// Each checked call refused once: the message names the call as the backend reports it;
// the same call then goes through. The two readers never raise.
TEST_F(LiveView, RefusedCallsRaiseTheirMessages) {
  Open(
      "refuse = EdsSendCommand:0x103 1\n"
      "refuse = EdsSendCommand:0x104 1\n"
      "refuse = EdsSendCommand:0x102 1 0x8D01\n"
      "refuse = EdsSetPropertyData:0x50E 1\n"
      "refuse = EdsSetPropertyData:0x507 1\n"
      "refuse = EdsSetPropertyData:0x508 1\n"
      "refuse = EdsSetPropertyData:0x504 1\n"
      "refuse = EdsGetPropertyData:0x504 1\n"
      // The first read of the output device is remote start's.
      "refuse = EdsGetPropertyData:0x500 2\n"
      "refuse = EdsGetPropertyData:0x50E 1\n"
      "refuse = EdsGetPropertyData:0x104 1\n");
  remote_->RemoteStartViewfinder(false);
  struct Case {
    const char* message;
    std::function<void(TCamRemote&)> call;
  };
  const Case cases[] = {
      {"EdsSendCommand errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensFar1); }},
      {"EdsSendCommand errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderWhitebalance(10, 10); }},
      {"EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed",
       [](TCamRemote& r) { r.RemoteActivateViewfinderAuto(true); }},
      {"EdsSetPropertyData, kEdsPropID_Evf_AFMode errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeLive); }},
      {"EdsSetPropertyData, kEdsPropID_Evf_Zoom errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderZoom(RemoteViewFinderZoomx5); }},
      {"EdsSetPropertyData, kEdsPropID_Evf_ZoomPosition errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderZoomPosition(10, 10); }},
      {"EdsSetPropertyData, kEdsPropID_Evf_DepthOfFieldPreview errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderDepthOfFieldPreview(true); }},
      {"EdsGetPropertyData, kEdsPropID_Evf_DepthOfFieldPreview errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteGetViewfinderDepthOfFieldPreview(); }},
      {"EdsGetPropertyData, kEdsPropID_Evf_OutputDevice errorcode 0x00000081, Device busy",
       [](TCamRemote& r) { r.RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD); }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Raised([&] { c.call(*remote_); }), c.message);
    EXPECT_EQ(Raised([&] { c.call(*remote_); }), "") << c.message;
  }
  EXPECT_EQ(remote_->RemoteGetViewfinderAutofocusMode(), RemoteViewFinderAFModeNotUsed);
  EXPECT_EQ(remote_->RemoteGetViewfinderAutofocusMode(), RemoteViewFinderAFModeLive);
  const AFFocusInfoType empty = remote_->RemoteGetViewfinderAutofocusInfo();
  EXPECT_EQ(empty.NrOfFrames, 0);
  EXPECT_EQ(empty.PictureSize.Width, 0);
  EXPECT_FALSE(empty.Frames[0].FrameUsed);
  EXPECT_EQ(remote_->RemoteGetViewfinderAutofocusInfo().NrOfFrames, 9);
}

// The stop never raises: both writes are made whatever the camera answers.
TEST_F(LiveView, StopIgnoresRefusals) {
  Open("refuse = EdsSetPropertyData:0x500 2 0x2\nrefuse = EdsSetPropertyData:0x501 2 0x2\n");
  remote_->RemoteStartViewfinder(false);
  EXPECT_EQ(Raised([&] { remote_->RemoteStopViewfinder(); }), "");
  EXPECT_FALSE(remote_->ViewfinderPolling());
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x501, 0, 0x4, ptr) = 0x00000002"), 1);
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, 0, 0x4, ptr) = 0x00000002"), 1);
}

// --- Guards ----------------------------------------------------------------------------

TEST(LiveViewGuards, WithoutCameraOrModes) {
  TCamRemote remote;
  struct Case {
    const char* message;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"Camera not in remote mode", [&] { remote.RemoteStartViewfinder(false); }},
      {"", [&] { remote.RemoteStopViewfinder(); }},
      {"No camera is connected", [&] { remote.RemoteGetViewfinderImage(); }},
      {"Camera not in remote mode", [&] { remote.RemoteStartMovieRecording(); }},
      {"Camera not in movie recording mode", [&] { remote.RemoteEndMovieRecording(); }},
      {"Camera not in viewfinder mode", [&] { remote.RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensNear1); }},
      {"Camera not in viewfinder mode", [&] { remote.RemoteSetViewfinderOutput(RemoteViewFinderOutputLCD); }},
      {"Camera not in viewfinder mode", [&] { remote.RemoteGetViewfinderAutofocusInfo(); }},
  };
  for (const Case& c : cases) EXPECT_EQ(Raised(c.call), c.message);
  EXPECT_FALSE(remote.ViewfinderPolling());
}

TEST_F(LiveView, SettingsBeforeLiveViewAreRefused) {
  Open({}, 0);
  EXPECT_EQ(Raised([&] { remote_->RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensFar3); }),
            "Camera not in viewfinder mode");
  EXPECT_EQ(Raised([&] { remote_->RemoteStopViewfinder(); }), "");
  EXPECT_EQ(Calls("EdsSetPropertyData", ", 0x500, ") + Calls("EdsSetPropertyData", ", 0x501, "), 0)
      << "stopping before starting touches nothing";
  // A frame may be asked for without viewfinder mode: the camera answers not ready.
  remote_->RemoteGetViewfinderImage();
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(frames_.empty());
  EXPECT_EQ(Calls("EdsDownloadEvfImage", " = 0x0000A102"), 1) << "no live view yet: not ready";
}

// --- Figures ---------------------------------------------------------------------------

// Not a check but a measurement, run by hand with --gtest_also_run_disabled_tests: the
// cost of one frame fetched through the SDK directly, and of one polling tick of the
// component (the same SDK work, the copy and the handler call), with a handler that does
// nothing, and the frame rate of polling at the shortest interval.
TEST_F(LiveView, DISABLED_PollingFigures) {
  Open({}, 1);
  LARGE_INTEGER frequency, t0, t1;
  QueryPerformanceFrequency(&frequency);
  const auto ms = [&](LONGLONG ticks) {
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
  };

  remote_->RemoteStartViewfinder(false);
  remote_->SetEOSViewfinderRefreshInterval(1);
  remote_->RemoteStopViewfinder();  // the timer off; live view stays on in the camera
  EXPECT_EQ(EdsSetPropertyData(remote_->EDSDK().CameraDevice(), kEdsPropID_Evf_Mode, 0, 4, &kOn), EDS_ERR_OK);
  EXPECT_EQ(EdsSetPropertyData(remote_->EDSDK().CameraDevice(), kEdsPropID_Evf_OutputDevice, 0, 4, &kPc), EDS_ERR_OK);
  // The download (the stand-in renders and encodes the frame in it) timed apart from the
  // rest of a tick's SDK work and the one copy of the bytes.
  constexpr int kDirect = 100;
  double download_ms = 0, rest_ms = 0;
  std::vector<std::uint8_t> copy;
  for (int i = 0; i < kDirect; ++i) {
    EdsStreamRef stream = nullptr;
    EdsEvfImageRef image = nullptr;
    LARGE_INTEGER a, b, c, d;
    QueryPerformanceCounter(&a);
    EdsCreateMemoryStream(0, &stream);
    EdsCreateEvfImageRef(stream, &image);
    QueryPerformanceCounter(&b);
    EdsDownloadEvfImage(remote_->EDSDK().CameraDevice(), image);
    QueryPerformanceCounter(&c);
    for (const EdsPropertyID id : {0x508u, 0x541u, 0x50Bu, 0x540u}) {
      std::uint8_t buf[16];
      EdsGetPropertyData(image, id, 0, id == 0x541u ? 16 : 8, buf);
    }
    for (const EdsPropertyID id : {0x518u, 0x516u, 0x517u, 0x515u}) {
      std::uint32_t counts[256];
      EdsGetPropertyData(image, id, 0, sizeof counts, counts);
    }
    EdsVoid* data = nullptr;
    EdsUInt64 length = 0;
    EdsGetPointer(stream, &data);
    EdsGetLength(stream, &length);
    copy.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + length);
    EdsRelease(image);
    EdsRelease(stream);
    QueryPerformanceCounter(&d);
    download_ms += ms(c.QuadPart - b.QuadPart);
    rest_ms += ms(b.QuadPart - a.QuadPart) + ms(d.QuadPart - c.QuadPart);
  }

  size_t frames = 0, bytes = 0;
  remote_->OnViewfinderEvent = [&](JpegBytes jpeg, const ViewfinderPositionType&) {
    ++frames;
    bytes += jpeg.size();
  };
  remote_->RemoteStartViewfinder(false);
  double in_ticks_ms = 0;
  const DWORD start = GetTickCount();
  QueryPerformanceCounter(&t0);
  while (GetTickCount() - start < 3000) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      continue;
    }
    const size_t before = frames;
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    DispatchMessageW(&msg);
    QueryPerformanceCounter(&b);
    if (frames != before) in_ticks_ms += ms(b.QuadPart - a.QuadPart);
  }
  QueryPerformanceCounter(&t1);
  ASSERT_GT(frames, 0u);
  std::printf("direct: download %.3f ms, the rest of a tick's SDK calls and the copy %.3f ms per frame\n",
              download_ms / kDirect, rest_ms / kDirect);
  std::printf("polling at 1 ms: %zu frames in %.0f ms, %.1f frames/s, %.0f bytes per frame\n", frames,
              ms(t1.QuadPart - t0.QuadPart), 1000.0 * static_cast<double>(frames) / ms(t1.QuadPart - t0.QuadPart),
              static_cast<double>(bytes) / static_cast<double>(frames));
  std::printf("one polling tick with its frame, all in: %.3f ms\n", in_ticks_ms / static_cast<double>(frames));
}

// --- A failed tick in the component log ------------------------------------------------

// Run only inside a copy of this program, by TickFailures below: the download refused
// once with code 2, then the first frame refused by its handler; polling goes on.
TEST(LiveViewChild, DISABLED_FailedTicks) {
  StandInCamera camera("refuse = EdsDownloadEvfImage 1 0x2\n");
  TCamRemote remote;
  remote.SetEOSViewfinderRefreshInterval(30);
  remote.OpenCameraEnumeration();
  remote.Connect(CamModEOS, 0);
  remote.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, u"");
  int frames = 0;
  remote.OnViewfinderEvent = [&](JpegBytes, const ViewfinderPositionType&) {
    if (++frames == 1) throw ECamException(u"frame cannot be shown");
  };
  remote.RemoteStartViewfinder(false);
  EXPECT_TRUE(PumpUntil([&] { return frames >= 3; }));
  EXPECT_TRUE(remote.ViewfinderPolling());
  remote.RemoteStopViewfinder();
  remote.RemoteEnd();
  remote.Disconnect();
  remote.CloseCameraEnumeration();
}

// A tick's failure has nobody to return to: it is written to the component log, which
// lives beside the program, so the failing run happens in a copy in a folder of its own.
TEST(LiveViewLog, TickFailuresAreLoggedWithTheirMessages) {
  TempDir dir;
  const Text program = dir.path() + u"liveview_child.exe";
  const Text sdk_folder = dir.path() + u"Canon_EOS_SDK_redist\\";
  ASSERT_TRUE(CopyFileW(win::W(win::ThisModulePath()), win::W(program), FALSE));
  ASSERT_TRUE(CreateDirectoryW(win::W(sdk_folder), nullptr));
  ASSERT_TRUE(CopyFileW(win::W(ProgramFolder() + u"Canon_EOS_SDK_redist\\EDSDK.DLL"), win::W(sdk_folder + u"EDSDK.DLL"),
                        FALSE));
  const Text log_path = dir.path() + u"camremotelog.txt";
  WriteFileBytes(log_path, "");  // the log is written only when it exists

  const ProcessResult r = RunProcess(
      u"\"" + program + u"\" --gtest_also_run_disabled_tests --gtest_filter=LiveViewChild.DISABLED_FailedTicks");
  ASSERT_EQ(r.exit_code, 0u) << r.out << r.err;
  const std::string log = ReadFileBytes(log_path);
  EXPECT_NE(log.find(" TimerEOSViewfinderTimer - EdsDownloadEvfImage errorcode 0x00000002, Internal error\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" TimerEOSViewfinderTimer - frame cannot be shown\r\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace eos::test
