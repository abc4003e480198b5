// Process-wide state of the plug-in, shared by the host's commands. One plug-in
// instance per process; touched only on the host's thread inside Dll_ParamsW.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"
#include "plugin/core/translations.h"

namespace eos {

struct PluginState {
  Text StoredSettings;
  Text PictureFileName;
  Text LastErrorText;
  std::optional<TranslationList> Translations;
  bool SdkPathPrepared = false;
  bool SettingsOnlyMode = false;
  bool SettingsChanged = false;
  bool SettingsFromHost = false;
  bool WantBase64 = false;
  bool CanSettings = true;
  bool CanFocus = true;
  int32_t DelayIndex = 0;
  int32_t AfterMode = 0;
  bool ViewfinderSupported = false;
  // The camera values of the stored settings were sent; once per process, again after a
  // cancelled settings visit.
  bool CameraValuesApplied = false;
};

PluginState& State();

}  // namespace eos
