#include "Sources/core/EdsValueCodes.h"

#include <array>
#include <cstddef>

namespace eos {

namespace {

// The SDK code column of each value list, indexed by ordinal.
template <class E>
struct Codes;

#define EOS_NAMED_CODE(name, text, code) code,
#define EOS_UNNAMED_CODE(name, code) code,
#define EOS_CODE_TABLE(Type, COLUMN)                                                     \
  template <>                                                                            \
  struct Codes<Type> {                                                                   \
    static constexpr std::array<int, kEnumCount<Type>> table{EOS_VALUES_##Type(COLUMN)}; \
  }

EOS_CODE_TABLE(RemoteFormatQualityType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatSizeType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatShootingModeType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatDriveModeType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatMLWeiType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatAFModeType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatColorSpaceType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatWBType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatISOType, EOS_NAMED_CODE);
EOS_CODE_TABLE(RemoteFormatPhotoEffectType, EOS_UNNAMED_CODE);
EOS_CODE_TABLE(PictureStyleNumberType, EOS_UNNAMED_CODE);

#undef EOS_CODE_TABLE
#undef EOS_UNNAMED_CODE
#undef EOS_NAMED_CODE

template <class E>
std::optional<std::uint32_t> TableCode(E v) {
  const auto& table = Codes<E>::table;
  const std::size_t i = v;
  if (i >= table.size() || table[i] == kNoSdkCode) return std::nullopt;
  return static_cast<std::uint32_t>(table[i]);
}

template <class E>
E TableValue(std::uint32_t code, E fallback = E{}) {
  const auto& table = Codes<E>::table;
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i] != kNoSdkCode && static_cast<std::uint32_t>(table[i]) == code) return static_cast<E>(i);
  return fallback;
}

// Apertures, shutter times and exposure amounts step in thirds of a stop: 8 codes per
// stop, and the two thirds in between are +3 and +5.
constexpr std::uint32_t ThirdStops(int thirds) {
  constexpr std::uint32_t kStep[3] = {0, 3, 5};
  return 8 * static_cast<std::uint32_t>(thirds / 3) + kStep[thirds % 3];
}

template <class E>
using CodeArray = std::array<std::uint32_t, kEnumCount<E>>;

constexpr CodeArray<RemoteFormatAVType> kAVCodes = [] {
  CodeArray<RemoteFormatAVType> codes{};
  for (int v = RemoteFormatAV1_0; v < kEnumCount<RemoteFormatAVType>; ++v) codes[v] = 0x08 + ThirdStops(v - 1);
  return codes;
}();

constexpr std::uint32_t kBulbCode = 0x0C;
constexpr CodeArray<RemoteFormatTVType> kTVCodes = [] {
  CodeArray<RemoteFormatTVType> codes{};
  codes[RemoteFormatTVBulb] = kBulbCode;
  for (int v = RemoteFormatTV30sec; v < kEnumCount<RemoteFormatTVType>; ++v) codes[v] = 0x10 + ThirdStops(v - 2);
  return codes;
}();

// +5 stops (15 thirds) at ordinal 1 down to -5 at ordinal 31; one byte, two's complement.
constexpr CodeArray<RemoteFormatExposureCompType> kExposureCodes = [] {
  CodeArray<RemoteFormatExposureCompType> codes{};
  for (int v = RemoteFormatExposureComp500Plus; v < kEnumCount<RemoteFormatExposureCompType>; ++v) {
    const int thirds = RemoteFormatExposureComp0 - v;
    const std::uint32_t magnitude = ThirdStops(thirds < 0 ? -thirds : thirds);
    codes[v] = thirds < 0 ? (0x100 - magnitude) & 0xFF : magnitude;
  }
  return codes;
}();

static_assert(kAVCodes[RemoteFormatAV1_1] == 0x0B && kAVCodes[RemoteFormatAV5_6] == 0x30 &&
              kAVCodes[RemoteFormatAV91_0] == 0x70);
static_assert(kTVCodes[RemoteFormatTV20sec] == 0x15 && kTVCodes[RemoteFormatTV1_125] == 0x70 &&
              kTVCodes[RemoteFormatTV1_16000] == 0xA8);
static_assert(kExposureCodes[RemoteFormatExposureComp500Plus] == 0x28 &&
              kExposureCodes[RemoteFormatExposureComp033Minus] == 0xFD &&
              kExposureCodes[RemoteFormatExposureComp500Minus] == 0xD8);

template <class E>
std::optional<std::uint32_t> ComputedCode(const CodeArray<E>& codes, E v) {
  if (v == E{} || !InEnumRange(v)) return std::nullopt;
  return codes[v];
}

// The value from `first` up with the greatest code not above `code`; NotUsed when even
// the first value's code is above it. The codes rise with the ordinal.
template <class E>
E GreatestNotAbove(const CodeArray<E>& codes, int first, std::uint32_t code) {
  for (int v = kEnumCount<E> - 1; v >= first; --v)
    if (codes[v] <= code) return static_cast<E>(v);
  return E{};
}

constexpr std::uint32_t kNoCodeNibble = 0xF;
constexpr std::uint32_t kJpegFormat = 1;
constexpr std::uint32_t kNoSecondImage = 0xFF0F;  // new protocol only

template <class E>
std::uint32_t Nibble(E v) {
  return TableCode(v).value_or(kNoCodeNibble);
}

std::uint32_t RawFormat(bool new_protocol) { return new_protocol ? 6 : 2; }

RemoteFormatQualityType CompressionFromNibble(std::uint32_t nibble, bool new_protocol) {
  if (new_protocol && nibble == 0) return RemoteFormatQualitySuperfine;
  return TableValue<RemoteFormatQualityType>(nibble);
}

}  // namespace

std::uint32_t EncodeImageQuality(const ImageQualityFields& q, bool new_protocol) {
  const std::uint32_t no_second = new_protocol ? kNoSecondImage : 0;
  if (q.CompQuality == RemoteFormatQualityRAW) {
    const std::uint32_t main = RawFormat(new_protocol) << 20 | Nibble(RemoteFormatQualityRAW) << 16;
    if (q.ImageSizePic2RAW == RemoteFormatSizeNotUsed && q.CompQualityPic2RAW == RemoteFormatQualityNotUsed)
      return main | no_second;
    return main | Nibble(q.ImageSizePic2RAW) << 8 | kJpegFormat << 4 | Nibble(q.CompQualityPic2RAW);
  }
  return Nibble(q.ImageSize) << 24 | kJpegFormat << 20 | Nibble(q.CompQuality) << 16 | no_second;
}

ImageQualityFields DecodeImageQuality(std::uint32_t code, bool new_protocol) {
  const auto nibble = [code](int shift) { return code >> shift & 0xF; };
  ImageQualityFields q;
  q.ImageSize = TableValue<RemoteFormatSizeType>(nibble(24));
  const std::uint32_t main_format = nibble(20);
  q.CompQuality =
      main_format == 6 || main_format == 2 ? RemoteFormatQualityRAW : CompressionFromNibble(nibble(16), new_protocol);
  if (nibble(4) != 0) {
    q.ImageSizePic2RAW = TableValue<RemoteFormatSizeType>(nibble(8));
    q.CompQualityPic2RAW = CompressionFromNibble(nibble(0), new_protocol);
  }
  return q;
}

std::optional<std::uint32_t> SdkCode(RemoteFormatShootingModeType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatDriveModeType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatMLWeiType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatAFModeType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatColorSpaceType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatPhotoEffectType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatWBType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(PictureStyleNumberType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatISOType v) { return TableCode(v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatExposureCompType v) { return ComputedCode(kExposureCodes, v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatAVType v) { return ComputedCode(kAVCodes, v); }
std::optional<std::uint32_t> SdkCode(RemoteFormatTVType v) { return ComputedCode(kTVCodes, v); }

// The kinds whose whole 32-bit code must match a table entry.
template <class E>
E FromSdkCode(std::uint32_t code) {
  return TableValue<E>(code);
}
template RemoteFormatDriveModeType FromSdkCode(std::uint32_t code);
template RemoteFormatMLWeiType FromSdkCode(std::uint32_t code);
template RemoteFormatAFModeType FromSdkCode(std::uint32_t code);
template RemoteFormatColorSpaceType FromSdkCode(std::uint32_t code);
template RemoteFormatPhotoEffectType FromSdkCode(std::uint32_t code);
template RemoteFormatISOType FromSdkCode(std::uint32_t code);

template <>
RemoteFormatShootingModeType FromSdkCode(std::uint32_t code) {
  return TableValue<RemoteFormatShootingModeType>(code & 0xFF);
}
template <>
RemoteFormatWBType FromSdkCode(std::uint32_t code) {
  return TableValue<RemoteFormatWBType>(code & 0xFF);
}
template <>
PictureStyleNumberType FromSdkCode(std::uint32_t code) {
  return TableValue<PictureStyleNumberType>(code & 0xFF, PictureStyleStandard);
}
template <>
RemoteFormatExposureCompType FromSdkCode(std::uint32_t code) {
  for (int v = RemoteFormatExposureComp500Plus; v < kEnumCount<RemoteFormatExposureCompType>; ++v)
    if (kExposureCodes[v] == code) return static_cast<RemoteFormatExposureCompType>(v);
  return RemoteFormatExposureCompNotUsed;
}
template <>
RemoteFormatAVType FromSdkCode(std::uint32_t code) {
  return GreatestNotAbove<RemoteFormatAVType>(kAVCodes, RemoteFormatAV1_0, code & 0xFFFF);
}
template <>
RemoteFormatTVType FromSdkCode(std::uint32_t code) {
  const std::uint32_t low = code & 0xFFFF;
  if (low < 0x04) return RemoteFormatTVNotUsed;
  if (low < kTVCodes[RemoteFormatTV30sec]) return RemoteFormatTVBulb;
  return GreatestNotAbove<RemoteFormatTVType>(kTVCodes, RemoteFormatTV30sec, low);
}

}  // namespace eos
