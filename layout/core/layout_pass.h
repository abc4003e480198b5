// The data pass over a container's labels: what each shows when field values change and
// where it goes then. The platform measures text (TextMeasure); the rules are here, so a
// skin's labels behave the same whatever draws them.
#pragma once

#include <span>

#include "base/rect.h"
#include "base/text.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_items.h"

namespace eos::layout {

// The size of a text, unturned.
struct TextExtent {
  int width = 0;   // the widest line
  int height = 0;  // all lines: their count times the font's text height
  int ascent = 0;  // the first line's baseline below its top
};

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // The text (lines end at CR LF) in the label's font at `font_height` pixels; 0 is the
  // container's font.
  virtual TextExtent Measure(const LabelStyle& style, int font_height, TextView text) const = 0;
};

// A label as the pass finds and leaves it.
struct LabelState {
  Rect box;     // the layout's place for the label, turned with its container
  Rect bounds;  // where it shows
  bool visible = true;
  Text text;
  int font_height = 0;  // as shown: the style's, or the one "afs" fitted
  bool filled = false;  // a data label that a field has filled
};

// Step one for a text label: with a "dbl" key it is visible exactly when the field named
// there (up to any "[db]") has a value; a visible "!!special:" label shows its rendered
// text. True when its visibility or text changed.
bool RenderLabel(const LayoutItem& item, const FieldStore& fields, LabelState& state);

// A data label ("dtx") that names the field `key` shows `value`, cut or padded to its
// length, and counts as filled. True when its text changed or it was filled first.
bool FillDataLabel(const LayoutItem& item, TextView key, TextView value, LabelState& state);

struct LabelRef {
  const LayoutItem* item;  // its line and style, the angle as now turned
  LabelState* state;
};

// Places the visible labels of one container whose text the fields give, in line order,
// from their boxes: the "!!special:" labels and the data labels a field has filled.
// Other labels show in their boxes at their own font. Sides below are those of the
// text's own frame (along its lines and down them), so turned text follows its own
// direction:
// - a text of several lines makes the label at least that many lines high; the side of
//   its first line stays;
// - a "grp" label takes its text's size and, when the previous grouped label had the same
//   group name, goes right after it on the same baseline; otherwise it starts the group
//   where its box starts. A group runs along the text of the label that started it.
//   Hidden labels take no part; the group starts afresh with each call (each container);
// - an "afs" "1" label without word wrap gets the largest whole-pixel font height whose
//   text fits its bounds (1 when none does), kept in its state.
void ArrangeLabels(std::span<const LabelRef> labels, const TextMeasure& measure);

// The largest font height of `style` in 1..min(height, kMaxFittedFont) at which `text`
// fits `width` x `height`; 1 when none does; the style's own for an empty text or box.
inline constexpr int kMaxFittedFont = 1024;
int FitFontHeight(const LabelStyle& style, TextView text, int width, int height, const TextMeasure& measure);

}  // namespace eos::layout
