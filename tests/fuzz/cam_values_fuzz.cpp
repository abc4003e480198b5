// Name lookups and SDK code readers take text from the settings and numbers from the
// camera: for any input they must answer with a value of the enumeration, and whatever
// they answer must agree with the tables the other way round.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "Sources/core/EdsValueCodes.h"
#include "camremote/core/CamValues.h"

using namespace eos;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

template <class E>
void CheckLookup(TextView name, std::uint8_t ordinal) {
  const E value = ValueFromName<E>(name);
  Check(InEnumRange(value));
  if (value != E{}) Check(SameTextNoCase(ValueName(value), name));
  const TextView shown = ValueName(static_cast<E>(ordinal));
  Check(!shown.empty());
  if (ordinal >= kEnumCount<E>) Check(shown == u"-");
}

template <class E>
void CheckCodes(std::uint32_t code, std::uint8_t ordinal) {
  Check(InEnumRange(FromSdkCode<E>(code)));
  const E value = static_cast<E>(ordinal);
  if (const auto written = SdkCode(value)) Check(InEnumRange(value) && FromSdkCode<E>(*written) == value);
}

// Characters of the stored names, so that fuzzed names hit real entries, and a few that
// must never match: a lone surrogate, NUL and a non-ASCII capital.
Text Name(const std::uint8_t* data, size_t n) {
  static constexpr char16_t kAlphabet[] = u"-+./\" 0123456789ABCDEFGHIKLMNOPRSTUVWabcdefghiklmnoprstuvwxy\u00C9";
  constexpr size_t kCount = sizeof kAlphabet / sizeof kAlphabet[0];  // the final NUL is a character too
  Text t;
  for (size_t i = 0; i < n; ++i) t.push_back(data[i] == 0xFF ? char16_t(0xD800) : kAlphabet[data[i] % kCount]);
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  if (size < 6) return 0;
  std::uint32_t code;
  std::memcpy(&code, data, 4);
  const std::uint8_t ordinal = data[4];
  const Text name = Name(data + 6, size - 6);

  // One lookup kind per input: each compares the name with a whole table.
  using Lookup = void (*)(TextView, std::uint8_t);
  static constexpr Lookup kLookups[] = {
      CheckLookup<RemoteFormatQualityType>,   CheckLookup<RemoteFormatSizeType>,
      CheckLookup<RemoteFormatMLWeiType>,     CheckLookup<RemoteFormatAFModeType>,
      CheckLookup<RemoteFormatWBType>,        CheckLookup<RemoteFormatColorSpaceType>,
      CheckLookup<RemoteFormatDriveModeType>, CheckLookup<RemoteFormatShootingModeType>,
      CheckLookup<RemoteFormatISOType>,       CheckLookup<RemoteFormatExposureCompType>,
      CheckLookup<RemoteFormatAVType>,        CheckLookup<RemoteFormatTVType>};
  kLookups[data[5] % std::size(kLookups)](name, ordinal);

  CheckCodes<RemoteFormatShootingModeType>(code, ordinal);
  CheckCodes<RemoteFormatDriveModeType>(code, ordinal);
  CheckCodes<RemoteFormatMLWeiType>(code, ordinal);
  CheckCodes<RemoteFormatAFModeType>(code, ordinal);
  CheckCodes<RemoteFormatColorSpaceType>(code, ordinal);
  CheckCodes<RemoteFormatPhotoEffectType>(code, ordinal);
  CheckCodes<RemoteFormatWBType>(code, ordinal);
  CheckCodes<PictureStyleNumberType>(code, ordinal);
  CheckCodes<RemoteFormatISOType>(code, ordinal);
  CheckCodes<RemoteFormatExposureCompType>(code, ordinal);
  CheckCodes<RemoteFormatAVType>(code, ordinal);
  CheckCodes<RemoteFormatTVType>(code, ordinal);

  // Image quality: any code decodes to values of the enumerations, and any four bytes
  // encode to a code that decodes to values of the enumerations again.
  for (bool new_protocol : {false, true}) {
    const ImageQualityFields read = DecodeImageQuality(code, new_protocol);
    Check(InEnumRange(read.CompQuality) && InEnumRange(read.ImageSize) && InEnumRange(read.CompQualityPic2RAW) &&
          InEnumRange(read.ImageSizePic2RAW));
    const ImageQualityFields raw{
        static_cast<RemoteFormatQualityType>(data[0]), static_cast<RemoteFormatSizeType>(data[1]),
        static_cast<RemoteFormatQualityType>(data[2]), static_cast<RemoteFormatSizeType>(data[3])};
    const ImageQualityFields again = DecodeImageQuality(EncodeImageQuality(raw, new_protocol), new_protocol);
    Check(InEnumRange(again.CompQuality) && InEnumRange(again.ImageSize));
  }
  return 0;
}
