// Conversion between the camera stack's shooting values (CamDefines) and the SDK's
// property codes, both ways. Pure functions; the only outside input is the
// new-protocol flag of the camera, which selects one of two image-quality encodings.
//
// Writing gives no code (nullopt) for a value the SDK has none for, and for a byte
// outside its enumeration; the caller skips such values. Reading never fails: a code
// with no matching value reads as the enumeration's NotUsed value, unless the kind's
// rule below says otherwise.
#pragma once

#include <cstdint>
#include <optional>

#include "camremote/core/CamDefines.h"

namespace eos {

// The four fields packed into kEdsPropID_ImageQuality.
struct ImageQualityFields {
  RemoteFormatQualityType CompQuality = RemoteFormatQualityNotUsed;
  RemoteFormatSizeType ImageSize = RemoteFormatSizeNotUsed;
  RemoteFormatQualityType CompQualityPic2RAW = RemoteFormatQualityNotUsed;
  RemoteFormatSizeType ImageSizePic2RAW = RemoteFormatSizeNotUsed;
  bool operator==(const ImageQualityFields&) const = default;
};

// Nibbles from the top: main size, format, compression (bits 24-27, 20-23, 16-19), then
// second size, format, compression (bits 8-11, 4-7, 0-3). A value without a code packs
// as 0xF. RAW is format 6 on the new protocol and 2 on the older one; on the new
// protocol a missing second image is 0xFF0F.
std::uint32_t EncodeImageQuality(const ImageQualityFields& q, bool new_protocol);
// Format 6 or 2 reads as RAW; compression 0 reads as Superfine on the new protocol; the
// second image is read only when its format nibble is not 0.
ImageQualityFields DecodeImageQuality(std::uint32_t code, bool new_protocol);

std::optional<std::uint32_t> SdkCode(RemoteFormatShootingModeType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatDriveModeType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatMLWeiType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatAFModeType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatColorSpaceType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatPhotoEffectType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatWBType v);
std::optional<std::uint32_t> SdkCode(PictureStyleNumberType v);
std::optional<std::uint32_t> SdkCode(RemoteFormatISOType v);
// A signed number of thirds of a stop as one two's-complement byte: -1/3 is 0xFD.
std::optional<std::uint32_t> SdkCode(RemoteFormatExposureCompType v);
// 0x08 for f/1.0, then 8 per stop in thirds (+3, +5): f/1.1 is 0x0B, f/91 is 0x70.
std::optional<std::uint32_t> SdkCode(RemoteFormatAVType v);
// Bulb is 0x0C; 0x10 for 30 seconds, then 8 per stop in thirds: 1/16000 is 0xA8.
std::optional<std::uint32_t> SdkCode(RemoteFormatTVType v);

// Reading a property value. Rules per kind:
//   shooting mode, white balance: the low byte is looked up (the SDK's negative white
//     balance codes thus read as NotUsed);
//   picture style: the low byte is looked up, an unknown code reads as Standard;
//   exposure compensation and the other tables: the whole 32 bits must match, so
//     half-stop exposure codes read as NotUsed;
//   aperture: the low 16 bits, the value with the greatest code not above them; below
//     0x08 NotUsed, from 0x70 up (0xFFFFFFFF, "invalid", too) f/91; half stops read as
//     the next lower third;
//   shutter time: the low 16 bits; below 0x04 NotUsed, 0x04 to 0x0F Bulb, then the value
//     with the greatest code not above them, from 0xA8 up 1/16000.
template <class E>
E FromSdkCode(std::uint32_t code);

extern template RemoteFormatDriveModeType FromSdkCode(std::uint32_t code);
extern template RemoteFormatMLWeiType FromSdkCode(std::uint32_t code);
extern template RemoteFormatAFModeType FromSdkCode(std::uint32_t code);
extern template RemoteFormatColorSpaceType FromSdkCode(std::uint32_t code);
extern template RemoteFormatPhotoEffectType FromSdkCode(std::uint32_t code);
extern template RemoteFormatISOType FromSdkCode(std::uint32_t code);
template <>
RemoteFormatShootingModeType FromSdkCode(std::uint32_t code);
template <>
RemoteFormatWBType FromSdkCode(std::uint32_t code);
template <>
PictureStyleNumberType FromSdkCode(std::uint32_t code);
template <>
RemoteFormatExposureCompType FromSdkCode(std::uint32_t code);
template <>
RemoteFormatAVType FromSdkCode(std::uint32_t code);
template <>
RemoteFormatTVType FromSdkCode(std::uint32_t code);

}  // namespace eos
