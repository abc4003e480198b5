#include "imaging/core/image_rect.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace eos::imaging {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t{a} * b;
  const int64_t magnitude = ((p < 0 ? -p : p) + std::abs(int64_t{c}) / 2) / std::abs(int64_t{c});
  const int64_t q = (p < 0) != (c < 0) ? -magnitude : magnitude;
  return q > INT_MAX || q < INT_MIN ? -1 : static_cast<int>(q);
}

int DiagonalSize(int width, int height) {
  const int64_t sum = int64_t{width} * width + int64_t{height} * height;
  return static_cast<int>(std::lround(std::sqrt(static_cast<double>(sum))));
}

EdgeRect ComputeImageRect(const ImageOptions& o, int client_w, int client_h, int turned_w, int turned_h, int max_size) {
  int w = o.unique_size ? max_size : turned_w;
  int h = o.unique_size ? max_size : turned_h;
  if (o.stretch || (o.proportional && (w > client_w || h > client_h))) {
    if (o.proportional && w > 0 && h > 0) {
      if (static_cast<double>(client_h) / h > static_cast<double>(client_w) / w) {
        h = MulDiv(h, client_w, w);
        w = client_w;
      } else {
        w = MulDiv(w, client_h, h);
        h = client_h;
      }
    } else {
      w = client_w;
      h = client_h;
    }
  }
  int mx = 0, my = 0;
  if (o.unique_size && max_size != 0) {
    // The turned picture's share of the diagonal square.
    mx = MulDiv(max_size - turned_w, w, max_size);
    my = MulDiv(max_size - turned_h, h, max_size);
    w -= mx;
    h -= my;
  }
  int dx = 0, dy = 0;
  if (o.center) {
    dx = (client_w - w) / 2;
    dy = (client_h - h) / 2;
  } else if (o.unique_size && max_size > 0) {
    dx = mx / 2;
    dy = my / 2;
  }
  return {dx, dy, w + dx, h + dy};
}

std::array<Point, 4> ImageCorners(int picture_w, int picture_h, int turned_w, int turned_h, double degrees,
                                  const EdgeRect& r, Point origin) {
  // The picture's edges, not its pixel centres, about the exact middles of both boxes:
  // at quarter turns the polygon is the image rectangle itself, so no row or column of
  // the drawn picture falls outside the clip.
  const long double theta = -NormalizedAngle(degrees) * std::numbers::pi_v<long double> / 180;
  const long double s = std::sin(theta), c = std::cos(theta);
  const long double scale_x = static_cast<long double>(r.width()) / turned_w;
  const long double scale_y = static_cast<long double>(r.height()) / turned_h;
  const Point corners[4] = {{0, 0}, {picture_w, 0}, {picture_w, picture_h}, {0, picture_h}};
  std::array<Point, 4> out;
  for (size_t i = 0; i < 4; ++i) {
    const long double dx = corners[i].x - picture_w / 2.0L, dy = corners[i].y - picture_h / 2.0L;
    const long double x = turned_w / 2.0L + dx * c - dy * s, y = turned_h / 2.0L + dx * s + dy * c;
    out[i] = {origin.x + r.left + static_cast<int>(std::lround(x * scale_x)),
              origin.y + r.top + static_cast<int>(std::lround(y * scale_y))};
  }
  return out;
}

}  // namespace eos::imaging
