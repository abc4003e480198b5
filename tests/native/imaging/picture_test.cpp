// Picture files: the signature table, the decoders on good and bad data, and the
// loader's fallback from a lying extension to the contents.
#include <gtest/gtest.h>

#include <zlib.h>

#include "imaging/core/bmp_decoder.h"
#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/picture.h"
#include "imaging/core/png_decoder.h"
#include "tests/native/imaging/fixtures.h"

namespace eos::imaging {
namespace {

using Bytes = std::vector<uint8_t>;
using test::FromLetters;
using test::ToLetters;

const std::vector<std::string> kSix = {"abc", "def"};

TEST(DetectPictureType, SignatureTableInOrderAndItsEdges) {
  const struct {
    Bytes head;
    std::string_view type;
  } cases[] = {
      {{'B', 'M'}, "bmp"},
      {{'B', 'M', 0xFF, 0xD8}, "bmp"},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10}, "jpg"},
      {{0xFF, 0xD8, 0xFF, 0xE1}, "jpg"},
      {{0xFF, 0xD8, 0xFF, 0xDB}, ""},  // a JPEG without JFIF or Exif segment first
      {{0xFF, 0xD8, 0xFF}, ""},
      {{'%', 'P', 'D', 'F', '-', '1', '.'}, "pdf"},
      {{'%', 'P', 'D', 'F', '-', '2'}, ""},
      {{'%', 'P', 'D', 'F', '-'}, ""},
      {{'I', 'I', '*', 0}, "tif"},
      {{'M', 'M', 0, '*'}, "tif"},
      {{'I', 'I', '*'}, ""},
      {{'B'}, ""},
      {{}, ""},
      {{0x89, 'P', 'N', 'G'}, ""},  // PNG is read by extension only
  };
  for (const auto& c : cases) EXPECT_EQ(DetectPictureType(c.head), c.type) << testing::PrintToString(c.head);
}

TEST(Decoders, ReadTheirOwnFormatsExactly) {
  const Pixels six = FromLetters(kSix);
  Pixels out;
  std::string error;
  ASSERT_TRUE(DecodePng(test::EncodePng(six), out, error)) << error;
  EXPECT_EQ(out, six);
  for (int bits : {24, 32}) {
    ASSERT_TRUE(DecodeBmp(test::EncodeBmp(six, bits), out, error)) << error;
    EXPECT_EQ(ToLetters(out), kSix) << bits;
  }
  ASSERT_TRUE(JpegDecoder().Decode(test::EncodeJpeg(six), out, error)) << error;
  EXPECT_EQ(out.width, 3);
  EXPECT_EQ(out.height, 2);
  EXPECT_EQ(ToLetters(out, out, kSix), kSix);  // six distinct colours survive
}

// A 3 x 2 BMP of 1, 4 or 8 bits per pixel, top-down, with a four-colour palette.
Bytes PaletteBmp(int bits, const std::vector<uint8_t>& indices) {
  Bytes b = test::EncodeBmp(Pixels{1, 1, {0}}, 24);  // a header to patch
  const size_t stride = (3 * static_cast<size_t>(bits) + 31) / 32 * 4;
  b.resize(54);
  b[10] = 54 + 16;
  b[22] = 0xFE;  // height -2: top-down
  b[23] = b[24] = b[25] = 0xFF;
  b[18] = 3;
  b[28] = static_cast<uint8_t>(bits);
  b[46] = 4;  // colours used
  for (Pixel c : {MakePixel(250, 20, 20), MakePixel(20, 200, 20), MakePixel(20, 20, 160), MakePixel(255, 255, 255)})
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(c >> (8 * i)));
  for (int y = 0; y < 2; ++y) {
    Bytes row(stride);
    for (size_t x = 0; x < 3; ++x) {
      const size_t bit = x * static_cast<size_t>(bits);
      row[bit / 8] |= static_cast<uint8_t>(indices[static_cast<size_t>(y) * 3 + x] << (8 - bits - bit % 8));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

TEST(DecodeBmp, PaletteDepthsAndTopDownRows) {
  Pixels out;
  std::string error;
  for (int bits : {1, 4, 8}) {
    const std::vector<uint8_t> indices =
        bits == 1 ? std::vector<uint8_t>{0, 1, 1, 1, 0, 0} : std::vector<uint8_t>{0, 1, 2, 3, 2, 1};
    ASSERT_TRUE(DecodeBmp(PaletteBmp(bits, indices), out, error)) << bits << ": " << error;
    EXPECT_EQ(ToLetters(out),
              bits == 1 ? (std::vector<std::string>{"abb", "baa"}) : (std::vector<std::string>{"abc", "gcb"}))
        << bits;
  }
}

Bytes Truncated(const Bytes& b) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(b.size() * 2 / 3)); }

// Patches the sizes a file names without touching its data; PNG's header checksum is
// written anew so the size, not the checksum, is what the decoder sees.
Bytes WithJpegSize(Bytes b, int w, int h) {
  for (size_t i = 2; i + 8 < b.size(); ++i)
    if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) {
      b[i + 5] = static_cast<uint8_t>(h >> 8), b[i + 6] = static_cast<uint8_t>(h);
      b[i + 7] = static_cast<uint8_t>(w >> 8), b[i + 8] = static_cast<uint8_t>(w);
      return b;
    }
  ADD_FAILURE() << "no frame header";
  return b;
}
Bytes WithPngSize(Bytes b, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i)
    b[16 + i] = static_cast<uint8_t>(w >> (24 - 8 * i)), b[20 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
  const uLong crc = crc32(0, b.data() + 12, 17);
  for (int i = 0; i < 4; ++i) b[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return b;
}
Bytes WithBmpSize(Bytes b, int32_t w, int32_t h) {
  for (int i = 0; i < 4; ++i)
    b[18 + i] = static_cast<uint8_t>(static_cast<uint32_t>(w) >> (8 * i)),
           b[22 + i] = static_cast<uint8_t>(static_cast<uint32_t>(h) >> (8 * i));
  return b;
}

TEST(Decoders, BadDataGivesAnErrorNeverAPicture) {
  const Pixels six = FromLetters(kSix);
  const Bytes jpeg = test::EncodeJpeg(six), png = test::EncodePng(six), bmp = test::EncodeBmp(six, 24);
  Bytes garbage(300);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 37);
  const struct {
    const char* what;
    const char* extension;
    Bytes data;
    const char* error_part;
  } cases[] = {
      {"truncated JPEG", "jpg", Truncated(jpeg), ""},
      {"JPEG 40000 wide", "jpg", WithJpegSize(jpeg, 40000, 2), "too large"},
      {"JPEG of no width", "jpg", WithJpegSize(jpeg, 0, 2), ""},
      {"JPEG header only", "jpg", Bytes(jpeg.begin(), jpeg.begin() + 20), ""},
      {"garbage as JPEG", "jpg", garbage, ""},
      {"empty JPEG", "jpg", {}, ""},
      {"truncated PNG", "png", Truncated(png), ""},
      {"PNG 40000 wide", "png", WithPngSize(png, 40000, 2), "too large"},
      {"PNG of 16384 x 16384", "png", WithPngSize(png, 16384, 16384), "too large"},
      {"garbage as PNG", "png", garbage, ""},
      {"truncated BMP", "bmp", Bytes(bmp.begin(), bmp.end() - 4), "truncated"},
      {"BMP 40000 wide", "bmp", WithBmpSize(bmp, 40000, 2), "too large"},
      {"BMP of no width", "bmp", WithBmpSize(bmp, 0, 2), "no pixels"},
      {"BMP header only", "bmp", Bytes(bmp.begin(), bmp.begin() + 20), ""},
      {"unknown extension", "gif", jpeg, ""},
  };
  for (const auto& c : cases) {
    Pixels out;
    std::string error;
    EXPECT_FALSE(DecodeByExtension(c.data, c.extension, out, error)) << c.what;
    EXPECT_NE(error.find(c.error_part), std::string::npos) << c.what << ": " << error;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(DecodePicture, FallsBackToTheContentsWhenTheExtensionLies) {
  const Pixels six = FromLetters(kSix);
  const Bytes jpeg = test::EncodeJpeg(six);
  Pixels direct, out;
  std::string error;
  ASSERT_TRUE(JpegDecoder().Decode(jpeg, direct, error));
  EXPECT_TRUE(DecodePicture(jpeg, "BMP", out, error)) << error;  // a JPEG named .bmp
  EXPECT_EQ(out, direct);
  EXPECT_TRUE(DecodePicture(test::EncodeBmp(six, 24), "jpg", out, error)) << error;  // and the other way round
  EXPECT_EQ(ToLetters(out), kSix);
  EXPECT_TRUE(DecodePicture(jpeg, "JPEG", out, error));  // capitals are the same extension

  Bytes no_segment = jpeg;
  no_segment[3] = 0xDB;  // FF D8 FF DB: not detected, so nothing to fall back to
  EXPECT_FALSE(DecodePicture(no_segment, "bmp", out, error));
  const Bytes pdf = {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'};
  const Bytes tiff = {'I', 'I', '*', 0, 8, 0, 0, 0};
  EXPECT_FALSE(DecodePicture(pdf, "jpg", out, error));  // recognised, not loaded
  EXPECT_NE(error.find("pdf"), std::string::npos) << error;
  EXPECT_FALSE(DecodePicture(tiff, "tif", out, error));
  EXPECT_FALSE(DecodePicture(Truncated(jpeg), "bmp", out, error));  // the fallback fails cleanly too
}

void RecordProgress(int percent) noexcept;
std::vector<int> g_progress;
void RecordProgress(int percent) noexcept { g_progress.push_back(percent); }

TEST(JpegDecoder, ReportsProgressFromZeroToAHundred) {
  g_progress.clear();
  Pixels out;
  std::string error;
  ASSERT_TRUE(DecodePicture(test::EncodeJpeg(test::Numbered(64, 64)), "jpg", out, error, RecordProgress)) << error;
  ASSERT_GE(g_progress.size(), 2u);
  EXPECT_EQ(g_progress.front(), 0);
  EXPECT_EQ(g_progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(g_progress.begin(), g_progress.end()));
}

}  // namespace
}  // namespace eos::imaging
