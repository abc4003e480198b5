// The settings dialog: the view's angle and mirror, the countdown before release, and (to
// come) the camera's values. Its controls are the store of the angle (the Tag of laAng)
// and the mirror flag (ckMirror), which the capture dialog reads for every frame.
#pragma once

#include <functional>

#include "ui/form.h"

namespace eos {

class TdlgCanonEosSdkSettings : public ui::Form {
 public:
  TdlgCanonEosSdkSettings();

  ui::Button& btRotLeft;
  ui::Button& btRotRight;
  ui::Label& laAng;
  ui::CheckBox& ckMirror;
  ui::ComboBox& cbDelay;
  ui::Button& btOK;
  ui::Button& btCancel;

  // The capture dialog's DoSetRotate: the view turns there, and the new angle comes back
  // into laAng.
  std::function<void(int angle)> on_rotate;
  // Set by every handler that changes something; cleared when the dialog is shown.
  bool SettingsEdited = false;

  int Angle() const { return laAng.Tag(); }
  bool Mirror() const { return ckMirror.Checked(); }
  // The angle into laAng's Tag and caption ("90 °").
  void SetAngle(int angle);

  void btRotLeftClick(ui::Component& sender);
  void cbDelayChange(ui::Component& sender);
  void btOKClick(ui::Component&) { SetModalResult(ui::kModalOk); }
  void btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }

  // Shows the dialog modally; true when it closed with OK.
  bool Run();
};

}  // namespace eos
