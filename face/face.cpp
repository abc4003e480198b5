#include "face/face.h"

#include <algorithm>
#include <cmath>

namespace eos::face {
namespace {

// Quarter turns and mirrors keep boxes upright: the mapped box spans its mapped corners.
template <typename Map>
Face Mapped(const Face& face, Map map) {
  const auto box = [&](const Box& from) {
    const PointF a = map(PointF{from.left, from.top});
    const PointF b = map(PointF{from.right(), from.bottom()});
    return Box{std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
  };
  Face out;
  out.box = box(face.box);
  out.eye_box = box(face.eye_box);
  out.eyes[0] = map(face.eyes[0]);
  out.eyes[1] = map(face.eyes[1]);
  return out;
}

}  // namespace

Box EyeBox(PointF a, PointF b) {
  const double side = std::hypot(b.x - a.x, b.y - a.y) / 0.39;
  return {(a.x + b.x) / 2 - side / 2, (a.y + b.y) / 2 - side * 0.3, side, side};
}

Face ToShown(const Face& face, int width, int height, Orientation o) {
  return Mapped(face, [&](PointF p) { return ToShown(p, width, height, o); });
}

Face FromShown(const Face& face, int width, int height, Orientation o) {
  return Mapped(face, [&](PointF p) { return FromShown(p, width, height, o); });
}

Face Scaled(const Face& face, double factor) {
  return Mapped(face, [&](PointF p) { return PointF{p.x * factor, p.y * factor}; });
}

}  // namespace eos::face
