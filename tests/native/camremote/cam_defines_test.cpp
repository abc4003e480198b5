// The data model's ordinals and the stored record layouts.
#include "camremote/core/CamDefines.h"

#include <gtest/gtest.h>

#include <cstring>
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

TEST(StoredLayout, ReleaseParametersFieldByField) {
  using R = RemoteReleaseParametersType;
#define EOS_FIELD(f) #f, offsetof(R, f), sizeof(R::f)
  const FieldAt fields[] = {
      {EOS_FIELD(CompQuality)},
      {EOS_FIELD(CompQualityPic2RAW)},
      {EOS_FIELD(ImageSize)},
      {EOS_FIELD(ImageSizePic2RAW)},
      {EOS_FIELD(StrobeSetting)},
      {EOS_FIELD(StrobeCompSetting)},
      {EOS_FIELD(ImageMode)},
      {EOS_FIELD(DriveMode)},
      {EOS_FIELD(MLWeiMode)},
      {EOS_FIELD(AFMode)},
      {EOS_FIELD(AFDistance)},
      {EOS_FIELD(AFFocusingPoint)},
      {EOS_FIELD(AFAssistLight)},
      {EOS_FIELD(WhiteBalanceSetting)},
      {EOS_FIELD(Reserved14)},
      {EOS_FIELD(WhiteBalanceKelvin)},
      {EOS_FIELD(WhiteBalanceShift)},
      {EOS_FIELD(PictureStyle)},
      {EOS_FIELD(Contrast)},
      {EOS_FIELD(ColorGain)},
      {EOS_FIELD(Sharpness)},
      {EOS_FIELD(ColorSpace)},
      {EOS_FIELD(ISO)},
      {EOS_FIELD(Av)},
      {EOS_FIELD(Tv)},
      {EOS_FIELD(ExposureCompensation)},
      {EOS_FIELD(PhotoEffect)},
      {EOS_FIELD(Beep)},
      {EOS_FIELD(Reserved45)},
  };
#undef EOS_FIELD
  const size_t expected_offsets[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                     16, 20, 23, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45};
  ASSERT_EQ(std::size(fields), std::size(expected_offsets));
  size_t next = 0;
  for (size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_EQ(fields[i].offset, expected_offsets[i]) << fields[i].field;
    EXPECT_EQ(fields[i].offset, next) << fields[i].field << " leaves a gap";
    next = fields[i].offset + fields[i].size;
  }
  EXPECT_EQ(next, 48u);
  EXPECT_EQ(sizeof(R), 48u);
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
#define EOS_FIELD(f) #f, offsetof(A, f), sizeof(A::f)
  const FieldAt fields[] = {
      {EOS_FIELD(CompQuality)},
      {EOS_FIELD(CompQualityPic2RAW)},
      {EOS_FIELD(ImageSize)},
      {EOS_FIELD(ImageSizePic2RAW)},
      {EOS_FIELD(StrobeSetting)},
      {EOS_FIELD(StrobeCompSetting)},
      {EOS_FIELD(DriveMode)},
      {EOS_FIELD(ImageMode)},
      {EOS_FIELD(MLWeiMode)},
      {EOS_FIELD(AFMode)},
      {EOS_FIELD(AFDistance)},
      {EOS_FIELD(AFFocusingPoint)},
      {EOS_FIELD(AFAssistLight)},
      {EOS_FIELD(WhiteBalanceSetting)},
      {EOS_FIELD(WhiteBalanceShift)},
      {EOS_FIELD(PictureStyle)},
      {EOS_FIELD(Contrast)},
      {EOS_FIELD(ColorGain)},
      {EOS_FIELD(Sharpness)},
      {EOS_FIELD(ColorSpace)},
      {EOS_FIELD(ISO)},
      {EOS_FIELD(Av)},
      {EOS_FIELD(Tv)},
      {EOS_FIELD(ExposureCompensation)},
      {EOS_FIELD(PhotoEffect)},
      {EOS_FIELD(Beep)},
  };
#undef EOS_FIELD
  const FieldAt expected[] = {
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
  ASSERT_EQ(std::size(fields), std::size(expected));
  for (size_t i = 0; i < std::size(fields); ++i) {
    EXPECT_STREQ(fields[i].field, expected[i].field);
    EXPECT_EQ(fields[i].offset, expected[i].offset) << fields[i].field;
    EXPECT_EQ(fields[i].size, expected[i].size) << fields[i].field;
  }
  EXPECT_EQ(sizeof(A), 340u);
}

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
