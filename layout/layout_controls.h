// The controls a layout's items become: windowless items of their container, painted
// into its memory bitmap in line order, so a later line lies above an earlier one. Each
// carries its item line as its hint; the skin recognises its parts by it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "imaging/core/pixels.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_pass.h"
#include "ui/controls.h"
#include "win/handles.h"

namespace eos::layout {

class LayoutControl : public ui::Painted {
 public:
  // An item that is not placed is hidden and stays so.
  LayoutControl(ui::Container& parent, LayoutItem item);
  void SetVisible(bool visible) override;
  const LayoutItem& Model() const { return model_; }
  const Text& Hint() const { return model_.line; }
  // Sets a key of the item line (SetLayoutKey): what the engine records, such as the
  // file a picture shows ("dsp").
  void SetLineKey(TextView key, TextView value);
  // Turns what the control shows clockwise by 90, 180 or 270 degrees, for a layout
  // turned as a whole; the caller moves the bounds.
  void Turn(int delta);
  // How far the control has turned so far, clockwise, 0 to 270.
  int Turned() const { return turned_; }
  // The place the layout gives the control, turned with it; the data pass may show the
  // control elsewhere (a label grown or grouped, a picture's proportions).
  Rect Box() const;
  // Shows the control at `bounds`; the box stays where it is.
  void PlaceInBox(const Rect& bounds);

 protected:
  virtual void TurnContent(int /*delta*/) {}
  // Paints through `paint` at an opacity of 0 to 100: into a copy of what lies below,
  // blended back.
  void PaintWithOpacity(HDC dc, int opacity, const std::function<void(HDC)>& paint) const;
  LayoutItem model_;

 private:
  // The box's sides beyond the bounds, in the order left, top, right, bottom.
  int insets_[4] = {};
  int turned_ = 0;
};

// A text turnable by quarter turns, transparent over what lies below it.
class LayoutLabel : public LayoutControl {
 public:
  LayoutLabel(ui::Container& parent, LayoutItem item);
  const Text& Caption() const { return text_; }
  void SetCaption(TextView text);
  int TextAngle() const { return model_.label.angle; }
  // The character height the text shows in: the line's, or the one its "afs" fitted
  // (the real font height), 0 for the container's font.
  int FontHeight() const { return font_height_; }
  // What the data pass sees of the label, and what it decided.
  LabelState State() const;
  void Show(const LabelState& state);
  void Paint(HDC dc) const override;

 private:
  void TurnContent(int delta) override;
  void PaintText(HDC dc) const;
  HFONT LabelFont() const;
  Text text_;
  int font_height_ = 0;
  bool filled_ = false;
  mutable win::Gdi<HFONT> font_;
  mutable int font_angle_ = -1, font_made_height_ = -1;
};

// Measures label texts as LayoutLabel draws them, in the fonts of the form's items. Its
// device context is made at the first measurement: most passes measure nothing.
class LabelMeasure : public TextMeasure {
 public:
  explicit LabelMeasure(HFONT base) : base_(base) {}
  TextExtent Measure(const LabelStyle& style, int font_height, TextView text) const override;

 private:
  HFONT base_;
  mutable win::UniqueMemoryDc dc_;
};

// A picture stretched over the bounds; a photo place is one without a picture, which
// its owner may paint through on_paint.
class LayoutImage : public LayoutControl {
 public:
  using LayoutControl::LayoutControl;
  // Pixels with alpha below 255 show what lies below; a transparent item (its "trp")
  // whose picture has no transparency of its own also drops the colour of the picture's
  // bottom-left pixel.
  void SetPicture(imaging::Pixels pixels);
  const imaging::Pixels& Picture() const { return picture_; }
  // A picture a field names, upright as decoded: turned by the item's angle and as the
  // control has turned, recorded as the line's "dsp" with its file, and the control
  // shrunk from its box to the picture's proportions (its box again without a picture).
  void ShowFieldPicture(imaging::Pixels pixels, TextView file);
  void Paint(HDC dc) const override;

  // The picture name a field gave last and the file it resolved to, so an unchanged
  // name whose file is still there costs one look at that file, not a lookup.
  struct Resolved {
    Text name;
    Text file;
  };
  std::optional<Resolved> resolved;

 private:
  void TurnContent(int delta) override;
  imaging::Pixels picture_;
  bool blend_ = false;
  mutable win::Gdi<HBITMAP> premultiplied_;  // the picture for AlphaBlend, made at first paint
};

// A rectangle, ellipse or line with an optional brush and pen.
class LayoutShape : public LayoutControl {
 public:
  using LayoutControl::LayoutControl;
  ShapeKind Kind() const { return model_.shape; }
  void Paint(HDC dc) const override;

 private:
  void TurnContent(int delta) override;
  void PaintShape(HDC dc) const;
};

}  // namespace eos::layout
