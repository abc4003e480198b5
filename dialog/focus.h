// The capture dialog's focus controls: the lens driven nearer or farther while a button is
// held, faster the longer it is held; the camera's live-view autofocus, stopped again
// after 8 seconds or before a shot.
#pragma once

#include "camremote/CamRemote.h"
#include "dialog/core/focus_steps.h"
#include "win/timer.h"

namespace eos {

class CameraLink;
class ViewWords;

class Focus {
 public:
  // A refused lens step is told in `words`.
  Focus(TCamRemote& camera, const CameraLink& link, ViewWords& words);

  // A focus button pressed: `step` 1 drives farther, -1 nearer.
  void btFocusFarXMouseDown(int step);
  void btFocusFarXMouseUp();
  void btAutoFocusClick();
  // Stops the camera's live-view autofocus: always when forced, else only while one runs.
  // True when the camera took the command.
  bool StopAutoFocus(bool Force);
  // Whether the camera lets the dialog drive autofocus, asked by a forced stop.
  void ProbeAutofocus() { FCanAF = StopAutoFocus(true); }
  bool CanAF() const { return FCanAF; }
  // The camera is gone: no hold, no autofocus, no timer.
  void Stop();

 private:
  void timFocusRepeatTimer();
  void timAutoFocusDoneTimer();

  TCamRemote& camera_;
  const CameraLink& link_;
  ViewWords& words_;
  FocusHold focus_hold_;  // the held focus button's step and repeat count
  bool FCameraAutoFocusing = false;
  bool FCanAF = false;
  win::Timer timFocusRepeat{[this] { timFocusRepeatTimer(); }, 100};
  win::Timer timAutoFocusDone{[this] { timAutoFocusDoneTimer(); }, 8000};
};

}  // namespace eos
