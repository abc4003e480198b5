#include "camremote/CamRemote.h"

#include <windows.h>

#include <atomic>
#include <type_traits>

#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKOwners.h"
#include "camremote/cam_log.h"
#include "win/log_file.h"

namespace eos {

namespace {

// CamRemoteInstances: one slot per component ever created in this list's life; the
// index is the component's instance number and the SDK handlers' context. Slots are not
// reused; the list goes when its last component does.
std::unique_ptr<std::vector<TCamRemote*>>& Instances() {
  static std::unique_ptr<std::vector<TCamRemote*>> instances;
  return instances;
}

bool SDKStarted = false;
std::atomic<bool> ConnectBusy{false};
std::atomic<bool> DestroyBusy{false};

// Holds a process-wide busy flag, waiting in steps of 50 ms for another holder to let go.
class BusyFlag {
 public:
  explicit BusyFlag(std::atomic<bool>& flag) : flag_(flag) {
    while (flag_.exchange(true)) Sleep(50);
  }
  ~BusyFlag() { flag_ = false; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;

 private:
  std::atomic<bool>& flag_;
};

[[noreturn]] void Refuse(const char16_t* message) { throw ECamException(message); }

// What an operation does for a camera family without a backend.
enum class Other { Nothing, NotPowerShot, NotSupported };

// The camera-model dispatch: true for an EOS camera, whose backend does the work; no
// camera refuses; the other families refuse or, for "nothing", give false.
bool ForEOS(CamModType model, Other powershot = Other::Nothing, Other gen2 = Other::Nothing) {
  Other other = Other::Nothing;
  switch (model) {
    case CamModEOS:
      return true;
    case CamModPowerShot:
      other = powershot;
      break;
    case CamModPowerShotGen2:
      other = gen2;
      break;
    default:
      Refuse(u"No camera is connected");
  }
  if (other == Other::NotPowerShot) Refuse(u"Not supported by PowerShot cameras");
  if (other == Other::NotSupported) Refuse(u"Not supported by the camera");
  return false;
}

}  // namespace

namespace {

void ProbeProgressHandler(std::uint32_t InstanceNumber, std::int32_t Percent) {
  TCamRemote* c = CamRemoteInstance(InstanceNumber);
  if (c != nullptr && c->OnRemoteProbeParamEvent) c->QueueNotification({NotifyQueueRemoteProbeParam, Percent});
}

const TEDSDKEvents kCamRemoteEvents{ObjectEventHandler, PropertyEventHandler, StateEventHandler, ProgressHandler,
                                    ProbeProgressHandler};

}  // namespace

TCamRemote* CamRemoteInstance(std::uint32_t InstanceNumber) {
  const auto& list = Instances();
  return list && InstanceNumber < list->size() ? (*list)[InstanceNumber] : nullptr;
}

TCamRemote::TCamRemote()
    : TimerEOSViewfinder([this] { TimerEOSViewfinderTimer(); }, 1000, false),
      mEDSDK(std::make_unique<TEDSDK>(kCamRemoteEvents)) {
  auto& list = Instances();
  if (!list) list = std::make_unique<std::vector<TCamRemote*>>();
  mInstanceNumber = static_cast<std::uint32_t>(list->size());
  list->push_back(this);
  mEDSDK->SetInstanceNumber(mInstanceNumber);
}

TCamRemote::~TCamRemote() {
  *mAlive = false;
  BusyFlag busy(DestroyBusy);
  auto& list = Instances();
  if (list && mInstanceNumber < list->size() && (*list)[mInstanceNumber] == this) {
    (*list)[mInstanceNumber] = nullptr;
    bool all_empty = true;
    for (TCamRemote* c : *list) all_empty = all_empty && c == nullptr;
    if (all_empty) list.reset();
  }
}

void TCamRemote::QueueNotification(NotifyQueueEntry entry) {
  if (mNotifyQueue) mNotifyQueue->push_back(std::move(entry));
}

void TCamRemote::StartTheSDKs(CamModType CameraType) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info))
    throw EInOutError(u"Could not detect windows version, which is required for EOS-support (StartTheSDKs)");
#pragma GCC diagnostic pop
  if (SDKStarted) return;
  if (CameraType == CamModEOS) mEDSDK->InitCommunications();
  SDKStarted = true;
  Step(StartupStep::kSdkLoaded);
}

CameraConnectedType TCamRemote::OpenCameraEnumeration() {
  mPowerShotCameras.clear();
  mEOSCameras.clear();
  mPowerShotGen2Cameras.clear();
  if (!SDKStarted) {
    StartTheSDKs(CamModEOS);
    try {
      mEDSDK->EnumerateCameras(mEOSCameras);
    } catch (...) {
      // A failed enumeration must not leave the SDK running with nobody to stop it.
      mEOSCameras.clear();
      mEDSDK->FinilizeCommunications();
      SDKStarted = false;
      throw;
    }
    if (mEOSCameras.empty()) {
      mEDSDK->FinilizeCommunications();
      SDKStarted = false;
    } else {
      Step(StartupStep::kCameraFound);
    }
  }
  if (!mNotifyTimer) {
    mNotifyQueue.emplace();
    mNotifyTimer = std::make_unique<win::Timer>([this] { NotifyTimerEvent(); }, 25, true);
  }
  return {&mPowerShotCameras, &mEOSCameras, &mPowerShotGen2Cameras};
}

CameraConnectedType TCamRemote::RelistCameras() {
  if (!SDKStarted) return OpenCameraEnumeration();
  mEOSCameras.clear();
  mEDSDK->EnumerateCameras(mEOSCameras);
  return {&mPowerShotCameras, &mEOSCameras, &mPowerShotGen2Cameras};
}

void TCamRemote::CloseCameraEnumeration() {
  if (SDKStarted) {
    mPowerShotCameras.clear();
    // Running also while a relisting finds no camera: it stops here in every case.
    mEDSDK->FinilizeCommunications();
    mEOSCameras.clear();
    mPowerShotGen2Cameras.clear();
    SDKStarted = false;
  }
  // Entries still queued are dropped undelivered.
  mNotifyTimer.reset();
  mNotifyQueue.reset();
}

ConnectInfoType TCamRemote::Connect(CamModType CameraType, std::int32_t CameraNumber) {
  BusyFlag busy(ConnectBusy);
  mCameraNumber = CameraNumber;
  mCameraInfo.FirmwareVersion.clear();
  if (mCameraInfo.CameraModel != CamModNone) Refuse(u"Camera already connected.");
  if (CameraType == CamModEOS) {
    ConnectInfoType info = mEDSDK->Connect(reinterpret_cast<const void*>(&StateEventHandler), CameraNumber,
                                           static_cast<std::int32_t>(mInstanceNumber));
    try {
      info.FirmwareVersion = mEDSDK->GetFirmwareVersion();
    } catch (...) {
      // The caller sees a failed connection: leave none open behind it.
      mEDSDK->Disconnect();
      throw;
    }
    mCameraInfo = info;
    Step(StartupStep::kSession);
  }
  return mCameraInfo;
}

void TCamRemote::Disconnect() {
  if (mCameraInfo.CameraModel == CamModEOS) mEDSDK->Disconnect();
  mCameraInfo.CameraModel = CamModNone;
}

void TCamRemote::RequireRemoteMode() const {
  if (!mRemoteModeEnabled) Refuse(u"Camera not in remote mode");
}

void TCamRemote::RequireViewfinderMode() const {
  if (!mRemoteViewfinderEnabled) Refuse(u"Camera not in viewfinder mode");
}

void TCamRemote::SetTimeInCamera(const DateTime& TimeToSet) {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->SetTimeInCamera(TimeToSet);
}

void TCamRemote::SetOwnerName(TextView OwnerName) {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->SetOwnerName(OwnerName);
}

Text TCamRemote::GetBodyID() {
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  return mEDSDK->GetBodyID();
}

void TCamRemote::FormatCameraCard() {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->FormatCameraCard();
}

bool TCamRemote::RemoteSupported() {
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  return mEDSDK->RemoteSupported();
}

RemoteFuncType TCamRemote::RemoteStart(ReleaseModeType ReleaseMode, ReleaseDataKindType ReleaseDataKind,
                                       bool ProbeRemoteParameters, TextView CacheRemoteParamDir) {
  mReleaseMode = ReleaseMode;
  mReleaseDataKind = ReleaseDataKind;
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  RemoteFuncType funcs = mEDSDK->RemoteStart(ReleaseMode, ReleaseDataKind, ProbeRemoteParameters, CacheRemoteParamDir,
                                             nullptr, static_cast<std::int32_t>(mInstanceNumber));
  mRemoteModeEnabled = true;
  mRemoteMovieRecordingEnabled = false;
  Step(StartupStep::kRemoteMode);
  return funcs;
}

void TCamRemote::RemoteEnd() {
  if (mCameraInfo.CameraModel != CamModEOS) return;
  mRemoteModeEnabled = false;
  mEDSDK->RemoteEnd();
}

std::int32_t TCamRemote::RemoteGetNumberOfAvailableShots() {
  RequireRemoteMode();
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  return mEDSDK->RemoteGetNumberOfAvailableShots();
}

void TCamRemote::RemoteTakePicture() {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->RemoteTakePicture(static_cast<std::int32_t>(mInstanceNumber));
}

void TCamRemote::RemotePressShutter(RemoteShutterButtonType ShutterButton) {
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemotePressShutter(ShutterButton);
}

void TCamRemote::RemoteBULBMode(bool ActivateBULB) {
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteBULBMode(ActivateBULB);
}

void TCamRemote::RemoteGetPicture(TextView FileName, PictureTypeType PictureType) {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel))
    mEDSDK->RemoteGetPicture(FileName, PictureType, static_cast<std::int32_t>(mInstanceNumber));
}

void TCamRemote::RemoteGetMovie(TextView FileName, bool DeleteFromCameraAfterTransfer) {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::Nothing, Other::NotSupported))
    mEDSDK->RemoteGetMovie(FileName, DeleteFromCameraAfterTransfer, static_cast<std::int32_t>(mInstanceNumber));
}

void TCamRemote::RemoteGetCFPicture(TextView FileName, bool DeleteFromCameraAfterTransfer) {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel))
    mEDSDK->RemoteGetCFPicture(FileName, DeleteFromCameraAfterTransfer, static_cast<std::int32_t>(mInstanceNumber));
}

RemoteReleaseParametersType TCamRemote::RemoteGetRemoteParams() {
  RequireRemoteMode();
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  return mEDSDK->RemoteGetRemoteParams();
}

void TCamRemote::RemoteSetRemoteParams(const RemoteReleaseParametersType& RemoteParam) {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->RemoteSetRemoteParams(RemoteParam);
}

RemoteZoomCapabilityType TCamRemote::RemoteGetZoomPos() {
  RequireRemoteMode();
  // EOS cameras report no zoom: three zeros, without asking the backend.
  ForEOS(mCameraInfo.CameraModel);  // refuses without a camera
  return {};
}

void TCamRemote::RemoteSetZoomPos(std::int32_t) {
  RequireRemoteMode();
  ForEOS(mCameraInfo.CameraModel);  // refuses without a camera; no family can zoom
}

void TCamRemote::RemoteAFLock(bool AFLock) {
  RequireRemoteMode();
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->RemoteAFLock(AFLock);
}

void TCamRemote::RemoteSetViewfinderOutput(RemoteViewFinderOutputType ViewfinderOutput) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->RemoteSetViewfinderOutput(ViewfinderOutput);
}

void TCamRemote::RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensType DriveLens) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderDriveLens(DriveLens);
}

void TCamRemote::RemoteSetViewfinderWhitebalance(std::int32_t XCoord, std::int32_t YCoord) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderWhitebalance(XCoord, YCoord);
}

void TCamRemote::RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeType AFMode) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderAutofocusMode(AFMode);
}

RemoteViewFinderAFModeType TCamRemote::RemoteGetViewfinderAutofocusMode() {
  RequireViewfinderMode();
  if (!ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) return RemoteViewFinderAFModeNotUsed;
  return mEDSDK->RemoteGetViewfinderAutofocusMode();
}

AFFocusInfoType TCamRemote::RemoteGetViewfinderAutofocusInfo() {
  RequireViewfinderMode();
  if (!ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) return {};
  return mEDSDK->RemoteGetViewfinderAutofocusInfo();
}

void TCamRemote::RemoteSetViewfinderZoom(RemoteViewFinderZoomType Zoom) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderZoom(Zoom);
}

void TCamRemote::RemoteSetViewfinderZoomPosition(std::int32_t X, std::int32_t Y) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderZoomPosition(X, Y);
}

void TCamRemote::RemoteSetViewfinderDepthOfFieldPreview(bool Activate) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) mEDSDK->RemoteSetViewfinderDepthOfFieldPreview(Activate);
}

bool TCamRemote::RemoteGetViewfinderDepthOfFieldPreview() {
  RequireViewfinderMode();
  if (!ForEOS(mCameraInfo.CameraModel, Other::NotPowerShot)) return {};
  return mEDSDK->RemoteGetViewfinderDepthOfFieldPreview();
}

void TCamRemote::RemoteActivateViewfinderAuto(bool EOSLockAF) {
  RequireViewfinderMode();
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->RemoteActivateViewfinderAuto(EOSLockAF);
}

ImageListType TCamRemote::OpenCameraCollection(TextView TempDir, bool GetThumbnails) {
  if (!ForEOS(mCameraInfo.CameraModel)) return {};
  return mEDSDK->OpenCameraCollection(TempDir, GetThumbnails);
}

void TCamRemote::CloseCameraCollection(ImageListType& ImageListToClear) {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->CloseCameraCollection(ImageListToClear);
}

void TCamRemote::GetPicture(std::int32_t NrInList, bool, TextView FileName) {
  if (ForEOS(mCameraInfo.CameraModel))
    mEDSDK->GetPicture(NrInList, FileName, static_cast<std::int32_t>(mInstanceNumber));
}

void TCamRemote::DeletePicture(ImageListType& ImageList, std::int32_t NrInList) {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->DeletePicture(ImageList, NrInList);
}

RAWObjectDevAvailType TCamRemote::OpenRAWObject(TextView) {
  StartTheSDKs(CamModEOS);
  return {};
}

std::int32_t TCamRemote::PicturesToDownload() const {
  if (!mRemoteModeEnabled || mCameraInfo.CameraModel != CamModEOS) return -1;
  return static_cast<std::int32_t>(mEDSDK->mPicList.size());
}

void TCamRemote::ExtendShutdownTimer() {
  if (ForEOS(mCameraInfo.CameraModel)) mEDSDK->ExtendShutdownTimer();
}

void TCamRemote::NotifyTimerEvent() {
  // Off while a handler runs: a handler that lets messages run must not see a nested
  // delivery.
  mNotifyTimer->SetEnabled(false);
  const std::shared_ptr<bool> alive = mAlive;
  if (mNotifyQueue && !mNotifyQueue->empty()) {
    const NotifyQueueEntry entry = mNotifyQueue->front();
    // Each handler is called through a copy: it may free this component and with it the
    // handler it is running.
    auto percent = [&](TNotifyPercentEvent handler) {
      if (handler) handler(std::get<std::int32_t>(entry.Payload));
    };
    try {
      switch (entry.Kind) {
        case NotifyQueueCameraEvent:
          if (TNotifyCameraEvent handler = OnEvent) handler(std::get<EventCallbackType>(entry.Payload));
          break;
        case NotifyQueueRemoteEvent: {
          CamLog(u"NotifyTimerEvent - NotifyRemoteEvent 1");
          CamLogFmt(u"NotifyTimerEvent - NotifyRemoteEvent 1: %d", {int64_t{1}});
          const auto& remote = std::get<RemoteEventPayload>(entry.Payload);
          if (TNotifyRemoteEvent handler = OnRemoteEvent) handler(remote.Event, remote.EventData);
          break;
        }
        case NotifyQueueRemoteTakePicture:
          percent(OnRemoteTakePictureEvent);
          break;
        case NotifyQueueRemoteGetPicture:
          percent(OnRemoteGetPictureEvent);
          break;
        case NotifyQueueRemoteGetMovie:
          percent(OnRemoteGetMovieEvent);
          break;
        case NotifyQueueGetPicture:
          percent(OnGetPictureEvent);
          break;
        case NotifyQueueRemoteProbeParam:
          percent(OnRemoteProbeParamEvent);
          break;
        case NotifyQueueRawDevelop:
          percent(OnRawDevelopEvent);
          break;
        case NotifyQueueViewfinder:
          break;
      }
    } catch (...) {
      // A failing handler loses its own notification, never the ones after it.
      win::LogSwallowed(u"NotifyTimerEvent");
    }
    if (!*alive) return;  // the handler freed this component
    // New entries go to the back while a handler runs, so the delivered one is first.
    if (mNotifyQueue && !mNotifyQueue->empty()) mNotifyQueue->pop_front();
  }
  if (*alive && mNotifyTimer) mNotifyTimer->SetEnabled(true);
}

// --- SDK handlers ----------------------------------------------------------------------

namespace {

TCamRemote* FromContext(EdsVoid* Context) {
  return Context ? CamRemoteInstance(*static_cast<const std::uint32_t*>(Context)) : nullptr;
}

void QueueCameraEvent(TCamRemote& c, EventSeverityType severity, EventEnumType event) {
  c.QueueNotification({NotifyQueueCameraEvent, EventCallbackType{severity, event}});
}

void QueueRemoteEvent(TCamRemote& c, RemoteEventCallbackType event, AdditionNotifyRemoteEventType data) {
  c.QueueNotification({NotifyQueueRemoteEvent, RemoteEventPayload{event, data}});
}

// A card file is a movie when its extension starts with an upper-case "M" (".MOV", ".MP4").
bool IsMovieName(const EdsChar* name) {
  const std::string_view s(name);
  const size_t dot = s.rfind('.');
  return dot != std::string_view::npos && dot + 1 < s.size() && s[dot + 1] == 'M';
}

}  // namespace

EdsError EDS_STDCALL ObjectEventHandler(EdsObjectEvent Event, EdsBaseRef ObjectRef, EdsVoid* Context) noexcept {
  try {
    TCamRemote* c = FromContext(Context);
    bool kept = false;
    if (c && c->OnRemoteEvent) {
      TEDSDK& sdk = c->EDSDK();
      if (Event == kEdsObjectEvent_DirItemRequestTransfer) {
        sdk.AddPictureToDownload(ObjectRef);
        kept = true;
        AdditionNotifyRemoteEventType data;
        data.EventValid = NotifyRemoteEventValid2;
        data.SetTypeOfPicture(TypeOfPicturePicture);
        QueueRemoteEvent(*c, RemoteEventCallbackReleaseImageReady, data);
      } else if (Event == kEdsObjectEvent_DirItemCreated) {
        EdsDirectoryItemInfo info{};
        // An item whose name cannot be read counts as a picture.
        const bool movie = EdsGetDirectoryItemInfo(ObjectRef, &info) == EDS_ERR_OK && IsMovieName(info.szFileName);
        if (movie)
          sdk.AddMovieToDownload(ObjectRef);
        else
          sdk.AddCFPictureToDownload(ObjectRef);
        kept = true;
        QueueRemoteEvent(*c,
                         movie ? RemoteEventCallbackReleaseMovieReady : RemoteEventCallbackReleaseImageFromCFCardReady,
                         AdditionNotifyRemoteEventType{});
      }
    }
    // A reference nobody takes over is given back at once, so the SDK's books balance.
    if (!kept) SdkRef(ObjectRef).Release();
  } catch (...) {
    win::LogSwallowed(u"ObjectEventHandler");
  }
  return EDS_ERR_OK;
}

EdsError EDS_STDCALL PropertyEventHandler(EdsPropertyEvent Event, EdsPropertyID, EdsUInt32, EdsVoid* Context) noexcept {
  try {
    TCamRemote* c = FromContext(Context);
    if (!c || !c->ViewfinderPolling() || !c->OnEvent) return EDS_ERR_OK;
    if (Event == kEdsPropertyEvent_PropertyChanged)
      QueueCameraEvent(*c, EventSeverityInfo, EventRemoteParameterChanged);
    else if (Event == kEdsPropertyEvent_PropertyDescChanged)
      QueueCameraEvent(*c, EventSeverityInfo, EventRemoteNewSupportedParameters);
  } catch (...) {
    win::LogSwallowed(u"PropertyEventHandler");
  }
  return EDS_ERR_OK;
}

EdsError EDS_STDCALL StateEventHandler(EdsStateEvent Event, EdsUInt32, EdsVoid* Context) noexcept {
  try {
    TCamRemote* c = FromContext(Context);
    if (!c || !c->OnEvent) return EDS_ERR_OK;
    switch (Event) {
      case kEdsStateEvent_Shutdown:
        QueueCameraEvent(*c, EventSeverityClosing, EventRemoteShutdownReasonNotKnown);
        break;
      case kEdsStateEvent_WillSoonShutDown:
        c->ExtendShutdownTimer();
        break;
      case kEdsStateEvent_CaptureError:
        QueueCameraEvent(*c, EventSeverityClosing, EventRemoteCaptureError);
        break;
      case kEdsStateEvent_InternalError:
        QueueCameraEvent(*c, EventSeverityClosing, EventUnrecoverableError);
        break;
      default:
        break;
    }
  } catch (...) {
    // Keeping the camera awake is worth a try, never a failure inside the SDK.
    win::LogSwallowed(u"StateEventHandler");
  }
  return EDS_ERR_OK;
}

EdsError EDS_STDCALL ProgressHandler(EdsUInt32 Percent, EdsVoid* Context, EdsBool*) noexcept {
  try {
    TCamRemote* c = FromContext(Context);
    if (!c) return EDS_ERR_OK;
    const FileTransferType transfer = c->EDSDK().TypeOfFileTransfer();
    const auto percent = static_cast<std::int32_t>(Percent);
    if (c->OnGetPictureEvent && transfer == FileTransferFromCameraCard)
      c->QueueNotification({NotifyQueueGetPicture, percent});
    if (c->OnRemoteGetMovieEvent && transfer == FileTransferFromCameraCard)
      c->QueueNotification({NotifyQueueRemoteGetMovie, percent});
    if (c->OnRemoteTakePictureEvent && transfer == FileTransferFromCameraMemory)
      c->QueueNotification({NotifyQueueRemoteTakePicture, percent});
  } catch (...) {
    win::LogSwallowed(u"ProgressHandler");
  }
  return EDS_ERR_OK;
}

}  // namespace eos
