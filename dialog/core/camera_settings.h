// The camera's ten shooting values as the settings dialog lists them, and the dialog
// settings text: built from what the camera and the dialog hold, and read back from a
// text that may come from the host or the registry and so is not trusted. Pure functions.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "base/text.h"
#include "camremote/core/CamValues.h"

namespace eos {

// The value lists, in the order of the settings text's keys.
enum class ValueList { Quality, Size, MeteringMode, AFMode, WhiteBalance, ColorSpace, ISO, AV, TV, ExpComp };
inline constexpr int kValueListCount = 10;

// One value list: its key in the settings text, the values from 1 to `last` the camera
// may offer, and the field of the camera's values.
struct ValueKind {
  ValueList list;
  const char16_t* key;
  int last;
  int (*get)(const RemoteReleaseParametersType&);
  void (*set)(RemoteReleaseParametersType&, int value);
  bool (*offered)(const RemoteReleaseAvailParametersType&, int value);
  TextView (*name)(int value);
  int (*from_name)(TextView name);
};

extern const std::array<ValueKind, kValueListCount> kValueKinds;
const ValueKind& KindOf(ValueList list);

// Per list, the values the camera offers, ascending.
using OfferedLists = std::array<std::vector<int>, kValueListCount>;
OfferedLists OfferedByCamera(const RemoteReleaseAvailParametersType& avail);

// What a list shows: the names of its entries (entry i is the value at position i of the
// list's offered values) and whether the user may choose. RAW is never shown but still
// enables the quality list; AF modes are shown only when there is a choice of two.
struct ListContent {
  std::vector<TextView> names;
  bool enabled = false;
};
ListContent ListContentOf(ValueList list, const std::vector<int>& offered);

// The camera's values to send for a change of the dialog's lists. `selected` holds each
// list's chosen entry (-1 for none) and `enabled` whether the list may be used; only the
// changed list is sent, or every list when `changed` is empty. Quality and size always
// travel together, as the camera takes them as one setting.
RemoteReleaseParametersType ValuesToSend(const OfferedLists& offered, const std::array<int, kValueListCount>& selected,
                                         const std::array<bool, kValueListCount>& enabled,
                                         std::optional<ValueList> changed);

// The camera's values of a settings text: each known name of any letter case; absent
// keys, "-" and unknown names leave that value alone. Drive mode is single frame.
RemoteReleaseParametersType CameraValuesOfText(TextView text);

// The ten listed values of `base`, each one `changes` sets (not NotUsed) taken from it;
// every other value NotUsed. What the camera holds after `changes` was sent to it.
RemoteReleaseParametersType ListedValues(const RemoteReleaseParametersType& base,
                                         const RemoteReleaseParametersType& changes = {});

// The live view's frame rates the operator may choose, in frames a second, and the
// polling interval of each. The default is the camera's classic pace of a frame every
// 100 ms; a settings text names another only when it is chosen.
inline constexpr int kFrameRates[] = {10, 15, 20, 30};
inline constexpr int kDefaultFrameRate = 10;
bool IsFrameRate(int rate);
int FrameIntervalMs(int rate);

// The dialog's part of the settings text.
struct DialogSettings {
  int after_mode = 0;
  int delay = 0;
  int angle = 0;
  bool mirror = false;
  Text skin;
  // The dialog's size, written only while no skin is shown.
  std::optional<int> width, height;
  bool face_guide = false;             // written only when on
  int frame_rate = kDefaultFrameRate;  // written only when not the default
};

// The settings text: the camera's current values (`iso` stands in for the ISO name, and
// an empty `iso` leaves the key out), then the dialog's part.
Text BuildSettingsText(const RemoteReleaseParametersType& current, TextView iso, const DialogSettings& dialog);

// The dialog's part of a settings text, as far as it is valid; what is absent takes the
// text's defaults and what is invalid is left out, so the dialog keeps what it has.
struct AppliedDialogSettings {
  std::optional<int> delay;  // 0 when absent; left out unless 0..10
  std::optional<int> angle;  // present and a multiple of 90, normalised into 0..270
  bool mirror = false;
  Text skin;  // empty when absent or not a plain name
  std::optional<int> width, height;
  bool face_guide = false;
  std::optional<int> frame_rate;  // the default when absent; left out unless one of kFrameRates
};
AppliedDialogSettings ReadDialogSettings(TextView text);

inline constexpr int kMaxDelay = 10;
// Window sizes the dialog accepts from a settings text.
inline constexpr int kMinDialogSide = 120;
inline constexpr int kMaxDialogSide = 8192;

}  // namespace eos
