// The controls a layout's items become: windowless items of their container, painted
// into its memory bitmap in line order, so a later line lies above an earlier one. Each
// carries its item line as its hint; the skin recognises its parts by it.
#pragma once

#include <windows.h>

#include "imaging/core/pixels.h"
#include "layout/core/layout_items.h"
#include "ui/controls.h"
#include "win/handles.h"

namespace eos::layout {

class LayoutControl : public ui::Painted {
 public:
  LayoutControl(ui::Container& parent, LayoutItem item);
  const LayoutItem& Model() const { return model_; }
  const Text& Hint() const { return model_.line; }
  // Turns what the control shows clockwise by 90, 180 or 270 degrees, for a layout
  // turned as a whole; the caller moves the bounds.
  virtual void Turn(int /*delta*/) {}

 protected:
  LayoutItem model_;
};

// A text turnable by quarter turns, transparent over what lies below it.
class LayoutLabel : public LayoutControl {
 public:
  using LayoutControl::LayoutControl;
  const Text& Caption() const { return model_.text; }
  void SetCaption(TextView text);
  int TextAngle() const { return model_.label.angle; }
  void Turn(int delta) override;
  void Paint(HDC dc) const override;

 private:
  HFONT LabelFont(HDC dc) const;
  mutable win::Gdi<HFONT> font_;
  mutable int font_angle_ = -1;
};

// A picture stretched over the bounds; a photo place is one without a picture, which
// its owner may paint through on_paint.
class LayoutImage : public LayoutControl {
 public:
  using LayoutControl::LayoutControl;
  // Pixels with alpha below 255 show what lies below; a transparent item (its "trp")
  // also drops the colour of the picture's bottom-left pixel.
  void SetPicture(imaging::Pixels pixels);
  const imaging::Pixels& Picture() const { return picture_; }
  void Turn(int delta) override;
  void Paint(HDC dc) const override;

 private:
  imaging::Pixels picture_;
  bool blend_ = false;
  mutable win::Gdi<HBITMAP> premultiplied_;  // the picture for AlphaBlend, made at first paint
};

// A rectangle, ellipse or line with an optional brush and pen.
class LayoutShape : public LayoutControl {
 public:
  using LayoutControl::LayoutControl;
  ShapeKind Kind() const { return model_.shape; }
  void Turn(int delta) override;
  void Paint(HDC dc) const override;
};

}  // namespace eos::layout
