// Pictures of layout items without a window: the names a field may give and the files
// they may mean, the place's proportions, and the tolerant loader's icons and metafile
// headers with hostile data. Also the text of layouts in another code page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "imaging/core/icon_decoder.h"
#include "imaging/core/metafile.h"
#include "imaging/core/picture.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_pictures.h"
#include "tests/native/imaging/fixtures.h"
#include "tests/native/layout/picture_files.h"

namespace eos::layout {
namespace {

using fixtures::Bytes;
using fixtures::Cut;
using fixtures::Emf;
using fixtures::Filled;
using fixtures::Icon;
using fixtures::IconBitmap;
using fixtures::Wmf;
using imaging::MakePixel;
using imaging::Pixel;
using imaging::Pixels;

TEST(LayoutPictureNames, OnlyBareFileNames) {
  struct Case {
    const char16_t* name;
    bool bare;
  };
  const Case cases[] = {
      {u"logo.png", true},
      {u"a b.jpg", true},
      {u"COM10.jpg", true},
      {u"console.jpg", true},
      {u"photo", true},
      {u"..\\secret.jpg", false},
      {u"..", false},
      {u".", false},
      {u"../secret.jpg", false},
      {u"sub\\x.jpg", false},
      {u"C:x.jpg", false},
      {u"C:\\x.jpg", false},
      {u"\\\\server\\share\\x.jpg", false},
      {u"\\x.jpg", false},
      {u"/etc/passwd", false},
      {u"x.jpg:stream", false},
      {u"CON", false},
      {u"con.jpg", false},
      {u"NUL .png", false},
      {u"com1.bmp", false},
      {u"LPT9", false},
      {u"CONOUT$", false},
      {u"x*.jpg", false},
      {u"x?.jpg", false},
      {u"x.jpg.", false},
      {u"x.jpg ", false},
      {u"a\u0001.jpg", false},
      {u"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBarePictureName(c.name), c.bare) << ToAsciiLossy(c.name);
  EXPECT_TRUE(IsBarePictureName(Text(255, u'a')));
  EXPECT_FALSE(IsBarePictureName(Text(256, u'a')));
}

TEST(LayoutPictureNames, CandidatesInTheOrderTheyAreTried) {
  EXPECT_EQ(PictureFileCandidates(u"logo.png", u"C:\\skin\\", u"C:\\host\\"),
            (std::vector<Text>{u"C:\\skin\\logo.png", u"C:\\host\\dblogo\\logo.png", u"C:\\host\\logo\\logo.png",
                               u"C:\\host\\logo.png"}));
  const auto bare = PictureFileCandidates(u"logo", u"C:\\skin", u"C:\\host");
  ASSERT_EQ(bare.size(), 20u);
  EXPECT_EQ(bare[0], u"C:\\skin\\logo.jpg");
  EXPECT_EQ(bare[4], u"C:\\skin\\logo.emf");
  EXPECT_EQ(bare[5], u"C:\\host\\dblogo\\logo.jpg");
  EXPECT_EQ(bare[11], u"C:\\host\\logo\\logo.jpeg");
  EXPECT_EQ(bare[19], u"C:\\host\\logo.emf");
  EXPECT_EQ(PictureFileCandidates(u"x.bmp", u"", u"C:\\host\\").size(), 3u) << "no layout folder";
  EXPECT_TRUE(PictureFileCandidates(u"x.bmp", u"", u"").empty());
  for (const char16_t* hostile : {u"..\\x.bmp", u"C:\\x.bmp", u"\\\\srv\\x.bmp", u"\\x.bmp", u"NUL"})
    EXPECT_TRUE(PictureFileCandidates(hostile, u"C:\\skin\\", u"C:\\host\\").empty()) << ToAsciiLossy(hostile);
}

TEST(LayoutPictureNames, FieldsNameThePictureElseTheDatIsTheName) {
  FieldStore fields;
  fields.Set(u"Photo", u"face.jpg");
  fields.Set(u"Nr", u"42");
  struct Case {
    const char16_t* dat;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"Photo[DB]", u"face.jpg"},
      {u"photo", u"face.jpg"},
      {u"Nr[DB]5", u"00042"},
      {u"Nr[DB]1", u"4"},
      {u"Other[DB]", u"Other[DB]"},
      {u"logo.png", u"logo.png"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(PictureSourceName(c.dat, fields), c.want) << ToAsciiLossy(c.dat);
}

TEST(LayoutPictureNames, PlacesShrinkToThePicturesProportions) {
  struct Case {
    Rect box;
    int w, h;
    Rect want;
  };
  const Case cases[] = {
      {{10, 20, 100, 100}, 200, 100, {10, 20, 100, 50}},
      {{10, 20, 100, 100}, 100, 200, {10, 20, 50, 100}},
      {{10, 20, 100, 50}, 2, 1, {10, 20, 100, 50}},
      {{0, 0, 100, 100}, 3, 2, {0, 0, 100, 67}},
      {{0, 0, 100, 100}, 4096, 1, {0, 0, 100, 0}},
      {{0, 0, 100, 100}, 0, 5, {0, 0, 100, 100}},
      {{0, 0, 0, 100}, 5, 5, {0, 0, 0, 100}},
  };
  for (const Case& c : cases) EXPECT_EQ(ShrinkToPicture(c.box, c.w, c.h), c.want) << c.w << " x " << c.h;
}

TEST(LayoutPictures, IconsKeepTheirTransparency) {
  const Pixel red = MakePixel(255, 0, 0), half_blue = MakePixel(0, 0, 255, 128);
  Pixels alpha = Filled(4, 2, red);
  alpha.at(1, 0) = half_blue;
  alpha.at(2, 1) = 0;
  Pixels opaque = Filled(3, 2, MakePixel(0, 255, 0));
  const std::vector<std::string> mask = {"#..", "..#"};
  Pixels out;
  std::string error;

  ASSERT_TRUE(imaging::DecodeIcon(Icon({{4, 32, IconBitmap(alpha, 32)}}), out, error)) << error;
  EXPECT_EQ(out, alpha) << "a 32-bit picture's own alpha";

  ASSERT_TRUE(imaging::DecodeIcon(Icon({{3, 24, IconBitmap(opaque, 24, mask)}}), out, error)) << error;
  EXPECT_EQ(out.at(0, 0), 0u) << "the mask makes it transparent";
  EXPECT_EQ(out.at(1, 0), MakePixel(0, 255, 0));
  EXPECT_EQ(out.at(2, 1), 0u);

  // A 32-bit picture whose fourth bytes are all zero takes its transparency from the mask.
  Pixels no_alpha = opaque;
  for (Pixel& p : no_alpha.data) p &= 0xFFFFFF;
  ASSERT_TRUE(imaging::DecodeIcon(Icon({{3, 32, IconBitmap(no_alpha, 32, mask)}}), out, error)) << error;
  EXPECT_EQ(out.at(0, 0), 0u);
  EXPECT_EQ(out.at(1, 0), MakePixel(0, 255, 0));

  // Of several pictures the largest, then the deepest; PNG pictures inside as they are.
  const Pixels big = Filled(16, 16, half_blue);
  ASSERT_TRUE(imaging::DecodeIcon(Icon({{4, 32, IconBitmap(alpha, 32)},
                                        {16, 32, imaging::test::EncodePng(big)},
                                        {16, 8, IconBitmap(Filled(16, 16, red), 24)}}),
                                  out, error))
      << error;
  EXPECT_EQ(out, big);
  // The tolerant loader reads icons by their extension.
  ASSERT_TRUE(imaging::DecodePicture(Icon({{4, 32, IconBitmap(alpha, 32)}}), "ICO", out, error)) << error;
  EXPECT_EQ(out, alpha);
}

TEST(LayoutPictures, HostileIconsGiveAnErrorNeverAPicture) {
  const Bytes good = Icon({{4, 32, IconBitmap(Filled(4, 4, MakePixel(1, 2, 3)), 32)}});
  Bytes huge_count = good;
  huge_count[4] = huge_count[5] = 0xFF;
  Bytes past_end = good;
  past_end[6 + 12] = 0xF0;  // the picture's offset
  Bytes huge_size = good;
  huge_size[6 + 10] = 0x7F;  // the picture's byte count
  Bytes huge_side = good;
  const size_t bitmap = 6 + 16;
  huge_side[bitmap + 4] = 0x00, huge_side[bitmap + 5] = 0x40;  // 16384 wide
  const Bytes truncated = Cut(good, -20);
  Bytes cursor = good;
  cursor[2] = 2;
  Bytes upside_down = good;
  upside_down[bitmap + 11] = 0xFF;  // a negative height
  const Bytes no_mask = Icon({{2, 24, Cut(IconBitmap(Filled(2, 2, 0xFF000000u), 24), -8)}});
  const Bytes png_entry_cut = Icon({{4, 32, Bytes(8, 0x89)}});
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {
      {"empty", {}},
      {"directory only", Cut(good, 6)},
      {"count beyond the file", huge_count},
      {"no pictures", Icon({})},
      {"picture past the end", past_end},
      {"picture larger than the file", huge_size},
      {"picture of a huge size", huge_side},
      {"picture cut short", truncated},
      {"a cursor", cursor},
      {"an upside-down bitmap", upside_down},
      {"mask missing", no_mask},
      {"a PNG entry that is no PNG", png_entry_cut},
  };
  for (const auto& c : cases) {
    Pixels out;
    std::string error;
    EXPECT_FALSE(imaging::DecodeIcon(c.data, out, error, {2048, 1 << 20})) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(LayoutPictures, MetafileHeadersGiveTheSizeOrAClearError) {
  std::string error;
  const auto emf = imaging::ReadMetafile(Emf(2540, 1270), error);
  ASSERT_TRUE(emf) << error;
  EXPECT_TRUE(emf->enhanced);
  EXPECT_EQ(emf->width, 96);
  EXPECT_EQ(emf->height, 48);
  EXPECT_EQ(emf->records.size(), 108u);
  const auto wmf = imaging::ReadMetafile(Wmf(1440, 720, 1440), error);
  ASSERT_TRUE(wmf) << error;
  EXPECT_FALSE(wmf->enhanced);
  EXPECT_EQ(wmf->width, 96);
  EXPECT_EQ(wmf->height, 48);
  EXPECT_EQ(wmf->width_mm100, 2540);
  EXPECT_EQ(wmf->records.size(), 24u) << "without the placeable header";

  // An empty frame: the size of the bounds, in pixels.
  const auto bounds = imaging::ReadMetafile(Emf(-5, -5), error);
  ASSERT_TRUE(bounds) << error;
  EXPECT_EQ(bounds->width, 100);
  EXPECT_EQ(bounds->height, 50);

  Bytes empty_bounds = Emf(-5, -5);
  empty_bounds[8] = 200;  // left beyond right
  Bytes eof_missing = Emf(2540, 2540);
  eof_missing[88] = 13;
  Bytes record_past_end = Emf(2540, 2540);
  record_past_end[92] = 0xF0;
  Bytes record_empty = Emf(2540, 2540);
  record_empty[92] = 0;
  Bytes total_too_big = Emf(2540, 2540);
  total_too_big[48] = 0xF0;
  Bytes bad_signature = Emf(2540, 2540);
  bad_signature[40] = 'X';
  Bytes bad_checksum = Wmf(100, 100, 1440);
  bad_checksum[20] ^= 1;
  Bytes wmf_past_end = Wmf(100, 100, 1440);
  wmf_past_end[22 + 18] = 0xFF;
  Bytes plain_wmf = Wmf(100, 100, 1440);
  plain_wmf.erase(plain_wmf.begin(), plain_wmf.begin() + 22);
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {
      {"empty", {}},
      {"huge frame", Emf(2000000000, 2540)},
      {"negative frame and empty bounds", empty_bounds},
      {"no end-of-file record", eof_missing},
      {"record past the end", record_past_end},
      {"record of no size", record_empty},
      {"header counts more bytes than there are", total_too_big},
      {"wrong signature", bad_signature},
      {"truncated header", Cut(Emf(2540, 2540), 60)},
      {"huge Windows metafile", Wmf(32000, 32000, 1)},
      {"no units per inch", Wmf(100, 100, 0)},
      {"no size", Wmf(0, 100, 1440)},
      {"wrong checksum", bad_checksum},
      {"Windows metafile records past the end", wmf_past_end},
      {"Windows metafile without its placeable header", plain_wmf},
      {"truncated Windows metafile", Cut(Wmf(100, 100, 1440), 30)},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(imaging::ReadMetafile(c.data, why, {4096, int64_t{4096} * 4096})) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

TEST(LayoutPictures, TheTolerantLoaderReadsByExtensionThenByContents) {
  const Pixels six = Filled(3, 2, MakePixel(10, 20, 30));
  Pixels out;
  std::string error;
  ASSERT_TRUE(imaging::DecodePicture(imaging::test::EncodeBmp(six, 24), "png", out, error)) << error;
  EXPECT_EQ(out, six) << "a BMP named .png";
  Pixels see_through = Filled(2, 2, MakePixel(0, 0, 255, 100));
  ASSERT_TRUE(imaging::DecodePicture(imaging::test::EncodePng(see_through), "png", out, error)) << error;
  EXPECT_EQ(out, see_through) << "a PNG keeps its alpha";

  // Metafiles go to the renderer the platform gives, with the size their header names.
  int drawn = 0;
  const imaging::MetafileRenderer renderer = [&drawn](const imaging::MetafileInfo& m, Pixels& p, std::string&) {
    ++drawn;
    p = Filled(m.width, m.height, 0);
    return true;
  };
  ASSERT_TRUE(imaging::DecodePicture(Emf(2540, 1270), "EMF", out, error, nullptr, {}, renderer)) << error;
  EXPECT_EQ(out.width, 96);
  EXPECT_FALSE(imaging::DecodePicture(Emf(2000000000, 2540), "emf", out, error, nullptr, {}, renderer));
  EXPECT_EQ(drawn, 1) << "a metafile of a huge size is never drawn";
  EXPECT_FALSE(imaging::DecodePicture(Emf(2540, 1270), "emf", out, error));
  EXPECT_NE(error.find("Windows"), std::string::npos) << "no renderer here: " << error;
}

Text Shifted(std::span<const uint8_t> bytes) {
  Text out;
  for (uint8_t b : bytes) out += static_cast<char16_t>(b >= 0x80 ? 0x400 + b : b);
  return out;
}

TEST(LayoutText, TextWithoutAByteOrderMarkGoesToTheAnsiDecoder) {
  LayoutDocument doc;
  Text error;
  const Bytes ansi = {'t', 'y', 'p', 'f', 't', 'x', '\t', 'd', 'a', 't', 0xE4};
  ASSERT_TRUE(ReadLayoutBytes(ansi, u"qzb", doc, error, Shifted));
  EXPECT_EQ(doc.lines.at(0), u"typftx\tdat\u04E4");
  Bytes utf8 = {0xEF, 0xBB, 0xBF};
  utf8.insert(utf8.end(), {'a', 0xC3, 0xA4});
  ASSERT_TRUE(ReadLayoutBytes(utf8, u"qzb", doc, error, Shifted));
  EXPECT_EQ(doc.lines.at(0), u"a\u00E4") << "a byte-order mark decides";
  EXPECT_EQ(DecodeLayoutText(ansi), u"typftx\tdat\u00E4") << "Windows-1252 by default";
}

}  // namespace
}  // namespace eos::layout
