#include "layout/core/layout_items.h"

#include <algorithm>

#include "base/casefold.h"
#include "base/paramtext.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_keys.h"

namespace eos::layout {

namespace {

bool StartsNoCase(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && LowerCaseFull(text.substr(0, prefix.size())) == LowerCaseFull(prefix);
}

// A whole number after `prefix` at the start of the text.
std::optional<int32_t> NumberAfter(TextView text, TextView prefix) {
  int32_t n = 0;
  if (!StartsNoCase(text, prefix) || !ParseInt32(text.substr(prefix.size()), n)) return std::nullopt;
  return n;
}

std::optional<int32_t> IntKey(TextView key, TextView line) {
  int32_t n = 0;
  if (!ParseInt32(GetLayoutKey(key, line), n)) return std::nullopt;
  return n;
}

// A colour number; negative values (no colour) and system colour numbers give nothing.
std::optional<Colour> ColourKey(TextView key, TextView line) {
  const auto n = IntKey(key, line);
  if (!n || *n < 0 || *n > 0xFFFFFF) return std::nullopt;
  return static_cast<Colour>(*n);
}

int Opacity(TextView line) {
  const auto n = IntKey(u"opa", line);
  return n && *n >= 0 && *n <= 100 ? *n : 100;
}

bool ParseBounds(TextView line, Rect& r, Text& error) {
  // A missing position is the page's corner; a size must be given.
  const struct {
    const char16_t* key;
    int* out;
    bool required;
  } fields[] = {{u"lft", &r.left, false}, {u"top", &r.top, false}, {u"wid", &r.width, true}, {u"hei", &r.height, true}};
  for (const auto& f : fields) {
    if (!f.required && GetLayoutKey(f.key, line).empty()) continue;
    const auto px = LayoutKeyPixels(f.key, line);
    if (!px) {
      error = u"The item's \"" + Text(f.key) + u"\" is no length that can be drawn.";
      return false;
    }
    *f.out = *px;
  }
  if (r.width < 0 || r.height < 0) {
    error = u"The item's size is negative.";
    return false;
  }
  return true;
}

void ParseLabel(LayoutItem& item, Text& error) {
  const TextView line = item.line;
  LabelStyle& s = item.label;
  s.angle = QuarterTurn(GetLayoutKey(u"ang", line));
  const Text ali = LowerCaseSv(GetLayoutKey(u"ali", line));
  s.align = ali == u"center" ? HAlign::Center : ali == u"right" ? HAlign::Right : HAlign::Left;
  const Text val = LowerCaseSv(GetLayoutKey(u"val", line));
  s.valign = val == u"bottom" ? VAlign::Bottom : val == u"center" ? VAlign::Center : VAlign::Top;
  s.colour = ColourKey(u"col", line).value_or(0);
  s.font_name = GetLayoutKey(u"fnm", line);
  if (const auto px = LayoutKeyPixels(u"fsz", line); px && *px > 0) s.font_height = *px;
  if (HasLayoutKey(u"fst", line)) {
    const auto style = IntKey(u"fst", line);
    if (!style) {
      error = u"The label's font style \"fst\" is no number: it shows nowhere.";
      item.placed = false;
      item.tag = 0;
      return;
    }
    s.bold = *style == 1 || *style == 3;
    s.italic = *style == 2 || *style == 3;
  }
  if (const auto spacing = IntKey(u"fxs", line); spacing && *spacing >= -100 && *spacing <= 100)
    s.extra_spacing = *spacing;
  s.opacity = Opacity(line);
  s.word_wrap = GetLayoutKey(u"wwp", line) == u"1";

  const Text dat = GetLayoutKey(u"dat", line);
  if (item.kind == ItemKind::DataLabel) {
    // A data label shows nothing until its field is set.
    const Text name = Text(TextView(dat).substr(0, FindNoCase(dat, u"[DB]")));
    if (StartsNoCase(name, u"löpnummer"))
      item.tag = kTagSerial;
    else
      item.tag = NumberAfter(name, u"fält").value_or(-1);
    return;
  }
  item.tag = kTagLabel;
  item.text = s.word_wrap ? LineBreaks(dat) : dat;
  if (StartsNoCase(dat, u"magkortfält")) {
    item.tag = kTagSerial;
    item.text.clear();
  } else if (const auto field = NumberAfter(dat, u"datafält")) {
    item.tag = *field;
    item.text.clear();
  } else if (const auto back =
                 NumberAfter(dat, u"databak") ? NumberAfter(dat, u"databak") : NumberAfter(dat, u"baksida")) {
    item.tag = *back + 1000;
    item.text.clear();
  } else if (IsSpecialText(dat)) {
    item.text = RenderSpecialText(dat, FieldStore(), s.word_wrap);
  }
}

}  // namespace

int QuarterTurn(TextView text) {
  if (text == u"90") return 90;
  if (text == u"180") return 180;
  if (text == u"270") return 270;
  return 0;
}

std::optional<LayoutPage> ParseLayoutPage(TextView line, Text& error) {
  if (LowerCaseSv(GetLayoutKey(u"typ", line)) != u"csz") {
    error = u"The layout's first line is no page line.";
    return std::nullopt;
  }
  const auto width = LayoutKeyPixels(u"wid", line), height = LayoutKeyPixels(u"hei", line);
  if (!width || !height || *width < 0 || *height < 0) {
    error = u"The layout's page has no size that can be drawn.";
    return std::nullopt;
  }
  return LayoutPage{*width, *height, GetLayoutKey(u"bgb", line), Text(line)};
}

std::optional<LayoutItem> ParseLayoutItem(TextView line, Text& error) {
  LayoutItem item;
  item.line = Text(line);
  item.type = LowerCaseSv(GetLayoutKey(u"typ", line));
  struct KindRow {
    const char16_t* type;
    ItemKind kind;
    int tag;
  };
  static constexpr KindRow kKinds[] = {
      {u"csz", ItemKind::Page, 0},  {u"ftx", ItemKind::Label, kTagLabel}, {u"dtx", ItemKind::DataLabel, -1},
      {u"fim", ItemKind::Image, 0}, {u"shp", ItemKind::Shape, kTagShape}, {u"pho", ItemKind::Photo, kTagPhoto},
  };
  for (const KindRow& k : kKinds)
    if (item.type == k.type) {
      item.kind = k.kind;
      item.tag = k.tag;
    }
  if (item.kind == ItemKind::Skipped || item.kind == ItemKind::Page) return item;
  if (!ParseBounds(line, item.bounds, error)) return std::nullopt;
  switch (item.kind) {
    case ItemKind::Label:
    case ItemKind::DataLabel:
      ParseLabel(item, error);
      break;
    case ItemKind::Image:
      item.image_name = GetLayoutKey(u"dat", line);
      item.angle = QuarterTurn(GetLayoutKey(u"ang", line));
      item.transparent = HasLayoutKey(u"trp", line) && GetLayoutKey(u"trp", line) != u"0";
      break;
    case ItemKind::Photo:
      item.transparent = HasLayoutKey(u"trp", line) && GetLayoutKey(u"trp", line) != u"0";
      break;
    case ItemKind::Shape: {
      item.brush = ColourKey(u"bcl", line);
      item.pen = ColourKey(u"pcl", line);
      if (HasLayoutKey(u"psz", line)) {
        const auto px = LayoutKeyPixels(u"psz", line);
        item.pen_width = px && *px > 0 ? std::min(*px, 256) : 1;
      }
      const auto kind = IntKey(u"knd", line);
      item.shape = kind && *kind >= 0 && *kind <= 5 ? static_cast<ShapeKind>(*kind) : ShapeKind::Rectangle;
      item.opacity = Opacity(line);
      break;
    }
    default:
      break;
  }
  return item;
}

}  // namespace eos::layout
