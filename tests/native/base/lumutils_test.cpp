#include "base/lumutils.h"

#include <gtest/gtest.h>

#include "base/casefold.h"

namespace eos {
namespace {

TEST(Lowering, SwedishLettersAndNothingElse) {
  EXPECT_EQ(LowerCaseSv(u"ABC\u00C5\u00C4\u00D6\u00C9xyz"), u"abc\u00E5\u00E4\u00F6\u00C9xyz");
  EXPECT_EQ(UpperCaseSv(u"abc\u00E5\u00E4\u00F6\u00E9XYZ"), u"ABC\u00C5\u00C4\u00D6\u00E9XYZ");
  EXPECT_EQ(LowerCaseFull(u"\u00C9\u0100\u0139\u0410\u0391Z"), u"\u00E9\u0101\u013A\u0430\u03B1z");
}

TEST(TextServices, ReplaceAndCompare) {
  EXPECT_EQ(ReplaceAllText(u"ab", u"", u"abXabYab"), u"XY");
  EXPECT_EQ(ReplaceAllText(u"a", u"aa", u"aXa"), u"aaXaa");
  EXPECT_EQ(ReplaceAllText(u"A", u"b", u"aA"), u"ab");
  EXPECT_EQ(ReplaceAllText(u"", u"b", u"a"), u"a");
  EXPECT_EQ(ReplaceChar(u'\t', u';', u"a\tb\t"), u"a;b;");
  EXPECT_EQ(ReplaceChar(u'\t', u';', u""), u"");
  EXPECT_TRUE(SameTextNoCase(u"Canon EOS", u"cANON eos"));
  EXPECT_TRUE(SameTextNoCase(u"\u00C9T\u00C9", u"\u00E9t\u00E9"));
  EXPECT_FALSE(SameTextNoCase(u"Canon", u"Canon "));
  EXPECT_TRUE(ContainsTextNoCase(u"EOS", u"Canon eos 5D"));
  EXPECT_FALSE(ContainsTextNoCase(u"EOSX", u"Canon eos"));
}

TEST(TextServices, BeforeAfterBetween) {
  EXPECT_EQ(TextBefore(u"X", u"abxcd"), u"ab");
  EXPECT_EQ(TextBefore(u"q", u"abc"), u"");
  EXPECT_EQ(TextAfter(u"B", u"abcabc"), u"cabc");
  EXPECT_EQ(TextAfter(u"q", u"abc"), u"");
  EXPECT_EQ(TextBetween(u"[", u"]", u"x[inner]y"), u"inner");
  EXPECT_EQ(TextBetween(u"[", u"]", u"x[inner"), u"");
}

TEST(TextServices, IntegerText) {
  for (const char16_t* s : {u"0", u"-1", u"+12", u"007"}) EXPECT_TRUE(IsIntegerText(s));
  for (const char16_t* s : {u"", u"-", u"1-", u"1.0", u" 1", u"1a"}) EXPECT_FALSE(IsIntegerText(s));
}

TEST(TextServices, ZeroPad) {
  EXPECT_EQ(ZeroPad(3, 7, false), u"007");
  EXPECT_EQ(ZeroPad(2, 1234, false), u"1234");
  EXPECT_EQ(ZeroPad(2, 1234, true), u"12");
  EXPECT_EQ(ZeroPad(0, 5, false), u"5");
}

TEST(TextServices, FileNameParts) {
  EXPECT_EQ(FileExtNoDot(u"C:\\a.b\\pic.JPG"), u"JPG");
  EXPECT_EQ(FileExtNoDot(u"C:\\a.b\\pic"), u"");
  EXPECT_EQ(FileExtNoDot(u"skin.tar.qzb"), u"qzb");
  EXPECT_EQ(FileNameNoExt(u"C:\\a.b\\pic.jpg"), u"C:\\a.b\\pic");
  EXPECT_EQ(FileNameNoExt(u"C:\\a.b\\pic"), u"C:\\a.b\\pic");
}

TEST(LogTime, Formats) {
  const DateTime t{2026, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(FormatLogTime(t), u"2026-03-04 05:06:07");
  EXPECT_EQ(FormatLogTimeMs(t), u"2026-03-04 05:06:07,008");
}

TEST(Format, Placeholders) {
  EXPECT_EQ(FormatText(u"Opening %s...", {Text(u"Canon EOS 5D")}), u"Opening Canon EOS 5D...");
  EXPECT_EQ(FormatText(u"%d|%5d|%-4d|%.3d", {int64_t{-3}, int64_t{42}, int64_t{7}, int64_t{9}}), u"-3|   42|7   |009");
  EXPECT_EQ(FormatText(u"0x%.8X %x", {int64_t{0x8D01}, int64_t{255}}), u"0x00008D01 ff");
  EXPECT_EQ(FormatText(u"%u", {int64_t{-1}}), u"4294967295");
  EXPECT_EQ(FormatText(u"100%% %s", {Text(u"done")}), u"100% done");
}

TEST(Format, MissingOrWrongArgumentsNeverFail) {
  EXPECT_EQ(FormatText(u"a %s b %d c", {}), u"a  b  c");
  EXPECT_EQ(FormatText(u"%d", {Text(u"x")}), u"x");
  EXPECT_EQ(FormatText(u"%s", {int64_t{5}}), u"5");
  EXPECT_EQ(FormatText(u"%q %", {}), u"%q %");
  EXPECT_EQ(FormatText(u"%999999999999d", {int64_t{1}}).size(), 100000u);
}

}  // namespace
}  // namespace eos
