// 8-bit grey planes for the face detector: a view of someone else's rows, an owned
// plane, the reduction to the detector's working size and the quarter turns that make
// a sideways face upright, with the mapping of points between the two frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/core/pixels.h"

namespace eos::face {

// Rows of `width` samples, `stride` bytes apart; the samples are not owned.
struct GreyView {
  int width = 0;
  int height = 0;
  size_t stride = 0;
  const uint8_t* pixels = nullptr;

  const uint8_t* row(int y) const { return pixels + static_cast<size_t>(y) * stride; }
  bool empty() const { return width <= 0 || height <= 0 || pixels == nullptr; }
};

using GreyImage = imaging::Raster<uint8_t>;

inline GreyView ViewOf(const GreyImage& image) {
  return {image.width, image.height, static_cast<size_t>(image.width), image.data.data()};
}

// A position in continuous coordinates: pixel (i, j) covers [i, i + 1) x [j, j + 1), so
// its centre is (i + 0.5, j + 0.5) and scaling a frame scales its points.
struct PointF {
  double x = 0;
  double y = 0;
  bool operator==(const PointF&) const = default;
};

// The whole number by which a frame's sides are divided to bring its long side nearest
// to `long_side` (at least 1: frames are never enlarged).
int ReductionFactor(int width, int height, int long_side);

// Each output sample is the mean of a factor x factor block; the last columns and rows
// that make no whole block are left out (they hold no face the detector could find).
void Reduce(const GreyView& src, int factor, GreyImage& out);

// How a frame is shown: turned clockwise by a quarter-turn angle, then, with `mirror`,
// mirrored left to right; the live view's convention. Any angle is taken as
// imaging::QuarterTurnAngle takes it.
struct Orientation {
  int angle_cw = 0;
  bool mirror = false;
};

// dst = src as shown under `o` (at 90 and 270 degrees its sides are swapped).
void Orient(const GreyView& src, Orientation o, GreyImage& dst);

// A point of a width x height frame to where it shows under `o`, and back.
PointF ToShown(PointF p, int width, int height, Orientation o);
PointF FromShown(PointF p, int width, int height, Orientation o);

}  // namespace eos::face
