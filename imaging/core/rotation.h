// Turning a picture by any angle about its centre: nearest-neighbour in 16.16 fixed
// point, into the integer bounding box of the turned rectangle. Positive angles turn
// counter-clockwise on screen.
#pragma once

#include <optional>
#include <span>

#include "imaging/core/pixels.h"

namespace eos::imaging {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// The angle within one turn, sign kept: -360 < result < 360.
long double NormalizedAngle(double degrees);

struct RotationPlan {
  int sin16 = 0;  // of minus the angle, 16.16, truncated toward zero
  int cos16 = 0;
  int width = 0;  // of the turned picture
  int height = 0;
  int centre_x = 0;  // the source centre's place in the turned picture
  int centre_y = 0;
};

// Nothing when a side, the pixel count in bytes or the fixed-point sums would not fit
// in 32 signed bits.
std::optional<RotationPlan> PlanRotation(int width, int height, double degrees);

// The turned picture; corners the picture does not cover get `background`. Quarter
// turns (270 and -270 included) move each pixel to exactly one place. Throws
// std::overflow_error when PlanRotation refuses the size.
Pixels BuildRotated(const Pixels& src, Pixel background, double degrees);

// Where a pixel of the unturned picture (picture_w x picture_h) lands in the turned one
// (turned_w x turned_h), rounded to the nearest pixel; at quarter turns exactly where
// BuildRotated puts it.
Point RotatedPoint(Point p, int picture_w, int picture_h, int turned_w, int turned_h, double degrees);
void RotatePoints(std::span<Point> points, int picture_w, int picture_h, int turned_w, int turned_h, double degrees);

}  // namespace eos::imaging
