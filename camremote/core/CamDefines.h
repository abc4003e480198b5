// The camera data model shared by the capture dialog, the remote component and the SDK
// backend: enumerations, records and the one exception class of the camera stack.
//
// Every enumeration is one byte with the ordinals of its list in CamValueLists.h; the
// ordinals are part of the stored formats. Records stored whole in files (the remote
// parameter file and the backend's parameter cache) use ByteBool and fixed-underlying
// enumerations, so any byte read from a file is a valid value, and their layout is
// pinned by the static_asserts below on every target.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "camremote/core/CamValueLists.h"
#include "base/exception.h"
#include "base/text.h"

namespace eos {

// Marks an enumeration value the SDK has no code for (see CamValueLists.h).
inline constexpr int kNoSdkCode = -1;

// The number of values of each enumeration, derived from its list.
template <class E>
struct EnumInfo;
template <class E>
inline constexpr int kEnumCount = EnumInfo<E>::count;

// True when v is one of E's listed values; a byte read from a file or the SDK may not be.
template <class E>
constexpr bool InEnumRange(E v) {
  return static_cast<int>(v) < kEnumCount<E>;
}

#define EOS_ENUMERATOR(name, ...) name,
#define EOS_COUNT_ONE(...) +1
#define EOS_DEFINE_ENUM(Type)                                        \
  enum Type : std::uint8_t { EOS_VALUES_##Type(EOS_ENUMERATOR) };    \
  template <>                                                        \
  struct EnumInfo<Type> {                                            \
    static constexpr int count = 0 EOS_VALUES_##Type(EOS_COUNT_ONE); \
  }

EOS_DEFINE_ENUM(CamModType);
EOS_DEFINE_ENUM(BatterySourceType);
EOS_DEFINE_ENUM(BatteryStatusType);
EOS_DEFINE_ENUM(PictureTypeType);
EOS_DEFINE_ENUM(ReleaseModeType);
EOS_DEFINE_ENUM(ReleaseDataKindType);
EOS_DEFINE_ENUM(RemoteViewFinderOutputType);
EOS_DEFINE_ENUM(RemoteViewFinderDriveLensType);
EOS_DEFINE_ENUM(RemoteViewFinderAFModeType);
EOS_DEFINE_ENUM(RemoteViewFinderZoomType);
EOS_DEFINE_ENUM(RemoteShutterButtonType);
EOS_DEFINE_ENUM(RemoteFormatQualityType);
EOS_DEFINE_ENUM(RemoteFormatSizeType);
EOS_DEFINE_ENUM(RemoteFormatDriveModeType);
EOS_DEFINE_ENUM(RemoteFormatWBType);
EOS_DEFINE_ENUM(RemoteFormatAFModeType);
EOS_DEFINE_ENUM(RemoteFormatAFDistType);
EOS_DEFINE_ENUM(RemoteFormatAFFocusingPointType);
EOS_DEFINE_ENUM(RemoteFormatAFLightType);
EOS_DEFINE_ENUM(RemoteFormatFlashType);
EOS_DEFINE_ENUM(RemoteFormatFlashCompType);
EOS_DEFINE_ENUM(RemoteFormatMLWeiType);
EOS_DEFINE_ENUM(RemoteFormatLevelType);
EOS_DEFINE_ENUM(RemoteFormatColorSpaceType);
EOS_DEFINE_ENUM(RemoteFormatPhotoEffectType);
EOS_DEFINE_ENUM(RemoteFormatBeepType);
EOS_DEFINE_ENUM(MonochromeFilterType);
EOS_DEFINE_ENUM(MonochromeToneType);
EOS_DEFINE_ENUM(PictureStyleNumberType);
EOS_DEFINE_ENUM(EventSeverityType);
EOS_DEFINE_ENUM(EventEnumType);
EOS_DEFINE_ENUM(RemoteEventCallbackType);
EOS_DEFINE_ENUM(NotifyRemoteEventValidType);
EOS_DEFINE_ENUM(TypeOfPictureType);
EOS_DEFINE_ENUM(BitsPerPixelType);
EOS_DEFINE_ENUM(FileFormatType);
EOS_DEFINE_ENUM(RemoteFormatShootingModeType);
EOS_DEFINE_ENUM(RemoteFormatISOType);
EOS_DEFINE_ENUM(RemoteFormatTVType);
EOS_DEFINE_ENUM(RemoteFormatAVType);
EOS_DEFINE_ENUM(RemoteFormatExposureCompType);

#undef EOS_DEFINE_ENUM
#undef EOS_COUNT_ONE
#undef EOS_ENUMERATOR

// One-byte integer subranges.
using IntN4_4Type = std::int8_t;  // -4 to 4
using Int0_7Type = std::uint8_t;  // 0 to 7
using IntN9_9Type = std::int8_t;  // -9 to 9

// A Boolean stored in a file: one byte, 0 false, anything else true. A C++ bool cannot
// hold an arbitrary byte read from disk, this can.
using ByteBool = std::uint8_t;

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

struct TPicRect {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

struct BatteryType {
  BatterySourceType BatterySource = BatterySourceUnknown;
  BatteryStatusType BatteryStatus = BatteryStatusUnknown;
};

// What a connection reports; CameraModel CamModNone means not connected.
struct ConnectInfoType {
  CamModType CameraModel = CamModNone;
  Text CameraModelName;  // the product name as the camera reports it
  Text FirmwareVersion;
  Text OwnerName;
  BatteryType Battery;
};

// One line per camera found. The lists belong to the remote component; this record only
// points at them. Only EOSCameras is ever filled.
using CameraList = std::vector<Text>;
struct CameraConnectedType {
  CameraList* PowerShotCameras = nullptr;
  CameraList* EOSCameras = nullptr;
  CameraList* PowerShotGen2Cameras = nullptr;
};

struct ZoomRectType {
  TPoint Point;
  TPicRect Rect;
};

struct AFFrameRectType {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

struct AFFrameType {
  bool FrameUsed = false;      // filled by the last query
  bool FrameValid = false;     // the focus point's selection state
  bool FrameSelected = false;  // the focus point's in-focus state
  AFFrameRectType FrameRect;   // in AFFocusInfoType::PictureSize coordinates
};

inline constexpr int kAFFrameCount = 128;

struct AFFocusInfoType {
  TPicRect PictureSize;
  std::int32_t NrOfFrames = 0;  // as the camera reports it, which may exceed kAFFrameCount
  std::array<AFFrameType, kAFFrameCount> Frames{};
};

// Rows of HistogramType, in the order live view fills them.
enum HistogramRow : std::uint8_t { HistogramBlue, HistogramRed, HistogramGreen, HistogramLuminance };
using HistogramType = std::array<std::array<std::uint32_t, 256>, 4>;

// Metadata of one live-view frame.
struct ViewfinderPositionType {
  bool Valid = false;  // set once a frame has been fetched
  TPoint ZoomPosition;
  ZoomRectType ZoomRect;
  TPoint ImagePosition;
  TPicRect CoordSystem;  // the coordinate space of the zoom values
  HistogramType Histogram{};
};

// Twelve bytes, one per field, inside RemoteReleaseParametersType.
struct PictureStyleType {
  ByteBool PictureStyleEnabled = 0;
  PictureStyleNumberType PictureStyle = PictureStyleStandard;
  IntN4_4Type Contrast = 0;
  Int0_7Type Sharpness = 0;
  IntN4_4Type Saturation = 0;
  ByteBool SaturationUsed = 0;
  IntN4_4Type ColorTone = 0;
  ByteBool ColorToneUsed = 0;
  MonochromeFilterType MonochromeFilter = MonochromeFilterNone;
  ByteBool MonochromeFilterUsed = 0;
  MonochromeToneType MonochromeTone = MonochromeToneNone;
  ByteBool MonochromeToneUsed = 0;
};

// Three bytes inside RemoteReleaseParametersType.
struct RemoteWhitebalanceShiftType {
  ByteBool WBShiftEnabled = 0;
  IntN9_9Type AmberBlue = 0;
  IntN9_9Type GreenMagenta = 0;
};

struct RemoteZoomCapabilityType {
  std::int32_t CurrentZoomPos = 0;
  std::int32_t MaxOpticalZoomPos = 0;
  std::int32_t MaxZoomPos = 0;
};

// A camera event, passed by value.
struct EventCallbackType {
  EventSeverityType Severity = EventSeverityNotUsed;
  EventEnumType Event = EventNotUsed;
};

// Extra data of a remote event: one 32-bit slot, read as a count or, through its first
// byte, as a picture type. EventValid says which reading carries information.
struct AdditionNotifyRemoteEventType {
  NotifyRemoteEventValidType EventValid = NoNotifyRemoteEventValid;
  std::int32_t NumOfEvents = 0;

  TypeOfPictureType TypeOfPicture() const { return static_cast<TypeOfPictureType>(NumOfEvents & 0xFF); }
  void SetTypeOfPicture(TypeOfPictureType t) { NumOfEvents = (NumOfEvents & ~0xFF) | t; }
};

// One picture stored on the camera.
struct ImageDataType {
  Text NameOfImage;
  bool RAWJpegExists = false;
  std::vector<std::uint8_t> Thumbnail;  // the JPEG file's bytes; empty when there is none
};
using ImageListType = std::vector<ImageDataType>;

struct RAWObjectDevType {
  RemoteFormatWBType WhiteBalance = RemoteFormatWBNotUsed;
  std::int32_t WhiteBalanceKelvin = 0;
};

struct RAWObjectDevAvailType {
  std::array<bool, kEnumCount<RemoteFormatWBType>> WhiteBalance{};
};

// One value per shooting parameter; NotUsed leaves the camera's value unchanged. Stored
// byte for byte in remote parameter files: 48 bytes, little-endian, reserved bytes 0.
struct RemoteReleaseParametersType {
  RemoteFormatQualityType CompQuality = RemoteFormatQualityNotUsed;
  RemoteFormatQualityType CompQualityPic2RAW = RemoteFormatQualityNotUsed;
  RemoteFormatSizeType ImageSize = RemoteFormatSizeNotUsed;
  RemoteFormatSizeType ImageSizePic2RAW = RemoteFormatSizeNotUsed;
  RemoteFormatFlashType StrobeSetting = RemoteFormatFlashNotUsed;
  RemoteFormatFlashCompType StrobeCompSetting = RemoteFormatFlashCompNotUsed;
  RemoteFormatShootingModeType ImageMode = RemoteFormatShootingModeNotUsed;
  RemoteFormatDriveModeType DriveMode = RemoteFormatDriveModeNotUsed;
  RemoteFormatMLWeiType MLWeiMode = RemoteFormatMLWeiNotUsed;
  RemoteFormatAFModeType AFMode = RemoteFormatAFModeNotUsed;
  RemoteFormatAFDistType AFDistance = RemoteFormatAFDistNotUsed;
  RemoteFormatAFFocusingPointType AFFocusingPoint = RemoteFormatAFFocusingPointNotUsed;
  RemoteFormatAFLightType AFAssistLight = RemoteFormatAFLightNotUsed;
  RemoteFormatWBType WhiteBalanceSetting = RemoteFormatWBNotUsed;
  std::uint8_t Reserved14[2] = {};  // ignored on reading
  std::int32_t WhiteBalanceKelvin = 0;
  RemoteWhitebalanceShiftType WhiteBalanceShift;
  PictureStyleType PictureStyle;
  RemoteFormatLevelType Contrast = RemoteFormatLevelNotUsed;
  RemoteFormatLevelType ColorGain = RemoteFormatLevelNotUsed;
  RemoteFormatLevelType Sharpness = RemoteFormatLevelNotUsed;
  RemoteFormatColorSpaceType ColorSpace = RemoteFormatColorSpaceNotUsed;
  RemoteFormatISOType ISO = RemoteFormatISONotUsed;
  RemoteFormatAVType Av = RemoteFormatAVNotUsed;
  RemoteFormatTVType Tv = RemoteFormatTVNotUsed;
  RemoteFormatExposureCompType ExposureCompensation = RemoteFormatExposureCompNotUsed;
  RemoteFormatPhotoEffectType PhotoEffect = RemoteFormatPhotoEffectNotUsed;
  RemoteFormatBeepType Beep = RemoteFormatBeepNotUsed;
  std::uint8_t Reserved45[3] = {};  // ignored on reading
};

// One flag per value of E, indexed by the value's ordinal, NotUsed included.
template <class E>
using OfferedValues = std::array<ByteBool, kEnumCount<E>>;

// Which values of each parameter the camera offers. Stored whole in the backend's
// parameter cache: 340 bytes. DriveMode comes before ImageMode here, unlike above.
struct RemoteReleaseAvailParametersType {
  OfferedValues<RemoteFormatQualityType> CompQuality{};
  OfferedValues<RemoteFormatQualityType> CompQualityPic2RAW{};
  OfferedValues<RemoteFormatSizeType> ImageSize{};
  OfferedValues<RemoteFormatSizeType> ImageSizePic2RAW{};
  OfferedValues<RemoteFormatFlashType> StrobeSetting{};
  OfferedValues<RemoteFormatFlashCompType> StrobeCompSetting{};
  OfferedValues<RemoteFormatDriveModeType> DriveMode{};
  OfferedValues<RemoteFormatShootingModeType> ImageMode{};
  OfferedValues<RemoteFormatMLWeiType> MLWeiMode{};
  OfferedValues<RemoteFormatAFModeType> AFMode{};
  OfferedValues<RemoteFormatAFDistType> AFDistance{};
  OfferedValues<RemoteFormatAFFocusingPointType> AFFocusingPoint{};
  OfferedValues<RemoteFormatAFLightType> AFAssistLight{};
  OfferedValues<RemoteFormatWBType> WhiteBalanceSetting{};
  ByteBool WhiteBalanceShift = 0;
  ByteBool PictureStyle = 0;
  OfferedValues<RemoteFormatLevelType> Contrast{};
  OfferedValues<RemoteFormatLevelType> ColorGain{};
  OfferedValues<RemoteFormatLevelType> Sharpness{};
  OfferedValues<RemoteFormatColorSpaceType> ColorSpace{};
  OfferedValues<RemoteFormatISOType> ISO{};
  OfferedValues<RemoteFormatAVType> Av{};
  OfferedValues<RemoteFormatTVType> Tv{};
  OfferedValues<RemoteFormatExposureCompType> ExposureCompensation{};
  OfferedValues<RemoteFormatPhotoEffectType> PhotoEffect{};
  OfferedValues<RemoteFormatBeepType> Beep{};
};

// What remote mode offers.
struct RemoteFuncType {
  bool DoSupportZoom = false;
  bool DoSupportShootingPara = false;
  bool DoSupportViewfinder = false;
  bool ReqViewfinderOffWhenShooting = false;
  bool DoSupportAfLockUnlock = false;
  RemoteReleaseAvailParametersType RemoteParamSupported;
};

// The exception class of the camera stack: an English message and nothing more.
class ECamException : public Exception {
 public:
  using Exception::Exception;
};

// The stored layouts. They hold on x86_64 and i686 alike because every field is a byte
// except one 32-bit integer, which sits at a multiple of four; the files are
// little-endian, as both targets are.
static_assert(std::endian::native == std::endian::little);
static_assert(std::is_trivially_copyable_v<RemoteReleaseParametersType> &&
              std::is_standard_layout_v<RemoteReleaseParametersType>);
static_assert(sizeof(RemoteWhitebalanceShiftType) == 3 && sizeof(PictureStyleType) == 12);
static_assert(sizeof(RemoteReleaseParametersType) == 48);
static_assert(offsetof(RemoteReleaseParametersType, WhiteBalanceSetting) == 13);
static_assert(offsetof(RemoteReleaseParametersType, WhiteBalanceKelvin) == 16);
static_assert(offsetof(RemoteReleaseParametersType, WhiteBalanceShift) == 20);
static_assert(offsetof(RemoteReleaseParametersType, PictureStyle) == 23);
static_assert(offsetof(RemoteReleaseParametersType, Contrast) == 35);
static_assert(offsetof(RemoteReleaseParametersType, Beep) == 44);

static_assert(std::is_trivially_copyable_v<RemoteReleaseAvailParametersType> &&
              std::is_standard_layout_v<RemoteReleaseAvailParametersType>);
static_assert(sizeof(RemoteReleaseAvailParametersType) == 340);
static_assert(offsetof(RemoteReleaseAvailParametersType, DriveMode) == 48);
static_assert(offsetof(RemoteReleaseAvailParametersType, ImageMode) == 56);
static_assert(offsetof(RemoteReleaseAvailParametersType, WhiteBalanceShift) == 154);
static_assert(offsetof(RemoteReleaseAvailParametersType, Contrast) == 156);
static_assert(offsetof(RemoteReleaseAvailParametersType, ISO) == 171);
static_assert(offsetof(RemoteReleaseAvailParametersType, Tv) == 238);
static_assert(offsetof(RemoteReleaseAvailParametersType, Beep) == 337);

}  // namespace eos
