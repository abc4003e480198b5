#include "base/paramtext.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

struct ReadCase {
  const char16_t* key;
  const char16_t* text;
  const char16_t* value;
  bool present;
};

class ParamRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ParamRead, ValueAndPresence) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(GetParamValue(c.key, c.text), c.value);
  EXPECT_EQ(HasParam(c.key, c.text), c.present);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParamRead,
                         testing::Values(
                             // A single pair without any TAB, read under the key in any letter case.
                             ReadCase{u"File", u"File=C:\\pics\\a.jpg", u"C:\\pics\\a.jpg", true},
                             ReadCase{u"fILE", u"File=C:\\pics\\a.jpg", u"C:\\pics\\a.jpg", true},
                             ReadCase{u"File=", u"File=C:\\pics\\a.jpg", u"C:\\pics\\a.jpg", true},
                             // A key matches only a whole key at the start of a pair.
                             ReadCase{u"Fil", u"File=x", u"", false}, ReadCase{u"ile", u"File=x", u"", false},
                             ReadCase{u"B", u"A=1\tAB=2", u"", false}, ReadCase{u"B", u"A=B=1", u"", false},
                             // An empty value is present.
                             ReadCase{u"Auto", u"Auto=", u"", true}, ReadCase{u"Auto", u"X=1\tAuto=\tY=2", u"", true},
                             // First pair wins.
                             ReadCase{u"A", u"A=1\tA=2", u"1", true},
                             ReadCase{u"a", u"B=0\ta=first\tA=second\t", u"first", true},
                             // No trimming: spaces belong to keys and values.
                             ReadCase{u"Auto", u" Auto=1", u"", false}, ReadCase{u"Auto", u"Auto =1", u"", false},
                             ReadCase{u"Auto", u"Auto= 1 ", u" 1 ", true},
                             // "=" inside values, as Base64 fill.
                             ReadCase{u"Base64", u"Fil=a\tBase64=QUJD==\t", u"QUJD==", true},
                             ReadCase{u"K", u"K===", u"==", true},
                             // Leading and trailing TABs, CR and LF inside values.
                             ReadCase{u"A", u"\tA=1\t", u"1", true}, ReadCase{u"A", u"\t\tA=1", u"1", true},
                             ReadCase{u"A", u"A=line1\r\nline2", u"line1\r\nline2", true},
                             // Empty key or text.
                             ReadCase{u"", u"A=1", u"", false}, ReadCase{u"A", u"", u"", false},
                             // The value keeps its letter case.
                             ReadCase{u"a", u"A=MiXeD", u"MiXeD", true}));

TEST(ParamRead, SwedishCapitalsFoundByReaderOnly) {
  // Readers lower Å Ä Ö; HasParam lowers A to Z only.
  EXPECT_EQ(GetParamValue(u"\u00C5R\u00C4\u00D6", u"\u00E5r\u00E4\u00F6=1"), u"1");
  EXPECT_FALSE(HasParam(u"\u00C5R\u00C4\u00D6", u"\u00E5r\u00E4\u00F6=1"));
  EXPECT_EQ(GetParamValue(u"\u00C9", u"\u00E9=1"), u"");  // only the three Swedish letters
}

TEST(ParamRead, NulInsideTextIsOrdinary) {
  const Text text(u"A=x\0y\tB=2", 9);
  EXPECT_EQ(GetParamValue(u"A", text), Text(u"x\0y", 3));
  EXPECT_EQ(GetParamValue(u"B", text), u"2");
}

TEST(ParamBool, OnlyOneIsTrue) {
  EXPECT_TRUE(GetParamBool(u"A", u"A=1"));
  for (const char16_t* v : {u"A=True", u"A=2", u"A=", u"A=01", u"A=1 ", u"B=1"})
    EXPECT_FALSE(GetParamBool(u"A", v)) << std::string(v, v + 3);
}

TEST(ParamInt, Table) {
  struct Case {
    const char16_t* value;
    int32_t expected;
  };
  const Case cases[] = {
      {u"A=-", 99},
      {u"A=+", 99},
      {u"A=-12", -12},
      {u"A=+5", 5},
      {u"A=12a", 99},
      {u"A=12345678901", 99},
      {u"A=007", 7},
      {u"A=2147483647", 2147483647},
      {u"A=2147483648", 99},
      {u"A=-2147483648", INT32_MIN},
      {u"A=-2147483649", 99},
      {u"A=", 99},
      {u"A= 1", 99},
      {u"A=0x10", 99},
      {u"A=00000000000000000042", 42},
      {u"B=1", 99},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetParamInt(u"A", c.value, 99), c.expected) << std::string(c.value, c.value + 6);
}

TEST(ParamValueDef, DefaultOnlyWhenAbsent) {
  EXPECT_EQ(GetParamValueDef(u"A", u"A=", u"d"), u"");
  EXPECT_EQ(GetParamValueDef(u"A", u"B=1", u"d"), u"d");
}

struct WriteCase {
  const char16_t* key;
  const char16_t* value;
  const char16_t* text;
  const char16_t* expected;
};

class ParamWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(ParamWrite, Result) {
  const WriteCase& c = GetParam();
  EXPECT_EQ(SetParamValue(c.key, c.value, c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Writers, ParamWrite,
                         testing::Values(
                             // Into the empty text: key, "=", value, TAB.
                             WriteCase{u"Fil", u"C:\\a.jpg", u"", u"Fil=C:\\a.jpg\t"},
                             WriteCase{u"Angle", u"90", u"Fil=C:\\a.jpg\t", u"Fil=C:\\a.jpg\tAngle=90\t"},
                             // A single pair without TAB: replaced without a trailing TAB, appended between TABs.
                             WriteCase{u"A", u"2", u"A=1", u"A=2"}, WriteCase{u"B", u"2", u"A=1", u"A=1\tB=2\t"},
                             // Replaced in place with the key as the caller spells it.
                             WriteCase{u"b", u"x", u"A=1\tB=2\tC=3", u"A=1\tb=x\tC=3"},
                             WriteCase{u"A", u"x", u"A=1\tB=2\t", u"A=x\tB=2\t"},
                             WriteCase{u"C", u"x", u"A=1\tB=2\tC=3", u"A=1\tB=2\tC=x"},
                             // Leading and trailing TABs of the text stay as they were.
                             WriteCase{u"A", u"x", u"\tA=1\t", u"\tA=x\t"}, WriteCase{u"A", u"x", u"\tA=1", u"\tA=x"},
                             WriteCase{u"B", u"x", u"\tA=1", u"\tA=1\tB=x\t"},
                             // Only the first of two pairs changes.
                             WriteCase{u"A", u"x", u"A=1\tA=2", u"A=x\tA=2"},
                             // A longer key is not the same key.
                             WriteCase{u"Fil", u"x", u"File=1", u"File=1\tFil=x\t"},
                             // Removal of the first, a middle and the last pair.
                             WriteCase{u"A", u"", u"A=1\tB=2\tC=3", u"B=2\tC=3"},
                             WriteCase{u"B", u"", u"A=1\tB=2\tC=3", u"A=1\tC=3"},
                             WriteCase{u"C", u"", u"A=1\tB=2\tC=3", u"A=1\tB=2\t"}, WriteCase{u"A", u"", u"A=1", u""},
                             WriteCase{u"A", u"", u"A=1\tA=2", u"A=2"}, WriteCase{u"b", u"", u"A=1\tB=2\t", u"A=1\t"},
                             // Removing what is not there, or from the empty text, changes nothing.
                             WriteCase{u"Z", u"", u"A=1\tB=2", u"A=1\tB=2"}, WriteCase{u"Z", u"", u"", u""},
                             WriteCase{u"A", u"", u"AB=1", u"AB=1"}));

TEST(ParamWrite, KeepEmptyWritesTheKey) {
  EXPECT_EQ(SetParamValueKeepEmpty(u"A", u"", u""), u"A=\t");
  EXPECT_EQ(SetParamValueKeepEmpty(u"A", u"", u"A=1\tB=2"), u"A=\tB=2");
}

TEST(ParamWrite, IntWriters) {
  EXPECT_EQ(SetParamInt(u"N", -9000000000LL, u""), u"N=-9000000000\t");
  EXPECT_EQ(SetParamInt(u"N", 0, u"N=5"), u"N=0");
  EXPECT_EQ(SetParamIntUnlessDefault(u"N", 3, 3, u"A=1\tN=5\t"), u"A=1\t");
  EXPECT_EQ(SetParamIntUnlessDefault(u"N", 4, 3, u"A=1\t"), u"A=1\tN=4\t");
}

TEST(ParamWrite, ValueWithEqualsReadsBack) {
  const Text text = SetParamValue(u"Base64", u"QQ==", u"Fil=x\t");
  EXPECT_EQ(GetParamValue(u"Base64", text), u"QQ==");
}

TEST(TrailingTab, AddAndRemove) {
  EXPECT_EQ(AddTrailingTab(u""), u"");
  EXPECT_EQ(AddTrailingTab(u"A=1"), u"A=1\t");
  EXPECT_EQ(AddTrailingTab(u"A=1\t"), u"A=1\t");
  EXPECT_EQ(RemoveTrailingTab(u"A=1\t\t"), u"A=1\t");
  EXPECT_EQ(RemoveTrailingTab(u""), u"");
}

TEST(ParamText, LongValueWithoutTabs) {
  // Values far longer than the scanner's stride, with a TAB at every alignment.
  for (size_t n = 0; n < 12; ++n) {
    const Text value(1000 + n, u'Q');
    const Text text = u"Pre=1\tBase64=" + value + u"\tPost=2";
    EXPECT_EQ(GetParamValue(u"Base64", text), value);
    EXPECT_EQ(GetParamValue(u"Post", text), u"2");
    EXPECT_EQ(SetParamValue(u"Base64", u"", text), u"Pre=1\tPost=2");
  }
}

}  // namespace
}  // namespace eos
