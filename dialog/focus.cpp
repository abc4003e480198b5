#include "dialog/focus.h"

#include "base/exception.h"
#include "base/lumutils.h"
#include "dialog/camera_link.h"
#include "dialog/view_words.h"
#include "plugin/services/services.h"
#include "ui/form.h"

namespace eos {

namespace {

// A model whose live-view autofocus the dialog never drives.
constexpr char16_t kNoAutofocusModel[] = u"Canon EOS 1000D";

}  // namespace

Focus::Focus(TCamRemote& camera, const CameraLink& link, ViewWords& words)
    : camera_(camera), link_(link), words_(words) {}

void Focus::btFocusFarXMouseDown(int step) {
  timFocusRepeat.SetEnabled(false);
  focus_hold_.Start(step);
  timFocusRepeatTimer();
  if (focus_hold_.step != 0) timFocusRepeat.SetEnabled(true);
}

void Focus::timFocusRepeatTimer() {
  const std::optional<RemoteViewFinderDriveLensType> command = focus_hold_.Tick();
  if (!command) {
    timFocusRepeat.SetEnabled(false);
    return;
  }
  try {
    camera_.RemoteSetViewfinderDriveLens(*command);
  } catch (const Exception& e) {
    // One refusal ends the hold: the camera is not asked ten times a second, nor is the
    // log written, while the button stays down.
    timFocusRepeat.SetEnabled(false);
    focus_hold_.Stop();
    WriteLog(u"Focus - " + e.message());
    words_.ShowInfoText(e.message(), 2000);
  }
}

void Focus::btFocusFarXMouseUp() {
  focus_hold_.Stop();
  timFocusRepeat.SetEnabled(false);
}

void Focus::btAutoFocusClick() {
  FCameraAutoFocusing = true;
  ui::ProcessMessages();
  try {
    camera_.RemoteActivateViewfinderAuto(true);
  } catch (const Exception& e) {
    WriteLog(u"Autofocus - " + e.message());
    FCameraAutoFocusing = false;
    return;
  }
  timAutoFocusDone.SetEnabled(false);
  timAutoFocusDone.SetEnabled(true);
}

void Focus::timAutoFocusDoneTimer() {
  timAutoFocusDone.SetEnabled(false);
  StopAutoFocus(false);
}

bool Focus::StopAutoFocus(bool Force) {
  if (SameTextNoCase(link_.Info().CameraModelName, kNoAutofocusModel)) return false;
  if (!Force && !FCameraAutoFocusing) return false;
  bool stopped = true;
  try {
    camera_.RemoteActivateViewfinderAuto(false);
  } catch (const Exception& e) {
    WriteLog(u"StopAutoFocus - " + e.message());
    stopped = false;
  }
  FCameraAutoFocusing = false;
  ui::ProcessMessages();
  return stopped;
}

void Focus::Stop() {
  for (win::Timer* timer : {&timFocusRepeat, &timAutoFocusDone}) timer->SetEnabled(false);
  focus_hold_.Stop();
  FCameraAutoFocusing = false;
}

}  // namespace eos
