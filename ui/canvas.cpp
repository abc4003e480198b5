#include "ui/canvas.h"

#include <cwchar>

#include "ui/controls.h"

namespace eos::ui {

Canvas::Canvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}

Canvas::~Canvas() {
  if (saved_) RestoreDC(dc_, saved_);
}

void Canvas::Clip(const RECT& area) { IntersectClipRect(dc_, area.left, area.top, area.right, area.bottom); }

void Canvas::Fill(const RECT& area, COLORREF colour) {
  SetDCBrushColor(dc_, colour);
  FillRect(dc_, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Canvas::Outline(POINT top_left, POINT bottom_right, HPEN pen) {
  const win::Selected hollow(dc_, GetStockObject(NULL_BRUSH));
  const win::Selected keep(dc_, pen);
  Rectangle(dc_, top_left.x, top_left.y, bottom_right.x, bottom_right.y);
}

void Canvas::Polyline(std::span<const POINT> points, HPEN pen) {
  const win::Selected keep(dc_, pen);
  ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void Canvas::Line(POINT from, POINT to, HPEN pen) {
  const win::Selected keep(dc_, pen);
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
}

void Canvas::Text(const RECT& area, TextView text, HFONT font, COLORREF colour, unsigned options) {
  const win::Selected keep(dc_, font);
  SetTextColor(dc_, colour);
  SetBkMode(dc_, TRANSPARENT);
  DrawLabelText(dc_, area, text, options);
}

win::Gdi<HPEN> SolidPen(COLORREF colour, int width) { return win::Gdi<HPEN>(CreatePen(PS_SOLID, width, colour)); }

win::Gdi<HFONT> MakeFont(const wchar_t* face, int height, int weight) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return win::Gdi<HFONT>(CreateFontIndirectW(&font));
}

win::Gdi<HFONT> ResizedFont(HFONT font, int height) {
  LOGFONTW resized{};
  GetObjectW(font, sizeof resized, &resized);
  resized.lfHeight = height;
  return win::Gdi<HFONT>(CreateFontIndirectW(&resized));
}

}  // namespace eos::ui
