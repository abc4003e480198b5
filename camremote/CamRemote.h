// TCamRemote: the camera remote component. One camera-independent interface for
// enumerating, connecting, remote mode, shooting, downloads, live view and parameters.
// Every operation checks its preconditions and raises ECamException with a fixed message
// when one fails; work for an EOS camera goes to the backend TEDSDK it owns. SDK
// notifications are queued by the handlers below and delivered one per tick of a 25 ms
// timer on the user-interface thread; live-view frames come from a polling timer.
//
// Everything here runs on the thread that created the component, inside its message loop.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "Sources/EDSDKApi.h"
#include "base/lumutils.h"
#include "base/text.h"
#include "camremote/core/CamDefines.h"
#include "camremote/core/startup_steps.h"
#include "camremote/version.h"
#include "edsdk/EDSDK.h"
#include "win/timer.h"

namespace eos {

// Published events. A handler left empty is not called.
using TNotifyCameraEvent = std::function<void(EventCallbackType Event)>;
using TNotifyRemoteEvent =
    std::function<void(RemoteEventCallbackType Event, const AdditionNotifyRemoteEventType& EventData)>;
// The JPEG bytes belong to the component and are valid only during the call.
using JpegBytes = std::span<const std::uint8_t>;
using TNotifyViewfinderEvent = std::function<void(JpegBytes Jpegdata, const ViewfinderPositionType& Metadata)>;
using TNotifyPercentEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyGetPictureEvent = TNotifyPercentEvent;
using TNotifyRemoteTakePictureEvent = TNotifyPercentEvent;
using TNotifyRemoteGetPictureEvent = TNotifyPercentEvent;
using TNotifyRemoteGetMovieEvent = TNotifyPercentEvent;
using TNotifyRemoteProbeParamEvent = TNotifyPercentEvent;
using TNotifyRawDevelopEvent = TNotifyPercentEvent;

// The notification queue: a kind and its payload per entry, first in first out.
enum NotifyQueueKind : std::uint8_t {
  NotifyQueueCameraEvent = 0,        // OnEvent
  NotifyQueueViewfinder = 1,         // never queued: frames are delivered directly
  NotifyQueueRemoteEvent = 2,        // OnRemoteEvent
  NotifyQueueRemoteTakePicture = 3,  // OnRemoteTakePictureEvent
  NotifyQueueRemoteGetPicture = 4,   // OnRemoteGetPictureEvent
  NotifyQueueRemoteGetMovie = 5,     // OnRemoteGetMovieEvent
  NotifyQueueGetPicture = 6,         // OnGetPictureEvent
  NotifyQueueRemoteProbeParam = 7,   // OnRemoteProbeParamEvent
  NotifyQueueRawDevelop = 8,         // OnRawDevelopEvent
};

struct RemoteEventPayload {
  RemoteEventCallbackType Event = RemoteEventCallbackNotUsed;
  AdditionNotifyRemoteEventType EventData;
};

struct NotifyQueueEntry {
  NotifyQueueKind Kind = NotifyQueueCameraEvent;
  std::variant<EventCallbackType, RemoteEventPayload, std::int32_t> Payload;
};

class TCamRemote {
 public:
  TCamRemote();
  ~TCamRemote();
  TCamRemote(const TCamRemote&) = delete;
  TCamRemote& operator=(const TCamRemote&) = delete;

  // --- Published properties and events ---
  float Version() const { return mCamRemoteVersion; }
  std::int32_t EOSViewfinderRefreshInterval() const { return mEOSViewfinderRefresh; }
  // A continuous poll that runs takes a new interval at once.
  void SetEOSViewfinderRefreshInterval(std::int32_t ms);
  // The interval of the ticks that ask for live view's first frame, from its start until
  // a frame comes; 0, the default, polls at the refresh interval from the start. A
  // camera's first frame comes a second or so after live view starts, and a short
  // interval shows it as soon as it is there.
  std::int32_t EOSViewfinderFirstFrameInterval() const { return mEOSViewfinderFirstFrame; }
  void SetEOSViewfinderFirstFrameInterval(std::int32_t ms) { mEOSViewfinderFirstFrame = ms; }
  ReleaseDataKindType ReleaseDataKind() const { return mReleaseDataKind; }
  ReleaseModeType ReleaseMode() const { return mReleaseMode; }

  TNotifyCameraEvent OnEvent;
  TNotifyViewfinderEvent OnViewfinderEvent;
  TNotifyRemoteEvent OnRemoteEvent;
  TNotifyRemoteTakePictureEvent OnRemoteTakePictureEvent;
  TNotifyRemoteGetPictureEvent OnRemoteGetPictureEvent;
  TNotifyRemoteGetMovieEvent OnRemoteGetMovieEvent;
  TNotifyGetPictureEvent OnGetPictureEvent;
  TNotifyRemoteProbeParamEvent OnRemoteProbeParamEvent;
  TNotifyRawDevelopEvent OnRawDevelopEvent;
  // Each step towards live view's first frame as it is reached (some more than once); it
  // must not throw.
  std::function<void(StartupStep step)> OnStartupStep;

  // --- Public, not published ---
  TEDSDK& EDSDK() { return *mEDSDK; }
  // The queue exists while an enumeration is open; entries are appended by the SDK
  // handlers and by the backend's probing, and taken by the notify timer.
  bool HasNotifyQueue() const { return mNotifyQueue.has_value(); }
  const std::deque<NotifyQueueEntry>* NotifyQueue() const { return mNotifyQueue ? &*mNotifyQueue : nullptr; }
  // Appends when the queue exists; dropped otherwise.
  void QueueNotification(NotifyQueueEntry entry);
  std::uint32_t InstanceNumber() const { return mInstanceNumber; }
  bool ViewfinderPolling() const { return TimerEOSViewfinder.Enabled(); }

  // --- Lifecycle and connection (CamRemote.cpp) ---
  CameraConnectedType OpenCameraEnumeration();
  // Lists the cameras again with the SDK kept running: after the connection's camera
  // went away and the connection was let go, to find it (or another) again.
  CameraConnectedType RelistCameras();
  void CloseCameraEnumeration();
  ConnectInfoType Connect(CamModType CameraType, std::int32_t CameraNumber);
  void Disconnect();

  // --- Dispatched operations (CamRemote.cpp) ---
  void SetTimeInCamera(const DateTime& TimeToSet);
  void SetOwnerName(TextView OwnerName);
  Text GetBodyID();
  void FormatCameraCard();
  bool RemoteSupported();
  RemoteFuncType RemoteStart(ReleaseModeType ReleaseMode, ReleaseDataKindType ReleaseDataKind,
                             bool ProbeRemoteParameters, TextView CacheRemoteParamDir);
  void RemoteEnd();
  std::int32_t RemoteGetNumberOfAvailableShots();
  void RemoteTakePicture();
  void RemotePressShutter(RemoteShutterButtonType ShutterButton);
  void RemoteBULBMode(bool ActivateBULB);
  void RemoteGetPicture(TextView FileName, PictureTypeType PictureType);
  void RemoteGetMovie(TextView FileName, bool DeleteFromCameraAfterTransfer);
  void RemoteGetCFPicture(TextView FileName, bool DeleteFromCameraAfterTransfer);
  RemoteReleaseParametersType RemoteGetRemoteParams();
  void RemoteSetRemoteParams(const RemoteReleaseParametersType& RemoteParam);
  RemoteZoomCapabilityType RemoteGetZoomPos();
  void RemoteSetZoomPos(std::int32_t ZoomPos);
  void RemoteAFLock(bool AFLock);
  void RemoteSetViewfinderOutput(RemoteViewFinderOutputType ViewfinderOutput);
  void RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensType DriveLens);
  void RemoteSetViewfinderWhitebalance(std::int32_t XCoord, std::int32_t YCoord);
  void RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeType AFMode);
  RemoteViewFinderAFModeType RemoteGetViewfinderAutofocusMode();
  AFFocusInfoType RemoteGetViewfinderAutofocusInfo();
  void RemoteSetViewfinderZoom(RemoteViewFinderZoomType Zoom);
  void RemoteSetViewfinderZoomPosition(std::int32_t X, std::int32_t Y);
  void RemoteSetViewfinderDepthOfFieldPreview(bool Activate);
  bool RemoteGetViewfinderDepthOfFieldPreview();
  void RemoteActivateViewfinderAuto(bool EOSLockAF);
  ImageListType OpenCameraCollection(TextView TempDir, bool GetThumbnails);
  void CloseCameraCollection(ImageListType& ImageListToClear);
  void GetPicture(std::int32_t NrInList, bool GetJPEGInRaw, TextView FileName);
  void DeletePicture(ImageListType& ImageList, std::int32_t NrInList);
  RAWObjectDevAvailType OpenRAWObject(TextView FileName);
  void SetRAWDevelopmentParameters(const RAWObjectDevType&) {}
  RAWObjectDevType GetRAWDevelopmentParameters() { return {}; }
  void DevelopRAWPicture(TextView, FileFormatType, BitsPerPixelType, TextView, std::int32_t) {}
  void CloseRAWObject() {}
  // Pictures waiting for download in remote mode on an EOS camera; -1 otherwise.
  std::int32_t PicturesToDownload() const;

  // --- Live view polling and movie recording (CamRemoteViewfinder.cpp) ---
  void RemoteStartViewfinder(bool ViewfinderUseCanonThread);
  void RemoteStopViewfinder();
  bool RemoteGetViewfinderImage();
  void RemoteStartMovieRecording();
  void RemoteEndMovieRecording();

  // --- Remote parameter files (CamRemoteParamFiles.cpp) ---
  void RemoteSaveCameraRemoteParams(TextView FileName);
  void RemoteLoadCameraRemoteParams(TextView FileName);

  // Runs from the state-event handler when the camera is about to switch itself off.
  void ExtendShutdownTimer();
  // Tells the owner, as a closing camera event, that live view lost the camera.
  void CameraGone() {
    QueueNotification({NotifyQueueCameraEvent, EventCallbackType{EventSeverityClosing, EventConnectionDisappeared}});
  }

 private:
  void StartTheSDKs(CamModType CameraType);
  void NotifyTimerEvent();
  void TimerEOSViewfinderTimer();
  // Guards of the dispatch table.
  void RequireRemoteMode() const;
  void RequireViewfinderMode() const;
  void Step(StartupStep step) {
    if (OnStartupStep) OnStartupStep(step);
  }

  win::Timer TimerEOSViewfinder;
  ConnectInfoType mCameraInfo;
  bool mRemoteModeEnabled = false;
  bool mRemoteViewfinderEnabled = false;
  std::optional<std::deque<NotifyQueueEntry>> mNotifyQueue;
  std::unique_ptr<win::Timer> mNotifyTimer;
  ReleaseDataKindType mReleaseDataKind = ReleaseDataKindTakeOnlyThumbnail;
  ReleaseModeType mReleaseMode = ReleaseModeOnlyToPC;
  std::uint32_t mInstanceNumber = 0;
  std::int32_t mCameraNumber = 0;
  float mCamRemoteVersion = kCamRemoteVersionMajor + kCamRemoteVersionMinor / 10.0f;
  ViewfinderPositionType mViewfinderMetadata;
  std::int32_t mEOSViewfinderRefresh = 50;
  std::int32_t mEOSViewfinderFirstFrame = 0;
  bool mEOSViewfinderAwaitingFirst = false;  // no frame since live view started
  bool mEOSViewfinderAction = false;
  bool mRemoteMovieRecordingEnabled = false;
  std::unique_ptr<TEDSDK> mEDSDK;
  CameraList mPowerShotCameras, mEOSCameras, mPowerShotGen2Cameras;
  // Frame buffers reused from tick to tick, one per nesting depth of the polling timer
  // (a handler that lets messages run can start the next tick), so live view allocates
  // nothing that grows with the number of frames.
  std::vector<std::vector<std::uint8_t>> mFrameBuffers;
  int mFrameDepth = 0;
  // Cleared when the component is destroyed: an event handler may free its component,
  // and the delivering code must then touch nothing more.
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};

// The component with this instance number, or null when its slot is empty (destroyed)
// or out of range.
TCamRemote* CamRemoteInstance(std::uint32_t InstanceNumber);

// The SDK handlers: they find their component from the context (the address of the
// backend's instance number), only append to its queue, always return 0 and let nothing
// escape into the SDK.
EdsError EDS_STDCALL ObjectEventHandler(EdsObjectEvent Event, EdsBaseRef ObjectRef, EdsVoid* Context) noexcept;
EdsError EDS_STDCALL PropertyEventHandler(EdsPropertyEvent Event, EdsPropertyID PropertyID, EdsUInt32 Param,
                                          EdsVoid* Context) noexcept;
EdsError EDS_STDCALL StateEventHandler(EdsStateEvent Event, EdsUInt32 EventData, EdsVoid* Context) noexcept;
EdsError EDS_STDCALL ProgressHandler(EdsUInt32 Percent, EdsVoid* Context, EdsBool* Cancel) noexcept;

}  // namespace eos
