// The English names of the shooting values and the lookups from a name back to a value.
// The names are shown in the settings dialog and written into the stored settings text,
// so they come unchanged from the value lists in CamValueLists.h.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "camremote/core/CamDefines.h"
#include "base/lumutils.h"

namespace eos {

#define EOS_VALUE_NAME(name, text, ...) u"" text,
#define EOS_NAME_TABLE(Table, Type)                                                                 \
  inline constexpr std::array<TextView, kEnumCount<Type>> Table{EOS_VALUES_##Type(EOS_VALUE_NAME)}; \
  constexpr std::span<const TextView> ValueNames(Type) { return Table; }                            \
  static_assert(Table[0] == u"-")

EOS_NAME_TABLE(QualityNames, RemoteFormatQualityType);
EOS_NAME_TABLE(SizeNames, RemoteFormatSizeType);
EOS_NAME_TABLE(MLWeiNames, RemoteFormatMLWeiType);
EOS_NAME_TABLE(AFModeNames, RemoteFormatAFModeType);
EOS_NAME_TABLE(ColorSpaceNames, RemoteFormatColorSpaceType);
EOS_NAME_TABLE(DriveModeNames, RemoteFormatDriveModeType);
EOS_NAME_TABLE(WBNames, RemoteFormatWBType);
EOS_NAME_TABLE(ShootingModeNames, RemoteFormatShootingModeType);
EOS_NAME_TABLE(ISONames, RemoteFormatISOType);
EOS_NAME_TABLE(ExposureCompNames, RemoteFormatExposureCompType);
EOS_NAME_TABLE(AVNames, RemoteFormatAVType);
EOS_NAME_TABLE(TVNames, RemoteFormatTVType);

#undef EOS_NAME_TABLE
#undef EOS_VALUE_NAME

// The name of a value; "-" for NotUsed and for any ordinal outside the table.
template <class E>
constexpr TextView ValueName(E value) {
  const std::span<const TextView> names = ValueNames(E{});
  const std::size_t i = static_cast<std::size_t>(value);
  return i < names.size() ? names[i] : names[0];
}

// The first value from ordinal 1 up whose name equals `name` without regard to letter
// case; NotUsed when none does. "-" is never compared, so it reads back as NotUsed.
template <class E>
E ValueFromName(TextView name) {
  if (name.empty()) return E{};
  const std::span<const TextView> names = ValueNames(E{});
  for (std::size_t i = 1; i < names.size(); ++i)
    if (SameTextNoCase(name, names[i])) return static_cast<E>(i);
  return E{};
}

RemoteFormatQualityType QualityFromName(TextView name);
RemoteFormatSizeType SizeFromName(TextView name);
RemoteFormatMLWeiType MLWeiFromName(TextView name);
RemoteFormatAFModeType AFModeFromName(TextView name);
RemoteFormatWBType WBFromName(TextView name);
RemoteFormatColorSpaceType ColorSpaceFromName(TextView name);
RemoteFormatISOType ISOFromName(TextView name);
RemoteFormatExposureCompType ExposureCompFromName(TextView name);
RemoteFormatAVType AVFromName(TextView name);
RemoteFormatTVType TVFromName(TextView name);

// The dialog's ordered view of what the camera offers: per parameter kind, the offered
// values in ascending order.
struct CameraRemoteParamType {
  std::vector<RemoteFormatQualityType> CompQuality;
  std::vector<RemoteFormatQualityType> CompQualityPic2RAW;
  std::vector<RemoteFormatSizeType> ImageSize;
  std::vector<RemoteFormatSizeType> ImageSizePic2RAW;
  std::vector<RemoteFormatFlashType> StrobeSetting;
  std::vector<RemoteFormatFlashCompType> StrobeCompSetting;
  std::vector<RemoteFormatShootingModeType> ImageMode;
  std::vector<RemoteFormatDriveModeType> DriveMode;
  std::vector<RemoteFormatMLWeiType> MLWeiMode;
  std::vector<RemoteFormatAFModeType> AFMode;
  std::vector<RemoteFormatAFDistType> AFDistance;
  std::vector<RemoteFormatAFFocusingPointType> AFFocusingPoint;
  std::vector<RemoteFormatAFLightType> AFAssistLight;
  std::vector<RemoteFormatWBType> WhiteBalanceSetting;
  std::vector<RemoteFormatLevelType> Contrast;
  std::vector<RemoteFormatLevelType> ColorGain;
  std::vector<RemoteFormatLevelType> Sharpness;
  std::vector<RemoteFormatColorSpaceType> ColorSpace;
  std::vector<RemoteFormatISOType> ISO;
  std::vector<RemoteFormatExposureCompType> ExposureComp;
  std::vector<RemoteFormatAVType> AV;
  std::vector<RemoteFormatTVType> TV;
  std::vector<RemoteFormatPhotoEffectType> PhotoEffect;
  std::vector<RemoteFormatBeepType> Beep;
};

}  // namespace eos
