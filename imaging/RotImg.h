// TRotateImage: a windowless control showing a picture turned by any angle about its
// centre. Its container owns the surface: it calls Paint from its own WM_PAINT (into a
// memory bitmap, so the view does not flicker) and repaints when told through
// on_invalidate. The control keeps its picture as 32-bit pixels; the turned copy is
// rebuilt only when the picture or the angle changes, and the image rectangle and clip
// region are worked out on the next paint after a change.
#pragma once

#include <windows.h>

#include <functional>

#include "imaging/core/image_rect.h"
#include "imaging/core/pixels.h"
#include "win/handles.h"

namespace eos::imaging {

class TRotateImage {
 public:
  TRotateImage();

  // The picture (empty pixels for none). A bitmap picture's bottom-left pixel is its
  // transparent colour; any other picture is first drawn over the control's Color,
  // which then is the transparent colour.
  void SetPicture(Pixels pixels, bool is_bitmap);
  void ClearPicture() { SetPicture({}, true); }
  bool HasPicture() const { return !original_.empty(); }

  // Degrees, counter-clockwise on screen. A picture too large to turn keeps the
  // previous turned copy.
  double Angle() const { return angle_; }
  void SetAngle(double degrees);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool on);
  bool Center() const { return options_.center; }
  void SetCenter(bool on) { SetOption(options_.center, on); }
  bool Stretch() const { return options_.stretch; }
  void SetStretch(bool on) { SetOption(options_.stretch, on); }
  bool Proportional() const { return options_.proportional; }
  void SetProportional(bool on) { SetOption(options_.proportional, on); }
  bool UniqueSize() const { return options_.unique_size; }
  void SetUniqueSize(bool on);
  // Transparent pictures show the container through the turned copy's transparent
  // colour; opaque ones are clipped to the turned picture's outline.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on);
  COLORREF Color() const { return color_; }
  void SetColor(COLORREF color);

  // Place and size in the container's client area.
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width(); }
  int Height() const { return bounds_.height(); }
  void SetBounds(int left, int top, int width, int height);

  int MaxSize() const { return max_size_; }
  const Pixels& RotatedBitmap() const { return rotated_; }
  // In control coordinates.
  EdgeRect ImageRect();
  // In the container's client coordinates; owned by the control, null without a picture.
  HRGN ImageRgn();

  // Draws into the container's device context (its client coordinates). Never throws.
  void Paint(HDC dc) noexcept;

  std::function<void()> on_invalidate;

 private:
  void SetOption(bool& option, bool on);
  void Rebuild();
  void UpdateRotated();
  void ApplyAutoSize();
  void Invalidate();
  Pixel TransparentColour() const;

  Pixels original_;  // the unturned working picture
  bool original_is_bitmap_ = true;
  Pixels rotated_;
  double angle_ = 0;
  bool auto_size_ = false;
  bool transparent_ = false;
  ImageOptions options_;
  COLORREF color_ = RGB(255, 255, 255);
  EdgeRect bounds_{0, 0, 105, 105};
  int max_size_ = 0;
  EdgeRect image_rect_;
  win::Gdi<HRGN> image_rgn_;
  bool rect_ok_ = false;
  bool rgn_ok_ = false;
};

}  // namespace eos::imaging
