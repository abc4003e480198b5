// Painting for the items a container paints itself: outlines, lines, fills and text in the
// pens, fonts and colours given, on a device context that the canvas gives back as it found
// it. The pens and fonts are made here too, so the dialogs above draw without GDI calls.
#pragma once

#include <windows.h>

#include <span>

#include "base/text.h"
#include "win/handles.h"

namespace eos::ui {

class Canvas {
 public:
  explicit Canvas(HDC dc);
  // The context's clip, pen, brush, font, colours and modes as they were before.
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Nothing is drawn outside `area` from now on.
  void Clip(const RECT& area);
  void Fill(const RECT& area, COLORREF colour);
  // The outline of the rectangle from `top_left` to `bottom_right`, nothing filled.
  void Outline(POINT top_left, POINT bottom_right, HPEN pen);
  void Polyline(std::span<const POINT> points, HPEN pen);
  void Line(POINT from, POINT to, HPEN pen);
  // A text in `area` with the label options (kCentre, kMiddle, kWordWrap), on what is
  // already there.
  void Text(const RECT& area, TextView text, HFONT font, COLORREF colour, unsigned options);

 private:
  HDC dc_;
  int saved_;
};

win::Gdi<HPEN> SolidPen(COLORREF colour, int width);
// A font of that face; `height` in pixels, negative for the characters' own height.
win::Gdi<HFONT> MakeFont(const wchar_t* face, int height, int weight);
// `font` at another height.
win::Gdi<HFONT> ResizedFont(HFONT font, int height);

}  // namespace eos::ui
