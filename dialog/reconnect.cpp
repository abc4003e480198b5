// The capture dialog when its camera goes away (the cable pulled, the camera switched off
// or asleep) and comes back: the operator is told what to do, the buttons that need the
// camera are disabled, the connection is let go with the SDK kept running, and once a
// second the dialog looks for an EOS camera; the one it finds (the same or another model)
// is connected, given the values the camera had and shown in live view again. The host's
// call goes on meanwhile, and its answer is what it would have been without the drop.
#include "base/exception.h"
#include "dialog/capture_dialog.h"
#include "plugin/services/services.h"
#include "win/log_file.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

constexpr char16_t kGone[] = u"The camera is disconnected. Connect it or switch it on, or press Cancel.";

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

Text D::GoneText() const { return camera_gone_ ? Translate(kGone) : Text(); }

void D::CameraGone() {
  // While the run connects, a failure is the host's answer: recovery starts with the dialog.
  if (camera_gone_ || !Modal()) return;
  WriteLog(u"The camera is gone");
  if (probe_.camera_gone) probe_.camera_gone();
  camera_gone_ = true;
  LetGoOfTheCamera();
  SetOverlayText(Text());
  SetSkinMessage(Text());
  for (ui::Painted* view : {Image1, ImageR}) view->Invalidate();
  if (ui::Painted* skin_view = SkinView()) skin_view->Invalidate();
  UpdateButtons();
  timReconnect->SetEnabled(true);
}

void D::LetGoOfTheCamera() noexcept {
  for (ui::Timer* timer : {timHalfShutter, timFocusRepeat, timAutoFocusDone, timAuto}) timer->SetEnabled(false);
  FFocusHold.Stop();
  FFocusDone = false;
  FCameraAutoFocusing = false;
  if (FCameraVF) Quietly(u"LetGoOfTheCamera live view", [this] { CamRemote.RemoteStopViewfinder(); });
  FCameraVF = false;
  if (FCameraActive) Quietly(u"LetGoOfTheCamera remote mode", [this] { CamRemote.RemoteEnd(); });
  FCameraActive = false;
  FCameraReleaseActive = false;
  if (FCameraConnected) Quietly(u"LetGoOfTheCamera session", [this] { CamRemote.Disconnect(); });
  FCameraConnected = false;
}

void D::timReconnectTimer(ui::Component&) {
  try {
    const CameraConnectedType cameras = CamRemote.RelistCameras();
    if (cameras.EOSCameras == nullptr || cameras.EOSCameras->empty()) return;
  } catch (...) {
    WriteLog(u"Looking for the camera - " + CurrentExceptionText());
    return;
  }
  timReconnect->SetEnabled(false);
  // The guide's last state and its worker's result are of the view before the camera went.
  ForgetFaceGuide();
  if (!Reconnect()) {
    // Not quite back (busy, or failing at remote start): the next look tries again.
    WriteLog(u"Reconnection failed - " + error_);
    LetGoOfTheCamera();
    timReconnect->SetEnabled(true);
    return;
  }
  WriteLog(u"The camera is back: " + FCameraInfo.CameraModelName);
  camera_gone_ = false;
  SetOverlayText(Text());
  SetSkinMessage(Text());
  SetRunCaption(true);
  UpdateButtons();
  // An automatic run releases again: at the first frame of the new live view, or without
  // live view by its timer.
  FVFFirstImageDone = false;
  release_when_framed_ = FAuto && face_guide_host_ && face_worker_;
  if (FAuto && !viewfinder_supported_) timAuto->SetEnabled(true);
}

bool D::Reconnect() {
  error_.clear();
  try {
    const Text model_before = FCameraInfo.CameraModelName;
    FCameraInfo = CamRemote.Connect(CamModEOS, 0);
    FCameraConnected = true;
    // Another model offers other values: the next visit to the settings reads them.
    if (FCameraInfo.CameraModelName != model_before) FCameraProbeDone = false;
    if (!OpenCamera(false)) return false;
    const RemoteReleaseParametersType values = last_values_;
    Quietly(u"Reconnect values", [&] { CamRemote.RemoteSetRemoteParams(values); });
    UpdateComboValues();
    if (viewfinder_supported_ && !SetViewfinder(true)) return false;
    FCanAF = StopAutoFocus(true);
    return true;
  } catch (...) {
    // Whatever failed, the timer that looks for the camera must go on.
    error_ = CurrentExceptionText();
    return false;
  }
}

}  // namespace eos
