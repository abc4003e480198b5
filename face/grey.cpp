#include "face/grey.h"

#include <algorithm>
#include <utility>

#include "imaging/core/resample.h"

namespace eos::face {

int ReductionFactor(int width, int height, int long_side) {
  const int longest = std::max(width, height);
  if (long_side <= 0 || longest <= long_side) return 1;
  return std::max(1, (longest + long_side / 2) / long_side);
}

void Reduce(const GreyView& src, int factor, GreyImage& out) {
  factor = std::max(1, factor);
  out.Resize(src.width / factor, src.height / factor);
  const auto area = static_cast<uint32_t>(factor * factor);
  std::vector<uint32_t> sums(static_cast<size_t>(out.width));
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int k = 0; k < factor; ++k) {
      const uint8_t* row = src.row(y * factor + k);
      for (int x = 0; x < out.width; ++x) {
        const uint8_t* block = row + static_cast<size_t>(x) * static_cast<size_t>(factor);
        uint32_t sum = 0;
        for (int i = 0; i < factor; ++i) sum += block[i];
        sums[static_cast<size_t>(x)] += sum;
      }
    }
    for (int x = 0; x < out.width; ++x)
      out.at(x, y) = static_cast<uint8_t>((sums[static_cast<size_t>(x)] + area / 2) / area);
  }
}

namespace {

// Where a point lands when a w x h frame is turned clockwise by `angle` (a quarter turn).
PointF Turned(PointF p, int w, int h, int angle) {
  switch (angle) {
    case 90:
      return {h - p.y, p.x};
    case 180:
      return {w - p.x, h - p.y};
    case 270:
      return {p.y, w - p.x};
    default:
      return p;
  }
}

}  // namespace

PointF ToShown(PointF p, int width, int height, Orientation o) {
  const int angle = imaging::QuarterTurnAngle(o.angle_cw);
  PointF shown = Turned(p, width, height, angle);
  const int shown_width = angle == 90 || angle == 270 ? height : width;
  if (o.mirror) shown.x = shown_width - shown.x;
  return shown;
}

PointF FromShown(PointF p, int width, int height, Orientation o) {
  const int angle = imaging::QuarterTurnAngle(o.angle_cw);
  const bool sideways = angle == 90 || angle == 270;
  if (o.mirror) p.x = (sideways ? height : width) - p.x;
  // Turning back is turning on by the rest of the full turn, from the shown frame's size.
  return Turned(p, sideways ? height : width, sideways ? width : height, (360 - angle) % 360);
}

void Orient(const GreyView& src, Orientation o, GreyImage& dst) {
  const int angle = imaging::QuarterTurnAngle(o.angle_cw);
  const bool sideways = angle == 90 || angle == 270;
  dst.Resize(sideways ? src.height : src.width, sideways ? src.width : src.height);
  if (dst.width <= 0 || dst.height <= 0) return;
  // Each shown pixel takes the source pixel whose centre maps onto its centre: walking a
  // shown row moves by a fixed step through the source.
  const PointF origin = FromShown({0.5, 0.5}, src.width, src.height, o);
  const PointF along = FromShown({1.5, 0.5}, src.width, src.height, o);
  const PointF down = FromShown({0.5, 1.5}, src.width, src.height, o);
  const auto step_x = static_cast<ptrdiff_t>(along.x - origin.x) +
                      static_cast<ptrdiff_t>(along.y - origin.y) * static_cast<ptrdiff_t>(src.stride);
  const auto step_y = static_cast<ptrdiff_t>(down.x - origin.x) +
                      static_cast<ptrdiff_t>(down.y - origin.y) * static_cast<ptrdiff_t>(src.stride);
  const uint8_t* start = src.row(static_cast<int>(origin.y)) + static_cast<ptrdiff_t>(origin.x);
  for (int y = 0; y < dst.height; ++y) {
    const uint8_t* from = start + step_y * y;
    uint8_t* to = &dst.at(0, y);
    for (int x = 0; x < dst.width; ++x, from += step_x) to[x] = *from;
  }
}

}  // namespace eos::face
