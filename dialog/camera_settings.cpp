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
#include "plugin/services/state.h"
#include "win/log_file.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

constexpr char16_t kSkinFolder[] = u"Canon_EOS_SDK_Skin";
constexpr char16_t kProbing[] = u"Reading the camera's settings...";

// Selects the entry of that text; none when the list has no such entry.
void SelectText(ui::ComboBox& combo, TextView text) { SelectComboText(combo.Handle(), text, -1); }

// The hourglass for as long as the camera keeps the thread.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

}  // namespace

void D::GetCameraValues() {
  FCameraRemoteSettings = OfferedByCamera(FCameraCapability.RemoteParamSupported);
  TdlgCanonEosSdkSettings* settings = SettingsDialog();
  if (settings == nullptr) return;
  for (const ValueKind& k : kValueKinds) {
    ui::ComboBox& list = settings->List(k.list);
    list.SetEnabled(false);
    list.Clear();
    const ListContent content = ListContentOf(k.list, FCameraRemoteSettings[static_cast<size_t>(k.list)]);
    for (const TextView name : content.names) list.Add(name);
    list.SetEnabled(content.enabled);
  }
}

void D::UpdateComboValues(std::optional<ValueList> co) {
  const RemoteReleaseParametersType current = CamRemote.RemoteGetRemoteParams();
  TdlgCanonEosSdkSettings* settings = SettingsDialog();
  if (!co) {
    FImageMode = Text(ValueName(current.ImageMode));
    FDriveMode = Text(ValueName(current.DriveMode));
    if (settings) settings->laImageMode.SetCaption(FImageMode);
  }
  if (settings) {
    if (FCameraProbeDone) {
      for (const ValueKind& k : kValueKinds)
        if (!co || *co == k.list) SelectText(settings->List(k.list), k.name(k.get(current)));
    } else {
      settings->List(ValueList::AFMode).SetHint(ValueName(current.AFMode));
      settings->List(ValueList::ISO).SetHint(ValueName(current.ISO));
    }
  }
  UpdateButtons();
}

void D::SetCameraValues(std::optional<ValueList> co) {
  const TdlgCanonEosSdkSettings* settings = SettingsDialog();
  if (settings == nullptr) return;
  std::array<int, kValueListCount> selected{};
  std::array<bool, kValueListCount> enabled{};
  for (size_t i = 0; i < kValueListCount; ++i) {
    selected[i] = settings->ValueLists[i]->ItemIndex();
    enabled[i] = settings->ValueLists[i]->Enabled();
  }
  CamRemote.RemoteSetRemoteParams(ValuesToSend(FCameraRemoteSettings, selected, enabled, co));
}

Text D::GetComboValue(const ui::ComboBox& combo) const {
  return FCameraProbeDone ? combo.Item(combo.ItemIndex()) : combo.Hint();
}

Text D::GetSettingsText() {
  const PluginState& s = State();
  const RemoteReleaseParametersType current = CamRemote.RemoteGetRemoteParams();
  const TdlgCanonEosSdkSettings* settings = SettingsDialog();
  DialogSettings dialog{.after_mode = s.AfterMode,
                        .delay = s.DelayIndex,
                        .angle = settings ? settings->Angle() : 0,
                        .mirror = settings && settings->Mirror(),
                        .skin = FCurrentSkin,
                        .width = std::nullopt,
                        .height = std::nullopt};
  if (FCurrentSkin.empty()) {
    const RECT outer = OuterBounds();
    dialog.width = outer.right - outer.left;
    // An automatic or settings-only run hid the button row and shrank the window by it.
    const bool row_hidden = FAuto || s.SettingsOnlyMode;
    dialog.height = outer.bottom - outer.top + (row_hidden ? ButtonRowHeight() : 0);
  }
  const Text iso = settings ? GetComboValue(settings->List(ValueList::ISO)) : Text();
  return BuildSettingsText(current, iso, dialog);
}

void D::ApplySettingsText(TextView text) {
  PluginState& s = State();
  WriteLogTime(u"Set Camera Settings: start - ");
  if (!s.CameraValuesApplied) {
    const RemoteReleaseParametersType values = CameraValuesOfText(text);
    WriteLogTime(u"Set Camera Settings: start2 - ");
    CamRemote.RemoteSetRemoteParams(values);
    s.CameraValuesApplied = true;
  }
  WriteLogTime(u"Set Camera Settings: done - ");
  const AppliedDialogSettings dialog = ReadDialogSettings(text);
  if (s.ViewfinderSupported) {
    s.AfterMode = 0;
    try {
      LoadSkin(dialog.skin);
    } catch (...) {
      win::LogSwallowed(u"ApplySettingsText");
    }
    if (dialog.angle) DoSetRotate(*dialog.angle);
    if (TdlgCanonEosSdkSettings* settings = SettingsDialog()) settings->ckMirror.SetChecked(dialog.mirror);
  }
  if (dialog.delay) s.DelayIndex = *dialog.delay;
  if (FCurrentSkin.empty() && (dialog.width || dialog.height)) {
    const RECT r = OuterBounds();
    PlaceOnScreen({r.left, r.top, r.left + dialog.width.value_or(r.right - r.left),
                   r.top + dialog.height.value_or(r.bottom - r.top)});
  }
  WriteLogTime(u"Set Camera Settings: done2 - ");
}

void D::ShowSettingsDialog() {
  TdlgCanonEosSdkSettings* settings = SettingsDialog();
  if (settings == nullptr) return;
  PluginState& s = State();
  if (IsWindowVisible(Window())) {
    if (!btSettings.Enabled() && !s.SettingsOnlyMode) return;
    // Beside the capture dialog: on its right, or on its left when the screen ends first.
    const RECT me = OuterBounds(), other = settings->OuterBounds();
    const int width = other.right - other.left, height = other.bottom - other.top;
    const RECT area = ui::WorkAreaNear(me);
    const bool fits_right = me.right + 5 + width <= area.right;
    const int left = fits_right || me.left - 5 - width < area.left ? me.right + 5 : me.left - 5 - width;
    settings->PlaceOnScreen({left, me.top + 5, left + width, me.top + 5 + height});
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
  };
  if (!FCameraProbeDone) {
    try {
      const WaitCursor wait;
      ShowStatus(Translate(kProbing), true);
      OpenCamera(true);
    } catch (const Exception& e) {
      // The dialog still opens: the view, the countdown and the skin do not need the lists.
      WriteLog(u"Probing the camera's values failed - " + e.message());
    }
    HideStatus();
    settings->cbSkin.Clear();
    settings->cbSkin.Add(u"(Ingenting)");
    ListFileNames(GetPluginFolder() + kSkinFolder, u"*.qzb");
    for (const Text& name : FoundFiles()) settings->cbSkin.Add(name);
    SelectComboText(settings->cbSkin.Handle(), FCurrentSkin, 0);
  }
  settings->cbAfterMode.SetItemIndex(s.AfterMode);
  settings->cbDelay.SetItemIndex(s.DelayIndex);

  bool confirmed = true;
  if (!IsWindowVisible(settings->Window())) {
    std::optional<Text> snapshot;
    try {
      snapshot = GetSettingsText();
    } catch (const Exception& e) {
      WriteLog(u"ShowSettingsDialog - " + e.message());
    }
    const int angle_before = settings->Angle();
    confirmed = settings->Run();
    if (confirmed) {
      s.SettingsChanged = true;
    } else if (settings->SettingsEdited) {
      settings->SettingsEdited = false;
      // The snapshot leaves out an angle of 0, so the angle is turned back on its own.
      if (settings->Angle() != angle_before) DoSetRotate(angle_before);
      if (snapshot) {
        try {
          s.CameraValuesApplied = false;
          ApplySettingsText(*snapshot);
          UpdateComboValues();
        } catch (const Exception& e) {
          WriteLog(u"ShowSettingsDialog - " + e.message());
        }
      }
    }
  }
  if (s.SettingsOnlyMode) SetModalResult(confirmed ? ui::kModalOk : ui::kModalCancel);
  UpdateButtons();
}

}  // namespace eos
