#include "layout/layout_controls.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "imaging/LumImageEx.h"
#include "imaging/core/rotation.h"
#include "layout/core/layout_keys.h"
#include "layout/core/layout_pictures.h"
#include "ui/form.h"
#include "win/rect.h"
#include "win/wtext.h"

namespace eos::layout {

namespace {

std::vector<TextView> SplitBreaks(TextView text) {
  std::vector<TextView> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(u"\r\n", start);
    lines.push_back(text.substr(start, end == TextView::npos ? TextView::npos : end - start));
    if (end == TextView::npos) return lines;
    start = end + 2;
  }
}

int QuarterTurns(int delta) { return ((delta % 360 + 360) % 360) / 90; }

// The label's font over the form's: its face, character height, style and angle.
win::Gdi<HFONT> MakeLabelFont(HFONT base, const LabelStyle& s, int font_height, int angle) {
  LOGFONTW font{};
  GetObjectW(base ? static_cast<HGDIOBJ>(base) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  if (font_height > 0) font.lfHeight = -font_height;
  font.lfWidth = 0;
  font.lfEscapement = font.lfOrientation = angle * 10;
  font.lfWeight = s.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = s.italic ? TRUE : FALSE;
  if (!s.font_name.empty() && s.font_name.size() < LF_FACESIZE) {
    const std::wstring name = win::Wide(s.font_name);
    wcscpy(font.lfFaceName, name.c_str());
  }
  return win::Gdi<HFONT>(CreateFontIndirectW(&font));
}

}  // namespace

LayoutControl::LayoutControl(ui::Container& parent, LayoutItem item)
    : Painted(parent, item.tag, win::ToRECT(item.bounds), ui::Align::None, item.placed ? 0u : ui::kHidden),
      model_(std::move(item)) {}

void LayoutControl::SetVisible(bool visible) { Painted::SetVisible(visible && model_.placed); }

void LayoutControl::SetLineKey(TextView key, TextView value) { model_.line = SetLayoutKey(key, value, model_.line); }

void LayoutControl::Turn(int delta) {
  // A quarter turn clockwise: the left side becomes the top, the top the right, and so on.
  for (int i = QuarterTurns(delta); i > 0; --i) std::rotate(insets_, insets_ + 3, insets_ + 4);
  turned_ = (turned_ + QuarterTurns(delta) * 90) % 360;
  TurnContent(delta);
  Invalidate();
}

Rect LayoutControl::Box() const {
  const Rect b = win::FromRECT(Bounds());
  return {b.left - insets_[0], b.top - insets_[1], b.width + insets_[0] + insets_[2],
          b.height + insets_[1] + insets_[3]};
}

void LayoutControl::PlaceInBox(const Rect& bounds) {
  const Rect box = Box();
  insets_[0] = bounds.left - box.left;
  insets_[1] = bounds.top - box.top;
  insets_[2] = box.right() - bounds.right();
  insets_[3] = box.bottom() - bounds.bottom();
  if (!(win::FromRECT(Bounds()) == bounds)) SetBounds(win::ToRECT(bounds));
}

void LayoutControl::PaintWithOpacity(HDC dc, int opacity, const std::function<void(HDC)>& paint) const {
  if (opacity >= 100) {
    paint(dc);
    return;
  }
  const RECT b = Bounds();
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (opacity <= 0 || w <= 0 || h <= 0) return;
  const win::UniqueMemoryDc copy(CreateCompatibleDC(dc));
  const win::Gdi<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
  if (!copy || !bitmap) return;
  const win::Selected keep(copy.get(), bitmap.get());
  BitBlt(copy.get(), 0, 0, w, h, dc, b.left, b.top, SRCCOPY);
  SetViewportOrgEx(copy.get(), -b.left, -b.top, nullptr);
  paint(copy.get());
  SetViewportOrgEx(copy.get(), 0, 0, nullptr);
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>((opacity * 255 + 50) / 100), 0};
  AlphaBlend(dc, b.left, b.top, w, h, copy.get(), 0, 0, w, h, blend);
}

// Labels

LayoutLabel::LayoutLabel(ui::Container& parent, LayoutItem item)
    : LayoutControl(parent, std::move(item)), text_(model_.text), font_height_(model_.label.font_height) {}

void LayoutLabel::SetCaption(TextView text) {
  if (text_ == text) return;
  text_ = Text(text);
  Invalidate();
}

LabelState LayoutLabel::State() const {
  return {Box(), win::FromRECT(Bounds()), Visible(), text_, font_height_, filled_};
}

void LayoutLabel::Show(const LabelState& state) {
  filled_ = state.filled;
  if (state.font_height != font_height_) {
    font_height_ = state.font_height;
    Invalidate();
  }
  SetCaption(state.text);
  PlaceInBox(state.bounds);
  if (state.visible != Visible()) SetVisible(state.visible);
}

void LayoutLabel::TurnContent(int delta) {
  // The text angle counts counter-clockwise, as Windows turns text.
  model_.label.angle = ((model_.label.angle - delta) % 360 + 360) % 360;
}

HFONT LayoutLabel::LabelFont() const {
  if (font_ && font_angle_ == model_.label.angle && font_made_height_ == font_height_) return font_.get();
  font_ = MakeLabelFont(Parent().OwnerForm().Font(), model_.label, font_height_, model_.label.angle);
  font_angle_ = model_.label.angle;
  font_made_height_ = font_height_;
  return font_.get();
}

void LayoutLabel::Paint(HDC dc) const {
  if (text_.empty()) return;
  PaintWithOpacity(dc, model_.label.opacity, [this](HDC target) { PaintText(target); });
}

void LayoutLabel::PaintText(HDC dc) const {
  const LabelStyle& s = model_.label;
  const RECT b = Bounds();
  const HFONT font = LabelFont();
  if (!font) return;
  const win::Selected keep_font(dc, font);
  const COLORREF old_colour = SetTextColor(dc, s.colour);
  const int old_extra = SetTextCharacterExtra(dc, s.extra_spacing);
  SetBkMode(dc, TRANSPARENT);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
  if (s.angle == 0 && s.word_wrap) {
    RECT r = b;
    const UINT flags = DT_NOPREFIX | DT_WORDBREAK | DT_EDITCONTROL |
                       (s.align == HAlign::Center  ? DT_CENTER
                        : s.align == HAlign::Right ? DT_RIGHT
                                                   : DT_LEFT);
    RECT measured = r;
    DrawTextW(dc, win::W(text_), -1, &measured, flags | DT_CALCRECT);
    const int spare = (r.bottom - r.top) - (measured.bottom - measured.top);
    if (spare > 0) r.top += s.valign == VAlign::Bottom ? spare : s.valign == VAlign::Center ? spare / 2 : 0;
    DrawTextW(dc, win::W(text_), -1, &r, flags);
  } else {
    // Line by line in the text's own frame (u along the text, v down its lines), then
    // turned onto the box.
    const bool upright = s.angle == 0 || s.angle == 180;
    const int along = upright ? b.right - b.left : b.bottom - b.top;
    const int across = upright ? b.bottom - b.top : b.right - b.left;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const std::vector<TextView> lines = SplitBreaks(text_);
    const int block = tm.tmHeight * static_cast<int>(lines.size());
    int v = s.valign == VAlign::Bottom ? across - block : s.valign == VAlign::Center ? (across - block) / 2 : 0;
    for (TextView line : lines) {
      const std::wstring w = win::Wide(line);
      SIZE size{};
      GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
      const int u = s.align == HAlign::Right ? along - size.cx : s.align == HAlign::Center ? (along - size.cx) / 2 : 0;
      POINT at{b.left + u, b.top + v};
      if (s.angle == 90) at = {b.left + v, b.bottom - u};
      if (s.angle == 180) at = {b.right - u, b.bottom - v};
      if (s.angle == 270) at = {b.right - v, b.top + u};
      TextOutW(dc, at.x, at.y, w.c_str(), static_cast<int>(w.size()));
      v += tm.tmHeight;
    }
  }
  RestoreDC(dc, saved);
  SetTextCharacterExtra(dc, old_extra);
  SetTextColor(dc, old_colour);
}

TextExtent LabelMeasure::Measure(const LabelStyle& style, int font_height, TextView text) const {
  if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
  const win::Gdi<HFONT> font = MakeLabelFont(base_, style, font_height, 0);
  if (!dc_ || !font) return {};
  const win::Selected keep_font(dc_.get(), font.get());
  SetTextCharacterExtra(dc_.get(), style.extra_spacing);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc_.get(), &tm);
  TextExtent e;
  const std::vector<TextView> lines = SplitBreaks(text);
  for (TextView line : lines) {
    SIZE size{};
    GetTextExtentPoint32W(dc_.get(), reinterpret_cast<const wchar_t*>(line.data()), static_cast<int>(line.size()),
                          &size);
    e.width = std::max<int>(e.width, size.cx);
  }
  e.height = tm.tmHeight * static_cast<int>(lines.size());
  e.ascent = tm.tmAscent;
  return e;
}

// Images

void LayoutImage::SetPicture(imaging::Pixels pixels) {
  picture_ = std::move(pixels);
  blend_ = std::any_of(picture_.data.begin(), picture_.data.end(), [](imaging::Pixel p) { return (p >> 24) != 0xFF; });
  if (model_.transparent && !blend_ && !picture_.empty()) {
    const imaging::Pixel key = picture_.at(0, picture_.height - 1);
    for (imaging::Pixel& p : picture_.data)
      if (p == key) {
        p = 0;
        blend_ = true;
      }
  }
  premultiplied_.reset();
  Invalidate();
}

void LayoutImage::ShowFieldPicture(imaging::Pixels pixels, TextView file) {
  const int turn = (model_.angle + Turned()) % 360;
  // The rotation counts counter-clockwise.
  if (turn != 0 && !pixels.empty()) pixels = imaging::BuildRotated(pixels, 0, -turn);
  SetPicture(std::move(pixels));
  SetLineKey(u"dsp", file);
  PlaceInBox(ShrinkToPicture(Box(), picture_.width, picture_.height));
}

void LayoutImage::TurnContent(int delta) {
  if (picture_.empty()) return;
  // A quarter turn moves every pixel to exactly one place; the rotation counts
  // counter-clockwise.
  picture_ = imaging::BuildRotated(picture_, 0, -delta);
  premultiplied_.reset();
}

void LayoutImage::Paint(HDC dc) const {
  if (on_paint) {
    on_paint(dc, Bounds());
    return;
  }
  if (picture_.empty()) return;
  const RECT b = Bounds();
  const imaging::EdgeRect dest{b.left, b.top, b.right, b.bottom};
  if (!blend_) {
    imaging::DrawPixels(dc, dest, picture_);
    return;
  }
  if (!premultiplied_) {
    imaging::Pixels p = picture_;
    for (imaging::Pixel& px : p.data) {
      const uint32_t a = px >> 24;
      const auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
      px = a << 24 | scale(px >> 16 & 0xFF) << 16 | scale(px >> 8 & 0xFF) << 8 | scale(px & 0xFF);
    }
    premultiplied_ = imaging::PixelsToBitmap(p, 32);
  }
  const win::UniqueMemoryDc source(CreateCompatibleDC(dc));
  if (!source || !premultiplied_) return;
  const win::Selected keep(source.get(), premultiplied_.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, dest.left, dest.top, dest.width(), dest.height(), source.get(), 0, 0, picture_.width, picture_.height,
             blend);
}

// Shapes

void LayoutShape::TurnContent(int delta) {
  if (delta != 90 && delta != 270) return;
  // A turned line is the other line of its pair.
  switch (model_.shape) {
    case ShapeKind::HorizontalLine:
      model_.shape = ShapeKind::VerticalLine;
      break;
    case ShapeKind::VerticalLine:
      model_.shape = ShapeKind::HorizontalLine;
      break;
    case ShapeKind::DiagonalDown:
      model_.shape = ShapeKind::DiagonalUp;
      break;
    case ShapeKind::DiagonalUp:
      model_.shape = ShapeKind::DiagonalDown;
      break;
    default:
      break;
  }
}

void LayoutShape::Paint(HDC dc) const {
  PaintWithOpacity(dc, model_.opacity, [this](HDC target) { PaintShape(target); });
}

void LayoutShape::PaintShape(HDC dc) const {
  const RECT b = Bounds();
  const win::Gdi<HBRUSH> brush(model_.brush ? CreateSolidBrush(*model_.brush) : nullptr);
  const win::Gdi<HPEN> pen(model_.pen ? CreatePen(PS_INSIDEFRAME, model_.pen_width, *model_.pen) : nullptr);
  const win::Selected keep_brush(dc, brush ? brush.get() : GetStockObject(NULL_BRUSH));
  const win::Selected keep_pen(dc, pen ? pen.get() : GetStockObject(NULL_PEN));
  const int mid_x = (b.left + b.right) / 2, mid_y = (b.top + b.bottom) / 2;
  const auto line = [dc](int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  };
  switch (model_.shape) {
    case ShapeKind::Rectangle:
      // Without a pen, Rectangle leaves the right and bottom edge unfilled.
      Rectangle(dc, b.left, b.top, b.right + (pen ? 0 : 1), b.bottom + (pen ? 0 : 1));
      break;
    case ShapeKind::Ellipse:
      Ellipse(dc, b.left, b.top, b.right + (pen ? 0 : 1), b.bottom + (pen ? 0 : 1));
      break;
    case ShapeKind::HorizontalLine:
      line(b.left, mid_y, b.right, mid_y);
      break;
    case ShapeKind::VerticalLine:
      line(mid_x, b.top, mid_x, b.bottom);
      break;
    case ShapeKind::DiagonalDown:
      line(b.left, b.top, b.right, b.bottom);
      break;
    case ShapeKind::DiagonalUp:
      line(b.left, b.bottom, b.right, b.top);
      break;
  }
}

}  // namespace eos::layout
