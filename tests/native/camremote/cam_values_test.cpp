// The value names are part of the stored settings text: every table is checked against
// the words it must hold, and every lookup against its table.
#include "camremote/core/CamValues.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace eos {
namespace {

using Names = std::vector<std::u16string_view>;

template <class E>
Names TableOf() {
  const std::span<const TextView> names = ValueNames(E{});
  return Names(names.begin(), names.end());
}

TEST(ValueNames, ShortTablesHoldTheStoredWords) {
  EXPECT_EQ(TableOf<RemoteFormatQualityType>(), (Names{u"-", u"Economy", u"Normal", u"Fine", u"Super Fine", u"RAW"}));
  EXPECT_EQ(TableOf<RemoteFormatSizeType>(),
            (Names{u"-", u"Large", u"Medium", u"Small", u"Medium1", u"Medium2", u"Medium3"}));
  EXPECT_EQ(TableOf<RemoteFormatMLWeiType>(), (Names{u"-", u"Center-weighted", u"Spot", u"Averaging", u"Evaluative",
                                                     u"Partial", u"Center-weighted averaging"}));
  EXPECT_EQ(TableOf<RemoteFormatAFModeType>(),
            (Names{u"-", u"One-shot AF", u"AI Servo AF", u"AI Focus AF", u"Manual focus"}));
  EXPECT_EQ(TableOf<RemoteFormatColorSpaceType>(), (Names{u"-", u"sRGB", u"AdobeRGB"}));
  EXPECT_EQ(TableOf<RemoteFormatDriveModeType>(),
            (Names{u"-", u"Single frame", u"Continous", u"Video", u"High speed continous", u"Low speed continous",
                   u"10 sec self timer", u"2 sec self timer"}));
  EXPECT_EQ(TableOf<RemoteFormatWBType>(),
            (Names{u"-", u"Auto", u"Daylight", u"Cloudy", u"Tungsten", u"Fluorscent", u"Flash", u"Fluorescent light",
                   u"Custom", u"Custom1", u"Custom2", u"BW", u"Shade", u"Kelvin", u"PCSet1", u"PCSet2", u"PCSet3"}));
}

TEST(ValueNames, ShootingModeTableHoldsTheStoredWords) {
  EXPECT_EQ(TableOf<RemoteFormatShootingModeType>(), (Names{u"-",
                                                            u"Auto",
                                                            u"Manual mode",
                                                            u"Far Scene",
                                                            u"Fast Shutter",
                                                            u"Slow Shutter",
                                                            u"Night Scene",
                                                            u"Gray Scene",
                                                            u"Sepia",
                                                            u"Portrait",
                                                            u"Sport",
                                                            u"Macro",
                                                            u"Black and White",
                                                            u"Pan Focus",
                                                            u"Vivid",
                                                            u"Neutral",
                                                            u"Program",
                                                            u"TV",
                                                            u"AV",
                                                            u"ADep",
                                                            u"MDep",
                                                            u"Bulb",
                                                            u"Manual2",
                                                            u"Flash Off",
                                                            u"Long Shutter",
                                                            u"Super Macro",
                                                            u"Foliage",
                                                            u"Indoor",
                                                            u"Fireworks",
                                                            u"Beach",
                                                            u"Underwater",
                                                            u"Snow",
                                                            u"Kids and pets",
                                                            u"Night snapshot",
                                                            u"Ditigal macro",
                                                            u"My colors",
                                                            u"Photo in movie",
                                                            u"Creative Auto",
                                                            u"Scene Intelligent Auto",
                                                            u"Night Portrait",
                                                            u"Backlit Scenes",
                                                            u"SCN",
                                                            u"Children",
                                                            u"Food",
                                                            u"Candlelight Portraits"}));
}

// The long tables follow from their enumerators' suffixes by fixed rules. The rules are
// applied here to the enumerator names themselves, so a value added to a list with a
// name that breaks its rule is caught.
struct Spelled {
  std::string enumerator;
  std::u16string_view name;
};
#define EOS_SPELLED(e, text, ...) {#e, u"" text},

std::string Suffix(const std::string& enumerator, const std::string& prefix) {
  EXPECT_EQ(enumerator.rfind(prefix, 0), 0u) << enumerator;
  return enumerator.substr(prefix.size());
}

Text FromAscii(const std::string& s) { return Ascii(s); }

TEST(ValueNames, IsoNamesAreTheSpeedDigits) {
  const std::vector<Spelled> all = {EOS_VALUES_RemoteFormatISOType(EOS_SPELLED)};
  ASSERT_EQ(all.size(), 26u);
  EXPECT_EQ(all[0].name, u"-");
  EXPECT_EQ(all[1].name, u"Auto");
  for (size_t i = 2; i < all.size(); ++i)
    EXPECT_EQ(all[i].name, FromAscii(Suffix(all[i].enumerator, "RemoteFormatISO")));
  EXPECT_EQ(RemoteFormatISO100, 5);
  EXPECT_EQ(RemoteFormatISO102400, 25);
}

TEST(ValueNames, ExposureCompNamesPutThePointAfterTheFirstDigit) {
  const std::vector<Spelled> all = {EOS_VALUES_RemoteFormatExposureCompType(EOS_SPELLED)};
  ASSERT_EQ(all.size(), 32u);
  EXPECT_EQ(all[16].name, u"0");
  for (size_t i = 1; i < all.size(); ++i) {
    if (i == 16) continue;
    const std::string suffix = Suffix(all[i].enumerator, "RemoteFormatExposureComp");
    const bool plus = suffix.ends_with("Plus");
    EXPECT_EQ(i < 16, plus) << suffix;
    const std::string digits = suffix.substr(0, 3);
    EXPECT_EQ(all[i].name, FromAscii((plus ? "+" : "-") + digits.substr(0, 1) + "." + digits.substr(1)));
  }
  EXPECT_EQ(RemoteFormatExposureComp033Plus, 15);
  EXPECT_EQ(RemoteFormatExposureComp0, 16);
  EXPECT_EQ(RemoteFormatExposureComp500Minus, 31);
}

TEST(ValueNames, ApertureNamesAreFNumbersWithOneDecimalBelowTen) {
  const std::vector<Spelled> all = {EOS_VALUES_RemoteFormatAVType(EOS_SPELLED)};
  ASSERT_EQ(all.size(), 41u);
  for (size_t i = 1; i < all.size(); ++i) {
    std::string suffix = Suffix(all[i].enumerator, "RemoteFormatAV");
    const size_t bar = suffix.find('_');
    const std::string whole = suffix.substr(0, bar), tenths = suffix.substr(bar + 1);
    std::string expected = i <= 20 ? whole + "." + tenths : whole;
    if (suffix == "6_3") expected = "6.4";  // the stored word, not the enumerator
    EXPECT_EQ(all[i].name, FromAscii(expected)) << suffix;
  }
  EXPECT_EQ(RemoteFormatAV6_3, 17);
  EXPECT_EQ(RemoteFormatAV9_0, 20);
  EXPECT_EQ(RemoteFormatAV91_0, 40);
}

TEST(ValueNames, ShutterNamesUseADoubleQuoteForSeconds) {
  const std::vector<Spelled> all = {EOS_VALUES_RemoteFormatTVType(EOS_SPELLED)};
  ASSERT_EQ(all.size(), 60u);
  EXPECT_EQ(all[1].name, u"Bulb");
  for (size_t i = 2; i < all.size(); ++i) {
    const std::string suffix = Suffix(all[i].enumerator, "RemoteFormatTV");
    std::string expected;
    if (const size_t sec = suffix.find("sec"); sec != std::string::npos) {
      EXPECT_LE(i, 22u);
      expected = suffix.substr(0, sec) + "\"" + suffix.substr(sec + 3);
    } else {
      EXPECT_GE(i, 23u);
      expected = "1/" + suffix.substr(2);
    }
    EXPECT_EQ(all[i].name, FromAscii(expected)) << suffix;
  }
  EXPECT_EQ(TVNames[12], u"3\"2");
  EXPECT_EQ(TVNames[14], u"2\"");
  EXPECT_EQ(TVNames[38], u"1/125");
}
#undef EOS_SPELLED

// Every kind that has a lookup: each name reads back as its own value, in any letter
// case, and nothing else reads as a value.
template <class E>
class NameLookup : public testing::Test {};
using LookupKinds =
    testing::Types<RemoteFormatQualityType, RemoteFormatSizeType, RemoteFormatMLWeiType, RemoteFormatAFModeType,
                   RemoteFormatWBType, RemoteFormatColorSpaceType, RemoteFormatISOType, RemoteFormatExposureCompType,
                   RemoteFormatAVType, RemoteFormatTVType>;
TYPED_TEST_SUITE(NameLookup, LookupKinds);

TYPED_TEST(NameLookup, EveryNameRoundTrips) {
  ASSERT_EQ(ValueNames(TypeParam{}).size(), static_cast<size_t>(kEnumCount<TypeParam>));
  for (int v = 1; v < kEnumCount<TypeParam>; ++v) {
    const auto value = static_cast<TypeParam>(v);
    const Text name(ValueName(value));
    EXPECT_EQ(ValueFromName<TypeParam>(name), value) << ToUtf8(name);
    Text upper = name, lower = name;
    for (auto& c : upper) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    for (auto& c : lower) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    EXPECT_EQ(ValueFromName<TypeParam>(upper), value) << ToUtf8(upper);
    EXPECT_EQ(ValueFromName<TypeParam>(lower), value) << ToUtf8(lower);
  }
}

TYPED_TEST(NameLookup, UnknownEmptyAndDashGiveNotUsed) {
  for (const char16_t* name : {u"", u"-", u" ", u"?", u"NotUsed", u"Auto ", u" Large", u"-\t"})
    EXPECT_EQ(ValueFromName<TypeParam>(name), TypeParam{}) << ToUtf8(name);
}

TYPED_TEST(NameLookup, OrdinalsOutsideTheTableNameAsDash) {
  EXPECT_EQ(ValueName(TypeParam{}), u"-");
  for (int v : {kEnumCount<TypeParam>, kEnumCount<TypeParam> + 1, 255})
    EXPECT_EQ(ValueName(static_cast<TypeParam>(v)), u"-") << v;
}

struct NamedCase {
  const char16_t* name;
  int (*lookup)(TextView);
  int expected;
};
template <auto F>
int Ord(TextView name) {
  return F(name);
}

TEST(NameLookup, TheNamedLookupsAndTheirEdgeCases) {
  const NamedCase cases[] = {
      {u"raw", Ord<QualityFromName>, RemoteFormatQualityRAW},
      {u"super fine", Ord<QualityFromName>, RemoteFormatQualitySuperfine},
      {u"-", Ord<QualityFromName>, 0},
      {u"Medium3", Ord<SizeFromName>, RemoteFormatSizeMedium3},
      {u"center-weighted AVERAGING", Ord<MLWeiFromName>, RemoteFormatMLWeiCenterwWeightedAveraging},
      {u"Manual focus", Ord<AFModeFromName>, RemoteFormatAFModeManual},
      {u"Fluorscent", Ord<WBFromName>, RemoteFormatWBFluorscent},
      {u"Fluorescent", Ord<WBFromName>, 0},
      {u"ADOBERGB", Ord<ColorSpaceFromName>, RemoteFormatColorSpaceAdobeRGB},
      {u"AUTO", Ord<ISOFromName>, RemoteFormatISOAuto},
      {u"100", Ord<ISOFromName>, 5},
      {u"0100", Ord<ISOFromName>, 0},
      {u"0", Ord<ExposureCompFromName>, 16},
      {u"+0.00", Ord<ExposureCompFromName>, 0},
      {u"0.00", Ord<ExposureCompFromName>, 0},
      {u"-5.00", Ord<ExposureCompFromName>, RemoteFormatExposureComp500Minus},
      {u"6.4", Ord<AVFromName>, RemoteFormatAV6_3},
      {u"6.3", Ord<AVFromName>, 0},
      {u"bulb", Ord<TVFromName>, RemoteFormatTVBulb},
      {u"1/125", Ord<TVFromName>, 38},
      {u"2\"", Ord<TVFromName>, 14},
      {u"2", Ord<TVFromName>, 0},
  };
  for (const NamedCase& c : cases) EXPECT_EQ(c.lookup(c.name), c.expected) << ToUtf8(c.name);
}

}  // namespace
}  // namespace eos
