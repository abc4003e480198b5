#include "face/guide.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imaging/core/resample.h"

namespace eos::face {

std::string_view GuidanceText(Guidance state) {
  switch (state) {
    case Guidance::kNoFace:
      return "No face found";
    case Guidance::kManyFaces:
      return "More than one face";
    case Guidance::kMoveCloser:
      return "Move closer";
    case Guidance::kMoveFarther:
      return "Move farther away";
    case Guidance::kMoveLeft:
      return "Move left";
    case Guidance::kMoveRight:
      return "Move right";
    case Guidance::kMoveUp:
      return "Move up";
    case Guidance::kMoveDown:
      return "Move down";
    case Guidance::kLevelHead:
      return "Level the head";
    case Guidance::kFramed:
      return "Framed";
  }
  return "";
}

ViewFaces InView(const FrameFaces& frame) {
  ViewFaces view;
  const int angle = imaging::QuarterTurnAngle(frame.shown.angle_cw);
  const bool sideways = angle == 90 || angle == 270;
  view.width = sideways ? frame.height : frame.width;
  view.height = sideways ? frame.width : frame.height;
  view.min_face = frame.min_face;
  for (const Face& face : frame.faces) view.faces.push_back(ToShown(face, frame.width, frame.height, frame.shown));
  return view;
}

Box TemplateCrop(double view_width, double view_height, const FaceTemplate& t) {
  double width = view_width, height = view_height;
  if (width > height * t.crop_aspect)
    width = height * t.crop_aspect;
  else
    height = width / t.crop_aspect;
  return {(view_width - width) / 2, (view_height - height) / 2, width, height};
}

Head EstimateHead(const Face& face) {
  const PointF centre{(face.eyes[0].x + face.eyes[1].x) / 2, (face.eyes[0].y + face.eyes[1].y) / 2};
  return {kHeadPerEyeDistance * std::hypot(face.eyes[1].x - face.eyes[0].x, face.eyes[1].y - face.eyes[0].y), centre};
}

Guidance Guide(const ViewFaces& view, const FaceTemplate& t) {
  const Face* face = nullptr;
  int count = 0;
  for (const Face& f : view.faces) {
    if (std::min(f.box.width, f.box.height) < view.min_face) continue;
    face = &f;
    ++count;
  }
  if (count == 0) return Guidance::kNoFace;
  if (count > 1) return Guidance::kManyFaces;

  const Box crop = TemplateCrop(view.width, view.height, t);
  const Head head = EstimateHead(*face);
  const double size = head.height / crop.height;
  if (size < t.head_min) return Guidance::kMoveCloser;
  if (size > t.head_max) return Guidance::kMoveFarther;
  const double across = (head.centre.x - crop.left) / crop.width - t.centre_x;
  if (across > t.centre_tolerance) return Guidance::kMoveLeft;
  if (across < -t.centre_tolerance) return Guidance::kMoveRight;
  const double down = (head.centre.y - crop.top) / crop.height - t.centre_y;
  if (down > t.centre_tolerance) return Guidance::kMoveUp;
  if (down < -t.centre_tolerance) return Guidance::kMoveDown;
  // The eye line's tilt whichever eye comes first (a mirrored view swaps them).
  double roll =
      std::atan2(face->eyes[1].y - face->eyes[0].y, face->eyes[1].x - face->eyes[0].x) * 180 / std::numbers::pi;
  if (roll > 90) roll -= 180;
  if (roll < -90) roll += 180;
  if (std::abs(roll) > t.max_roll_degrees) return Guidance::kLevelHead;
  return Guidance::kFramed;
}

}  // namespace eos::face
