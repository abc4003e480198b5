// The layout engine's portable part: numbers and keys of item lines, the container and
// text reading with hostile input, the item model, field values and the read cache.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/text.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_keys.h"

namespace eos::layout {
namespace {

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// A container: the header's counts, the byte 254, then the parts back to back.
std::vector<uint8_t> Container(std::string_view header, std::initializer_list<std::string_view> parts) {
  std::vector<uint8_t> out = Bytes(header);
  out.push_back(254);
  for (std::string_view p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(LayoutNumbers, ParseAcceptsBothSeparatorsAndNothingElse) {
  struct Case {
    const char16_t* text;
    std::optional<double> want;
  };
  const Case cases[] = {
      {u"50,50", 50.5},       {u"50.50", 50.5},         {u" 3 ", 3.0},          {u"+5", 5.0},
      {u"-12,25", -12.25},    {u"-1000000000", -1e9},   {u"", std::nullopt},    {u"-", std::nullopt},
      {u",", std::nullopt},   {u"1,2,3", std::nullopt}, {u"NaN", std::nullopt}, {u"1e9", std::nullopt},
      {u"inf", std::nullopt}, {u"12mm", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLayoutNumber(c.text), c.want) << ToAsciiLossy(c.text);
}

TEST(LayoutNumbers, PixelsAreFourPerMillimetreWithinDrawableRange) {
  struct Case {
    double mm;
    std::optional<int> want;
  };
  const Case cases[] = {
      {50.5, 202},
      {0.0, 0},
      {0.125, 0},
      {0.375, 2},
      {-2.5, -10},
      {4096, kMaxLayoutPixels},
      {4096.25, std::nullopt},
      {-1e9, std::nullopt},
      {1e9, std::nullopt},
      {std::nan(""), std::nullopt},
      {INFINITY, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(LayoutToPixels(c.mm), c.want) << c.mm;
  EXPECT_EQ(LayoutKeyPixels(u"lft", u"typfim\tlft50,50\t"), 202);
  EXPECT_EQ(LayoutKeyPixels(u"lft", u"typfim\tlft50.50"), 202);
}

TEST(LayoutKeys, GetFindsWholeFieldsOnly) {
  struct Case {
    const char16_t* key;
    const char16_t* line;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"typ", u"typcsz\twid100", u"csz"},
      {u"wid", u"typcsz\twid100", u"100"},
      {u"wid", u"typcsz\twid100\t", u"100"},
      {u"dat", u"typfim\tdatbgb_mask.png\tlft1", u"bgb_mask.png"},
      {u"hei", u"typcsz\twid100", u""},
      {u"id", u"typcsz\twid100", u""},  // not the end of "wid"
      {u"Typ", u"typcsz", u""},         // case-sensitive
      {u"dat", u"typftx\tdat", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetLayoutKey(c.key, c.line), c.want) << ToAsciiLossy(c.line);
}

TEST(LayoutKeys, SetReplacesAppendsAndRemoves) {
  struct Case {
    const char16_t* key;
    const char16_t* value;
    const char16_t* line;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"wid", u"5", u"typcsz\twid100\thei2", u"typcsz\twid5\thei2"},
      {u"hei", u"7", u"typcsz\twid100", u"typcsz\twid100\thei7\t"},
      {u"hei", u"7", u"typcsz\t", u"typcsz\thei7\t"},
      {u"wid", u"", u"typcsz\twid100\thei2", u"typcsz\thei2"},
      {u"hei", u"", u"typcsz\twid100\thei2", u"typcsz\twid100"},
      {u"typ", u"", u"typcsz\twid1", u"wid1"},
      {u"dsp", u"", u"typpho", u"typpho"},
  };
  for (const Case& c : cases) EXPECT_EQ(SetLayoutKey(c.key, c.value, c.line), c.want) << ToAsciiLossy(c.line);
}

TEST(LayoutText, DecodesByByteOrderMarkElseWindows1252) {
  struct Case {
    std::vector<uint8_t> bytes;
    Text want;
  };
  const Case cases[] = {
      {{'a', 0x80, 0xE4, 0xFF}, u"a\u20AC\u00E4\u00FF"},
      {{0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA4}, u"a\u00E4"},
      {{0xFF, 0xFE, 'a', 0, 0xE4, 0}, u"a\u00E4"},
      {{0xFE, 0xFF, 0, 'a', 0, 0xE4, 0}, u"a\u00E4"},  // the odd last byte is no character
      {{}, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeLayoutText(c.bytes), c.want);
}

TEST(LayoutText, LinesDropEmptyAndOverlongOnes) {
  size_t dropped = 0;
  EXPECT_EQ(SplitLayoutLines(u"a\r\nb\n\nc\rd", &dropped), (std::vector<Text>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(dropped, 0u);
  const Text huge(size_t{1} << 20, u'x');
  EXPECT_EQ(SplitLayoutLines(u"typcsz\n" + huge + u"\nlast", &dropped), (std::vector<Text>{u"typcsz", u"last"}));
  EXPECT_EQ(dropped, 1u);
  Text many;
  for (size_t i = 0; i < kMaxLines + 3; ++i) many += u"l\n";
  EXPECT_EQ(SplitLayoutLines(many, &dropped).size(), kMaxLines);
  EXPECT_EQ(dropped, 3u);
}

TEST(LayoutContainer, EmbeddedFilesBelongToImageItemsInOrder) {
  const std::string text = "typcsz\twid10\thei10\ntypftx\tdatHello\ntypfim\tdatA.jpg\ntypfim\tdatb.PNG\n";
  const auto bytes = Container(std::to_string(text.size()) + "\t4\t3", {text, "JPEG", "PNG"});
  LayoutDocument doc;
  Text error;
  ASSERT_TRUE(ReadLayoutBytes(bytes, u"QZB", doc, error)) << ToAsciiLossy(error);
  ASSERT_EQ(doc.lines.size(), 4u);
  EXPECT_EQ(doc.embedded.Index().size(), 2u);
  const auto a = doc.embedded.Find(u"a.JPG");
  ASSERT_TRUE(a);
  EXPECT_EQ(std::string(a->begin(), a->end()), "JPEG");
  const auto b = doc.embedded.Find(u"B.png");
  ASSERT_TRUE(b);
  EXPECT_EQ(std::string(b->begin(), b->end()), "PNG");
  EXPECT_FALSE(doc.embedded.Find(u"c.jpg"));
}

TEST(LayoutContainer, HostileHeadersAreRefusedOrNoNumbers) {
  const std::string text = "typcsz\twid10\thei10\ntypfim\tdatA.jpg\n";
  const std::string n = std::to_string(text.size());
  // Refused: false with an error. No number: a conversion error, for the caller to answer.
  enum Outcome { kRead, kRefused, kNoNumber };
  struct Case {
    const char* what;
    std::string header;
    Outcome outcome;
  };
  const Case cases[] = {
      {"tab-separated counts", n + "\t4\t", kRead},
      {"missing final TAB supplied", n + "\t4", kRead},
      {"fewer bytes counted than there are", n + "\t2", kRead},
      {"negative count", n + "\t-4", kRefused},
      {"count past the end", n + "\t5", kRefused},
      {"layout text past the end", "999999", kRefused},
      {"count beyond 64 bits", n + "\t99999999999999999999999", kRefused},
      {"count that is no number", n + "\tfour", kNoNumber},
      {"minus sign after the digits", n + "\t4-", kNoNumber},
      {"empty count", n + "\t\t4", kNoNumber},
      {"empty header", "", kNoNumber},
      {"no number after a count past the end", "999999\tfour", kNoNumber},
      {"blank in a count", n + " \t4", kNoNumber},
  };
  for (const Case& c : cases) {
    LayoutDocument doc;
    Text error;
    if (c.outcome == kNoNumber) {
      EXPECT_THROW(ReadLayoutBytes(Container(c.header, {text, "JPEG"}), u"qzb", doc, error), LayoutConversionError)
          << c.what;
      continue;
    }
    EXPECT_EQ(ReadLayoutBytes(Container(c.header, {text, "JPEG"}), u"qzb", doc, error), c.outcome == kRead) << c.what;
    EXPECT_EQ(error.empty(), c.outcome == kRead) << c.what;
    if (c.outcome == kRefused) EXPECT_TRUE(doc.lines.empty()) << c.what;
  }
}

TEST(LayoutContainer, PlainLayoutsAreTextLines) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char16_t* extension;
    size_t lines;
  };
  std::vector<uint8_t> utf16{0xFF, 0xFE};
  for (char c : std::string("typcsz\twid1\thei1\r\ntypftx")) utf16.insert(utf16.end(), {uint8_t(c), 0});
  const Case cases[] = {
      {"no byte 254", Bytes("typcsz\twid1\thei1\ntypftx\n"), u"qzb", 2},
      {"UTF-16 with its mark", utf16, u"qzc", 2},
      {"254 in a text layout of another kind", Container("x", {"\ntypftx"}), u"txt", 2},
      {"empty file", {}, u"qzb", 0},
  };
  for (const Case& c : cases) {
    LayoutDocument doc;
    Text error;
    ASSERT_TRUE(ReadLayoutBytes(c.bytes, c.extension, doc, error)) << c.what;
    EXPECT_EQ(doc.lines.size(), c.lines) << c.what;
  }
}

TEST(LayoutContainer, RefusesFilesLargerThanAnyLayout) {
  const std::vector<uint8_t> big(kMaxLayoutFileBytes + 1, 'a');
  LayoutDocument doc;
  Text error;
  EXPECT_FALSE(ReadLayoutBytes(big, u"qzb", doc, error));
  EXPECT_FALSE(error.empty());
}

TEST(LayoutItems, LinesBecomeItemsOrClearFailures) {
  struct Case {
    const char16_t* line;
    ItemKind kind;  // Skipped with `fails` for a line that makes no item
    bool fails;
    Rect bounds;
    int tag;
    const char16_t* text;
    bool placed = true;
  };
  const Case cases[] = {
      {u"typftx\tlft50,50\ttop1\twid10\thei2,5\tdatHello", ItemKind::Label, false, {202, 4, 40, 10}, 101, u"Hello"},
      {u"typFTX\twid1\thei1\tdatmagkortfält3", ItemKind::Label, false, {0, 0, 4, 4}, 9991, u""},
      {u"typftx\twid1\thei1\tdatDatafält12", ItemKind::Label, false, {0, 0, 4, 4}, 12, u""},
      {u"typftx\twid1\thei1\tdatbaksida4", ItemKind::Label, false, {0, 0, 4, 4}, 1004, u""},
      {u"typftx\twid1\thei1\tdatdatabak2", ItemKind::Label, false, {0, 0, 4, 4}, 1002, u""},
      {u"typftx\twid1\thei1\tdat!!special:ft\"Hi\"!kd\"X\"!", ItemKind::Label, false, {0, 0, 4, 4}, 101, u"Hi"},
      {u"typftx\twid1\thei1\twwp1\tdatAÿB", ItemKind::Label, false, {0, 0, 4, 4}, 101, u"A\r\nB"},
      {u"typftx\twid1\thei1\tfst1\tdatx", ItemKind::Label, false, {0, 0, 4, 4}, 101, u"x"},
      // Made, but never shown: no tag, no text.
      {u"typftx\twid1\thei1\tfstbold\tdatx", ItemKind::Label, false, {0, 0, 4, 4}, 0, u"", false},
      {u"typdtx\twid1\thei1\tfst1,5\tdatTakePicture[DB]", ItemKind::DataLabel, false, {0, 0, 4, 4}, 0, u"", false},
      {u"typdtx\twid1\thei1\tdatTakePicture[DB]", ItemKind::DataLabel, false, {0, 0, 4, 4}, -1, u""},
      {u"typdtx\twid1\thei1\tdatfält7[DB]", ItemKind::DataLabel, false, {0, 0, 4, 4}, 7, u""},
      {u"typdtx\twid1\thei1\tdatlöpnummer", ItemKind::DataLabel, false, {0, 0, 4, 4}, 9991, u""},
      {u"typfim\tlft1\ttop2\twid3\thei4\tdatx.jpg", ItemKind::Image, false, {4, 8, 12, 16}, 0, u""},
      {u"typshp\twid3\thei4\tbcl-1\tpcl255", ItemKind::Shape, false, {0, 0, 12, 16}, 106, u""},
      {u"typpho\twid30\thei40", ItemKind::Photo, false, {0, 0, 120, 160}, 105, u""},
      {u"typbar\twid1\thei1\tdat123", ItemKind::Skipped, false, {}, 0, u""},
      {u"typbam\twid1\thei1", ItemKind::Skipped, false, {}, 0, u""},
      {u"typrtf\twid1\thei1", ItemKind::Skipped, false, {}, 0, u""},
      {u"typzzz\twid1\thei1", ItemKind::Skipped, false, {}, 0, u""},
      {u"lft1\twid1\thei1", ItemKind::Skipped, false, {}, 0, u""},
      {u"typfim\tlft-1000000000\twid1\thei1", ItemKind::Skipped, true, {}, 0, u""},
      {u"typfim\tlft1\twid1000000000\thei1", ItemKind::Skipped, true, {}, 0, u""},
      {u"typfim\tlftNaN\twid1\thei1", ItemKind::Skipped, true, {}, 0, u""},
      {u"typfim\twid\thei1", ItemKind::Skipped, true, {}, 0, u""},
      {u"typfim\thei1", ItemKind::Skipped, true, {}, 0, u""},
      {u"typfim\twid-1\thei1", ItemKind::Skipped, true, {}, 0, u""},
  };
  for (const Case& c : cases) {
    Text error;
    const auto item = ParseLayoutItem(c.line, error);
    ASSERT_EQ(!item, c.fails) << ToAsciiLossy(c.line);
    if (c.fails) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(item->kind, c.kind) << ToAsciiLossy(c.line);
    EXPECT_EQ(item->placed, c.placed) << ToAsciiLossy(c.line);
    EXPECT_EQ(error.empty(), c.placed) << ToAsciiLossy(c.line);
    if (c.kind == ItemKind::Skipped) continue;
    EXPECT_EQ(item->bounds, c.bounds) << ToAsciiLossy(c.line);
    EXPECT_EQ(item->tag, c.tag) << ToAsciiLossy(c.line);
    EXPECT_EQ(item->text, c.text) << ToAsciiLossy(c.line);
    EXPECT_EQ(item->line, c.line);
  }
}

TEST(LayoutItems, LabelAndShapeKeys) {
  Text error;
  const auto label = ParseLayoutItem(
      u"typftx\twid1\thei1\tang90\taliCENTER\tvalbottom\tcol255\tfnmArial\tfsz2,5\tfst3\tfxs2\topa40\twwp1", error);
  ASSERT_TRUE(label);
  const LabelStyle& s = label->label;
  EXPECT_EQ(s.angle, 90);
  EXPECT_EQ(s.align, HAlign::Center);
  EXPECT_EQ(s.valign, VAlign::Bottom);
  EXPECT_EQ(s.colour, 255u);
  EXPECT_EQ(s.font_name, u"Arial");
  EXPECT_EQ(s.font_height, 10);
  EXPECT_TRUE(s.bold && s.italic);
  EXPECT_EQ(s.extra_spacing, 2);
  EXPECT_EQ(s.opacity, 40);
  EXPECT_TRUE(s.word_wrap);

  const auto shape = ParseLayoutItem(u"typshp\twid1\thei1\tbcl-1\tpcl16711680\tpsz0,5\tknd3\topa250", error);
  ASSERT_TRUE(shape);
  EXPECT_FALSE(shape->brush);
  EXPECT_EQ(shape->pen, 0xFF0000u);
  EXPECT_EQ(shape->pen_width, 2);
  EXPECT_EQ(shape->shape, ShapeKind::VerticalLine);
  EXPECT_EQ(shape->opacity, 100);
}

TEST(LayoutItems, PageSizeIsALengthThatCanBeDrawn) {
  struct Case {
    const char16_t* line;
    bool ok;
  };
  const Case cases[] = {{u"typcsz\twid100\thei75\tbgbback.jpg", true},
                        {u"typcsz\twid0\thei75", true},
                        {u"typcsz\twid100\thei-1", false},
                        {u"typcsz\thei75", false},
                        {u"typcsz\twid1e9\thei1", false},
                        {u"typftx\twid1\thei1", false}};
  for (const Case& c : cases) {
    Text error;
    EXPECT_EQ(ParseLayoutPage(c.line, error).has_value(), c.ok) << ToAsciiLossy(c.line);
  }
  Text error;
  const auto page = ParseLayoutPage(u"typcsz\twid100\thei75\tbgbback.jpg", error);
  EXPECT_EQ(page->width, 400);
  EXPECT_EQ(page->height, 300);
  EXPECT_EQ(page->background, u"back.jpg");
}

TEST(LayoutFields, DataLabelsCutOrPadToTheirLength) {
  struct Case {
    const char16_t* dat;
    const char16_t* key;
    const char16_t* value;
    std::optional<Text> want;
  };
  const Case cases[] = {
      {u"TakePicture[DB]", u"takepicture", u"Ta bild", u"Ta bild"},
      {u"TakePicture[DB]", u"Settings", u"x", std::nullopt},
      {u"Nr[DB]5", u"Nr", u"42", u"00042"},
      {u"Nr[DB]5", u"Nr", u"ABCDEFGH", u"ABCDE"},
      {u"Nr[db]6", u"NR", u"Picture taken", u"Pictur"},
      {u"Nr[DB]5", u"Nr", u"-42", u"-42"},
      {u"Nr[DB]x", u"Nrx", u"long value", u"long value"},
      {u"[DB]Name[DB]", u"Name", u"v", u"v"},
      // A length no label can have is no length: padding to it would take all memory.
      {u"Nr[DB]1055650665", u"Nr", u"42", u"42"},
      {u"Nr[DB]4096", u"Nr", u"ABCDEFGH", u"ABCDEFGH"},
      {u"", u"", u"v", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(DataLabelText(c.dat, c.key, c.value, false), c.want) << ToAsciiLossy(c.dat);
  EXPECT_EQ(DataLabelText(u"Info[DB]", u"Info", u"a\u00FFb", true), u"a\r\nb");
  EXPECT_EQ(DataLabelText(u"Info[DB]", u"Info", u"a\u00FFb", false), u"a\u00FFb");
}

TEST(LayoutFields, StoreKeepsOneLinePerFieldAndRemovesEmptyValues) {
  FieldStore store;
  store.Set(u"Info", u"a\r\nb\tc\nd");
  store.Set(u"Title", u"T");
  store.Set(u"info", u"again");
  EXPECT_EQ(store.Lookup(u"INFO"), u"again");
  store.Set(u"Info", u"x\ry");
  EXPECT_EQ(store.Lookup(u"Info"), u"x\u00FFy");
  store.Set(u"Note", u"a\r\nb\tc");
  EXPECT_EQ(store.Lookup(u"Note"), u"a\u00FFb\u00FEc");
  store.Set(u"Title", u"");
  EXPECT_EQ(store.Lookup(u"Title"), u"");
  const auto entries = store.Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].first, u"Info");
  EXPECT_EQ(entries[1].second, u"a\u00FFb\u00FEc");
  store.Clear();
  EXPECT_TRUE(store.Empty());
}

TEST(LayoutFields, SpecialTextsAndVisibility) {
  FieldStore store;
  store.Set(u"Delay", u"3");
  struct Case {
    const char16_t* dat;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"!!special:ft\"Wait \"!kd\"Delay\"!ft\" s\"!", u"Wait 3 s"},
      {u"!!SPECIAL:kdupper\"Delay\"!", u"3"},
      // Every "!" ends a segment; the quotes are taken by their places.
      {u"!!special:ft\"Hi!\"!", u"H"},
      {u"!!special:xx\"ignored\"!ft\"A\"!tail", u"A"},
      {u"!!special:ft\"unterminated", u""},
      {u"!!special:kd\"Missing\"!", u""},
      {u"!!special:", u""},
      {u"!!special:!!!", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(RenderSpecialText(c.dat, store, false), c.want) << ToAsciiLossy(c.dat);
  EXPECT_EQ(LabelVisibility(u"typftx\tdblDelay[db]", store), true);
  EXPECT_EQ(LabelVisibility(u"typftx\tdblOther", store), false);
  EXPECT_EQ(LabelVisibility(u"typftx\tdatx", store), std::nullopt);
}

TEST(LayoutCache, ReadsAnUnchangedFileOnce) {
  LayoutCache cache;
  int reads = 0;
  bool fail = false;
  const LayoutCache::Reader reader = [&](LayoutDocument& doc, Text& error) {
    ++reads;
    if (fail) {
      error = u"bad";
      return false;
    }
    doc.lines = {u"typcsz\twid1\thei1"};
    return true;
  };
  Text error;
  ASSERT_NE(cache.Get(u"a.qzb", 1, reader, error), nullptr);
  ASSERT_NE(cache.Get(u"a.qzb", 1, reader, error), nullptr);
  EXPECT_EQ(reads, 1);
  ASSERT_NE(cache.Get(u"a.qzb", 2, reader, error), nullptr);
  ASSERT_NE(cache.Get(u"b.qzb", 2, reader, error), nullptr);
  EXPECT_EQ(reads, 3);
  fail = true;
  EXPECT_EQ(cache.Get(u"c.qzb", 2, reader, error), nullptr);
  EXPECT_EQ(cache.Get(u"c.qzb", 2, reader, error), nullptr);
  EXPECT_EQ(reads, 5);  // a failed reading is tried again
  EXPECT_EQ(error, u"bad");
}

}  // namespace
}  // namespace eos::layout
