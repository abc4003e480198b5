// Remote mode and shooting parameters: RemoteStart (with the probe of the values the
// camera offers and its cache file), the number of shots left, and reading and writing
// the shooting parameters. Every value converts through EdsValueCodes.
//
// Reading, writing and probing walk one table of properties, in the same order, so the
// camera sees the same sequence of calls whichever of the three runs.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/core/EdsValueCodes.h"
#include "Sources/record_file.h"

namespace eos {
namespace {

using Params = RemoteReleaseParametersType;
using Offered = RemoteReleaseAvailParametersType;

// First field of the parameter cache file; a file with another number is not read.
constexpr std::int32_t kCacheVersion = 317;

// A refused parameter write is dropped after its retry: the caller learns nothing.
template <class T>
void WriteWithRetry(EdsCameraRef camera, EdsPropertyID id, const T& value) {
  RetryBusy(kParameterWriteRetry, [&] { return SetProperty(camera, id, value); });
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

// What reading and writing the parameters need.
struct ParamsAccess {
  const TEDSDK& sdk;
  EdsCameraRef camera;
  bool viewfinder;  // the camera has live view, whose own properties follow some values
};

// Marks only NotUsed as offered and leaves the parameter alone on restoring.
template <class E>
void NoneOffered(OfferedValues<E>& avail, E& current) {
  avail[0] = 1;
  current = E{};
}

// The probe of the values the camera offers. Values that have a list in the SDK are
// taken from it; the others are tried on the camera, which therefore changes: what it
// had before is written back at the end. Progress goes to the component's queue.
class Prober {
 public:
  Prober(TEDSDK& sdk, EdsCameraRef camera, std::uint32_t instance, bool new_protocol)
      : sdk_(sdk), camera_(camera), instance_(instance), new_protocol_(new_protocol) {}

  void Run(Offered& avail);

  bool new_protocol() const { return new_protocol_; }

  // Progress is a counter out of 17, reported as a rounded percentage to the owner; the
  // counter advances whether anyone listens or not.
  void Report(int add) {
    counter_ += add;
    sdk_.Events().ProbeProgress(instance_, std::int32_t{(counter_ * 100 + 8) / 17});
  }

  // The SDK's list of values for the property, at most kEdsMaxPropDesc; a refused list
  // raises.
  template <class Mark>
  int ForEachListed(EdsPropertyID id, Mark mark) {
    EdsPropertyDesc desc{};
    sdk_.EDSDKCheck(EdsGetPropertyDesc(camera_, id, &desc), u"EdsGetPropertyDesc");
    const int count = std::clamp<int>(desc.numElements, 0, static_cast<int>(kEdsMaxPropDesc));
    for (int i = 0; i < count; ++i) mark(static_cast<std::uint32_t>(desc.propDesc[i]));
    return count;
  }

  // Marks every value the SDK lists for the property; an empty list marks NotUsed and
  // leaves the parameter alone on restoring.
  template <class E>
  void MarkListed(EdsPropertyID id, OfferedValues<E>& avail, E& current) {
    if (ForEachListed(id, [&](std::uint32_t code) { avail[FromSdkCode<E>(code)] = 1; }) == 0)
      NoneOffered(avail, current);
  }

  // Tries first..last on the property and marks each value the camera accepts; values
  // without a code are skipped. `after` runs after each try. True when one was accepted.
  template <class E, class After>
  bool TryEach(EdsPropertyID id, E first, E last, OfferedValues<E>& avail, After after) {
    bool any = false;
    for (int v = first; v <= last; ++v) {
      const std::optional<std::uint32_t> code = SdkCode(static_cast<E>(v));
      if (!code) continue;
      if (SetUInt32(camera_, id, *code) == EDS_ERR_OK) {
        avail[v] = 1;
        any = true;
      }
      after();
    }
    return any;
  }

  // Writes the image-quality code of `q` and reads it back after 50 ms; true when the
  // camera kept exactly that code.
  bool KeepsImageQuality(const ImageQualityFields& q) {
    const EdsUInt32 code = EncodeImageQuality(q, false);
    if (SetUInt32(camera_, kEdsPropID_ImageQuality, code) != EDS_ERR_OK) return false;
    Sleep(50);
    return GetUInt32(camera_, kEdsPropID_ImageQuality) == code;
  }

  EdsCameraRef camera() const { return camera_; }
  Params& current() { return current_; }

 private:
  TEDSDK& sdk_;
  EdsCameraRef camera_;
  std::uint32_t instance_;
  bool new_protocol_;
  int counter_ = 1;
  Params current_;
};

// --- The rows of the property table ---

// A parameter that is one SDK code. The probe takes the SDK's list of values, or tries
// each value from `first` to `last` on the camera.
template <class E>
struct CodedProperty {
  EdsPropertyID id;
  E Params::*value;
  OfferedValues<E> Offered::*offered;
  E first{};  // NotUsed: the values are listed
  E last{};
  E reset_after_try{};  // written after each try, so no value is left half-probed
  E always_offered{};   // offered whatever the camera accepts
  std::uint32_t read_mask = 0xFFFFFFFF;
  EdsPropertyID live_view_follower = 0;  // takes the same value when live view exists

  void Read(const ParamsAccess& io, Params& p) const {
    if (const auto v = GetUInt32(io.camera, id)) p.*value = FromSdkCode<E>(*v & read_mask);
  }
  void Write(const ParamsAccess& io, const Params& p) const {
    if (WriteValue(io.camera, id, p.*value) && live_view_follower != 0 && io.viewfinder)
      WriteValue(io.camera, live_view_follower, p.*value);
  }
  void Probe(Prober& prober, Offered& avail) const {
    OfferedValues<E>& offers = avail.*offered;
    E& current = prober.current().*value;
    if (first == E{}) {
      prober.MarkListed(id, offers, current);
    } else {
      const std::optional<std::uint32_t> reset = reset_after_try == E{} ? std::nullopt : SdkCode(reset_after_try);
      if (!prober.TryEach(id, first, last, offers, [&] {
            if (reset) SetUInt32(prober.camera(), id, *reset);
          }))
        NoneOffered(offers, current);
      if (always_offered != E{}) offers[always_offered] = 1;
    }
    prober.Report(1);
  }
};

// A parameter the SDK has no property for: never offered, neither read nor written.
template <class E>
struct AbsentProperty {
  E Params::*value;
  OfferedValues<E> Offered::*offered;

  void Read(const ParamsAccess&, Params&) const {}
  void Write(const ParamsAccess&, const Params&) const {}
  void Probe(Prober& prober, Offered& avail) const { NoneOffered(avail.*offered, prober.current().*value); }
};

// Compression and size of the picture and of the JPEG beside a RAW, packed in one code
// whose encoding depends on the protocol.
struct ImageQualityProperty {
  void Read(const ParamsAccess& io, Params& p) const {
    const bool new_protocol = NewProtocol(io.sdk, io.camera);
    if (const auto v = GetUInt32(io.camera, kEdsPropID_ImageQuality)) {
      const ImageQualityFields q = DecodeImageQuality(*v, new_protocol);
      p.CompQuality = q.CompQuality;
      p.CompQualityPic2RAW = q.CompQualityPic2RAW;
      p.ImageSize = q.ImageSize;
      p.ImageSizePic2RAW = q.ImageSizePic2RAW;
    }
  }
  void Write(const ParamsAccess& io, const Params& p) const {
    // RAW alone needs no JPEG size; any JPEG needs both its quality and its size.
    if ((p.CompQuality != RemoteFormatQualityNotUsed && p.ImageSize != RemoteFormatSizeNotUsed) ||
        p.CompQuality == RemoteFormatQualityRAW) {
      const bool new_protocol = NewProtocol(io.sdk, io.camera);
      const EdsUInt32 code =
          EncodeImageQuality({p.CompQuality, p.ImageSize, p.CompQualityPic2RAW, p.ImageSizePic2RAW}, new_protocol);
      WriteWithRetry(io.camera, kEdsPropID_ImageQuality, code);
    }
  }
  void Probe(Prober& prober, Offered& avail) const {
    if (prober.new_protocol())
      ProbeFromList(prober, avail);
    else
      ProbeByTrying(prober, avail);
  }

 private:
  static void ProbeFromList(Prober& prober, Offered& avail) {
    Params& current = prober.current();
    const int count = prober.ForEachListed(kEdsPropID_ImageQuality, [&](std::uint32_t code) {
      const ImageQualityFields q = DecodeImageQuality(code, true);
      avail.CompQuality[q.CompQuality] = 1;
      avail.ImageSize[q.ImageSize] = 1;
      avail.CompQualityPic2RAW[q.CompQualityPic2RAW] = 1;
      avail.ImageSizePic2RAW[q.ImageSizePic2RAW] = 1;
    });
    if (count == 0) {
      NoneOffered(avail.CompQuality, current.CompQuality);
      NoneOffered(avail.ImageSize, current.ImageSize);
    }
    prober.Report(3);
  }

  static void ProbeByTrying(Prober& prober, Offered& avail) {
    Params& current = prober.current();
    bool any = false;
    for (int q = RemoteFormatQualityEconomy; q <= RemoteFormatQualityRAW; ++q) {
      for (int s = RemoteFormatSizeLarge; s <= RemoteFormatSizeMedium3; ++s) {
        const auto quality = static_cast<RemoteFormatQualityType>(q);
        const auto size = static_cast<RemoteFormatSizeType>(s);
        if (!prober.KeepsImageQuality({quality, size, RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed})) continue;
        avail.CompQuality[q] = 1;
        if (quality != RemoteFormatQualityRAW) avail.ImageSize[s] = 1;
        any = true;
      }
    }
    if (!any) {
      NoneOffered(avail.CompQuality, current.CompQuality);
      NoneOffered(avail.ImageSize, current.ImageSize);
    }
    prober.Report(2);

    // RAW with a JPEG beside it: each JPEG quality below RAW and each size.
    any = false;
    for (int q = RemoteFormatQualityEconomy; q < RemoteFormatQualityRAW; ++q) {
      for (int s = RemoteFormatSizeLarge; s <= RemoteFormatSizeMedium3; ++s) {
        if (!prober.KeepsImageQuality({RemoteFormatQualityRAW, RemoteFormatSizeLarge,
                                       static_cast<RemoteFormatQualityType>(q), static_cast<RemoteFormatSizeType>(s)}))
          continue;
        avail.CompQualityPic2RAW[q] = 1;
        avail.ImageSizePic2RAW[s] = 1;
        any = true;
      }
    }
    if (!any) {
      NoneOffered(avail.CompQualityPic2RAW, current.CompQualityPic2RAW);
      NoneOffered(avail.ImageSizePic2RAW, current.ImageSizePic2RAW);
    }
    prober.Report(1);
  }
};

// The colour temperature, which counts only when the white balance is set in kelvin. It
// is not probed: any temperature goes.
struct KelvinProperty {
  void Read(const ParamsAccess& io, Params& p) const {
    if (p.WhiteBalanceSetting != RemoteFormatWBKelvin) return;
    if (const auto v = GetUInt32(io.camera, kEdsPropID_ColorTemperature))
      p.WhiteBalanceKelvin = static_cast<std::int32_t>(*v);
  }
  void Write(const ParamsAccess& io, const Params& p) const {
    if (p.WhiteBalanceSetting == RemoteFormatWBKelvin)
      WriteWithRetry(io.camera, kEdsPropID_ColorTemperature, EdsInt32{p.WhiteBalanceKelvin / 100 * 100});
  }
  void Probe(Prober&, Offered&) const {}
};

// The white-balance shift, amber-blue and green-magenta; a camera without it answers
// "absent" in either half.
struct WhiteBalanceShiftProperty {
  static std::optional<std::array<EdsInt32, 2>> Shift(EdsCameraRef camera) {
    std::array<EdsInt32, 2> shift{};
    if (GetProperty(camera, kEdsPropID_WhiteBalanceShift, shift) != EDS_ERR_OK || shift[0] == kEdsValue_Absent ||
        shift[1] == kEdsValue_Absent)
      return std::nullopt;
    return shift;
  }
  void Read(const ParamsAccess& io, Params& p) const {
    if (const auto shift = Shift(io.camera)) {
      p.WhiteBalanceShift.WBShiftEnabled = 1;
      p.WhiteBalanceShift.AmberBlue = LowByte<IntN9_9Type>(static_cast<std::uint32_t>((*shift)[0]));
      p.WhiteBalanceShift.GreenMagenta = LowByte<IntN9_9Type>(static_cast<std::uint32_t>((*shift)[1]));
    }
  }
  void Write(const ParamsAccess& io, const Params& p) const {
    if (!p.WhiteBalanceShift.WBShiftEnabled) return;
    const std::array<EdsInt32, 2> shift = {p.WhiteBalanceShift.AmberBlue, p.WhiteBalanceShift.GreenMagenta};
    WriteWithRetry(io.camera, kEdsPropID_WhiteBalanceShift, shift);
  }
  void Probe(Prober& prober, Offered& avail) const {
    avail.WhiteBalanceShift = Shift(prober.camera()).has_value();
    prober.Report(1);
  }
};

// The picture style and its settings record.
struct PictureStyleProperty {
  void Read(const ParamsAccess& io, Params& p) const {
    PictureStyleType& ps = p.PictureStyle;
    if (const auto v = GetUInt32(io.camera, kEdsPropID_PictureStyle)) {
      ps.PictureStyleEnabled = 1;
      ps.PictureStyle = FromSdkCode<PictureStyleNumberType>(*v);
    }
    EdsPictureStyleDesc desc{};
    if (GetProperty(io.camera, kEdsPropID_PictureStyleDesc, desc) != EDS_ERR_OK) return;
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
  void Write(const ParamsAccess& io, const Params& p) const {
    const PictureStyleType& ps = p.PictureStyle;
    if (!ps.PictureStyleEnabled) return;
    // Standard is ordinal 0 and still a style: no NotUsed test here.
    if (const std::optional<std::uint32_t> code = SdkCode(ps.PictureStyle))
      WriteWithRetry(io.camera, kEdsPropID_PictureStyle, EdsUInt32{*code});
    const EdsPictureStyleDesc desc{ps.Contrast,
                                   ps.Sharpness,
                                   ps.SaturationUsed ? EdsInt32{ps.Saturation} : kEdsValue_Absent,
                                   ps.ColorToneUsed ? EdsInt32{ps.ColorTone} : kEdsValue_Absent,
                                   ps.MonochromeFilterUsed ? EdsUInt32{ps.MonochromeFilter} : kEdsEffect_Absent,
                                   ps.MonochromeToneUsed ? EdsUInt32{ps.MonochromeTone} : kEdsEffect_Absent,
                                   0,
                                   0};
    WriteWithRetry(io.camera, kEdsPropID_PictureStyleDesc, desc);
  }
  void Probe(Prober& prober, Offered& avail) const {
    EdsPictureStyleDesc style{};
    avail.PictureStyle = GetProperty(prober.camera(), kEdsPropID_PictureStyleDesc, style) == EDS_ERR_OK;
    prober.Report(1);
  }
};

// Every shooting parameter in the order the camera is asked for it: reading, writing and
// probing each walk this table front to back.
constexpr auto kProperties = std::make_tuple(
    ImageQualityProperty{},
    CodedProperty<RemoteFormatShootingModeType>{kEdsPropID_AEMode, &Params::ImageMode, &Offered::ImageMode},
    CodedProperty<RemoteFormatAVType>{kEdsPropID_Av, &Params::Av, &Offered::Av},
    CodedProperty<RemoteFormatTVType>{kEdsPropID_Tv, &Params::Tv, &Offered::Tv},
    CodedProperty<RemoteFormatExposureCompType>{kEdsPropID_ExposureCompensation, &Params::ExposureCompensation,
                                                &Offered::ExposureCompensation},
    // Live view shows its own white balance: it follows the camera's.
    CodedProperty<RemoteFormatWBType>{.id = kEdsPropID_WhiteBalance,
                                      .value = &Params::WhiteBalanceSetting,
                                      .offered = &Offered::WhiteBalanceSetting,
                                      .first = RemoteFormatWBAuto,
                                      .last = RemoteFormatWBPCSet3,
                                      .live_view_follower = kEdsPropID_Evf_WhiteBalance},
    KelvinProperty{}, WhiteBalanceShiftProperty{},
    // Manual focus is set on the lens, never through the SDK: always offered.
    CodedProperty<RemoteFormatAFModeType>{.id = kEdsPropID_AFMode,
                                          .value = &Params::AFMode,
                                          .offered = &Offered::AFMode,
                                          .first = RemoteFormatAFModeOneShot,
                                          .last = RemoteFormatAFModeAIFocus,
                                          .always_offered = RemoteFormatAFModeManual},
    // Back to single frame after each try, so no drive mode is left behind half-probed.
    CodedProperty<RemoteFormatDriveModeType>{.id = kEdsPropID_DriveMode,
                                             .value = &Params::DriveMode,
                                             .offered = &Offered::DriveMode,
                                             .first = RemoteFormatDriveModeSingleFrame,
                                             .last = RemoteFormatDriveMode2SecSelfTimer,
                                             .reset_after_try = RemoteFormatDriveModeSingleFrame},
    CodedProperty<RemoteFormatMLWeiType>{kEdsPropID_MeteringMode, &Params::MLWeiMode, &Offered::MLWeiMode},
    CodedProperty<RemoteFormatColorSpaceType>{.id = kEdsPropID_ColorSpace,
                                              .value = &Params::ColorSpace,
                                              .offered = &Offered::ColorSpace,
                                              .first = RemoteFormatColorSpaceSRGB,
                                              .last = RemoteFormatColorSpaceAdobeRGB},
    CodedProperty<RemoteFormatISOType>{kEdsPropID_ISOSpeed, &Params::ISO, &Offered::ISO}, PictureStyleProperty{},
    // Contrast, colour gain and sharpness are not camera settings of their own here.
    AbsentProperty<RemoteFormatLevelType>{&Params::Contrast, &Offered::Contrast},
    AbsentProperty<RemoteFormatLevelType>{&Params::ColorGain, &Offered::ColorGain},
    AbsentProperty<RemoteFormatLevelType>{&Params::Sharpness, &Offered::Sharpness},
    // Only the low byte names the effect.
    CodedProperty<RemoteFormatPhotoEffectType>{.id = kEdsPropID_PhotoEffect,
                                               .value = &Params::PhotoEffect,
                                               .offered = &Offered::PhotoEffect,
                                               .first = RemoteFormatPhotoEffectOff,
                                               .last = RemoteFormatPhotoEffectBW,
                                               .read_mask = 0xFF},
    AbsentProperty<RemoteFormatAFDistType>{&Params::AFDistance, &Offered::AFDistance},
    AbsentProperty<RemoteFormatAFFocusingPointType>{&Params::AFFocusingPoint, &Offered::AFFocusingPoint},
    AbsentProperty<RemoteFormatAFLightType>{&Params::AFAssistLight, &Offered::AFAssistLight},
    AbsentProperty<RemoteFormatFlashType>{&Params::StrobeSetting, &Offered::StrobeSetting},
    AbsentProperty<RemoteFormatFlashCompType>{&Params::StrobeCompSetting, &Offered::StrobeCompSetting},
    AbsentProperty<RemoteFormatBeepType>{&Params::Beep, &Offered::Beep});

template <class Step>
void ForEachProperty(Step step) {
  std::apply([&](const auto&... row) { (step(row), ...); }, kProperties);
}

void Prober::Run(Offered& avail) {
  current_ = sdk_.RemoteGetRemoteParams();
  Report(0);
  ForEachProperty([&](const auto& row) { row.Probe(*this, avail); });
  sdk_.RemoteSetRemoteParams(current_);
}

}  // namespace

RemoteFuncType TEDSDK::RemoteStart(ReleaseModeType ReleaseMode, ReleaseDataKindType, bool ProbeRemoteParameters,
                                   TextView CacheRemoteParamDir, const void*, std::int32_t) {
  RemoteFuncType funcs{};
  EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_SaveTo, SaveToCode(ReleaseMode)),
             u"EdsSetPropertyData, kEdsPropID_SaveTo");
  funcs.DoSupportShootingPara = true;

  // Only cameras of the newer protocol have live view, and they need to be told that
  // the host has room for the pictures they deliver.
  const bool new_protocol = NewProtocol(*this, mCameraDevice);
  if (new_protocol) {
    funcs.DoSupportViewfinder = GetUInt32(mCameraDevice, kEdsPropID_Evf_OutputDevice).has_value();
    EDSDKCheck(EdsSetCapacity(mCameraDevice, EdsCapacity{0x7FFFFFFF, 0x1000, 1}), u"EdsSetCapacity");
  }
  mSupportViewfinder = funcs.DoSupportViewfinder;
  EdsSendStatusCommand(mCameraDevice, kEdsCameraStatusCommand_UIUnLock, 0);
  if (!ProbeRemoteParameters) return funcs;

  // One cache file per camera model and shooting mode: what a camera offers depends on
  // both.
  Text cache_file;
  if (!CacheRemoteParamDir.empty()) {
    const std::optional<EdsUInt32> mode = GetUInt32(mCameraDevice, kEdsPropID_AEMode);
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

  Prober(*this, mCameraDevice, mInstanceNumber, new_protocol).Run(funcs.RemoteParamSupported);

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
  EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_AvailableShots, shots),
             u"EdsGetPropertyData, kEdsPropID_AvailableShots");
  return static_cast<std::int32_t>(shots);
}

RemoteReleaseParametersType TEDSDK::RemoteGetRemoteParams() {
  // Every field the camera does not answer for stays NotUsed (zero).
  Params p{};
  const ParamsAccess io{*this, mCameraDevice, mSupportViewfinder};
  ForEachProperty([&](const auto& row) { row.Read(io, p); });
  return p;
}

void TEDSDK::RemoteSetRemoteParams(const RemoteReleaseParametersType& RemoteParam) {
  const ParamsAccess io{*this, mCameraDevice, mSupportViewfinder};
  ForEachProperty([&](const auto& row) { row.Write(io, RemoteParam); });
}

}  // namespace eos
