// The conversion between shooting values and the SDK's property codes, both ways.
#include "Sources/core/EdsValueCodes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>

namespace eos {
namespace {

constexpr bool kNew = true, kOld = false;

}  // namespace

void PrintTo(const ImageQualityFields& q, std::ostream* os) {
  *os << "{quality " << int{q.CompQuality} << ", size " << int{q.ImageSize} << ", second quality "
      << int{q.CompQualityPic2RAW} << ", second size " << int{q.ImageSizePic2RAW} << "}";
}

namespace {
constexpr ImageQualityFields kLargeFine{RemoteFormatQualityFine, RemoteFormatSizeLarge, RemoteFormatQualityNotUsed,
                                        RemoteFormatSizeNotUsed};
constexpr ImageQualityFields kRawAlone{RemoteFormatQualityRAW, RemoteFormatSizeNotUsed, RemoteFormatQualityNotUsed,
                                       RemoteFormatSizeNotUsed};
// A RAW code's main size nibble is 0, so RAW reads back with ImageSize Large.
constexpr ImageQualityFields kRawPlusLargeFine{RemoteFormatQualityRAW, RemoteFormatSizeLarge, RemoteFormatQualityFine,
                                               RemoteFormatSizeLarge};

struct QualityCase {
  ImageQualityFields fields;
  bool new_protocol;
  std::uint32_t code;
};

// Codes that encode from these fields and decode back to them.
const QualityCase kQualityRoundTrips[] = {
    {kLargeFine, kNew, 0x0013FF0F},
    {kLargeFine, kOld, 0x00130000},
    {kRawPlusLargeFine, kNew, 0x00640013},
    {kRawPlusLargeFine, kOld, 0x00240013},
    {{RemoteFormatQualityNormal, RemoteFormatSizeSmall, {}, {}}, kNew, 0x0212FF0F},
    {{RemoteFormatQualitySuperfine, RemoteFormatSizeMedium2, {}, {}}, kOld, 0x06150000},
    {{RemoteFormatQualityRAW, RemoteFormatSizeLarge, RemoteFormatQualityNormal, RemoteFormatSizeMedium1},
     kOld,
     0x00240512},
    {{RemoteFormatQualityRAW, RemoteFormatSizeLarge, RemoteFormatQualitySuperfine, RemoteFormatSizeSmall},
     kNew,
     0x00640215},
};

TEST(ImageQuality, EncodesAndDecodesBothProtocols) {
  for (const QualityCase& c : kQualityRoundTrips) {
    EXPECT_EQ(EncodeImageQuality(c.fields, c.new_protocol), c.code) << std::hex << c.code;
    EXPECT_EQ(DecodeImageQuality(c.code, c.new_protocol), c.fields) << std::hex << c.code;
  }
}

TEST(ImageQuality, RawAloneEncodesWithoutASecondImage) {
  EXPECT_EQ(EncodeImageQuality(kRawAlone, kNew), 0x0064FF0Fu);
  EXPECT_EQ(EncodeImageQuality(kRawAlone, kOld), 0x00240000u);
  const ImageQualityFields raw_large{RemoteFormatQualityRAW, RemoteFormatSizeLarge, {}, {}};
  EXPECT_EQ(DecodeImageQuality(0x0064FF0F, kNew), raw_large);
  EXPECT_EQ(DecodeImageQuality(0x00240000, kOld), raw_large);
  // The RAW main image ignores the JPEG size the record may hold.
  EXPECT_EQ(EncodeImageQuality({RemoteFormatQualityRAW, RemoteFormatSizeSmall, {}, {}}, kOld), 0x00240000u);
}

TEST(ImageQuality, ValuesWithoutACodePackAsF) {
  const QualityCase cases[] = {
      {{RemoteFormatQualityEconomy, RemoteFormatSizeLarge, {}, {}}, kOld, 0x001F0000},
      {{RemoteFormatQualityFine, RemoteFormatSizeMedium3, {}, {}}, kNew, 0x0F13FF0F},
      {{RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed, {}, {}}, kOld, 0x0F1F0000},
      {{RemoteFormatQualityRAW, {}, RemoteFormatQualityFine, RemoteFormatSizeNotUsed}, kOld, 0x00240F13},
      {{RemoteFormatQualityRAW, {}, RemoteFormatQualityNotUsed, RemoteFormatSizeLarge}, kNew, 0x0064001F},
      // Bytes outside their enumeration, as a damaged file may hold them.
      {{static_cast<RemoteFormatQualityType>(200), static_cast<RemoteFormatSizeType>(7), {}, {}}, kOld, 0x0F1F0000},
  };
  for (const QualityCase& c : cases)
    EXPECT_EQ(EncodeImageQuality(c.fields, c.new_protocol), c.code) << std::hex << c.code;
}

TEST(ImageQuality, DecodingRules) {
  const QualityCase cases[] = {
      // Compression 0 is Superfine on the new protocol only.
      {{RemoteFormatQualitySuperfine, RemoteFormatSizeLarge, {}, {}}, kNew, 0x0010FF0F},
      {{RemoteFormatQualityNotUsed, RemoteFormatSizeLarge, {}, {}}, kOld, 0x00100000},
      // Either RAW format reads as RAW on either protocol.
      {{RemoteFormatQualityRAW, RemoteFormatSizeLarge, {}, {}}, kNew, 0x00240000},
      {{RemoteFormatQualityRAW, RemoteFormatSizeLarge, {}, {}}, kOld, 0x0064FF0F},
      // Unknown nibbles read as NotUsed; a second image only when its format is not 0.
      {{RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed, {}, {}}, kOld, 0x0F1F0000},
      {{RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed, {}, {}}, kOld, 0xFFFFFF0F},
      {{RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed, RemoteFormatQualityNotUsed, RemoteFormatSizeNotUsed},
       kOld,
       0xFFFFFFFF},
      {{RemoteFormatQualityRAW, RemoteFormatSizeLarge, RemoteFormatQualitySuperfine, RemoteFormatSizeMedium},
       kNew,
       0x00640110},
  };
  for (const QualityCase& c : cases)
    EXPECT_EQ(DecodeImageQuality(c.code, c.new_protocol), c.fields) << std::hex << c.code;
}

TEST(ImageQuality, EveryCodedCombinationRoundTrips) {
  const RemoteFormatQualityType jpeg[] = {RemoteFormatQualityNormal, RemoteFormatQualityFine,
                                          RemoteFormatQualitySuperfine};
  const RemoteFormatSizeType sizes[] = {RemoteFormatSizeLarge, RemoteFormatSizeMedium, RemoteFormatSizeSmall,
                                        RemoteFormatSizeMedium1, RemoteFormatSizeMedium2};
  for (bool protocol : {kNew, kOld})
    for (auto q : jpeg)
      for (auto s : sizes) {
        const ImageQualityFields alone{q, s, {}, {}};
        EXPECT_EQ(DecodeImageQuality(EncodeImageQuality(alone, protocol), protocol), alone);
        const ImageQualityFields with_raw{RemoteFormatQualityRAW, RemoteFormatSizeLarge, q, s};
        EXPECT_EQ(DecodeImageQuality(EncodeImageQuality(with_raw, protocol), protocol), with_raw);
      }
}

// A value table: the code of each value, nullopt where there is none.
template <class E>
struct CodeCase {
  E value;
  std::optional<std::uint32_t> code;
};

// Writes every value of a kind and checks each code against the table; every written
// code must read back as the value it came from.
template <class E>
void ExpectTable(std::initializer_list<CodeCase<E>> table) {
  ASSERT_EQ(table.size(), static_cast<size_t>(kEnumCount<E>)) << "the table names every value";
  for (const CodeCase<E>& c : table) {
    EXPECT_EQ(SdkCode(c.value), c.code) << int{c.value};
    if (c.code) EXPECT_EQ(FromSdkCode<E>(*c.code), c.value) << int{c.value};
  }
  EXPECT_EQ(SdkCode(static_cast<E>(kEnumCount<E>)), std::nullopt);
  EXPECT_EQ(SdkCode(static_cast<E>(255)), std::nullopt);
}

constexpr std::nullopt_t none = std::nullopt;

TEST(ValueCodes, ShootingMode) {
  using E = RemoteFormatShootingModeType;
  ExpectTable<E>({{RemoteFormatShootingModeNotUsed, none},
                  {RemoteFormatShootingModeAuto, 0x09},
                  {RemoteFormatShootingModeManual, 0x03},
                  {RemoteFormatShootingModeFarScene, 0x0D},
                  {RemoteFormatShootingModeFastShutter, 0x0B},
                  {RemoteFormatShootingModeSlowShutter, none},
                  {RemoteFormatShootingModeNightScene, 0x17},
                  {RemoteFormatShootingModeGrayScene, none},
                  {RemoteFormatShootingModeSepia, none},
                  {RemoteFormatShootingModePortrait, 0x0C},
                  {RemoteFormatShootingModeSport, none},
                  {RemoteFormatShootingModeMacro, 0x0E},
                  {RemoteFormatShootingModeBW, none},
                  {RemoteFormatShootingModePanFocus, none},
                  {RemoteFormatShootingModeVivid, none},
                  {RemoteFormatShootingModeNeutral, none},
                  {RemoteFormatShootingModeProgram, 0x00},
                  {RemoteFormatShootingModeTV, 0x01},
                  {RemoteFormatShootingModeAV, 0x02},
                  {RemoteFormatShootingModeADep, 0x05},
                  {RemoteFormatShootingModeMDep, 0x06},
                  {RemoteFormatShootingModeBulb, 0x04},
                  {RemoteFormatShootingModeManual2, none},
                  {RemoteFormatShootingModeFlashOff, 0x0F},
                  {RemoteFormatShootingModeLongShutter, none},
                  {RemoteFormatShootingModeSuperMacro, none},
                  {RemoteFormatShootingModeFoliage, none},
                  {RemoteFormatShootingModeIndoor, none},
                  {RemoteFormatShootingModeFireworks, none},
                  {RemoteFormatShootingModeBeach, none},
                  {RemoteFormatShootingModeUnderwater, none},
                  {RemoteFormatShootingModeSnow, none},
                  {RemoteFormatShootingModeKidsAndPets, none},
                  {RemoteFormatShootingModeNightSnapshot, none},
                  {RemoteFormatShootingModeDigitalMacro, none},
                  {RemoteFormatShootingModeMyColors, none},
                  {RemoteFormatShootingModePhotoInMovie, 0x15},
                  {RemoteFormatShootingModeCreativeAuto, 0x13},
                  {RemoteFormatShootingModeSceneIntelligentAuto, 0x16},
                  {RemoteFormatShootingModeNightPortrait, 0x0A},
                  {RemoteFormatShootingModeBacklitScenes, 0x18},
                  {RemoteFormatShootingModeSCN, 0x19},
                  {RemoteFormatShootingModeChildren, 0x1A},
                  {RemoteFormatShootingModeFood, 0x1B},
                  {RemoteFormatShootingModeCandlelightPortraits, 0x1C}});
  EXPECT_EQ(FromSdkCode<E>(0x7703), RemoteFormatShootingModeManual);  // the low byte
  EXPECT_EQ(FromSdkCode<E>(0x07), RemoteFormatShootingModeNotUsed);
  EXPECT_EQ(FromSdkCode<E>(0xFFFFFFFF), RemoteFormatShootingModeNotUsed);
}

TEST(ValueCodes, DriveMode) {
  ExpectTable<RemoteFormatDriveModeType>({{RemoteFormatDriveModeNotUsed, none},
                                          {RemoteFormatDriveModeSingleFrame, 0x00},
                                          {RemoteFormatDriveModeContinous, 0x01},
                                          {RemoteFormatDriveModeVideo, 0x02},
                                          {RemoteFormatDriveModeHighSpeedContinous, 0x04},
                                          {RemoteFormatDriveModeLowSpeedContinous, 0x05},
                                          {RemoteFormatDriveMode10SecSelfTimer, 0x10},
                                          {RemoteFormatDriveMode2SecSelfTimer, 0x11}});
  EXPECT_EQ(FromSdkCode<RemoteFormatDriveModeType>(0x03), RemoteFormatDriveModeNotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatDriveModeType>(0x100), RemoteFormatDriveModeNotUsed);  // all 32 bits
}

TEST(ValueCodes, MeteringAfColourSpaceAndPhotoEffect) {
  ExpectTable<RemoteFormatMLWeiType>({{RemoteFormatMLWeiNotUsed, none},
                                      {RemoteFormatMLWeiCenterWeighted, none},
                                      {RemoteFormatMLWeiSpot, 1},
                                      {RemoteFormatMLWeiAveraging, none},
                                      {RemoteFormatMLWeiEvaluative, 3},
                                      {RemoteFormatMLWeiPartial, 4},
                                      {RemoteFormatMLWeiCenterwWeightedAveraging, 5}});
  ExpectTable<RemoteFormatAFModeType>({{RemoteFormatAFModeNotUsed, none},
                                       {RemoteFormatAFModeOneShot, 0},
                                       {RemoteFormatAFModeAIServo, 1},
                                       {RemoteFormatAFModeAIFocus, 2},
                                       {RemoteFormatAFModeManual, 3}});
  ExpectTable<RemoteFormatColorSpaceType>(
      {{RemoteFormatColorSpaceNotUsed, none}, {RemoteFormatColorSpaceSRGB, 1}, {RemoteFormatColorSpaceAdobeRGB, 2}});
  ExpectTable<RemoteFormatPhotoEffectType>({{RemoteFormatPhotoEffectNotUsed, none},
                                            {RemoteFormatPhotoEffectOff, 0},
                                            {RemoteFormatPhotoEffectVivid, none},
                                            {RemoteFormatPhotoEffectNeutral, none},
                                            {RemoteFormatPhotoEffectLowSharpening, none},
                                            {RemoteFormatPhotoEffectSepia, none},
                                            {RemoteFormatPhotoEffectBW, 5}});
  EXPECT_EQ(FromSdkCode<RemoteFormatMLWeiType>(0), RemoteFormatMLWeiNotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatMLWeiType>(2), RemoteFormatMLWeiNotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatAFModeType>(4), RemoteFormatAFModeNotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatColorSpaceType>(0), RemoteFormatColorSpaceNotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatPhotoEffectType>(1), RemoteFormatPhotoEffectNotUsed);
}

TEST(ValueCodes, WhiteBalanceReadsTheLowByte) {
  using E = RemoteFormatWBType;
  ExpectTable<E>({{RemoteFormatWBNotUsed, none},
                  {RemoteFormatWBAuto, 0},
                  {RemoteFormatWBDaylight, 1},
                  {RemoteFormatWBCloudy, 2},
                  {RemoteFormatWBTungsten, 3},
                  {RemoteFormatWBFluorscent, 4},
                  {RemoteFormatWBFlash, 5},
                  {RemoteFormatWBFluorescentLight, 6},
                  {RemoteFormatWBCustom, none},
                  {RemoteFormatWBCustom1, none},
                  {RemoteFormatWBCustom2, none},
                  {RemoteFormatWBBW, none},
                  {RemoteFormatWBShade, 8},
                  {RemoteFormatWBKelvin, 9},
                  {RemoteFormatWBPCSet1, 10},
                  {RemoteFormatWBPCSet2, 11},
                  {RemoteFormatWBPCSet3, 12}});
  EXPECT_EQ(FromSdkCode<E>(0xFFFFFFFE), RemoteFormatWBNotUsed);  // the SDK's -2
  EXPECT_EQ(FromSdkCode<E>(0xFFFFFFFF), RemoteFormatWBNotUsed);
  EXPECT_EQ(FromSdkCode<E>(7), RemoteFormatWBNotUsed);
  EXPECT_EQ(FromSdkCode<E>(0x0109), RemoteFormatWBKelvin);
}

TEST(ValueCodes, PictureStyleFallsBackToStandard) {
  using E = PictureStyleNumberType;
  ExpectTable<E>({{PictureStyleStandard, 0x81},
                  {PictureStylePortrait, 0x82},
                  {PictureStyleLandscape, 0x83},
                  {PictureStyleNeutral, 0x84},
                  {PictureStyleFaithful, 0x85},
                  {PictureStyleMonochrome, 0x86},
                  {PictureStyleUser1, 0x21},
                  {PictureStyleUser2, 0x22},
                  {PictureStyleUser3, 0x23},
                  {PictureStylePC1, 0x41},
                  {PictureStylePC2, 0x42},
                  {PictureStylePC3, 0x43},
                  {PictureStyleAuto, 0x87},
                  {PictureStyleFineDetail, 0x88}});
  EXPECT_EQ(FromSdkCode<E>(0x89), PictureStyleStandard);
  EXPECT_EQ(FromSdkCode<E>(0), PictureStyleStandard);
  EXPECT_EQ(FromSdkCode<E>(0x1143), PictureStylePC3);
}

TEST(ValueCodes, Iso) {
  ExpectTable<RemoteFormatISOType>(
      {{RemoteFormatISONotUsed, none}, {RemoteFormatISOAuto, 0x00},  {RemoteFormatISO50, 0x40},
       {RemoteFormatISO64, 0x43},      {RemoteFormatISO80, 0x45},    {RemoteFormatISO100, 0x48},
       {RemoteFormatISO125, 0x4B},     {RemoteFormatISO160, 0x4D},   {RemoteFormatISO200, 0x50},
       {RemoteFormatISO250, 0x53},     {RemoteFormatISO320, 0x55},   {RemoteFormatISO400, 0x58},
       {RemoteFormatISO500, 0x5B},     {RemoteFormatISO640, 0x5D},   {RemoteFormatISO800, 0x60},
       {RemoteFormatISO1000, 0x63},    {RemoteFormatISO1250, 0x65},  {RemoteFormatISO1600, 0x68},
       {RemoteFormatISO2000, 0x6B},    {RemoteFormatISO2500, 0x6D},  {RemoteFormatISO3200, 0x70},
       {RemoteFormatISO6400, 0x78},    {RemoteFormatISO12800, 0x80}, {RemoteFormatISO25600, 0x88},
       {RemoteFormatISO51200, 0x90},   {RemoteFormatISO102400, 0x98}});
  EXPECT_EQ(FromSdkCode<RemoteFormatISOType>(0x49), RemoteFormatISONotUsed);
  EXPECT_EQ(FromSdkCode<RemoteFormatISOType>(0xFFFFFFFF), RemoteFormatISONotUsed);
}

TEST(ValueCodes, ExposureCompensationInThirds) {
  using E = RemoteFormatExposureCompType;
  const CodeCase<E> listed[] = {
      {RemoteFormatExposureCompNotUsed, none},  {RemoteFormatExposureComp500Plus, 0x28},
      {RemoteFormatExposureComp466Plus, 0x25},  {RemoteFormatExposureComp433Plus, 0x23},
      {RemoteFormatExposureComp100Plus, 0x08},  {RemoteFormatExposureComp066Plus, 0x05},
      {RemoteFormatExposureComp033Plus, 0x03},  {RemoteFormatExposureComp0, 0x00},
      {RemoteFormatExposureComp033Minus, 0xFD}, {RemoteFormatExposureComp066Minus, 0xFB},
      {RemoteFormatExposureComp100Minus, 0xF8}, {RemoteFormatExposureComp133Minus, 0xF5},
      {RemoteFormatExposureComp500Minus, 0xD8},
  };
  for (const CodeCase<E>& c : listed) EXPECT_EQ(SdkCode(c.value), c.code) << int{c.value};
  for (int v = 1; v < kEnumCount<E>; ++v) EXPECT_EQ(FromSdkCode<E>(*SdkCode(static_cast<E>(v))), v);
  // Half stops, the sign-extended form and other stray codes match nothing.
  for (std::uint32_t code : {0x04u, 0x0Cu, 0xFCu, 0xF4u, 0xFFFFFFFDu, 0xFFFFFFFFu, 0x29u, 0x100u})
    EXPECT_EQ(FromSdkCode<E>(code), RemoteFormatExposureCompNotUsed) << std::hex << code;
}

TEST(ValueCodes, Aperture) {
  using E = RemoteFormatAVType;
  const CodeCase<E> listed[] = {
      {RemoteFormatAVNotUsed, none}, {RemoteFormatAV1_0, 0x08},  {RemoteFormatAV1_1, 0x0B},  {RemoteFormatAV1_2, 0x0D},
      {RemoteFormatAV1_4, 0x10},     {RemoteFormatAV2_8, 0x20},  {RemoteFormatAV5_6, 0x30},  {RemoteFormatAV8_0, 0x38},
      {RemoteFormatAV11_0, 0x40},    {RemoteFormatAV16_0, 0x48}, {RemoteFormatAV22_0, 0x50}, {RemoteFormatAV32_0, 0x58},
      {RemoteFormatAV45_0, 0x60},    {RemoteFormatAV64_0, 0x68}, {RemoteFormatAV91_0, 0x70},
  };
  for (const CodeCase<E>& c : listed) EXPECT_EQ(SdkCode(c.value), c.code) << int{c.value};
  for (int v = 1; v < kEnumCount<E>; ++v) EXPECT_EQ(FromSdkCode<E>(*SdkCode(static_cast<E>(v))), v);
  const CodeCase<E> reads[] = {
      {RemoteFormatAVNotUsed, 0x00},    {RemoteFormatAVNotUsed, 0x07},    {RemoteFormatAV1_6, 0x14},
      {RemoteFormatAV1_4, 0x12},        {RemoteFormatAV91_0, 0x71},       {RemoteFormatAV91_0, 0xFF},
      {RemoteFormatAV91_0, 0xFFFFFFFF}, {RemoteFormatAVNotUsed, 0x10000}, {RemoteFormatAV1_4, 0xABCD0010},
  };
  for (const CodeCase<E>& c : reads) EXPECT_EQ(FromSdkCode<E>(*c.code), c.value) << std::hex << *c.code;
}

TEST(ValueCodes, ShutterTime) {
  using E = RemoteFormatTVType;
  const CodeCase<E> listed[] = {
      {RemoteFormatTVNotUsed, none}, {RemoteFormatTVBulb, 0x0C},   {RemoteFormatTV30sec, 0x10},
      {RemoteFormatTV25sec, 0x13},   {RemoteFormatTV20sec, 0x15},  {RemoteFormatTV15sec, 0x18},
      {RemoteFormatTV1sec, 0x38},    {RemoteFormatTV1_4, 0x48},    {RemoteFormatTV1_60, 0x68},
      {RemoteFormatTV1_125, 0x70},   {RemoteFormatTV1_250, 0x78},  {RemoteFormatTV1_1000, 0x88},
      {RemoteFormatTV1_4000, 0x98},  {RemoteFormatTV1_8000, 0xA0}, {RemoteFormatTV1_16000, 0xA8},
  };
  for (const CodeCase<E>& c : listed) EXPECT_EQ(SdkCode(c.value), c.code) << int{c.value};
  for (int v = 1; v < kEnumCount<E>; ++v) EXPECT_EQ(FromSdkCode<E>(*SdkCode(static_cast<E>(v))), v);
  const CodeCase<E> reads[] = {
      {RemoteFormatTVNotUsed, 0x00},    {RemoteFormatTVNotUsed, 0x03},   {RemoteFormatTVBulb, 0x04},
      {RemoteFormatTVBulb, 0x0F},       {RemoteFormatTV25sec, 0x14},     {RemoteFormatTV20sec, 0x15},
      {RemoteFormatTV1_16000, 0xA9},    {RemoteFormatTV1_16000, 0xFFFF}, {RemoteFormatTV1_16000, 0xFFFFFFFF},
      {RemoteFormatTVNotUsed, 0x10000}, {RemoteFormatTV30sec, 0x20010},
  };
  for (const CodeCase<E>& c : reads) EXPECT_EQ(FromSdkCode<E>(*c.code), c.value) << std::hex << *c.code;
}

}  // namespace
}  // namespace eos
