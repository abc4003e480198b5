#include "imaging/RotImg.h"

#include <cmath>
#include <stdexcept>

#include "imaging/LumImageEx.h"
#include "imaging/core/picture.h"
#include "imaging/core/rotation.h"

namespace eos::imaging {
namespace {

Pixel FromColorRef(COLORREF c) { return MakePixel(GetRValue(c), GetGValue(c), GetBValue(c)); }
COLORREF ToColorRef(Pixel p) { return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF); }

}  // namespace

TRotateImage::TRotateImage() = default;

void TRotateImage::Invalidate() {
  if (on_invalidate) on_invalidate();
}

Pixel TRotateImage::TransparentColour() const {
  if (original_.empty()) return FromColorRef(color_);
  return original_is_bitmap_ ? original_.at(0, original_.height - 1) | 0xFF000000u : FromColorRef(color_);
}

void TRotateImage::SetPicture(Pixels pixels, bool is_bitmap) {
  original_ = std::move(pixels);
  original_is_bitmap_ = is_bitmap;
  if (!is_bitmap) FlattenOnto(original_, FromColorRef(color_));
  Rebuild();
}

void TRotateImage::Rebuild() {
  max_size_ = original_.empty() ? 0 : DiagonalSize(original_.width, original_.height);
  UpdateRotated();
  rect_ok_ = rgn_ok_ = false;
  if (auto_size_ && max_size_ != 0) ApplyAutoSize();
}

void TRotateImage::UpdateRotated() {
  if (original_.empty()) {
    rotated_ = {};
  } else if (NormalizedAngle(angle_) != 0) {
    try {
      rotated_ = BuildRotated(original_, TransparentColour(), angle_);
    } catch (const std::overflow_error&) {
      // too large to turn: the previous turned copy stays
    }
  } else {
    rotated_ = original_;
  }
  Invalidate();
}

void TRotateImage::SetAngle(double degrees) {
  if (degrees == angle_) return;
  angle_ = degrees;
  if (original_.empty()) return;
  UpdateRotated();
  rect_ok_ = rgn_ok_ = false;
  if (auto_size_ && !options_.unique_size) ApplyAutoSize();
}

void TRotateImage::SetAutoSize(bool on) {
  if (on == auto_size_) return;
  auto_size_ = on;
  if (on) ApplyAutoSize();
}

void TRotateImage::SetOption(bool& option, bool on) {
  if (option == on) return;
  option = on;
  rect_ok_ = rgn_ok_ = false;
  Invalidate();
}

void TRotateImage::SetUniqueSize(bool on) {
  if (on == options_.unique_size) return;
  options_.unique_size = on;
  rect_ok_ = rgn_ok_ = false;
  if (auto_size_) ApplyAutoSize();
  Invalidate();
}

void TRotateImage::SetTransparent(bool on) {
  if (on == transparent_) return;
  transparent_ = on;
  Invalidate();
}

void TRotateImage::SetColor(COLORREF color) {
  if (color == color_) return;
  color_ = color;
  if (!original_is_bitmap_) Rebuild();  // the background of a drawn picture is the control's colour
  Invalidate();
}

void TRotateImage::SetBounds(int left, int top, int width, int height) {
  rect_ok_ = rgn_ok_ = false;
  bounds_ = {left, top, left + width, top + height};
  Invalidate();
}

void TRotateImage::ApplyAutoSize() {
  if (max_size_ == 0) return;
  const int w = options_.unique_size ? max_size_ : rotated_.width;
  const int h = options_.unique_size ? max_size_ : rotated_.height;
  SetBounds(bounds_.left, bounds_.top, w, h);
}

EdgeRect TRotateImage::ImageRect() {
  if (!rect_ok_) {
    image_rect_ = ComputeImageRect(options_, Width(), Height(), rotated_.width, rotated_.height, max_size_);
    rect_ok_ = true;
  }
  return image_rect_;
}

HRGN TRotateImage::ImageRgn() {
  if (!rgn_ok_) {
    image_rgn_.reset();
    if (!original_.empty() && !rotated_.empty()) {
      const auto corners = ImageCorners(original_.width, original_.height, rotated_.width, rotated_.height, angle_,
                                        ImageRect(), {Left(), Top()});
      POINT points[4];
      for (size_t i = 0; i < 4; ++i) points[i] = {corners[i].x, corners[i].y};
      image_rgn_.reset(CreatePolygonRgn(points, 4, ALTERNATE));
    }
    rgn_ok_ = true;
  }
  return image_rgn_.get();
}

void TRotateImage::Paint(HDC dc) noexcept {
  try {
    if (rotated_.empty()) return;
    EdgeRect r = ImageRect();
    r = {r.left + Left(), r.top + Top(), r.right + Left(), r.bottom + Top()};
    if (transparent_) {
      const win::Gdi<HBITMAP> bitmap = PixelsToBitmap(rotated_, 32);
      const win::UniqueMemoryDc source(CreateCompatibleDC(dc));
      if (!bitmap || !source) return;
      const win::Selected keep(source.get(), bitmap.get());
      GdiTransparentBlt(dc, r.left, r.top, r.width(), r.height(), source.get(), 0, 0, rotated_.width, rotated_.height,
                        ToColorRef(TransparentColour()));
      return;
    }
    const int saved = SaveDC(dc);
    SelectClipRgn(dc, ImageRgn());
    IntersectClipRect(dc, Left(), Top(), Left() + Width(), Top() + Height());
    DrawPixels(dc, r, rotated_);
    RestoreDC(dc, saved);
  } catch (...) {
    // a failed paint leaves the container's background
  }
}

}  // namespace eos::imaging
