// The camera's shooting values in the settings dialog's ten lists: filled with what the
// camera offers, the camera's current values selected, a chosen value sent to the camera,
// and the values the camera held last, which a camera that comes back is given.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "dialog/core/camera_settings.h"

namespace eos {

class TdlgCanonEosSdkSettings;
namespace ui {
class ComboBox;
}

class CameraValues {
 public:
  // The lists are those of `settings` for as long as there is one.
  CameraValues(TCamRemote& camera, const std::unique_ptr<TdlgCanonEosSdkSettings>& settings);

  // Told once the lists show the camera's values (the autofocus button follows them).
  std::function<void()> on_shown;

  // Fills each list with the values `offered` says the camera has.
  void GetCameraValues(const RemoteReleaseAvailParametersType& offered);
  // Reads the camera's values and selects them in the changed list, or in every list.
  void UpdateComboValues(std::optional<ValueList> co = std::nullopt);
  // Sends the changed list's value, or every list's, to the camera.
  void SetCameraValues(std::optional<ValueList> co = std::nullopt);
  // A list's value: its chosen entry once the camera's values are probed, else its hint.
  Text GetComboValue(const ui::ComboBox& combo) const;
  // The camera values of a settings text to the camera.
  void ApplyText(TextView text);
  // A camera that came back gets the values the camera had.
  void GiveBack();

  // The lists hold every value the camera offers, not only its current ones.
  bool ProbeDone() const { return FCameraProbeDone; }
  void SetProbeDone(bool done) { FCameraProbeDone = done; }

 private:
  TCamRemote& camera_;
  const std::unique_ptr<TdlgCanonEosSdkSettings>& settings_;
  OfferedLists FCameraRemoteSettings;
  Text FImageMode;
  bool FCameraProbeDone = false;
  // The ten values as the camera held them last.
  RemoteReleaseParametersType last_values_;
};

}  // namespace eos
