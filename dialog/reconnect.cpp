// The camera's link when the camera goes away (the cable pulled, the camera switched off or
// asleep) and comes back: the connection is let go with the SDK kept running, and once a
// second the link looks for an EOS camera; the one it finds (the same or another model) is
// connected, given the values the camera had and shown in live view again. The host's
// call goes on meanwhile, and its answer is what it would have been without the drop.
#include "base/exception.h"
#include "dialog/camera_link.h"
#include "dialog/camera_values.h"
#include "plugin/services/services.h"
#include "ui/form.h"
#include "win/log_file.h"

namespace eos {

namespace {

// Runs a step of letting go; a camera that is gone refuses most of them.
template <class F>
void Quietly(const char16_t* what, F&& step) noexcept {
  try {
    step();
  } catch (...) {
    win::LogSwallowed(what);
  }
}

}  // namespace

void CameraLink::CameraGone() {
  // While the run connects, a failure is the host's answer: recovery starts with the dialog.
  if (camera_gone_ || !form_.Modal()) return;
  WriteLog(u"The camera is gone");
  camera_gone_ = true;
  if (events.gone) events.gone();
  timReconnect.SetEnabled(true);
}

void CameraLink::LetGoOfTheCamera() noexcept {
  if (FCameraVF) Quietly(u"LetGoOfTheCamera live view", [this] { camera_.RemoteStopViewfinder(); });
  FCameraVF = false;
  if (FCameraActive) Quietly(u"LetGoOfTheCamera remote mode", [this] { camera_.RemoteEnd(); });
  FCameraActive = false;
  FCameraReleaseActive = false;
  if (FCameraConnected) Quietly(u"LetGoOfTheCamera session", [this] { camera_.Disconnect(); });
  FCameraConnected = false;
}

void CameraLink::timReconnectTimer() {
  try {
    const CameraConnectedType cameras = camera_.RelistCameras();
    if (cameras.EOSCameras == nullptr || cameras.EOSCameras->empty()) return;
  } catch (...) {
    WriteLog(u"Looking for the camera - " + CurrentExceptionText());
    return;
  }
  timReconnect.SetEnabled(false);
  if (events.returning) events.returning();
  if (!Reconnect()) {
    // Not quite back (busy, or failing at remote start): the next look tries again.
    WriteLog(u"Reconnection failed - " + error_);
    LetGoOfTheCamera();
    timReconnect.SetEnabled(true);
    return;
  }
  WriteLog(u"The camera is back: " + FCameraInfo.CameraModelName);
  camera_gone_ = false;
  if (events.back) events.back();
}

bool CameraLink::Reconnect() {
  error_.clear();
  try {
    const Text model_before = FCameraInfo.CameraModelName;
    FCameraInfo = camera_.Connect(CamModEOS, 0);
    FCameraConnected = true;
    // Another model offers other values: the next visit to the settings reads them.
    if (FCameraInfo.CameraModelName != model_before) values_.SetProbeDone(false);
    if (!OpenCamera(false)) return false;
    values_.GiveBack();
    values_.UpdateComboValues();
    if (viewfinder_supported_ && !SetViewfinder(true)) return false;
    if (events.reconnected) events.reconnected();
    return true;
  } catch (...) {
    // Whatever failed, the timer that looks for the camera must go on.
    error_ = CurrentExceptionText();
    return false;
  }
}

}  // namespace eos
