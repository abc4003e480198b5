#include "base/text.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

TEST(Utf8, RoundTripsValidText) {
  const Text text = u"a\u00E5\u20AC\U0001F4F7\t";
  EXPECT_EQ(ToUtf8(text), "a\xC3\xA5\xE2\x82\xAC\xF0\x9F\x93\xB7\t");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(Utf8, LoneSurrogatesAndBadBytesBecomeReplacement) {
  EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(Text(1, char16_t(0xDC00)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(FromUtf8("\xFF"
                     "a"),
            u"\uFFFD"
            u"a");
  EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
}

}  // namespace
}  // namespace eos
