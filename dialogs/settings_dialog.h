// The settings dialog: the camera's ten shooting values, the view's angle and mirror, the
// countdown before release, the skin and what happens after the capture. It owns no
// settings: a change of a value goes to the camera at once, through the capture dialog,
// and its controls are the store of the angle (the Tag of laAng), the mirror flag
// (ckMirror) and the skin (cbSkin), which the capture dialog reads for every frame.
#pragma once

#include <array>
#include <functional>

#include "dialog/core/camera_settings.h"
#include "ui/form.h"
#include "win/handles.h"

namespace eos {

// What the dialog's controls ask of the capture dialog.
struct SettingsDialogActions {
  std::function<void(int angle)> rotate;          // turns the view; the angle comes back into laAng
  std::function<void(ValueList list)> set_value;  // sends a list's new value to the camera
  std::function<void(const Text& skin)> load_skin;
};

class TdlgCanonEosSdkSettings : public ui::Form {
 public:
  TdlgCanonEosSdkSettings();

  ui::Label& laImageMode;
  // The ten value lists and their captions, by ValueList.
  std::array<ui::ComboBox*, kValueListCount> ValueLists{};
  std::array<ui::Label*, kValueListCount> ValueCaptions{};
  ui::Button& btRotLeft;
  ui::Button& btRotRight;
  ui::Label& laAng;
  ui::CheckBox& ckMirror;
  ui::ComboBox& cbSkin;
  ui::ComboBox& cbDelay;
  ui::ComboBox& cbAfterMode;
  ui::Button& btOK;
  ui::Button& btCancel;

  ui::ComboBox& List(ValueList list) const { return *ValueLists[static_cast<size_t>(list)]; }

  SettingsDialogActions actions;
  // Set by every handler that changes something; cleared when the dialog is shown.
  bool SettingsEdited = false;

  int Angle() const { return laAng.Tag(); }
  bool Mirror() const { return ckMirror.Checked(); }
  // The angle into laAng's Tag and caption ("90 °").
  void SetAngle(int angle);

  void btRotLeftClick(ui::Component& sender);
  void ComboBoxSizeChange(ui::Component& sender);
  void cbDelayChange(ui::Component& sender);
  void cbAfterModeChange(ui::Component& sender);
  void cbSkinChange(ui::Component& sender);
  void btOKClick(ui::Component&) { SetModalResult(ui::kModalOk); }
  void btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }
  void FormShow();

  // Shows the dialog modally; true when it closed with OK.
  bool Run();

 protected:
  bool FormKeyDown(WORD key) override;

 private:
  win::UniqueGdiObject header_font_;
};

}  // namespace eos
