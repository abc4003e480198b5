#include "base/base64.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace eos {
namespace {

Text Encode(std::string_view bytes) {
  Text out(Base64Size(bytes.size()), u'\0');
  Base64Encode(bytes.data(), bytes.size(), out.data());
  return out;
}

// A strict decoder of the test's own: every character in the alphabet, fill only at the end.
std::vector<unsigned char> Decode(const Text& text) {
  static const std::u16string_view alphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  EXPECT_EQ(text.size() % 4, 0u);
  std::vector<unsigned char> out;
  for (size_t i = 0; i + 4 <= text.size(); i += 4) {
    unsigned group = 0;
    int fill = 0;
    for (size_t k = 0; k < 4; ++k) {
      const char16_t c = text[i + k];
      if (c == u'=') {
        EXPECT_EQ(i + 4, text.size()) << "fill before the end";
        EXPECT_GE(k, 2u);
        ++fill;
        group <<= 6;
        continue;
      }
      EXPECT_EQ(fill, 0) << "character after fill";
      const size_t v = alphabet.find(c);
      EXPECT_NE(v, std::u16string_view::npos) << "character " << int(c);
      group = group << 6 | static_cast<unsigned>(v);
    }
    out.push_back(static_cast<unsigned char>(group >> 16));
    if (fill < 2) out.push_back(static_cast<unsigned char>(group >> 8));
    if (fill < 1) out.push_back(static_cast<unsigned char>(group));
  }
  return out;
}

TEST(Base64, Rfc4648Vectors) {
  const struct {
    std::string_view in;
    Text out;
  } cases[] = {{"", u""},
               {"f", u"Zg=="},
               {"fo", u"Zm8="},
               {"foo", u"Zm9v"},
               {"foob", u"Zm9vYg=="},
               {"fooba", u"Zm9vYmE="},
               {"foobar", u"Zm9vYmFy"}};
  for (const auto& c : cases) EXPECT_EQ(Encode(c.in), c.out) << c.in;
}

TEST(Base64, EveryByteValueAndTheLastAlphabetCharacters) {
  EXPECT_EQ(Encode("\xFB\xFF\xBF"), u"+/+/");
  EXPECT_EQ(Encode(std::string_view("\0\0\0", 3)), u"AAAA");
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::vector<unsigned char> back = Decode(Encode(all));
  EXPECT_EQ(std::string(back.begin(), back.end()), all);
}

// Each length 0-64 covers every remainder on both the 6-byte and the 3-byte path; the
// encoder must write exactly the announced size, never a character past it.
TEST(Base64, RoundTripsEveryLengthUpTo64WithinItsSize) {
  std::string bytes;
  for (size_t n = 0; n <= 64; ++n) {
    const size_t size = Base64Size(n);
    EXPECT_EQ(size, (n + 2) / 3 * 4);
    Text out(size + 2, u'#');
    Base64Encode(bytes.data(), n, out.data());
    EXPECT_EQ(out.substr(size), u"##") << n;
    out.resize(size);
    const std::vector<unsigned char> back = Decode(out);
    EXPECT_EQ(std::string(back.begin(), back.end()), bytes) << n;
    bytes.push_back(static_cast<char>(n * 37 + 11));
  }
}

TEST(Base64, SizeLimit) {
  const size_t max = static_cast<size_t>(-1);
  EXPECT_TRUE(Base64FitsIn(max / 4 * 3 - 3));
  EXPECT_FALSE(Base64FitsIn(max));
  EXPECT_GE(Base64Size(max / 4 * 3 - 3), max / 4 * 3 - 3);
}

}  // namespace
}  // namespace eos
