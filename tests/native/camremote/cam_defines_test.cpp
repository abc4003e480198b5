// The data model's ordinals and the stored record layouts.
#include "camremote/core/CamDefines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <span>
#include <vector>

namespace eos {
namespace {

TEST(Enumerations, CountsAndOneByteEach) {
  EXPECT_EQ(kEnumCount<RemoteFormatShootingModeType>, 45);
  EXPECT_EQ(kEnumCount<RemoteFormatISOType>, 26);
  EXPECT_EQ(kEnumCount<RemoteFormatTVType>, 60);
  EXPECT_EQ(kEnumCount<RemoteFormatAVType>, 41);
  EXPECT_EQ(kEnumCount<RemoteFormatExposureCompType>, 32);
  EXPECT_EQ(kEnumCount<RemoteFormatWBType>, 17);
  EXPECT_EQ(kEnumCount<EventEnumType>, 15);
  EXPECT_EQ(kEnumCount<RemoteEventCallbackType>, 11);
  EXPECT_EQ(kEnumCount<PictureStyleNumberType>, 14);
  static_assert(sizeof(RemoteFormatTVType) == 1 && sizeof(CamModType) == 1 && sizeof(EventEnumType) == 1);
  static_assert(sizeof(EventCallbackType) == 2 && sizeof(BatteryType) == 2);
}

TEST(Enumerations, OrdinalsOfTheStoredValues) {
  EXPECT_EQ(RemoteFormatTVBulb, 1);
  EXPECT_EQ(RemoteFormatTV30sec, 2);
  EXPECT_EQ(RemoteFormatTV0sec3, 22);
  EXPECT_EQ(RemoteFormatTV1_4, 23);
  EXPECT_EQ(RemoteFormatTV1_16000, 59);
  EXPECT_EQ(RemoteFormatShootingModeManual, 2);
  EXPECT_EQ(RemoteFormatShootingModeCandlelightPortraits, 44);
  EXPECT_EQ(RemoteFormatWBPCSet3, 16);
  EXPECT_EQ(ReleaseDataKingTakeBothThumbAndPic, 2);
  EXPECT_EQ(RemoteShutterButtonCompletelyPressedNonAF, 4);
  EXPECT_EQ(EventRemoteNewSupportedParameters, 14);
  EXPECT_EQ(FileFormatJPEG, 3);
}

TEST(Enumerations, RangeCheckOfBytesFromOutside) {
  EXPECT_TRUE(InEnumRange(RemoteFormatBeepOff));
  EXPECT_FALSE(InEnumRange(static_cast<RemoteFormatBeepType>(3)));
  EXPECT_TRUE(InEnumRange(RemoteFormatTV1_16000));
  EXPECT_FALSE(InEnumRange(static_cast<RemoteFormatTVType>(60)));
  EXPECT_FALSE(InEnumRange(static_cast<RemoteFormatTVType>(255)));
}

struct FieldAt {
  const char* field;
  size_t offset, size;
};

// The fields as compiled against the documented layout, which also says that the
// fields follow one another without gaps and fill the record.
void ExpectLayout(std::span<const FieldAt> actual, std::span<const FieldAt> expected, size_t record_size) {
  ASSERT_EQ(actual.size(), expected.size());
  size_t next = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    EXPECT_STREQ(actual[i].field, expected[i].field);
    EXPECT_EQ(actual[i].offset, expected[i].offset) << actual[i].field;
    EXPECT_EQ(actual[i].size, expected[i].size) << actual[i].field;
    EXPECT_EQ(expected[i].offset, next) << expected[i].field << " leaves a gap";
    next = expected[i].offset + expected[i].size;
  }
  EXPECT_EQ(next, record_size);
}

#define EOS_FIELD(R, f) \
  { #f, offsetof(R, f), sizeof(R::f) }

TEST(StoredLayout, ReleaseParametersFieldByField) {
  using R = RemoteReleaseParametersType;
  const FieldAt actual[] = {
      EOS_FIELD(R, CompQuality),
      EOS_FIELD(R, CompQualityPic2RAW),
      EOS_FIELD(R, ImageSize),
      EOS_FIELD(R, ImageSizePic2RAW),
      EOS_FIELD(R, StrobeSetting),
      EOS_FIELD(R, StrobeCompSetting),
      EOS_FIELD(R, ImageMode),
      EOS_FIELD(R, DriveMode),
      EOS_FIELD(R, MLWeiMode),
      EOS_FIELD(R, AFMode),
      EOS_FIELD(R, AFDistance),
      EOS_FIELD(R, AFFocusingPoint),
      EOS_FIELD(R, AFAssistLight),
      EOS_FIELD(R, WhiteBalanceSetting),
      EOS_FIELD(R, Reserved14),
      EOS_FIELD(R, WhiteBalanceKelvin),
      EOS_FIELD(R, WhiteBalanceShift),
      EOS_FIELD(R, PictureStyle),
      EOS_FIELD(R, Contrast),
      EOS_FIELD(R, ColorGain),
      EOS_FIELD(R, Sharpness),
      EOS_FIELD(R, ColorSpace),
      EOS_FIELD(R, ISO),
      EOS_FIELD(R, Av),
      EOS_FIELD(R, Tv),
      EOS_FIELD(R, ExposureCompensation),
      EOS_FIELD(R, PhotoEffect),
      EOS_FIELD(R, Beep),
      EOS_FIELD(R, Reserved45),
  };
  const FieldAt documented[] = {
      {"CompQuality", 0, 1},
      {"CompQualityPic2RAW", 1, 1},
      {"ImageSize", 2, 1},
      {"ImageSizePic2RAW", 3, 1},
      {"StrobeSetting", 4, 1},
      {"StrobeCompSetting", 5, 1},
      {"ImageMode", 6, 1},
      {"DriveMode", 7, 1},
      {"MLWeiMode", 8, 1},
      {"AFMode", 9, 1},
      {"AFDistance", 10, 1},
      {"AFFocusingPoint", 11, 1},
      {"AFAssistLight", 12, 1},
      {"WhiteBalanceSetting", 13, 1},
      {"Reserved14", 14, 2},
      {"WhiteBalanceKelvin", 16, 4},
      {"WhiteBalanceShift", 20, 3},
      {"PictureStyle", 23, 12},
      {"Contrast", 35, 1},
      {"ColorGain", 36, 1},
      {"Sharpness", 37, 1},
      {"ColorSpace", 38, 1},
      {"ISO", 39, 1},
      {"Av", 40, 1},
      {"Tv", 41, 1},
      {"ExposureCompensation", 42, 1},
      {"PhotoEffect", 43, 1},
      {"Beep", 44, 1},
      {"Reserved45", 45, 3},
  };
  ExpectLayout(actual, documented, 48);
  EXPECT_EQ(sizeof(R), 48u);
}

TEST(StoredLayout, PictureStyleByteByByte) {
  using P = PictureStyleType;
  const FieldAt actual[] = {
      EOS_FIELD(P, PictureStyleEnabled),
      EOS_FIELD(P, PictureStyle),
      EOS_FIELD(P, Contrast),
      EOS_FIELD(P, Sharpness),
      EOS_FIELD(P, Saturation),
      EOS_FIELD(P, SaturationUsed),
      EOS_FIELD(P, ColorTone),
      EOS_FIELD(P, ColorToneUsed),
      EOS_FIELD(P, MonochromeFilter),
      EOS_FIELD(P, MonochromeFilterUsed),
      EOS_FIELD(P, MonochromeTone),
      EOS_FIELD(P, MonochromeToneUsed),
  };
  const FieldAt documented[] = {
      {"PictureStyleEnabled", 0, 1},
      {"PictureStyle", 1, 1},
      {"Contrast", 2, 1},
      {"Sharpness", 3, 1},
      {"Saturation", 4, 1},
      {"SaturationUsed", 5, 1},
      {"ColorTone", 6, 1},
      {"ColorToneUsed", 7, 1},
      {"MonochromeFilter", 8, 1},
      {"MonochromeFilterUsed", 9, 1},
      {"MonochromeTone", 10, 1},
      {"MonochromeToneUsed", 11, 1},
  };
  ExpectLayout(actual, documented, 12);
}

TEST(StoredLayout, ReleaseParametersAsBytes) {
  RemoteReleaseParametersType r;
  r.CompQuality = RemoteFormatQualityFine;
  r.WhiteBalanceSetting = RemoteFormatWBKelvin;
  r.WhiteBalanceKelvin = 5600;
  r.WhiteBalanceShift = {1, -9, 9};
  r.PictureStyle.PictureStyle = PictureStyleMonochrome;
  r.PictureStyle.Contrast = -4;
  r.PictureStyle.MonochromeToneUsed = 1;
  r.Tv = RemoteFormatTV1_16000;
  r.Beep = RemoteFormatBeepOff;
  unsigned char bytes[48];
  std::memcpy(bytes, &r, sizeof bytes);
  std::vector<unsigned char> expected(48, 0);
  expected[0] = 3;
  expected[13] = 13;
  expected[16] = 0xE0, expected[17] = 0x15;  // 5600, little-endian
  expected[20] = 1, expected[21] = 0xF7, expected[22] = 9;
  expected[24] = 5, expected[25] = 0xFC, expected[34] = 1;
  expected[41] = 59;
  expected[44] = 2;
  EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 48), expected);
}

TEST(StoredLayout, AnyBytesReadBackSafely) {
  // A file may hold anything: every byte pattern is a valid record, and out-of-range
  // values are recognisable.
  unsigned char bytes[48];
  std::memset(bytes, 0xFF, sizeof bytes);
  RemoteReleaseParametersType r;
  std::memcpy(&r, bytes, sizeof r);
  EXPECT_FALSE(InEnumRange(r.Beep));
  EXPECT_TRUE(r.PictureStyle.PictureStyleEnabled);
  EXPECT_EQ(r.WhiteBalanceKelvin, -1);
}

TEST(StoredLayout, AvailabilityFieldByField) {
  using A = RemoteReleaseAvailParametersType;
  const FieldAt actual[] = {
      EOS_FIELD(A, CompQuality),
      EOS_FIELD(A, CompQualityPic2RAW),
      EOS_FIELD(A, ImageSize),
      EOS_FIELD(A, ImageSizePic2RAW),
      EOS_FIELD(A, StrobeSetting),
      EOS_FIELD(A, StrobeCompSetting),
      EOS_FIELD(A, DriveMode),
      EOS_FIELD(A, ImageMode),
      EOS_FIELD(A, MLWeiMode),
      EOS_FIELD(A, AFMode),
      EOS_FIELD(A, AFDistance),
      EOS_FIELD(A, AFFocusingPoint),
      EOS_FIELD(A, AFAssistLight),
      EOS_FIELD(A, WhiteBalanceSetting),
      EOS_FIELD(A, WhiteBalanceShift),
      EOS_FIELD(A, PictureStyle),
      EOS_FIELD(A, Contrast),
      EOS_FIELD(A, ColorGain),
      EOS_FIELD(A, Sharpness),
      EOS_FIELD(A, ColorSpace),
      EOS_FIELD(A, ISO),
      EOS_FIELD(A, Av),
      EOS_FIELD(A, Tv),
      EOS_FIELD(A, ExposureCompensation),
      EOS_FIELD(A, PhotoEffect),
      EOS_FIELD(A, Beep),
  };
  const FieldAt documented[] = {
      {"CompQuality", 0, 6},
      {"CompQualityPic2RAW", 6, 6},
      {"ImageSize", 12, 7},
      {"ImageSizePic2RAW", 19, 7},
      {"StrobeSetting", 26, 8},
      {"StrobeCompSetting", 34, 14},
      {"DriveMode", 48, 8},
      {"ImageMode", 56, 45},
      {"MLWeiMode", 101, 7},
      {"AFMode", 108, 5},
      {"AFDistance", 113, 13},
      {"AFFocusingPoint", 126, 8},
      {"AFAssistLight", 134, 3},
      {"WhiteBalanceSetting", 137, 17},
      {"WhiteBalanceShift", 154, 1},
      {"PictureStyle", 155, 1},
      {"Contrast", 156, 4},
      {"ColorGain", 160, 4},
      {"Sharpness", 164, 4},
      {"ColorSpace", 168, 3},
      {"ISO", 171, 26},
      {"Av", 197, 41},
      {"Tv", 238, 60},
      {"ExposureCompensation", 298, 32},
      {"PhotoEffect", 330, 7},
      {"Beep", 337, 3},
  };
  ExpectLayout(actual, documented, 340);
  EXPECT_EQ(sizeof(A), 340u);
}
#undef EOS_FIELD

TEST(Records, AdditionalEventDataReadsTheSlotBothWays) {
  AdditionNotifyRemoteEventType e;
  e.EventValid = NotifyRemoteEventValid1;
  e.NumOfEvents = 0x1234;
  e.SetTypeOfPicture(TypeOfPicturePicture);
  EXPECT_EQ(e.TypeOfPicture(), TypeOfPicturePicture);
  EXPECT_EQ(e.NumOfEvents, 0x1202);  // only the slot's first byte changes
}

TEST(Records, CamExceptionCarriesItsMessage) {
  try {
    throw ECamException(u"Camera not in remote mode");
  } catch (const Exception& e) {
    EXPECT_EQ(e.message(), u"Camera not in remote mode");
    EXPECT_STREQ(e.what(), "Camera not in remote mode");
  }
}

}  // namespace
}  // namespace eos
