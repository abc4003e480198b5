#include "imaging/core/rotation.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>

namespace eos::imaging {
namespace {

constexpr int64_t kLimit = int64_t{1} << 31;

// The centre of n pixels: n/2, one less for even n at the angles whose mapping would
// otherwise run one pixel past the picture. 270 is the same turn as -90 and -270 the
// same as 90; taking them alike keeps those quarter turns exact as well.
int CentreX(int n, long double a) { return n / 2 - (n % 2 == 0 && (a == 0 || a == -90 || a == 270) ? 1 : 0); }
int CentreY(int n, long double a) { return n / 2 - (n % 2 == 0 && (a == 0 || a == 90 || a == -270) ? 1 : 0); }

long double Radians(long double a) { return -a * std::numbers::pi_v<long double> / 180; }

}  // namespace

long double NormalizedAngle(double degrees) { return std::fmod(static_cast<long double>(degrees), 360.0L); }

std::optional<RotationPlan> PlanRotation(int width, int height, double degrees) {
  if (width < 0 || height < 0) return std::nullopt;
  const long double a = NormalizedAngle(degrees);
  const long double theta = Radians(a);
  RotationPlan plan;
  plan.sin16 = static_cast<int>(std::trunc(std::sin(theta) * 65536));
  plan.cos16 = static_cast<int>(std::trunc(std::cos(theta) * 65536));
  const int64_t s = std::abs(plan.sin16), c = std::abs(plan.cos16);
  const int64_t wide = c * width + s * height, high = s * width + c * height;
  if (wide >= kLimit || high >= kLimit || int64_t{width} * height * 4 >= kLimit) return std::nullopt;
  plan.width = static_cast<int>(wide >> 16);
  plan.height = static_cast<int>(high >> 16);
  if (int64_t{plan.width} * plan.height * 4 >= kLimit) return std::nullopt;
  plan.centre_x = CentreX(plan.width, a);
  plan.centre_y = CentreY(plan.height, a);
  return plan;
}

Pixels BuildRotated(const Pixels& src, Pixel background, double degrees) {
  const auto plan = PlanRotation(src.width, src.height, degrees);
  if (!plan) throw std::overflow_error("picture too large to turn");
  Pixels out;
  out.Resize(plan->width, plan->height);
  const int64_t s = plan->sin16, c = plan->cos16;
  const int cx = src.width / 2, cy = src.height / 2;
  // Destination x runs from the left edge to centre_x at the right end; y from
  // centre_y on the top row downwards; source rows count from the bottom.
  const int x0 = plan->centre_x - (plan->width - 1);
  Pixel* dst = out.data.data();
  for (int row = 0; row < plan->height; ++row) {
    const int64_t y = plan->centre_y - row;
    for (int x = x0; x <= plan->centre_x; ++x) {
      const int64_t sx = ((x * c - y * s) >> 16) + cx;
      const int64_t sy = ((x * s + y * c) >> 16) + cy;
      *dst++ = sx >= 0 && sx < src.width && sy >= 0 && sy < src.height
                   ? src.at(static_cast<int>(sx), src.height - 1 - static_cast<int>(sy))
                   : background;
    }
  }
  return out;
}

void RotatePoints(std::span<Point> points, int picture_w, int picture_h, int turned_w, int turned_h, double degrees) {
  const long double a = NormalizedAngle(degrees);
  const long double theta = Radians(a);
  const long double s = std::sin(theta), c = std::cos(theta);
  // The inverse of BuildRotated's walk: there the turned picture's column of x = 0 is
  // width - 1 - centre_x (x runs up to centre_x at the right end), and rows and source
  // rows count upwards, so the centres are taken from the other end in y-down terms.
  const int rcx = turned_w - 1 - CentreX(turned_w, a), rcy = CentreY(turned_h, a);
  const int ocx = picture_w / 2, ocy = picture_h - 1 - picture_h / 2;
  for (Point& p : points) {
    const long double dx = p.x - ocx, dy = p.y - ocy;
    p = {rcx + static_cast<int>(std::nearbyint(dx * c - dy * s)),
         rcy + static_cast<int>(std::nearbyint(dx * s + dy * c))};
  }
}

Point RotatedPoint(Point p, int picture_w, int picture_h, int turned_w, int turned_h, double degrees) {
  RotatePoints({&p, 1}, picture_w, picture_h, turned_w, turned_h, degrees);
  return p;
}

}  // namespace eos::imaging
