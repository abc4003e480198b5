#include "dialog/camera_values.h"

#include "dialogs/settings_dialog.h"
#include "plugin/services/services.h"
#include "win/log_file.h"

namespace eos {

CameraValues::CameraValues(TCamRemote& camera, const std::unique_ptr<TdlgCanonEosSdkSettings>& settings)
    : camera_(camera), settings_(settings) {}

void CameraValues::GetCameraValues(const RemoteReleaseAvailParametersType& offered) {
  FCameraRemoteSettings = OfferedByCamera(offered);
  if (!settings_) return;
  for (const ValueKind& k : kValueKinds) {
    ui::ComboBox& list = settings_->List(k.list);
    list.SetEnabled(false);
    list.Clear();
    const ListContent content = ListContentOf(k.list, FCameraRemoteSettings[static_cast<size_t>(k.list)]);
    for (const TextView name : content.names) list.Add(name);
    list.SetEnabled(content.enabled);
  }
}

void CameraValues::UpdateComboValues(std::optional<ValueList> co) {
  const RemoteReleaseParametersType current = camera_.RemoteGetRemoteParams();
  last_values_ = ListedValues(current);
  if (!co) {
    FImageMode = Text(ValueName(current.ImageMode));
    if (settings_) settings_->SetImageMode(FImageMode);
  }
  if (settings_) {
    if (FCameraProbeDone) {
      // A name the list does not hold leaves the list without a choice.
      for (const ValueKind& k : kValueKinds)
        if (!co || *co == k.list) settings_->List(k.list).SelectText(k.name(k.get(current)), -1);
    } else {
      settings_->List(ValueList::AFMode).SetHint(ValueName(current.AFMode));
      settings_->List(ValueList::ISO).SetHint(ValueName(current.ISO));
    }
  }
  if (on_shown) on_shown();
}

void CameraValues::SetCameraValues(std::optional<ValueList> co) {
  if (!settings_) return;
  std::array<int, kValueListCount> selected{};
  std::array<bool, kValueListCount> enabled{};
  for (const ValueKind& k : kValueKinds) {
    const ui::ComboBox& list = settings_->List(k.list);
    selected[static_cast<size_t>(k.list)] = list.ItemIndex();
    enabled[static_cast<size_t>(k.list)] = list.Enabled();
  }
  camera_.RemoteSetRemoteParams(ValuesToSend(FCameraRemoteSettings, selected, enabled, co));
}

Text CameraValues::GetComboValue(const ui::ComboBox& combo) const {
  return FCameraProbeDone ? combo.Item(combo.ItemIndex()) : combo.Hint();
}

void CameraValues::ApplyText(TextView text) {
  const RemoteReleaseParametersType values = CameraValuesOfText(text);
  WriteLogTime(u"Set Camera Settings: start2 - ");
  camera_.RemoteSetRemoteParams(values);
  last_values_ = ListedValues(last_values_, values);
}

void CameraValues::GiveBack() {
  const RemoteReleaseParametersType values = last_values_;  // the camera's answers may refresh them
  try {
    camera_.RemoteSetRemoteParams(values);
  } catch (...) {
    // The camera keeps the values it came back with; the lists show them.
    win::LogSwallowed(u"Reconnect values");
  }
}

}  // namespace eos
