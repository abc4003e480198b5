// The capture dialog's side of the camera's values: filling the settings dialog's lists
// from what the camera offers, sending a chosen value, the settings text that the
// plug-in stores between runs, and the visit to the settings dialog.
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

using D = TdlgCanonEosSDK;

constexpr char16_t kSkinFolder[] = u"Canon_EOS_SDK_Skin";
constexpr char16_t kProbing[] = u"Reading the camera's settings...";

}  // namespace

void D::GetCameraValues() {
  FCameraRemoteSettings = OfferedByCamera(FCameraCapability.RemoteParamSupported);
  if (!FSettings) return;
  for (const ValueKind& k : kValueKinds) {
    ui::ComboBox& list = FSettings->List(k.list);
    list.SetEnabled(false);
    list.Clear();
    const ListContent content = ListContentOf(k.list, FCameraRemoteSettings[static_cast<size_t>(k.list)]);
    for (const TextView name : content.names) list.Add(name);
    list.SetEnabled(content.enabled);
  }
}

void D::UpdateComboValues(std::optional<ValueList> co) {
  const RemoteReleaseParametersType current = CamRemote.RemoteGetRemoteParams();
  last_values_ = ListedValues(current);
  if (!co) {
    FImageMode = Text(ValueName(current.ImageMode));
    if (FSettings) FSettings->SetImageMode(FImageMode);
  }
  if (FSettings) {
    if (FCameraProbeDone) {
      // A name the list does not hold leaves the list without a choice.
      for (const ValueKind& k : kValueKinds)
        if (!co || *co == k.list) FSettings->List(k.list).SelectText(k.name(k.get(current)), -1);
    } else {
      FSettings->List(ValueList::AFMode).SetHint(ValueName(current.AFMode));
      FSettings->List(ValueList::ISO).SetHint(ValueName(current.ISO));
    }
  }
  UpdateButtons();
}

void D::SetCameraValues(std::optional<ValueList> co) {
  if (!FSettings) return;
  std::array<int, kValueListCount> selected{};
  std::array<bool, kValueListCount> enabled{};
  for (const ValueKind& k : kValueKinds) {
    const ui::ComboBox& list = FSettings->List(k.list);
    selected[static_cast<size_t>(k.list)] = list.ItemIndex();
    enabled[static_cast<size_t>(k.list)] = list.Enabled();
  }
  CamRemote.RemoteSetRemoteParams(ValuesToSend(FCameraRemoteSettings, selected, enabled, co));
}

Text D::GetComboValue(const ui::ComboBox& combo) const {
  return FCameraProbeDone ? combo.Item(combo.ItemIndex()) : combo.Hint();
}

Text D::GetSettingsText() {
  const RemoteReleaseParametersType current = CamRemote.RemoteGetRemoteParams();
  const TdlgCanonEosSdkSettings* settings = FSettings.get();
  DialogSettings dialog{.after_mode = choices_.after_mode,
                        .delay = choices_.delay,
                        .angle = settings ? settings->Angle() : 0,
                        .mirror = settings && settings->Mirror(),
                        .skin = FCurrentSkin,
                        .width = std::nullopt,
                        .height = std::nullopt,
                        .face_guide = face_guide_setting_};
  if (FCurrentSkin.empty()) {
    // The size the window has when it is not maximised, with the button row that an
    // automatic or settings-only run took from it.
    const SIZE size = RestoredSize();
    dialog.width = size.cx;
    dialog.height = size.cy + (row_shrunk_ ? ButtonRowHeight() : 0);
  }
  const Text iso = settings ? GetComboValue(settings->List(ValueList::ISO)) : Text();
  return BuildSettingsText(current, iso, dialog);
}

void D::ApplySettingsText(TextView text) {
  WriteLogTime(u"Set Camera Settings: start - ");
  if (!choices_.camera_values_applied) {
    const RemoteReleaseParametersType values = CameraValuesOfText(text);
    WriteLogTime(u"Set Camera Settings: start2 - ");
    CamRemote.RemoteSetRemoteParams(values);
    last_values_ = ListedValues(last_values_, values);
    choices_.camera_values_applied = true;
  }
  WriteLogTime(u"Set Camera Settings: done - ");
  const AppliedDialogSettings dialog = ReadDialogSettings(text);
  if (viewfinder_supported_) {
    choices_.after_mode = 0;
    try {
      LoadSkin(dialog.skin);
    } catch (...) {
      win::LogSwallowed(u"ApplySettingsText");
    }
    if (dialog.angle) DoSetRotate(*dialog.angle);
    if (FSettings) FSettings->SetMirror(dialog.mirror);
    face_guide_setting_ = dialog.face_guide;
    if (Modal()) UpdateFaceGuide();  // a run starts its guide as the dialog shows
  }
  if (dialog.delay) choices_.delay = *dialog.delay;
  if (FCurrentSkin.empty() && (dialog.width || dialog.height)) {
    const RECT r = OuterBounds();
    PlaceOnScreen({r.left, r.top, r.left + dialog.width.value_or(r.right - r.left),
                   r.top + dialog.height.value_or(r.bottom - r.top)});
  }
  WriteLogTime(u"Set Camera Settings: done2 - ");
}

void D::ShowSettingsDialog() {
  TdlgCanonEosSdkSettings* settings = FSettings.get();
  if (settings == nullptr) return;
  if (Visible()) {
    if (!btSettings->Enabled() && !options_.settings_only) return;
    settings->PlaceBeside(OuterBounds());
    ui::ProcessMessages();
  }
  settings->actions = {
      .rotate = [this](int angle) { DoSetRotate(angle); },
      .set_value =
          [this](ValueList list) {
            try {
              SetCameraValues(list);
            } catch (const Exception& e) {
              WriteLog(u"SetCameraValues - " + e.message());
            }
            // What the camera really has now, whether it took the value or not.
            UpdateComboValues(list);
          },
      .load_skin = [this](const Text& skin) { LoadSkin(skin); },
      .face_guide =
          [this](bool on) {
            face_guide_setting_ = on;
            UpdateFaceGuide();
          },
      .delay = [this](int seconds) { choices_.delay = seconds; },
      .after_mode = [this](int mode) { choices_.after_mode = mode; },
  };
  settings->SetFaceGuide(face_guide_setting_);
  if (!FCameraProbeDone) {
    try {
      const ui::WaitCursor wait;  // for as long as the camera keeps the thread
      ShowStatus(Translate(kProbing), true);
      OpenCamera(true);
    } catch (const Exception& e) {
      // The dialog still opens: the view, the countdown and the skin do not need the lists.
      WriteLog(u"Probing the camera's values failed - " + e.message());
    }
    HideStatus();
    settings->SetSkins(ListFileNames(GetPluginFolder() + kSkinFolder, u"*.qzb"), FCurrentSkin);
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
          UpdateComboValues();
        } catch (const Exception& e) {
          WriteLog(u"ShowSettingsDialog - " + e.message());
        }
      }
    }
  }
  if (options_.settings_only) SetModalResult(confirmed ? ui::kModalOk : ui::kModalCancel);
  UpdateButtons();
}

}  // namespace eos
