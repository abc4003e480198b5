// The capture dialog's focus controls: the lens driven nearer or farther while a button is
// held, faster the longer it is held; the camera's live-view autofocus, stopped again
// after 8 seconds or before a shot.
#include "base/exception.h"
#include "base/lumutils.h"
#include "dialog/capture_dialog.h"
#include "plugin/services/services.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

// A model whose live-view autofocus the dialog never drives.
constexpr char16_t kNoAutofocusModel[] = u"Canon EOS 1000D";

}  // namespace

void D::btFocusFarXMouseDown(ui::Component& sender) {
  timFocusRepeat->SetEnabled(false);
  FFocusHold.Start(sender.Tag());
  timFocusRepeatTimer(*timFocusRepeat);
  if (FFocusHold.step != 0) timFocusRepeat->SetEnabled(true);
}

void D::timFocusRepeatTimer(ui::Component&) {
  const std::optional<RemoteViewFinderDriveLensType> command = FFocusHold.Tick();
  if (!command) {
    timFocusRepeat->SetEnabled(false);
    return;
  }
  try {
    CamRemote.RemoteSetViewfinderDriveLens(*command);
  } catch (const Exception& e) {
    // One refusal ends the hold: the camera is not asked ten times a second, nor is the
    // log written, while the button stays down.
    timFocusRepeat->SetEnabled(false);
    FFocusHold.Stop();
    WriteLog(u"Focus - " + e.message());
    ShowInfoText(e.message(), 2000);
  }
}

void D::btFocusFarXMouseUp(ui::Component&) {
  FFocusHold.Stop();
  timFocusRepeat->SetEnabled(false);
}

void D::btAutoFocusClick(ui::Component&) {
  FCameraAutoFocusing = true;
  ui::ProcessMessages();
  try {
    CamRemote.RemoteActivateViewfinderAuto(true);
  } catch (const Exception& e) {
    WriteLog(u"Autofocus - " + e.message());
    FCameraAutoFocusing = false;
    return;
  }
  timAutoFocusDone->SetEnabled(false);
  timAutoFocusDone->SetEnabled(true);
}

void D::timAutoFocusDoneTimer(ui::Component&) {
  timAutoFocusDone->SetEnabled(false);
  StopAutoFocus(false);
}

bool D::StopAutoFocus(bool Force) {
  if (SameTextNoCase(FCameraInfo.CameraModelName, kNoAutofocusModel)) return false;
  if (!Force && !FCameraAutoFocusing) return false;
  bool stopped = true;
  try {
    CamRemote.RemoteActivateViewfinderAuto(false);
  } catch (const Exception& e) {
    WriteLog(u"StopAutoFocus - " + e.message());
    stopped = false;
  }
  FCameraAutoFocusing = false;
  ui::ProcessMessages();
  return stopped;
}

}  // namespace eos
