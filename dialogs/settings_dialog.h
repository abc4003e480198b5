// The settings dialog: the camera's ten shooting values, the view's angle and mirror, the
// countdown before release, the skin and what happens after the capture. It owns no
// settings: a change of a value goes to the camera at once, through the capture dialog,
// and its controls are the store of the angle (the Tag of laAng), the mirror flag
// (ckMirror) and the skin (cbSkin), which the capture dialog reads for every frame.
#pragma once

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "dialog/core/camera_settings.h"
#include "ui/form.h"
#include "win/handles.h"

namespace eos {

// What the dialog's controls ask of the capture dialog.
struct SettingsDialogActions {
  std::function<void(int angle)> rotate;          // turns the view; the angle comes back into laAng
  std::function<void(ValueList list)> set_value;  // sends a list's new value to the camera
  std::function<void(const Text& skin)> load_skin;
  std::function<void(bool on)> face_guide;   // the ID-photo guide over the live view
  std::function<void(int rate)> frame_rate;  // the live view's frames a second
  std::function<void(int seconds)> delay;    // the countdown before the release
  std::function<void(int mode)> after_mode;
};

class TdlgCanonEosSdkSettings : public ui::Form {
 public:
  TdlgCanonEosSdkSettings();

  // The list of that value: filled and read by the capture dialog.
  ui::ComboBox& List(ValueList list) const { return *(this->*kLists[static_cast<size_t>(list)]); }
  void SetImageMode(TextView mode) { laImageMode->SetCaption(mode); }
  // "(Ingenting)" and the skins' names, with `current` chosen (or the first).
  void SetSkins(const std::vector<Text>& names, TextView current);
  void SetChoices(int after_mode, int delay);
  int Angle() const { return laAng->Tag(); }
  // The angle into laAng's Tag and caption ("90 °").
  void SetAngle(int angle);
  bool Mirror() const { return ckMirror->Checked(); }
  void SetMirror(bool mirror) { ckMirror->SetChecked(mirror); }
  void SetFaceGuide(bool on) { ckFaceGuide->SetChecked(on); }
  // One of kFrameRates (another shows the default).
  void SetFrameRate(int rate);
  // Beside the capture dialog's `outer` rectangle: on its right, or on its left when the
  // screen ends first.
  void PlaceBeside(const RECT& outer);

  SettingsDialogActions actions;
  // Whether the user changed something since the dialog was last shown; cleared here.
  bool TakeEdited() { return std::exchange(edited_, false); }

  // Shows the dialog modally; true when it closed with OK.
  bool Run();

 protected:
  bool FormKeyDown(WORD key) override;

 private:
  void btRotLeftClick(ui::Component& sender);
  void ComboBoxSizeChange(ui::Component& sender);
  void cbDelayChange(ui::Component& sender);
  void cbAfterModeChange(ui::Component& sender);
  void cbSkinChange(ui::Component& sender);
  void cbFrameRateChange(ui::Component& sender);
  void ckFaceGuideClick(ui::Component& sender);
  void btOKClick(ui::Component&) { SetModalResult(ui::kModalOk); }
  void btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }
  void FormShow();

  ui::Label* laImageMode = nullptr;
  ui::Label* LabelSize = nullptr;
  ui::ComboBox* ComboBoxSize = nullptr;
  ui::Label* LabelQuality = nullptr;
  ui::ComboBox* ComboBoxQuality = nullptr;
  ui::Label* LabelAv = nullptr;
  ui::ComboBox* ComboBoxAv = nullptr;
  ui::Label* LabelTV = nullptr;
  ui::ComboBox* ComboBoxTv = nullptr;
  ui::Label* LabelWhiteBalance = nullptr;
  ui::ComboBox* ComboBoxWhiteBalance = nullptr;
  ui::Label* LabelISO = nullptr;
  ui::ComboBox* ComboBoxISO = nullptr;
  ui::Label* LabelMeteringMode = nullptr;
  ui::ComboBox* ComboBoxMeteringMode = nullptr;
  ui::Label* LabelAFMode = nullptr;
  ui::ComboBox* ComboBoxAFMode = nullptr;
  ui::Label* LabelExpComp = nullptr;
  ui::ComboBox* ComboBoxExpComp = nullptr;
  ui::Label* LabelColorspace = nullptr;
  ui::ComboBox* ComboBoxColorSpace = nullptr;
  ui::Button* btRotLeft = nullptr;
  ui::Button* btRotRight = nullptr;
  ui::Label* laAng = nullptr;
  ui::CheckBox* ckMirror = nullptr;
  ui::Label* Label11 = nullptr;
  ui::ComboBox* cbSkin = nullptr;
  ui::Label* Label16 = nullptr;
  ui::ComboBox* cbDelay = nullptr;
  ui::Label* laFrameRate = nullptr;
  ui::ComboBox* cbFrameRate = nullptr;
  ui::CheckBox* ckFaceGuide = nullptr;
  ui::Bevel* beButtons = nullptr;  // the line above OK and Avbryt
  ui::Button* btOK = nullptr;
  ui::Button* btCancel = nullptr;
  ui::Label* Label1 = nullptr;
  ui::ComboBox* cbAfterMode = nullptr;

  bool edited_ = false;  // set by every handler that changes something
  win::Gdi<HFONT> header_font_;

  static const ui::Row<TdlgCanonEosSdkSettings> kRows[];
  // The rows of a value's caption and list, in two columns of five.
  static constexpr ui::Row<TdlgCanonEosSdkSettings> ValueCaption(ui::Label* TdlgCanonEosSdkSettings::*member,
                                                                 const char16_t* text, int column, int row);
  static constexpr ui::Row<TdlgCanonEosSdkSettings> ValueCombo(ui::ComboBox* TdlgCanonEosSdkSettings::*member,
                                                               int column, int row);
  // Each value's list and its caption, by ValueList.
  static const std::array<ui::ComboBox * TdlgCanonEosSdkSettings::*, kValueListCount> kLists;
  static const std::array<ui::Label * TdlgCanonEosSdkSettings::*, kValueListCount> kCaptions;
};

}  // namespace eos
