// Live view polling of the remote component: the viewfinder switches with their guards,
// the polling timer that fetches one frame per tick (continuously, or once on request),
// and movie recording.
#include <cstddef>
#include <exception>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/EDSDKOwners.h"
#include "Sources/core/EvfCodes.h"
#include "camremote/CamRemote.h"
#include "camremote/cam_log.h"
#include "win/log_file.h"

namespace eos {

namespace {

// The interval of a tick armed by RemoteGetViewfinderImage.
constexpr unsigned kRequestDelayMs = 50;

// An EOS camera gets the work; no camera refuses; the other families do nothing.
bool ConnectedEOS(CamModType model) {
  if (model == CamModNone) throw ECamException(u"No camera is connected");
  return model == CamModEOS;
}

// The two SDK objects of one tick.
struct EvfTickObjects {
  SdkRef stream;
  SdkRef image;

  struct Refusal {
    EdsError result = EDS_ERR_OK;
    const char16_t* what = u"";
  };
  // Gives back whatever was created, the image first; the first refusal, if any.
  Refusal Release() {
    const EdsError image_result = image.Release();
    const EdsError stream_result = stream.Release();
    if (image_result != EDS_ERR_OK) return {image_result, u"EdsRelease(evfImage)"};
    return {stream_result, u"EdsRelease(stream)"};
  }
};

// The metadata of a downloaded frame. The zoom and position fields read as zeros when
// the camera does not give them; a histogram row it does not give keeps the previous
// frame's counts. Refused reads are not errors.
void ReadEvfMetadata(EdsEvfImageRef image, ViewfinderPositionType& metadata) {
  EdsPoint zoom_position{}, image_position{};
  EdsRect zoom_rect{};
  EdsSize coords{};
  GetProperty(image, kEdsPropID_Evf_ZoomPosition, zoom_position);
  GetProperty(image, kEdsPropID_Evf_ZoomRect, zoom_rect);
  GetProperty(image, kEdsPropID_Evf_ImagePosition, image_position);
  GetProperty(image, kEdsPropID_Evf_CoordinateSystem, coords);
  metadata.ZoomPosition = {zoom_position.x, zoom_position.y};
  metadata.ZoomRect = {{zoom_rect.point.x, zoom_rect.point.y}, {zoom_rect.size.width, zoom_rect.size.height}};
  metadata.ImagePosition = {image_position.x, image_position.y};
  metadata.CoordSystem = {coords.width, coords.height};

  struct HistogramSource {
    HistogramRow row;
    EdsPropertyID id;
  };
  static constexpr HistogramSource kHistograms[] = {
      {HistogramBlue, kEdsPropID_Evf_HistogramB},
      {HistogramRed, kEdsPropID_Evf_HistogramR},
      {HistogramGreen, kEdsPropID_Evf_HistogramG},
      {HistogramLuminance, kEdsPropID_Evf_HistogramY},
  };
  for (const HistogramSource& h : kHistograms) {
    HistogramType::value_type counts;
    if (GetProperty(image, h.id, counts) == EDS_ERR_OK) metadata.Histogram[h.row] = counts;
  }
}

}  // namespace

void TCamRemote::RemoteStartViewfinder(bool) {
  RequireRemoteMode();
  if (!ConnectedEOS(mCameraInfo.CameraModel)) return;
  mEDSDK->RemoteStartViewfinder();
  mRemoteViewfinderEnabled = true;
  mEOSViewfinderAction = false;
  mEOSViewfinderAwaitingFirst = true;
  Step(StartupStep::kLiveViewOn);
  if (mEOSViewfinderRefresh > 0) {
    TimerEOSViewfinder.SetInterval(
        static_cast<unsigned>(mEOSViewfinderFirstFrame > 0 ? mEOSViewfinderFirstFrame : mEOSViewfinderRefresh));
    TimerEOSViewfinder.SetEnabled(true);
  }
}

void TCamRemote::SetEOSViewfinderRefreshInterval(std::int32_t ms) {
  mEOSViewfinderRefresh = ms;
  // Not while a request or the first frame sets the pace; an interval of 0 ends the poll
  // at its next tick.
  const bool first_sets_pace = mEOSViewfinderAwaitingFirst && mEOSViewfinderFirstFrame > 0;
  if (ms > 0 && TimerEOSViewfinder.Enabled() && !mEOSViewfinderAction && !first_sets_pace)
    TimerEOSViewfinder.SetInterval(static_cast<unsigned>(ms));
}

void TCamRemote::RemoteStopViewfinder() {
  if (!mRemoteViewfinderEnabled || mCameraInfo.CameraModel != CamModEOS) return;
  TimerEOSViewfinder.SetEnabled(false);
  mEDSDK->RemoteStopViewfinder();
}

bool TCamRemote::RemoteGetViewfinderImage() {
  if (ConnectedEOS(mCameraInfo.CameraModel) && !mEOSViewfinderAction) {
    mEOSViewfinderAction = true;
    TimerEOSViewfinder.SetInterval(kRequestDelayMs);
    TimerEOSViewfinder.SetEnabled(true);
  }
  return false;  // the frame follows through OnViewfinderEvent
}

void TCamRemote::RemoteStartMovieRecording() {
  RequireRemoteMode();
  if (mRemoteMovieRecordingEnabled) throw ECamException(u"Camera already in recording mode");
  if (!ConnectedEOS(mCameraInfo.CameraModel)) return;
  mEDSDK->RemoteStartMovieRecording();
  mRemoteMovieRecordingEnabled = true;
}

void TCamRemote::RemoteEndMovieRecording() {
  if (!mRemoteMovieRecordingEnabled) throw ECamException(u"Camera not in movie recording mode");
  if (!ConnectedEOS(mCameraInfo.CameraModel)) return;
  mEDSDK->RemoteEndMovieRecording();
  mRemoteMovieRecordingEnabled = false;
}

// One tick: one frame downloaded, its metadata read, its bytes handed to
// OnViewfinderEvent. A failure has nobody to return to here: it goes to the component log
// and the timer carries on, so in the continuous mode the next tick tries again.
void TCamRemote::TimerEOSViewfinderTimer() {
  // The handler may free this component; after it returns only this flag is safe to read.
  const std::shared_ptr<bool> alive = mAlive;
  try {
    if (mEOSViewfinderRefresh == 0) TimerEOSViewfinder.SetEnabled(false);  // a request is one frame
    if (!OnViewfinderEvent || mCameraInfo.CameraModel == CamModNone) return;

    // The bytes go once from the SDK's stream into this nesting depth's buffer, which
    // keeps its capacity from frame to frame; the handler sees them only during the call.
    const auto deliver = [&](EdsEvfImageRef image, EdsStreamRef stream) {
      mViewfinderMetadata.Valid = true;
      ReadEvfMetadata(image, mViewfinderMetadata);
      EdsVoid* data = nullptr;
      EdsUInt64 length = 0;
      mEDSDK->EDSDKCheck(EdsGetPointer(stream, &data), u"EdsGetPointer");
      mEDSDK->EDSDKCheck(EdsGetLength(stream, &length), u"EdsGetLength");
      // A handler that replaces itself must not pull the running function away.
      const TNotifyViewfinderEvent handler = OnViewfinderEvent;
      if (!handler) return;
      // A stream that claims bytes it cannot show has no frame to give.
      if (length > std::numeric_limits<std::size_t>::max() || (data == nullptr && length != 0)) return;
      const auto depth = static_cast<std::size_t>(mFrameDepth);
      if (mFrameBuffers.size() <= depth) mFrameBuffers.resize(depth + 1);
      std::vector<std::uint8_t>& buffer = mFrameBuffers[depth];
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      buffer.assign(bytes, bytes + static_cast<std::size_t>(length));
      const JpegBytes frame(buffer.data(), buffer.size());
      ++mFrameDepth;
      struct DepthGuard {
        TCamRemote* self;
        const std::shared_ptr<bool>& alive;
        ~DepthGuard() {
          if (*alive) --self->mFrameDepth;
        }
      } guard{this, alive};
      handler(frame, mViewfinderMetadata);
    };

    EvfTickObjects sdk_objects;
    std::exception_ptr failure;
    try {
      mEDSDK->EDSDKCheck(EdsCreateMemoryStream(0, sdk_objects.stream.out()), u"EdsCreateMemoryStream");
      mEDSDK->EDSDKCheck(EdsCreateEvfImageRef(sdk_objects.stream.get(), sdk_objects.image.out()),
                         u"EdsCreateEvfImageRef");
      if (mEOSViewfinderAwaitingFirst) Step(StartupStep::kFrameAsked);
      const EdsError downloaded = EdsDownloadEvfImage(mEDSDK->CameraDevice(), sdk_objects.image.get());
      switch (ClassifyEvfDownload(downloaded)) {
        case EvfDownloadOutcome::Frame:
          if (std::exchange(mEOSViewfinderAwaitingFirst, false)) {
            Step(StartupStep::kFrameReceived);
            if (mEOSViewfinderFirstFrame > 0 && !mEOSViewfinderAction && mEOSViewfinderRefresh > 0)
              TimerEOSViewfinder.SetInterval(static_cast<unsigned>(mEOSViewfinderRefresh));
          }
          deliver(sdk_objects.image.get(), sdk_objects.stream.get());
          break;
        case EvfDownloadOutcome::Skip:
          break;
        case EvfDownloadOutcome::Stop:
          TimerEOSViewfinder.SetEnabled(false);
          CameraGone();
          break;
        case EvfDownloadOutcome::Fail:
          if (downloaded == EDS_ERR_DEVICE_NOT_FOUND) CameraGone();
          throw ECamException(EvfDownloadErrorMessage(downloaded));
      }
    } catch (...) {
      failure = std::current_exception();
    }
    // Whatever happened, the SDK gets its objects back and a request counts as served; a
    // refused release is reported unless the tick failed already.
    const EvfTickObjects::Refusal released = sdk_objects.Release();
    if (!*alive) return;  // the handler freed this component
    mEOSViewfinderAction = false;
    if (failure) std::rethrow_exception(failure);
    mEDSDK->EDSDKCheck(released.result, released.what);
  } catch (...) {
    win::LogSwallowed(u"TimerEOSViewfinderTimer");
  }
}

}  // namespace eos
