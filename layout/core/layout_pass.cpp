#include "layout/core/layout_pass.h"

#include <algorithm>
#include <optional>

#include "layout/core/layout_keys.h"

namespace eos::layout {

namespace {

// The text's frame: x along its lines, y down them. Quarter turns of the container's
// coordinates, so relations between labels of one angle hold in both.
Rect ToTextFrame(const Rect& r, int angle) {
  switch (angle) {
    case 90:
      return {-r.bottom(), r.left, r.height, r.width};
    case 180:
      return {-r.right(), -r.bottom(), r.width, r.height};
    case 270:
      return {r.top, -r.right(), r.height, r.width};
    default:
      return r;
  }
}

Rect FromTextFrame(const Rect& f, int angle) {
  switch (angle) {
    case 90:
      return {f.top, -f.right(), f.height, f.width};
    case 180:
      return {-f.right(), -f.bottom(), f.width, f.height};
    case 270:
      return {-f.bottom(), f.left, f.height, f.width};
    default:
      return f;
  }
}

// Measurements bounded to what a layout can draw, so sums of many stay in range.
TextExtent Bounded(TextExtent e) {
  e.width = std::clamp(e.width, 0, kMaxLayoutPixels);
  e.height = std::clamp(e.height, 0, kMaxLayoutPixels);
  e.ascent = std::clamp(e.ascent, 0, e.height);
  return e;
}

// A "!!special:" label, or a data label a field has filled.
bool TextFromFields(const LayoutItem& item, const LabelState& s) {
  return IsSpecialText(GetLayoutKey(u"dat", item.line)) || (item.kind == ItemKind::DataLabel && s.filled);
}

struct Group {
  Text name;
  int angle = 0;
  int baseline = 0;
  int next_left = 0;
};

}  // namespace

bool RenderLabel(const LayoutItem& item, const FieldStore& fields, LabelState& state) {
  bool changed = false;
  if (const auto visible = LabelVisibility(item.line, fields); visible && *visible != state.visible) {
    state.visible = *visible;
    changed = true;
  }
  if (!state.visible) return changed;
  const Text dat = GetLayoutKey(u"dat", item.line);
  if (!IsSpecialText(dat)) return changed;
  Text text = RenderSpecialText(dat, fields, item.label.word_wrap);
  if (text == state.text) return changed;
  state.text = std::move(text);
  return true;
}

bool FillDataLabel(const LayoutItem& item, TextView key, TextView value, LabelState& state) {
  if (item.kind != ItemKind::DataLabel) return false;
  auto text = DataLabelText(GetLayoutKey(u"dat", item.line), key, value, item.label.word_wrap);
  if (!text) return false;
  const bool first = !state.filled;
  state.filled = true;
  if (*text == state.text) return first;
  state.text = std::move(*text);
  return true;
}

void ArrangeLabels(std::span<const LabelRef> labels, const TextMeasure& measure) {
  std::optional<Group> group;
  for (const LabelRef& ref : labels) {
    const LayoutItem& item = *ref.item;
    LabelState& s = *ref.state;
    if (!s.visible) continue;
    const LabelStyle& style = item.label;
    s.font_height = style.font_height;
    if (!TextFromFields(item, s)) {
      s.bounds = s.box;
      continue;
    }
    Rect f = ToTextFrame(s.box, style.angle);
    const Text grp = GetLayoutKey(u"grp", item.line);
    const bool lines = s.text.find(u"\r\n") != Text::npos;
    if (lines || !grp.empty()) {
      const TextExtent e = Bounded(measure.Measure(style, style.font_height, s.text));
      if (lines) f.height = std::max(f.height, e.height);
      if (!grp.empty()) {
        f.width = e.width;
        f.height = e.height;
        if (group && group->name == grp) {
          Rect g = ToTextFrame(FromTextFrame(f, style.angle), group->angle);
          g.left = group->next_left;
          g.top = group->baseline - e.ascent;
          f = ToTextFrame(FromTextFrame(g, group->angle), style.angle);
        } else {
          group = Group{grp, style.angle, f.top + e.ascent, 0};
        }
        group->next_left = ToTextFrame(FromTextFrame(f, style.angle), group->angle).right();
      }
    }
    if (GetLayoutKey(u"afs", item.line) == u"1" && !style.word_wrap)
      s.font_height = FitFontHeight(style, s.text, f.width, f.height, measure);
    s.bounds = FromTextFrame(f, style.angle);
  }
}

int FitFontHeight(const LabelStyle& style, TextView text, int width, int height, const TextMeasure& measure) {
  if (text.empty() || width <= 0 || height <= 0) return style.font_height;
  const auto fits = [&](int font) {
    const TextExtent e = measure.Measure(style, font, text);
    return e.width <= width && e.height <= height;
  };
  // Text grows with its font: the largest that fits, by halving the range.
  int lo = 1, hi = std::min(height, kMaxFittedFont);
  if (!fits(lo)) return 1;
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (fits(mid))
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

}  // namespace eos::layout
