#include "dialog/camera_link.h"

#include "base/exception.h"
#include "base/lumutils.h"
#include "dialog/camera_values.h"
#include "dialog/core/camera_settings.h"
#include "plugin/services/services.h"

namespace eos {

namespace {

// While live view waits for its first frame the camera is asked this often: the frame
// shows about as soon as the camera has it, and the pace is the chosen rate's afterwards.
constexpr int kFirstFrameAskMs = 20;

}  // namespace

CameraLink::CameraLink(TCamRemote& camera, CameraValues& values, const ui::Form& form, Text& error)
    : camera_(camera), values_(values), form_(form), error_(error) {
  camera_.SetEOSViewfinderFirstFrameInterval(kFirstFrameAskMs);
  SetFrameRate(kDefaultFrameRate);
}

void CameraLink::SetFrameRate(int rate) {
  if (!IsFrameRate(rate)) return;
  frame_rate_ = rate;
  camera_.SetEOSViewfinderRefreshInterval(FrameIntervalMs(rate));
}

bool CameraLink::ConnectToCamera() {
  error_.clear();
  WriteLogTime(u"ConnectToCamera: ");
  if (FCameraConnected) return true;
  try {
    const CameraConnectedType cameras = camera_.OpenCameraEnumeration();
    if (cameras.EOSCameras == nullptr || cameras.EOSCameras->empty()) {
      error_ = Translate(u"No EOS-camera is connected to the computer");
      return false;
    }
    FCameraInfo = camera_.Connect(CamModEOS, 0);
    WriteLog(u"Camera is connected");
    FCameraConnected = true;
    return true;
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    FCameraConnected = false;
    return false;
  }
}

bool CameraLink::OpenCamera(bool ProbeParams) {
  error_.clear();
  if (!FCameraConnected && !ConnectToCamera()) return false;
  WriteLogTime(u"OpenCamera: ");
  if (!camera_.RemoteSupported()) {
    error_ = Translate(u"The connected camera does not support remote mode");
    return false;
  }
  WriteLog(u"Starts remote process and probes remote parameters");
  try {
    FCameraCapability = camera_.RemoteStart(FCameraReleaseMode, ReleaseDataKindTakeOnlyPicture, ProbeParams, u"");
  } catch (const Exception& e) {
    // A camera that will not go remote fails the run with its reason, as a refused
    // connection does; passed on, it would reach the host as a plain cancel.
    error_ = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    return false;
  }
  FCameraActive = true;
  FCameraReleaseActive = true;
  if (FCameraCapability.DoSupportShootingPara) {
    viewfinder_supported_ = FCameraCapability.DoSupportViewfinder;
    WriteLogTime(u"GetCameraSettings: ");
    values_.GetCameraValues(FCameraCapability.RemoteParamSupported);
    if (ProbeParams) values_.SetProbeDone(true);
    values_.UpdateComboValues();
    WriteLogTime(u"GetCameraSettings done: ");
  }
  WriteLog(u"Remote process is opened");
  return FCameraActive;
}

bool CameraLink::SetViewfinder(bool Open) {
  error_.clear();
  if (!FCameraActive && !OpenCamera(false)) {
    ShowInfoBox(u"fel");
    return false;
  }
  try {
    if (Open) {
      camera_.RemoteStartViewfinder(true);
      FCameraVF = true;
    } else {
      camera_.RemoteStopViewfinder();
      FCameraVF = false;
    }
    return true;
  } catch (const Exception& e) {
    WriteLog(u"SetViewfinder - " + e.message());
    return false;
  }
}

bool CameraLink::CloseCamera() {
  error_.clear();
  if (FCameraVF && !SetViewfinder(false)) return false;
  WriteLogTime(u"CloseCamera: ");
  if (FCameraReleaseActive) {
    camera_.RemoteEnd();
    FCameraActive = false;
    FCameraReleaseActive = false;
  }
  WriteLog(u"Remote process stopped");
  return true;
}

void CameraLink::DisconnectFromCamera() {
  error_.clear();
  if (FCameraActive && !CloseCamera()) return;
  WriteLogTime(u"DisconnectFromCamera: ");
  if (!FCameraConnected) {
    WriteLog(u"Camera already disconnected");
    return;
  }
  try {
    FCameraConnected = false;
    camera_.Disconnect();
    camera_.CloseCameraEnumeration();
    WriteLog(u"Camera is disconnected");
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Camera communication error: %s"), {e.message()});
    WriteLog(u"Camera communication error " + e.message());
  }
}

}  // namespace eos
