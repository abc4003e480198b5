// The data pass of the layout engine without a window: the functions of special texts,
// visibility and data labels, and where labels go (growth, groups, font fitting) with
// text measured by a fixed rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_keys.h"
#include "layout/core/layout_pass.h"

namespace eos::layout {
namespace {

// Characters half the font height wide (at least 1), lines a quarter higher than the
// font, the baseline at four fifths of it; 0 is a 12-pixel font.
class FixedMeasure : public TextMeasure {
 public:
  TextExtent Measure(const LabelStyle&, int font_height, TextView text) const override {
    ++calls;
    const int h = font_height > 0 ? font_height : 12;
    TextExtent e;
    size_t start = 0, lines = 0;
    for (;;) {
      const size_t end = text.find(u"\r\n", start);
      const size_t chars = (end == TextView::npos ? text.size() : end) - start;
      e.width = std::max(e.width, static_cast<int>(chars) * std::max(1, h / 2));
      ++lines;
      if (end == TextView::npos) break;
      start = end + 2;
    }
    e.height = static_cast<int>(lines) * (h + h / 4);
    e.ascent = h * 4 / 5;
    return e;
  }
  mutable int calls = 0;
};

LayoutItem Item(const Text& line) {
  Text error;
  const auto item = ParseLayoutItem(line, error);
  EXPECT_TRUE(item) << ToAsciiLossy(line) << ": " << ToAsciiLossy(error);
  return item.value_or(LayoutItem{});
}

LabelState StateOf(const LayoutItem& item, TextView text) {
  return {item.bounds, item.bounds, true, Text(text), item.label.font_height};
}

TEST(LayoutFunctions, LuhnCheckDigitOfWholeNumbersOnly) {
  struct Case {
    const char16_t* digits;
    std::optional<char16_t> want;
  };
  const Case cases[] = {
      {u"7992739871", u'3'}, {u"411111111111111", u'1'}, {u"0", u'0'},
      {u"1", u'8'},          {u"", std::nullopt},        {u"12a", std::nullopt},
      {u"-5", std::nullopt}, {u" 5", std::nullopt},      {u"+=5", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(LuhnCheckDigit(c.digits), c.want) << ToAsciiLossy(c.digits);
  // A number far longer than any card still gets its digit.
  EXPECT_TRUE(LuhnCheckDigit(Text(100000, u'9')));
}

TEST(LayoutFunctions, Mod10AndIfAreReplacedLeftToRight) {
  struct Case {
    const char16_t* text;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"Nr function_mod10(7992739871)", u"Nr 3"},
      {u"function_mod10(+=411111111111111)", u"4111111111111111"},
      {u"FUNCTION_MOD10(7992739871)!", u"3!"},
      {u"a function_mod10(12x) b", u"a  b"},
      {u"function_mod10()", u""},
      {u"function_mod10(+=)", u""},
      {u"function_mod10(1)function_mod10(7992739871)", u"83"},
      {u"function_if(a=A then yes else no)", u"yes"},
      {u"function_if(a=b then yes else no)", u"no"},
      {u"function_if(a=b then yes)", u""},
      {u"function_if(a=a then yes)", u"yes"},
      {u"function_if( then empty)", u"empty"},
      {u"function_if(x then y else z)", u"z"},
      {u"function_if(a=a Then x ELSE y)", u"x"},
      {u"function_if(3=function_mod10(7992739871) then ok else bad)", u"ok"},
      // The argument ends at the first ")": what a branch brings is not read again.
      {u"function_if(a=a then function_if(b else c)", u"function_if(b"},
      // Calls that cannot be read stay as written.
      {u"function_mod10(123", u"function_mod10(123"},
      {u"function_if(a=b)", u"function_if(a=b)"},
      {u"function_if(a=b then x else y", u"function_if(a=b then x else y"},
      {u"function_if(", u"function_if("},
      {u"plain text", u"plain text"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplyTextFunctions(c.text), c.want) << ToAsciiLossy(c.text);

  // Thousands of calls without their ")" end at once and change nothing.
  Text many;
  for (int i = 0; i < 5000; ++i) many += u"function_mod10(function_if(";
  EXPECT_EQ(ApplyTextFunctions(many), many);
}

TEST(LayoutPass, SpecialTextsAndVisibilityFromFields) {
  FieldStore fields;
  fields.Set(u"Delay", u"3");
  fields.Set(u"Card", u"7992739871");
  fields.Set(u"Two", u"a\r\nb");
  fields.Set(u"Template", u"{upper}x");
  struct Case {
    const char* what;
    const char16_t* line;
    bool visible;
    const char16_t* text;
  };
  const Case cases[] = {
      {"ft and kd segments", u"typftx\twid10\thei5\tdat!!special:ft\"Wait \"!kd\"Delay\"!ft\" s\"!", true, u"Wait 3 s"},
      {"a kd format shows the value as stored", u"typftx\twid10\thei5\tdat!!special:kdUPPER;date\"Delay\"!", true,
       u"3"},
      {"a template value is not expanded", u"typftx\twid10\thei5\tdat!!special:kd\"Template\"!", true, u"{upper}x"},
      {"kd naming nothing", u"typftx\twid10\thei5\tdat!!special:kd\"\"!ft\"x\"!", true, u"x"},
      {"kd without a name", u"typftx\twid10\thei5\tdat!!special:kd\"!", true, u""},
      {"kd naming a missing field", u"typftx\twid10\thei5\tdat!!special:kd\"Nobody\"!", true, u""},
      {"kd values keep their line breaks", u"typftx\twid10\thei5\tdat!!special:kd\"Two\"!", true, u"a\r\nb"},
      {"functions over the segments",
       u"typftx\twid10\thei5\tdat!!special:kd\"Card\"!ft\"-function_mod10(\"!kd\"Card\"!ft\")\"!", true,
       u"7992739871-3"},
      {"if over a field",
       u"typftx\twid10\thei5\tdat!!special:ft\"function_if(\"!kd\"Delay\"!ft\"=3 then go else wait)\"!", true, u"go"},
      {"a function with missing arguments", u"typftx\twid10\thei5\tdat!!special:ft\"function_mod10(\"!", true,
       u"function_mod10("},
      {"dbl names a field with a value", u"typftx\twid10\thei5\tdblDelay[db]\tdat!!special:kd\"Delay\"!", true, u"3"},
      {"dbl names an empty field: hidden, text untouched", u"typftx\twid10\thei5\tdblNobody\tdat!!special:kd\"Delay\"!",
       false, u"old"},
      {"dbl on a plain label", u"typftx\twid10\thei5\tdblDelay\tdatPlain", true, u"old"},
      {"a plain label keeps its text", u"typftx\twid10\thei5\tdatPlain", true, u"old"},
  };
  for (const Case& c : cases) {
    const LayoutItem item = Item(c.line);
    LabelState state = StateOf(item, u"old");
    state.visible = !c.visible;  // the pass must set it where the line says
    if (!HasLayoutKey(u"dbl", c.line)) state.visible = true;
    RenderLabel(item, fields, state);
    EXPECT_EQ(state.visible, c.visible) << c.what;
    EXPECT_EQ(state.text, c.text) << c.what;
  }
}

TEST(LayoutPass, RenderAndFillTellWhetherAnythingChanged) {
  FieldStore fields;
  const LayoutItem special = Item(u"typftx\twid10\thei5\tdblDelay\tdat!!special:kd\"Delay\"!");
  LabelState state = StateOf(special, u"");
  EXPECT_TRUE(RenderLabel(special, fields, state)) << "hidden";
  EXPECT_FALSE(RenderLabel(special, fields, state));
  fields.Set(u"Delay", u"2");
  EXPECT_TRUE(RenderLabel(special, fields, state));
  EXPECT_EQ(state.text, u"2");
  EXPECT_FALSE(RenderLabel(special, fields, state)) << "a countdown tick with the same value";

  const LayoutItem data = Item(u"typdtx\twid10\thei5\tdatNr[DB]4");
  LabelState filled = StateOf(data, u"");
  EXPECT_FALSE(FillDataLabel(data, u"Other", u"7", filled));
  EXPECT_FALSE(filled.filled) << "only its own field fills it";
  EXPECT_TRUE(FillDataLabel(data, u"nr", u"42", filled));
  EXPECT_TRUE(filled.filled);
  EXPECT_EQ(filled.text, u"0042");
  EXPECT_FALSE(FillDataLabel(data, u"nr", u"42", filled));
  EXPECT_FALSE(FillDataLabel(data, u"Other", u"7", filled));
  EXPECT_FALSE(FillDataLabel(special, u"Delay", u"7", state)) << "only data labels take fields this way";
  EXPECT_EQ(state.text, u"2");
}

struct Arranged {
  Rect bounds;
  int font_height;
};

// Labels of the lines with the texts, arranged together; data labels as their fields
// filled them.
std::vector<Arranged> Arrange(const std::vector<std::pair<Text, Text>>& labels, const FixedMeasure& measure,
                              const std::vector<bool>& hidden = {}) {
  std::vector<LayoutItem> items;
  std::vector<LabelState> states;
  for (const auto& [line, text] : labels) {
    items.push_back(Item(line));
    states.push_back(StateOf(items.back(), text));
    states.back().filled = true;
  }
  for (size_t i = 0; i < hidden.size(); ++i) states[i].visible = !hidden[i];
  std::vector<LabelRef> refs;
  for (size_t i = 0; i < items.size(); ++i) refs.push_back({&items[i], &states[i]});
  ArrangeLabels(refs, measure);
  std::vector<Arranged> out;
  for (const LabelState& s : states) out.push_back({s.bounds, s.font_height});
  return out;
}

TEST(LayoutPass, LinesGrowTheLabelKeepingTheSideOfTheFirstLine) {
  // Font 20: lines 25 high, so three lines need 75 pixels across the text.
  struct Case {
    const char16_t* line;
    const char16_t* text;
    Rect want;
  };
  const Case cases[] = {
      {u"typdtx\tlft2,5\ttop5\twid25\thei2,5\tfsz5", u"a\r\nb\r\nc", {10, 20, 100, 75}},
      {u"typdtx\tlft2,5\ttop5\twid25\thei2,5\tfsz5\tang180", u"a\r\nb\r\nc", {10, -45, 100, 75}},
      {u"typdtx\tlft2,5\ttop5\twid2,5\thei25\tfsz5\tang90", u"a\r\nb\r\nc", {10, 20, 75, 100}},
      {u"typdtx\tlft2,5\ttop5\twid2,5\thei25\tfsz5\tang270", u"a\r\nb\r\nc", {-55, 20, 75, 100}},
      {u"typdtx\tlft2,5\ttop5\twid25\thei25\tfsz5", u"a\r\nb\r\nc", {10, 20, 100, 100}},  // high enough already
      {u"typdtx\tlft2,5\ttop5\twid25\thei2,5\tfsz5", u"one line", {10, 20, 100, 10}},
      {u"typftx\tlft2,5\ttop5\twid25\thei2,5\tfsz5\tdat!!special:", u"a\r\nb\r\nc", {10, 20, 100, 75}},
      // A label of its own text keeps its box, whatever lines it has.
      {u"typftx\tlft2,5\ttop5\twid25\thei2,5\tfsz5\twwp1\tdata\u00FFb\u00FFc", u"a\r\nb\r\nc", {10, 20, 100, 10}},
  };
  for (const Case& c : cases) {
    FixedMeasure measure;
    const auto out = Arrange({{c.line, c.text}}, measure);
    EXPECT_EQ(out[0].bounds, c.want) << ToAsciiLossy(c.line);
    EXPECT_EQ(out[0].font_height, 20);
  }
  FixedMeasure measure;
  Arrange({{u"typdtx\twid25\thei2,5\tfsz5", u"plain"}}, measure);
  EXPECT_EQ(measure.calls, 0) << "a label of one line outside a group is not measured";
}

TEST(LayoutPass, GroupsLineUpOnTheFirstBaseline) {
  FixedMeasure measure;
  // Font 20: "ab" is 20 wide, 25 high, baseline 16. Font 10: 5 a character, 12 high,
  // baseline 8.
  const auto out = Arrange(
      {
          {u"typdtx\tlft0\ttop0\twid12,5\thei7,5\tfsz5\tgrpname", u"ab"},
          {u"typdtx\tlft50\ttop50\twid5\thei5\tfsz2,5\tgrpname", u"hidden"},
          {u"typdtx\tlft60\ttop60\twid5\thei5\tfsz2,5", u"ungrouped"},
          {u"typftx\tlft60\ttop60\twid5\thei5\tfsz2,5\tgrpname\tdatplain", u"plain"},
          {u"typftx\tlft25\ttop25\twid12,5\thei7,5\tfsz2,5\tgrpname\tdat!!special:", u"cde"},
          {u"typdtx\tlft25\ttop25\twid12,5\thei7,5\tfsz2,5\tgrpname", u"f"},
          {u"typdtx\tlft50\ttop0\twid12,5\thei7,5\tfsz2,5\tgrpother", u"gh"},
          {u"typdtx\tlft75\ttop5\twid12,5\thei7,5\tfsz2,5\tgrpname", u"ij"},
      },
      measure, {false, true});
  EXPECT_EQ(out[0].bounds, (Rect{0, 0, 20, 25})) << "the group starts at its box, sized to its text";
  EXPECT_EQ(out[1].bounds, (Rect{200, 200, 20, 20})) << "hidden: left alone";
  EXPECT_EQ(out[2].bounds, (Rect{240, 240, 20, 20})) << "ungrouped: its box";
  EXPECT_EQ(out[3].bounds, (Rect{240, 240, 20, 20})) << "a label of its own text: its box, in no group";
  EXPECT_EQ(out[4].bounds, (Rect{20, 8, 15, 12})) << "right of the first, on its baseline";
  EXPECT_EQ(out[5].bounds, (Rect{35, 8, 5, 12}));
  EXPECT_EQ(out[6].bounds, (Rect{200, 0, 10, 12})) << "another group starts anew";
  EXPECT_EQ(out[7].bounds, (Rect{300, 20, 10, 12})) << "so does the first name after it";
}

TEST(LayoutPass, TurnedGroupsFollowTheirText) {
  FixedMeasure measure;
  // Text turned 90 degrees reads upwards: the next label of the group goes above.
  const auto up = Arrange({{u"typdtx\tlft0\ttop0\twid7,5\thei12,5\tfsz5\tang90\tgrpg", u"ab"},
                           {u"typdtx\tlft25\ttop25\twid7,5\thei12,5\tfsz5\tang90\tgrpg", u"cd"},
                           {u"typdtx\tlft25\ttop25\twid7,5\thei12,5\tfsz5\tgrpg", u"ef"}},
                          measure);
  EXPECT_EQ(up[0].bounds, (Rect{0, 30, 25, 20}));
  EXPECT_EQ(up[1].bounds, (Rect{0, 10, 25, 20}));
  EXPECT_EQ(up[2].bounds, (Rect{0, -15, 20, 25})) << "an upright label of the group's name goes on above";
  const auto down = Arrange({{u"typdtx\tlft0\ttop0\twid7,5\thei12,5\tfsz5\tang270\tgrpg", u"ab"},
                             {u"typdtx\tlft25\ttop25\twid7,5\thei12,5\tfsz5\tang270\tgrpg", u"cd"}},
                            measure);
  EXPECT_EQ(down[0].bounds, (Rect{5, 0, 25, 20}));
  EXPECT_EQ(down[1].bounds, (Rect{5, 20, 25, 20}));
}

TEST(LayoutPass, FontFittingTakesTheLargestWholePixelHeightThatFits) {
  const Text kThousand(1000, u'x');
  struct Case {
    const char* what;
    const char16_t* line;
    const char16_t* text;
    int font_height;
  };
  const Case cases[] = {
      {"the height limits", u"typdtx\twid25\thei7,5\tfsz2,5\tafs1", u"abcd", 24},
      {"the width limits", u"typdtx\twid5\thei7,5\tfsz2,5\tafs1", u"abcd", 11},
      {"two lines", u"typdtx\twid25\thei7,5\tfsz2,5\tafs1", u"ab\r\ncd", 12},
      {"nothing fits", u"typdtx\twid25\thei7,5\tfsz2,5\tafs1", kThousand.c_str(), 1},
      {"a huge box stops at the limit", u"typdtx\twid4000\thei4000\tfsz2,5\tafs1", u"a", kMaxFittedFont},
      {"word wrap is not fitted", u"typdtx\twid25\thei7,5\tfsz2,5\tafs1\twwp1", u"abcd", 10},
      {"afs other than 1", u"typdtx\twid25\thei7,5\tfsz2,5\tafs2", u"abcd", 10},
      {"an empty text keeps its font", u"typdtx\twid25\thei7,5\tfsz2,5\tafs1", u"", 10},
      {"an empty box keeps its font", u"typdtx\twid0\thei7,5\tfsz2,5\tafs1", u"abcd", 10},
      {"the container's font fitted too", u"typdtx\twid25\thei7,5\tafs1", u"abcd", 24},
      {"a special label", u"typftx\twid25\thei7,5\tfsz2,5\tafs1\tdat!!special:", u"abcd", 24},
      {"a label of its own text keeps its font", u"typftx\twid25\thei7,5\tfsz2,5\tafs1\tdatabcd", u"abcd", 10},
  };
  for (const Case& c : cases) {
    FixedMeasure measure;
    const auto out = Arrange({{c.line, c.text}}, measure);
    EXPECT_EQ(out[0].font_height, c.font_height) << c.what;
    EXPECT_LE(measure.calls, 12) << c.what << ": the search halves the range";
  }
}

TEST(LayoutPass, HostileLabelsStayInRange) {
  // A thousand grouped labels with long texts in the largest fonts: the positions add up
  // without overflowing, and nothing is measured more than the rules need.
  std::vector<std::pair<Text, Text>> labels;
  for (int i = 0; i < 1000; ++i)
    labels.push_back({u"typdtx\tlft-4096\ttop4096\twid4096\thei4096\tfsz4096\tgrpg\tafs1", Text(2000, u'W')});
  FixedMeasure measure;
  const auto out = Arrange(labels, measure);
  EXPECT_EQ(out.back().bounds.left, -kMaxLayoutPixels + 999 * kMaxLayoutPixels);
  EXPECT_LE(measure.calls, 1000 * 13);
}

}  // namespace
}  // namespace eos::layout
