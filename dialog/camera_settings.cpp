// The capture dialog's settings text, which the plug-in stores between runs, and the
// visit to the settings dialog.
#include <windows.h>

#include "base/exception.h"
#include "base/paramtext.h"
#include "dialog/capture_dialog.h"
#include "dialogs/file_list.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/status_window.h"
#include "plugin/services/services.h"
#include "win/log_file.h"

namespace eos {

namespace {

constexpr char16_t kSkinFolder[] = u"Canon_EOS_SDK_Skin";
constexpr char16_t kProbing[] = u"Reading the camera's settings...";

}  // namespace

Text TdlgCanonEosSDK::GetSettingsText() {
  const RemoteReleaseParametersType current = CamRemote.RemoteGetRemoteParams();
  const TdlgCanonEosSdkSettings* settings = settings_.get();
  DialogSettings dialog{.after_mode = choices_.after_mode,
                        .delay = choices_.delay,
                        .angle = settings ? settings->Angle() : 0,
                        .mirror = settings && settings->Mirror(),
                        .skin = skin_.CurrentSkin(),
                        .width = std::nullopt,
                        .height = std::nullopt,
                        .face_guide = guide_.Setting(),
                        .frame_rate = link_.FrameRate()};
  if (skin_.CurrentSkin().empty()) {
    // The size the window has when it is not maximised, with the button row that an
    // automatic or settings-only run took from it.
    const SIZE size = form_.RestoredSize();
    dialog.width = size.cx;
    dialog.height = size.cy + (row_shrunk_ ? form_.ButtonRowHeight() : 0);
  }
  const Text iso = settings ? values_.GetComboValue(settings->List(ValueList::ISO)) : Text();
  return BuildSettingsText(current, iso, dialog);
}

void TdlgCanonEosSDK::ApplySettingsText(TextView text) {
  WriteLogTime(u"Set Camera Settings: start - ");
  if (!choices_.camera_values_applied) {
    values_.ApplyText(text);
    choices_.camera_values_applied = true;
  }
  WriteLogTime(u"Set Camera Settings: done - ");
  const AppliedDialogSettings dialog = ReadDialogSettings(text);
  if (link_.ViewfinderSupported()) {
    choices_.after_mode = 0;
    try {
      skin_.LoadSkin(dialog.skin);
    } catch (...) {
      win::LogSwallowed(u"ApplySettingsText");
    }
    if (dialog.angle) DoSetRotate(*dialog.angle);
    if (settings_) settings_->SetMirror(dialog.mirror);
    guide_.SetSetting(dialog.face_guide);
    // A run starts its guide as the dialog shows; its model is read meanwhile.
    if (form_.Modal())
      guide_.Update(link_.ViewfinderSupported());
    else
      guide_.Preload();
  }
  if (dialog.frame_rate) link_.SetFrameRate(*dialog.frame_rate);
  if (dialog.delay) choices_.delay = *dialog.delay;
  if (skin_.CurrentSkin().empty() && (dialog.width || dialog.height)) {
    const RECT r = form_.OuterBounds();
    form_.PlaceOnScreen({r.left, r.top, r.left + dialog.width.value_or(r.right - r.left),
                         r.top + dialog.height.value_or(r.bottom - r.top)});
  }
  WriteLogTime(u"Set Camera Settings: done2 - ");
  startup_.Mark(StartupStep::kSettingsApplied, StartupTimes::Clock::now());
}

void TdlgCanonEosSDK::ShowSettingsDialog() {
  TdlgCanonEosSdkSettings* settings = settings_.get();
  if (settings == nullptr) return;
  if (form_.Visible()) {
    if (!form_.ButtonRow().btSettings->Enabled() && !options_.settings_only) return;
    settings->PlaceBeside(form_.OuterBounds());
    ui::ProcessMessages();
  }
  settings->actions = {
      .rotate = [this](int angle) { DoSetRotate(angle); },
      .set_value =
          [this](ValueList list) {
            try {
              values_.SetCameraValues(list);
            } catch (const Exception& e) {
              WriteLog(u"SetCameraValues - " + e.message());
            }
            // What the camera really has now, whether it took the value or not.
            values_.UpdateComboValues(list);
          },
      .load_skin = [this](const Text& skin) { skin_.LoadSkin(skin); },
      .face_guide =
          [this](bool on) {
            guide_.SetSetting(on);
            guide_.Update(link_.ViewfinderSupported());
          },
      .frame_rate = [this](int rate) { link_.SetFrameRate(rate); },
      .delay = [this](int seconds) { choices_.delay = seconds; },
      .after_mode = [this](int mode) { choices_.after_mode = mode; },
  };
  settings->SetFaceGuide(guide_.Setting());
  settings->SetFrameRate(link_.FrameRate());
  if (!values_.ProbeDone()) {
    try {
      const ui::WaitCursor wait;  // for as long as the camera keeps the thread
      ShowStatus(Translate(kProbing), true);
      link_.OpenCamera(true);
    } catch (const Exception& e) {
      // The dialog still opens: the view, the countdown and the skin do not need the lists.
      WriteLog(u"Probing the camera's values failed - " + e.message());
    }
    HideStatus();
    settings->SetSkins(ListFileNames(GetPluginFolder() + kSkinFolder, u"*.qzb"), skin_.CurrentSkin());
  }
  settings->SetChoices(choices_.after_mode, choices_.delay);

  bool confirmed = true;
  if (!settings->Visible()) {
    std::optional<Text> snapshot;
    try {
      snapshot = GetSettingsText();
    } catch (const Exception& e) {
      WriteLog(u"ShowSettingsDialog - " + e.message());
    }
    const int angle_before = settings->Angle();
    confirmed = settings->Run();
    if (confirmed) {
      choices_.settings_confirmed = true;
    } else if (settings->TakeEdited()) {
      // The snapshot leaves out an angle of 0, so the angle is turned back on its own.
      if (settings->Angle() != angle_before) DoSetRotate(angle_before);
      if (snapshot) {
        try {
          choices_.camera_values_applied = false;
          ApplySettingsText(*snapshot);
          values_.UpdateComboValues();
        } catch (const Exception& e) {
          WriteLog(u"ShowSettingsDialog - " + e.message());
        }
      }
    }
  }
  if (options_.settings_only) form_.SetModalResult(confirmed ? ui::kModalOk : ui::kModalCancel);
  UpdateButtons();
}

}  // namespace eos
