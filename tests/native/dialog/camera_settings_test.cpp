#include "dialog/core/camera_settings.h"

#include <gtest/gtest.h>

#include "base/paramtext.h"
#include "dialog/core/skin_shape.h"

namespace eos {
namespace {

std::string U8(TextView t) { return std::string(t.begin(), t.end()); }

// A camera offering a few values of each list.
RemoteReleaseAvailParametersType SomeCamera() {
  RemoteReleaseAvailParametersType a;
  for (auto v : {RemoteFormatQualityNormal, RemoteFormatQualityFine, RemoteFormatQualityRAW}) a.CompQuality[v] = 1;
  for (auto v : {RemoteFormatSizeLarge, RemoteFormatSizeSmall}) a.ImageSize[v] = 1;
  a.AFMode[RemoteFormatAFModeManual] = 1;  // a single AF mode: no choice
  for (auto v : {RemoteFormatISOAuto, RemoteFormatISO100, RemoteFormatISO400}) a.ISO[v] = 1;
  for (auto v : {RemoteFormatWBAuto, RemoteFormatWBDaylight}) a.WhiteBalanceSetting[v] = 1;
  return a;
}

TEST(ValueKinds, EveryListHasItsOwnKeyAndField) {
  RemoteReleaseParametersType p;
  for (size_t i = 0; i < kValueKinds.size(); ++i) {
    const ValueKind& k = kValueKinds[i];
    EXPECT_EQ(static_cast<size_t>(k.list), i) << U8(k.key);
    EXPECT_EQ(k.get(p), 0) << U8(k.key) << " starts NotUsed";
    k.set(p, 1);
    EXPECT_EQ(k.get(p), 1) << U8(k.key);
    EXPECT_EQ(k.from_name(k.name(1)), 1) << U8(k.key);
    for (size_t j = 0; j < i; ++j) EXPECT_NE(Text(k.key), Text(kValueKinds[j].key));
  }
  // Each setter touched its own field only: every field now holds 1.
  for (const ValueKind& k : kValueKinds) EXPECT_EQ(k.get(p), 1) << U8(k.key);
}

TEST(ListContent, FollowsWhatTheCameraOffers) {
  const OfferedLists offered = OfferedByCamera(SomeCamera());
  const ListContent quality = ListContentOf(ValueList::Quality, offered[0]);
  EXPECT_EQ(quality.names, (std::vector<TextView>{u"Normal", u"Fine"})) << "RAW is not listed";
  EXPECT_TRUE(quality.enabled);
  const ListContent af = ListContentOf(ValueList::AFMode, offered[3]);
  EXPECT_TRUE(af.names.empty());
  EXPECT_FALSE(af.enabled) << "one AF mode gives no choice";
  EXPECT_FALSE(ListContentOf(ValueList::TV, offered[8]).enabled) << "nothing offered";
  EXPECT_EQ(ListContentOf(ValueList::ISO, offered[6]).names.size(), 3u);

  RemoteReleaseAvailParametersType raw_only;
  raw_only.CompQuality[RemoteFormatQualityRAW] = 1;
  const ListContent raw = ListContentOf(ValueList::Quality, OfferedByCamera(raw_only)[0]);
  EXPECT_TRUE(raw.names.empty());
  EXPECT_TRUE(raw.enabled) << "a RAW-only camera still has an enabled quality list";

  RemoteReleaseAvailParametersType two_af;
  two_af.AFMode[RemoteFormatAFModeOneShot] = two_af.AFMode[RemoteFormatAFModeAIServo] = 1;
  EXPECT_TRUE(ListContentOf(ValueList::AFMode, OfferedByCamera(two_af)[3]).enabled);
}

TEST(ValuesToSend, ChangesOnlyTheChangedListButQualityAndSizeTogether) {
  const OfferedLists offered = OfferedByCamera(SomeCamera());
  std::array<int, kValueListCount> selected;
  selected.fill(-1);
  std::array<bool, kValueListCount> enabled;
  enabled.fill(true);
  selected[0] = 1;  // Fine
  selected[1] = 1;  // Small
  selected[6] = 2;  // ISO 400
  selected[4] = 0;  // WB auto

  const RemoteReleaseParametersType iso = ValuesToSend(offered, selected, enabled, ValueList::ISO);
  EXPECT_EQ(iso.ISO, RemoteFormatISO400);
  EXPECT_EQ(iso.CompQuality, RemoteFormatQualityNotUsed);
  EXPECT_EQ(iso.WhiteBalanceSetting, RemoteFormatWBNotUsed);
  EXPECT_EQ(iso.DriveMode, RemoteFormatDriveModeNotUsed) << "drive mode is never sent";

  const RemoteReleaseParametersType size = ValuesToSend(offered, selected, enabled, ValueList::Size);
  EXPECT_EQ(size.ImageSize, RemoteFormatSizeSmall);
  EXPECT_EQ(size.CompQuality, RemoteFormatQualityFine) << "quality goes with size";
  EXPECT_EQ(size.ISO, RemoteFormatISONotUsed);

  const RemoteReleaseParametersType all = ValuesToSend(offered, selected, enabled, std::nullopt);
  EXPECT_EQ(all.ISO, RemoteFormatISO400);
  EXPECT_EQ(all.WhiteBalanceSetting, RemoteFormatWBAuto);
  EXPECT_EQ(all.AFMode, RemoteFormatAFModeNotUsed) << "no entry chosen";

  enabled[6] = false;
  selected[3] = 7;  // an entry beyond the offered values is not sent
  const RemoteReleaseParametersType off = ValuesToSend(offered, selected, enabled, std::nullopt);
  EXPECT_EQ(off.ISO, RemoteFormatISONotUsed) << "a disabled list is not sent";
  EXPECT_EQ(off.AFMode, RemoteFormatAFModeNotUsed);
}

TEST(CameraValuesOfText, ReadsKnownNamesInAnyCaseAndIgnoresTheRest) {
  struct Case {
    const char16_t* text;
    RemoteFormatQualityType quality;
    RemoteFormatISOType iso;
    RemoteFormatWBType wb;
  };
  const Case cases[] = {
      {u"Quality=Fine\tISO=400\tWB=Daylight", RemoteFormatQualityFine, RemoteFormatISO400, RemoteFormatWBDaylight},
      {u"quality=fINE\tiso=400\twb=daylight", RemoteFormatQualityFine, RemoteFormatISO400, RemoteFormatWBDaylight},
      {u"Quality=-\tISO=\tWB=Sunshine", RemoteFormatQualityNotUsed, RemoteFormatISONotUsed, RemoteFormatWBNotUsed},
      {u"Quality=Fine \tISO=99999\tColour=Red", RemoteFormatQualityNotUsed, RemoteFormatISONotUsed,
       RemoteFormatWBNotUsed},
      {u"", RemoteFormatQualityNotUsed, RemoteFormatISONotUsed, RemoteFormatWBNotUsed},
  };
  for (const Case& c : cases) {
    const RemoteReleaseParametersType p = CameraValuesOfText(c.text);
    EXPECT_EQ(p.CompQuality, c.quality) << U8(c.text);
    EXPECT_EQ(p.ISO, c.iso) << U8(c.text);
    EXPECT_EQ(p.WhiteBalanceSetting, c.wb) << U8(c.text);
    EXPECT_EQ(p.DriveMode, RemoteFormatDriveModeSingleFrame);
  }
}

TEST(SettingsText, IsWrittenInItsKeyOrderAndReadsBackUnchanged) {
  RemoteReleaseParametersType current;
  current.CompQuality = RemoteFormatQualityFine;
  current.ImageSize = RemoteFormatSizeLarge;
  current.MLWeiMode = RemoteFormatMLWeiEvaluative;
  current.AFMode = RemoteFormatAFModeOneShot;
  current.WhiteBalanceSetting = RemoteFormatWBAuto;
  current.ColorSpace = RemoteFormatColorSpaceSRGB;
  current.Av = RemoteFormatAV5_6;
  current.Tv = RemoteFormatTV1_125;
  current.ExposureCompensation = RemoteFormatExposureComp0;
  const Text text = BuildSettingsText(current, u"Auto", {.width = 640, .height = 515});
  EXPECT_EQ(text,
            u"Quality=Fine\tSize=Large\tMeteringMode=Evaluative\tAFMode=One-shot AF\tWB=Auto\tColorSpace=sRGB\t"
            u"ISO=Auto\tAV=5.6\tTV=1/125\tExpComp=0\tWidth=640\tHeight=515");

  const RemoteReleaseParametersType back = CameraValuesOfText(text);
  for (const ValueKind& k : kValueKinds)
    if (k.list != ValueList::ISO) EXPECT_EQ(k.get(back), k.get(current)) << U8(k.key);
  EXPECT_EQ(back.ISO, RemoteFormatISOAuto);

  const DialogSettings dialog{.after_mode = 2, .delay = 3, .angle = 270, .mirror = true, .skin = u"portrait"};
  const Text full = BuildSettingsText(RemoteReleaseParametersType{}, u"", dialog);
  const std::vector<Text> order = {u"Quality",    u"Size",  u"MeteringMode", u"AFMode",  u"WB",
                                   u"ColorSpace", u"AV",    u"TV",           u"ExpComp", u"AfterMode",
                                   u"Delay",      u"Angle", u"Mirror",       u"Skin"};
  size_t at = 0;
  for (const Text& key : order) {
    const size_t found = full.find(key + u"=", at);
    ASSERT_NE(found, Text::npos) << U8(key) << " missing or out of order in " << U8(full);
    at = found;
  }
  EXPECT_EQ(full.find(u"ISO="), Text::npos) << "no ISO name: no key";
  EXPECT_EQ(full.find(u"Width="), Text::npos) << "a skinned dialog has no size";

  const AppliedDialogSettings read = ReadDialogSettings(full);
  EXPECT_EQ(read.delay, 3);
  EXPECT_EQ(read.angle, 270);
  EXPECT_TRUE(read.mirror);
  EXPECT_EQ(read.skin, u"portrait");
  EXPECT_FALSE(read.width.has_value());
}

TEST(BuildSettingsText, TheFaceGuideIsWrittenOnlyWhenOn) {
  const Text off = BuildSettingsText(RemoteReleaseParametersType{}, u"", {.width = 640, .height = 515});
  EXPECT_EQ(off.find(u"FaceGuide"), Text::npos) << "a text of today when the guide is off";
  const Text on =
      BuildSettingsText(RemoteReleaseParametersType{}, u"", {.width = 640, .height = 515, .face_guide = true});
  EXPECT_TRUE(on.ends_with(u"Height=515\tFaceGuide=1")) << U8(on);
  EXPECT_TRUE(ReadDialogSettings(on).face_guide);
  EXPECT_FALSE(ReadDialogSettings(off).face_guide);
  EXPECT_FALSE(ReadDialogSettings(u"FaceGuide=yes").face_guide);
}

TEST(BuildSettingsText, TheFrameRateIsWrittenOnlyWhenNotTheDefault) {
  for (const int rate : kFrameRates) {
    const Text text =
        BuildSettingsText(RemoteReleaseParametersType{}, u"", {.width = 640, .height = 515, .frame_rate = rate});
    if (rate == kDefaultFrameRate)
      EXPECT_EQ(text.find(u"FrameRate"), Text::npos) << "a text of today at the default rate";
    else
      EXPECT_TRUE(text.ends_with(u"Height=515\tFrameRate=" + IntToText(rate))) << U8(text);
    EXPECT_EQ(ReadDialogSettings(text).frame_rate, rate) << U8(text);
  }
}

TEST(ReadDialogSettings, TakesOnlyAFrameRateOfTheList) {
  struct Case {
    const char16_t* text;
    std::optional<int> rate;
  };
  const Case cases[] = {
      {u"", kDefaultFrameRate},
      {u"FrameRate=30", 30},
      {u"FrameRate=15", 15},
      {u"FrameRate=25", std::nullopt},  // not offered: the dialog keeps its rate
      {u"FrameRate=0", std::nullopt},
      {u"FrameRate=-10", std::nullopt},
      {u"FrameRate=abc", std::nullopt},
      {u"FrameRate=", std::nullopt},
      {u"FrameRate=99999999999", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadDialogSettings(c.text).frame_rate, c.rate) << U8(c.text);
}

TEST(FrameIntervalMs, PollsEachRateAtItsNearestWholeMillisecond) {
  EXPECT_EQ(FrameIntervalMs(10), 100) << "the classic pace";
  EXPECT_EQ(FrameIntervalMs(15), 67);
  EXPECT_EQ(FrameIntervalMs(20), 50);
  EXPECT_EQ(FrameIntervalMs(30), 33);
}

TEST(ReadDialogSettings, AppliesWhatIsValidAndLeavesTheRest) {
  struct Case {
    const char16_t* text;
    std::optional<int> delay, angle, width, height;
    const char16_t* skin;
  };
  const Case cases[] = {
      {u"", 0, {}, {}, {}, u""},
      {u"Delay=10\tAngle=90\tWidth=640\tHeight=480\tSkin=id photo", 10, 90, 640, 480, u"id photo"},
      {u"Delay=11\tAngle=45\tWidth=0\tHeight=-5", {}, {}, {}, {}, u""},
      {u"Delay=-1\tAngle=-90\tWidth=100000\tHeight=99999999999", {}, 270, {}, {}, u""},
      {u"Delay=x\tAngle=\tWidth=640px\tHeight= 480", {}, {}, {}, {}, u""},
      {u"Angle=450", 0, 90, {}, {}, u""},
      {u"Skin=..\\..\\something", 0, {}, {}, {}, u""},
      {u"Skin=C:\\skins\\x", 0, {}, {}, {}, u""},
      {u"Skin=a/b", 0, {}, {}, {}, u""},
  };
  for (const Case& c : cases) {
    const AppliedDialogSettings s = ReadDialogSettings(c.text);
    EXPECT_EQ(s.delay, c.delay) << U8(c.text);
    EXPECT_EQ(s.angle, c.angle) << U8(c.text);
    EXPECT_EQ(s.width, c.width) << U8(c.text);
    EXPECT_EQ(s.height, c.height) << U8(c.text);
    EXPECT_EQ(s.skin, Text(c.skin)) << U8(c.text);
  }
}

TEST(IsSkinName, RefusesAnythingThatNamesAnotherPlace) {
  for (const char16_t* ok : {u"portrait", u"Landscape 2", u"id.photo", u"skål"}) EXPECT_TRUE(IsSkinName(ok));
  for (const char16_t* bad :
       {u"", u".", u"..", u"..\\x", u"x/..", u"C:x", u"\\\\server\\share", u"a\tb", u"name.", u"name ", u"a*b", u"a?b"})
    EXPECT_FALSE(IsSkinName(bad)) << U8(bad);
}

TEST(IsSkinName, TheSettingsTextKeepsOnlyANameTheSkinLoaderTakes) {
  const Text longest(100, u'a'), too_long(101, u'a');
  EXPECT_EQ(ReadDialogSettings(u"Skin=" + longest).skin, longest);
  EXPECT_EQ(ReadDialogSettings(u"Skin=" + too_long).skin, u"") << "a name the loader refuses is not kept";
  EXPECT_EQ(ReadDialogSettings(u"Skin=.hidden").skin, u"");
}

TEST(ListedValues, TheTenValuesAsTheCameraHoldsThemAfterAChange) {
  RemoteReleaseParametersType base;
  base.ISO = RemoteFormatISO100;
  base.Av = static_cast<decltype(base.Av)>(12);
  base.DriveMode = static_cast<decltype(base.DriveMode)>(1);  // not one of the lists
  RemoteReleaseParametersType changes;
  changes.ISO = RemoteFormatISO400;
  const RemoteReleaseParametersType listed = ListedValues(base, changes);
  EXPECT_EQ(listed.ISO, RemoteFormatISO400) << "the change wins";
  EXPECT_EQ(static_cast<int>(listed.Av), 12) << "what the change leaves stays";
  EXPECT_EQ(static_cast<int>(listed.DriveMode), 0) << "only the ten listed values";
  EXPECT_EQ(static_cast<int>(ListedValues({}).ISO), 0);
}

}  // namespace
}  // namespace eos
