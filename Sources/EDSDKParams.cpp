// Remote mode and shooting parameters: RemoteStart (with the probe of the values the
// camera offers and its cache file), the number of shots left, and reading and writing
// the shooting parameters. Every value converts through EdsValueCodes.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/core/EdsValueCodes.h"
#include "Sources/record_file.h"

namespace eos {
namespace {

// First field of the parameter cache file; a file with another number is not read.
constexpr std::int32_t kCacheVersion = 317;

template <class T>
bool ReadProperty(EdsCameraRef camera, EdsPropertyID id, T& value) {
  return EdsGetPropertyData(camera, id, 0, sizeof value, &value) == EDS_ERR_OK;
}

std::optional<EdsUInt32> ReadUInt32(EdsCameraRef camera, EdsPropertyID id) {
  EdsUInt32 value = 0;
  if (!ReadProperty(camera, id, value)) return std::nullopt;
  return value;
}

template <class T>
EdsError WriteProperty(EdsCameraRef camera, EdsPropertyID id, const T& value) {
  return EdsSetPropertyData(camera, id, 0, sizeof value, &value);
}

// A busy camera often takes the value a moment later: one more try after 100 ms; a
// second refusal is dropped, the caller learns nothing.
template <class T>
void WriteWithRetry(EdsCameraRef camera, EdsPropertyID id, const T& value) {
  if (WriteProperty(camera, id, value) == EDS_ERR_OK) return;
  Sleep(100);
  WriteProperty(camera, id, value);
}

// Writes v unless it is NotUsed or has no SDK code; answers whether it was sent.
template <class E>
bool WriteValue(EdsCameraRef camera, EdsPropertyID id, E v) {
  if (v == E{}) return false;
  const std::optional<std::uint32_t> code = SdkCode(v);
  if (!code) return false;
  WriteWithRetry(camera, id, EdsUInt32{*code});
  return true;
}

// Cameras of the newer protocol report a non-zero device subtype; it selects the
// image-quality encoding and how image quality is probed.
bool NewProtocol(const TEDSDK& sdk, EdsCameraRef camera) {
  EdsDeviceInfo info{};
  sdk.EDSDKCheck(EdsGetDeviceInfo(camera, &info), u"EdsGetDeviceInfo");
  return info.deviceSubType != 0;
}

EdsSaveTo SaveToCode(ReleaseModeType mode) {
  switch (mode) {
    case ReleaseModeBothPCAndCamera:
      return kEdsSaveTo_Both;
    case ReleaseModeOnlyToCamera:
      return kEdsSaveTo_Camera;
    default:
      return kEdsSaveTo_Host;
  }
}

// The low byte of a 32-bit SDK value as a one-byte record field.
template <class T>
T LowByte(std::uint32_t v) {
  return static_cast<T>(v & 0xFF);
}

// A camera model name as one component of a file name: characters Windows does not
// allow there, and path separators, become "_" so the cache stays inside its folder.
Text FileNamePart(TextView name) {
  Text part(name);
  for (char16_t& c : part)
    if (c < 0x20 || TextView(u"\\/:*?\"<>|").find(c) != TextView::npos) c = u'_';
  return part;
}

// The probe of the values the camera offers. Values that have a list in the SDK are
// taken from it; the others are tried on the camera, which therefore changes: what it
// had before is written back at the end. Progress goes to the component's queue.
class Prober {
 public:
  Prober(TEDSDK& sdk, EdsCameraRef camera, std::uint32_t instance) : sdk_(sdk), camera_(camera), instance_(instance) {}

  void Run(bool new_protocol, RemoteReleaseAvailParametersType& avail);

 private:
  // Progress is a counter out of 17, reported as a rounded percentage to the owner; the
  // counter advances whether anyone listens or not.
  void Report(int add = 0) {
    counter_ += add;
    sdk_.Events().ProbeProgress(instance_, std::int32_t{(counter_ * 100 + 8) / 17});
  }

  void ProbeImageQualityFromList(RemoteReleaseAvailParametersType& avail);
  void ProbeImageQualityByTrying(RemoteReleaseAvailParametersType& avail);
  // Writes the code of (main, second) and reads it back after 50 ms; true when the
  // camera kept exactly that code.
  bool KeepsImageQuality(const ImageQualityFields& q);

  // Marks every value the SDK lists for the property; an empty list marks NotUsed and
  // leaves the parameter alone on restoring. A refused list raises.
  template <class E>
  void MarkListed(EdsPropertyID id, OfferedValues<E>& avail, E& current) {
    EdsPropertyDesc desc{};
    sdk_.EDSDKCheck(EdsGetPropertyDesc(camera_, id, &desc), u"EdsGetPropertyDesc");
    const int count = std::clamp<int>(desc.numElements, 0, static_cast<int>(kEdsMaxPropDesc));
    for (int i = 0; i < count; ++i) avail[FromSdkCode<E>(static_cast<std::uint32_t>(desc.propDesc[i]))] = 1;
    if (count == 0) NoneOffered(avail, current);
  }

  // Tries first..last on the property and marks each value the camera accepts; values
  // without a code are skipped. `after` runs after each try. True when one was accepted.
  template <class E, class After>
  bool TryEach(EdsPropertyID id, E first, E last, OfferedValues<E>& avail, After after) {
    bool any = false;
    for (int v = first; v <= last; ++v) {
      const std::optional<std::uint32_t> code = SdkCode(static_cast<E>(v));
      if (!code) continue;
      if (WriteProperty(camera_, id, EdsUInt32{*code}) == EDS_ERR_OK) {
        avail[v] = 1;
        any = true;
      }
      after();
    }
    return any;
  }
  template <class E>
  void MarkAccepted(EdsPropertyID id, E first, E last, OfferedValues<E>& avail, E& current) {
    if (!TryEach(id, first, last, avail, [] {})) NoneOffered(avail, current);
  }

  template <class E>
  static void NoneOffered(OfferedValues<E>& avail, E& current) {
    avail[0] = 1;
    current = E{};
  }

  TEDSDK& sdk_;
  EdsCameraRef camera_;
  std::uint32_t instance_;
  int counter_ = 1;
  RemoteReleaseParametersType current_;
};

void Prober::Run(bool new_protocol, RemoteReleaseAvailParametersType& avail) {
  current_ = sdk_.RemoteGetRemoteParams();
  Report();

  if (new_protocol) {
    ProbeImageQualityFromList(avail);
  } else {
    ProbeImageQualityByTrying(avail);
  }

  MarkListed(kEdsPropID_AEMode, avail.ImageMode, current_.ImageMode);
  Report(1);
  MarkListed(kEdsPropID_Av, avail.Av, current_.Av);
  Report(1);
  MarkListed(kEdsPropID_Tv, avail.Tv, current_.Tv);
  Report(1);
  MarkListed(kEdsPropID_ExposureCompensation, avail.ExposureCompensation, current_.ExposureCompensation);
  Report(1);

  MarkAccepted(kEdsPropID_WhiteBalance, RemoteFormatWBAuto, RemoteFormatWBPCSet3, avail.WhiteBalanceSetting,
               current_.WhiteBalanceSetting);
  Report(1);

  EdsInt32 shift[2] = {};
  avail.WhiteBalanceShift = ReadProperty(camera_, kEdsPropID_WhiteBalanceShift, shift) &&
                            shift[0] != kEdsValue_Absent && shift[1] != kEdsValue_Absent;
  Report(1);

  // Manual focus is set on the lens, never through the SDK: always offered.
  if (!TryEach(kEdsPropID_AFMode, RemoteFormatAFModeOneShot, RemoteFormatAFModeAIFocus, avail.AFMode, [] {}))
    NoneOffered(avail.AFMode, current_.AFMode);
  avail.AFMode[RemoteFormatAFModeManual] = 1;
  Report(1);

  // Back to single frame after each try, so no drive mode is left behind half-probed.
  const EdsUInt32 single_frame = *SdkCode(RemoteFormatDriveModeSingleFrame);
  if (!TryEach(kEdsPropID_DriveMode, RemoteFormatDriveModeSingleFrame, RemoteFormatDriveMode2SecSelfTimer,
               avail.DriveMode, [&] { WriteProperty(camera_, kEdsPropID_DriveMode, single_frame); }))
    NoneOffered(avail.DriveMode, current_.DriveMode);
  Report(1);

  MarkListed(kEdsPropID_MeteringMode, avail.MLWeiMode, current_.MLWeiMode);
  Report(1);
  MarkAccepted(kEdsPropID_ColorSpace, RemoteFormatColorSpaceSRGB, RemoteFormatColorSpaceAdobeRGB, avail.ColorSpace,
               current_.ColorSpace);
  Report(1);
  MarkListed(kEdsPropID_ISOSpeed, avail.ISO, current_.ISO);
  Report(1);

  EdsPictureStyleDesc style{};
  avail.PictureStyle = ReadProperty(camera_, kEdsPropID_PictureStyleDesc, style);
  ++counter_;

  // Contrast, colour gain and sharpness are not camera settings of their own here.
  NoneOffered(avail.Contrast, current_.Contrast);
  NoneOffered(avail.ColorGain, current_.ColorGain);
  NoneOffered(avail.Sharpness, current_.Sharpness);
  Report();

  MarkAccepted(kEdsPropID_PhotoEffect, RemoteFormatPhotoEffectOff, RemoteFormatPhotoEffectBW, avail.PhotoEffect,
               current_.PhotoEffect);
  Report(1);

  NoneOffered(avail.AFDistance, current_.AFDistance);
  NoneOffered(avail.AFFocusingPoint, current_.AFFocusingPoint);
  NoneOffered(avail.AFAssistLight, current_.AFAssistLight);
  NoneOffered(avail.StrobeSetting, current_.StrobeSetting);
  NoneOffered(avail.StrobeCompSetting, current_.StrobeCompSetting);
  NoneOffered(avail.Beep, current_.Beep);

  sdk_.RemoteSetRemoteParams(current_);
}

void Prober::ProbeImageQualityFromList(RemoteReleaseAvailParametersType& avail) {
  EdsPropertyDesc desc{};
  sdk_.EDSDKCheck(EdsGetPropertyDesc(camera_, kEdsPropID_ImageQuality, &desc), u"EdsGetPropertyDesc");
  const int count = std::clamp<int>(desc.numElements, 0, static_cast<int>(kEdsMaxPropDesc));
  for (int i = 0; i < count; ++i) {
    const ImageQualityFields q = DecodeImageQuality(static_cast<std::uint32_t>(desc.propDesc[i]), true);
    avail.CompQuality[q.CompQuality] = 1;
    avail.ImageSize[q.ImageSize] = 1;
    avail.CompQualityPic2RAW[q.CompQualityPic2RAW] = 1;
    avail.ImageSizePic2RAW[q.ImageSizePic2RAW] = 1;
  }
  if (count == 0) {
    NoneOffered(avail.CompQuality, current_.CompQuality);
    NoneOffered(avail.ImageSize, current_.ImageSize);
  }
  Report(3);
}

bool Prober::KeepsImageQuality(const ImageQualityFields& q) {
  const EdsUInt32 code = EncodeImageQuality(q, false);
  if (WriteProperty(camera_, kEdsPropID_ImageQuality, code) != EDS_ERR_OK) return false;
  Sleep(50);
  return ReadUInt32(camera_, kEdsPropID_ImageQuality) == code;
}

void Prober::ProbeImageQualityByTrying(RemoteReleaseAvailParametersType& avail) {
  bool any = false;
  for (int q = RemoteFormatQualityEconomy; q <= RemoteFormatQualityRAW; ++q) {
    for (int s = RemoteFormatSizeLarge; s <= RemoteFormatSizeMedium3; ++s) {
      const auto quality = static_cast<RemoteFormatQualityType>(q);
      const auto size = static_cast<RemoteFormatSizeType>(s);
      if (!KeepsImageQuality({quality, size, RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed})) continue;
      avail.CompQuality[q] = 1;
      if (quality != RemoteFormatQualityRAW) avail.ImageSize[s] = 1;
      any = true;
    }
  }
  if (!any) {
    NoneOffered(avail.CompQuality, current_.CompQuality);
    NoneOffered(avail.ImageSize, current_.ImageSize);
  }
  Report(2);

  // RAW with a JPEG beside it: each JPEG quality below RAW and each size.
  any = false;
  for (int q = RemoteFormatQualityEconomy; q < RemoteFormatQualityRAW; ++q) {
    for (int s = RemoteFormatSizeLarge; s <= RemoteFormatSizeMedium3; ++s) {
      if (!KeepsImageQuality({RemoteFormatQualityRAW, RemoteFormatSizeLarge, static_cast<RemoteFormatQualityType>(q),
                              static_cast<RemoteFormatSizeType>(s)}))
        continue;
      avail.CompQualityPic2RAW[q] = 1;
      avail.ImageSizePic2RAW[s] = 1;
      any = true;
    }
  }
  if (!any) {
    NoneOffered(avail.CompQualityPic2RAW, current_.CompQualityPic2RAW);
    NoneOffered(avail.ImageSizePic2RAW, current_.ImageSizePic2RAW);
  }
  Report(1);
}

}  // namespace

RemoteFuncType TEDSDK::RemoteStart(ReleaseModeType ReleaseMode, ReleaseDataKindType, bool ProbeRemoteParameters,
                                   TextView CacheRemoteParamDir, const void*, std::int32_t) {
  RemoteFuncType funcs{};
  EDSDKCheck(WriteProperty(mCameraDevice, kEdsPropID_SaveTo, EdsUInt32{SaveToCode(ReleaseMode)}),
             u"EdsSetPropertyData, kEdsPropID_SaveTo");
  funcs.DoSupportShootingPara = true;

  // Only cameras of the newer protocol have live view, and they need to be told that
  // the host has room for the pictures they deliver.
  const bool new_protocol = NewProtocol(*this, mCameraDevice);
  if (new_protocol) {
    funcs.DoSupportViewfinder = ReadUInt32(mCameraDevice, kEdsPropID_Evf_OutputDevice).has_value();
    EDSDKCheck(EdsSetCapacity(mCameraDevice, EdsCapacity{0x7FFFFFFF, 0x1000, 1}), u"EdsSetCapacity");
  }
  mSupportViewfinder = funcs.DoSupportViewfinder;
  EdsSendStatusCommand(mCameraDevice, kEdsCameraStatusCommand_UIUnLock, 0);
  if (!ProbeRemoteParameters) return funcs;

  // One cache file per camera model and shooting mode: what a camera offers depends on
  // both.
  Text cache_file;
  if (!CacheRemoteParamDir.empty()) {
    const std::optional<EdsUInt32> mode = ReadUInt32(mCameraDevice, kEdsPropID_AEMode);
    const int ordinal = mode ? FromSdkCode<RemoteFormatShootingModeType>(*mode) : 0;
    cache_file =
        Text(CacheRemoteParamDir) + u"\\" + FileNamePart(mCameraInfo.CameraModelName) + u" Mode" + IntToText(ordinal);
    try {
      RecordFile file = RecordFile::OpenRead(cache_file);
      std::int32_t version = 0;
      if (file.Read(&version, sizeof version) == sizeof version && version == kCacheVersion) {
        file.Read(&funcs.RemoteParamSupported, sizeof funcs.RemoteParamSupported);
        return funcs;
      }
    } catch (const EInOutError&) {
      // Missing or unreadable: probe and write it afresh.
    }
  }

  Prober(*this, mCameraDevice, mInstanceNumber).Run(new_protocol, funcs.RemoteParamSupported);

  if (!cache_file.empty()) {
    ForceDirectories(Text(CacheRemoteParamDir));
    RecordFile file = RecordFile::Create(cache_file);
    file.Write(&kCacheVersion, sizeof kCacheVersion);
    file.Write(&funcs.RemoteParamSupported, sizeof funcs.RemoteParamSupported);
  }
  return funcs;
}

std::int32_t TEDSDK::RemoteGetNumberOfAvailableShots() {
  EdsUInt32 shots = 0;
  EDSDKCheck(EdsGetPropertyData(mCameraDevice, kEdsPropID_AvailableShots, 0, sizeof shots, &shots),
             u"EdsGetPropertyData, kEdsPropID_AvailableShots");
  return static_cast<std::int32_t>(shots);
}

RemoteReleaseParametersType TEDSDK::RemoteGetRemoteParams() {
  // Every field the camera does not answer for stays NotUsed (zero).
  RemoteReleaseParametersType p{};
  const bool new_protocol = NewProtocol(*this, mCameraDevice);
  const EdsCameraRef camera = mCameraDevice;

  if (const auto v = ReadUInt32(camera, kEdsPropID_ImageQuality)) {
    const ImageQualityFields q = DecodeImageQuality(*v, new_protocol);
    p.CompQuality = q.CompQuality;
    p.CompQualityPic2RAW = q.CompQualityPic2RAW;
    p.ImageSize = q.ImageSize;
    p.ImageSizePic2RAW = q.ImageSizePic2RAW;
  }
  if (const auto v = ReadUInt32(camera, kEdsPropID_AEMode)) p.ImageMode = FromSdkCode<RemoteFormatShootingModeType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_Av)) p.Av = FromSdkCode<RemoteFormatAVType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_Tv)) p.Tv = FromSdkCode<RemoteFormatTVType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_ExposureCompensation))
    p.ExposureCompensation = FromSdkCode<RemoteFormatExposureCompType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_WhiteBalance))
    p.WhiteBalanceSetting = FromSdkCode<RemoteFormatWBType>(*v);
  if (p.WhiteBalanceSetting == RemoteFormatWBKelvin) {
    if (const auto v = ReadUInt32(camera, kEdsPropID_ColorTemperature))
      p.WhiteBalanceKelvin = static_cast<std::int32_t>(*v);
  }
  EdsInt32 shift[2] = {};
  if (ReadProperty(camera, kEdsPropID_WhiteBalanceShift, shift) && shift[0] != kEdsValue_Absent &&
      shift[1] != kEdsValue_Absent) {
    p.WhiteBalanceShift.WBShiftEnabled = 1;
    p.WhiteBalanceShift.AmberBlue = LowByte<IntN9_9Type>(static_cast<std::uint32_t>(shift[0]));
    p.WhiteBalanceShift.GreenMagenta = LowByte<IntN9_9Type>(static_cast<std::uint32_t>(shift[1]));
  }
  if (const auto v = ReadUInt32(camera, kEdsPropID_AFMode)) p.AFMode = FromSdkCode<RemoteFormatAFModeType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_DriveMode)) p.DriveMode = FromSdkCode<RemoteFormatDriveModeType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_MeteringMode)) p.MLWeiMode = FromSdkCode<RemoteFormatMLWeiType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_ColorSpace))
    p.ColorSpace = FromSdkCode<RemoteFormatColorSpaceType>(*v);
  if (const auto v = ReadUInt32(camera, kEdsPropID_ISOSpeed)) p.ISO = FromSdkCode<RemoteFormatISOType>(*v);

  PictureStyleType& ps = p.PictureStyle;
  if (const auto v = ReadUInt32(camera, kEdsPropID_PictureStyle)) {
    ps.PictureStyleEnabled = 1;
    ps.PictureStyle = FromSdkCode<PictureStyleNumberType>(*v);
  }
  EdsPictureStyleDesc desc{};
  if (ReadProperty(camera, kEdsPropID_PictureStyleDesc, desc)) {
    ps.PictureStyleEnabled = 1;
    ps.Contrast = LowByte<IntN4_4Type>(static_cast<std::uint32_t>(desc.contrast));
    ps.Sharpness = LowByte<Int0_7Type>(desc.sharpness);
    ps.SaturationUsed = desc.saturation != kEdsValue_Absent;
    if (ps.SaturationUsed) ps.Saturation = LowByte<IntN4_4Type>(static_cast<std::uint32_t>(desc.saturation));
    ps.ColorToneUsed = desc.colorTone != kEdsValue_Absent;
    if (ps.ColorToneUsed) ps.ColorTone = LowByte<IntN4_4Type>(static_cast<std::uint32_t>(desc.colorTone));
    ps.MonochromeFilterUsed = desc.filterEffect != kEdsEffect_Absent;
    if (ps.MonochromeFilterUsed) ps.MonochromeFilter = LowByte<MonochromeFilterType>(desc.filterEffect);
    ps.MonochromeToneUsed = desc.toningEffect != kEdsEffect_Absent;
    if (ps.MonochromeToneUsed) ps.MonochromeTone = LowByte<MonochromeToneType>(desc.toningEffect);
  }
  if (const auto v = ReadUInt32(camera, kEdsPropID_PhotoEffect))
    p.PhotoEffect = FromSdkCode<RemoteFormatPhotoEffectType>(*v & 0xFF);
  return p;
}

void TEDSDK::RemoteSetRemoteParams(const RemoteReleaseParametersType& RemoteParam) {
  const RemoteReleaseParametersType& p = RemoteParam;
  const EdsCameraRef camera = mCameraDevice;

  // RAW alone needs no JPEG size; any JPEG needs both its quality and its size.
  if ((p.CompQuality != RemoteFormatQualityNotUsed && p.ImageSize != RemoteFormatSizeNotUsed) ||
      p.CompQuality == RemoteFormatQualityRAW) {
    const bool new_protocol = NewProtocol(*this, camera);
    const EdsUInt32 code =
        EncodeImageQuality({p.CompQuality, p.ImageSize, p.CompQualityPic2RAW, p.ImageSizePic2RAW}, new_protocol);
    WriteWithRetry(camera, kEdsPropID_ImageQuality, code);
  }
  WriteValue(camera, kEdsPropID_AEMode, p.ImageMode);
  WriteValue(camera, kEdsPropID_Av, p.Av);
  WriteValue(camera, kEdsPropID_Tv, p.Tv);
  WriteValue(camera, kEdsPropID_ExposureCompensation, p.ExposureCompensation);
  // Live view shows its own white balance: it follows the camera's.
  if (WriteValue(camera, kEdsPropID_WhiteBalance, p.WhiteBalanceSetting) && mSupportViewfinder)
    WriteValue(camera, kEdsPropID_Evf_WhiteBalance, p.WhiteBalanceSetting);
  if (p.WhiteBalanceSetting == RemoteFormatWBKelvin)
    WriteWithRetry(camera, kEdsPropID_ColorTemperature, EdsInt32{p.WhiteBalanceKelvin / 100 * 100});
  if (p.WhiteBalanceShift.WBShiftEnabled) {
    const EdsInt32 shift[2] = {p.WhiteBalanceShift.AmberBlue, p.WhiteBalanceShift.GreenMagenta};
    WriteWithRetry(camera, kEdsPropID_WhiteBalanceShift, shift);
  }
  WriteValue(camera, kEdsPropID_AFMode, p.AFMode);
  WriteValue(camera, kEdsPropID_DriveMode, p.DriveMode);
  WriteValue(camera, kEdsPropID_MeteringMode, p.MLWeiMode);
  WriteValue(camera, kEdsPropID_ColorSpace, p.ColorSpace);
  WriteValue(camera, kEdsPropID_ISOSpeed, p.ISO);

  const PictureStyleType& ps = p.PictureStyle;
  if (ps.PictureStyleEnabled) {
    // Standard is ordinal 0 and still a style: no NotUsed test here.
    if (const std::optional<std::uint32_t> code = SdkCode(ps.PictureStyle))
      WriteWithRetry(camera, kEdsPropID_PictureStyle, EdsUInt32{*code});
    const EdsPictureStyleDesc desc{ps.Contrast,
                                   ps.Sharpness,
                                   ps.SaturationUsed ? EdsInt32{ps.Saturation} : kEdsValue_Absent,
                                   ps.ColorToneUsed ? EdsInt32{ps.ColorTone} : kEdsValue_Absent,
                                   ps.MonochromeFilterUsed ? EdsUInt32{ps.MonochromeFilter} : kEdsEffect_Absent,
                                   ps.MonochromeToneUsed ? EdsUInt32{ps.MonochromeTone} : kEdsEffect_Absent,
                                   0,
                                   0};
    WriteWithRetry(camera, kEdsPropID_PictureStyleDesc, desc);
  }
  WriteValue(camera, kEdsPropID_PhotoEffect, p.PhotoEffect);
}

}  // namespace eos
