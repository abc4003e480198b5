// Where the rotating image control draws its turned picture: the image rectangle of its
// stretch, proportional, centre and unique-size options, and the clip polygon of the
// turned picture's corners.
#pragma once

#include <array>

#include "imaging/core/rotation.h"

namespace eos::imaging {

// A rectangle by its edges, as GDI takes one: the rotating image's picture place and
// the clip polygon's frame.
struct EdgeRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const EdgeRect&) const = default;
};

// a * b / c rounded half away from zero; -1 when c is 0 or the result overflows, as the
// Windows function of that name.
int MulDiv(int a, int b, int c);

// The picture's diagonal, rounded: the one size that holds it at every angle.
int DiagonalSize(int width, int height);

struct ImageOptions {
  bool stretch = false;
  bool proportional = false;
  bool center = false;
  bool unique_size = true;
};

// `turned_*`: the turned picture's size; `max_size`: DiagonalSize of the unturned one.
EdgeRect ComputeImageRect(const ImageOptions& options, int client_w, int client_h, int turned_w, int turned_h,
                      int max_size);

// The four corners of the turned picture as drawn into `image_rect`, offset by the
// control's place in its parent: the clip polygon that hides the turned box's corners.
std::array<Point, 4> ImageCorners(int picture_w, int picture_h, int turned_w, int turned_h, double degrees,
                                  const EdgeRect& image_rect, Point control_origin);

}  // namespace eos::imaging
