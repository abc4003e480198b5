// The framing guide: from the faces found on a frame and the template of the picture
// the host will crop, one state that tells the operator what to change. Pure rules.
//
// The template describes the host's crop: the largest rectangle of its proportions
// centred in the view as shown (a 35 x 45 portrait crop of a camera turned by 90 degrees
// spans the view's width; of an upright 3:2 view, its height). Head height and head
// centre are fractions of that crop. The head is estimated from the eyes, not from the
// detector's box, whose size comes in steps of a fifth (its picture pyramid): a head
// from chin to crown is about 3.6 times the distance between the eye centres, and the
// eye line halves it, so its centre is the point halfway between the eyes.
#pragma once

#include <string_view>
#include <vector>

#include "face/face.h"
#include "face/find.h"

namespace eos::face {

struct FaceTemplate {
  double crop_aspect = 35.0 / 45.0;  // width over height
  // Common passport rules: the head (chin to crown) 70 to 80 % of the picture's height,
  // centred across, the eyes a little above the middle.
  double head_min = 0.70;
  double head_max = 0.80;
  double centre_x = 0.5;
  double centre_y = 0.45;
  double centre_tolerance = 0.05;  // of the crop's width across and its height down
  double max_roll_degrees = 5;     // the eye line's tilt
};

// What the operator has to change, the first that applies in this order. Directions are
// those of the face in the view as shown: kMoveLeft asks for the face further left.
enum class Guidance {
  kNoFace,     // none, or only faces smaller than the detector's window
  kManyFaces,  // more than one face of at least the window's size
  kMoveCloser,
  kMoveFarther,
  kMoveLeft,
  kMoveRight,
  kMoveUp,
  kMoveDown,
  kLevelHead,
  kFramed,
};

// The built-in English text of a state, to be passed through the translations.
std::string_view GuidanceText(Guidance state);

// A frame's faces as they show: in the coordinates of the view (the frame turned and
// mirrored), with the view's size.
struct ViewFaces {
  double width = 0;
  double height = 0;
  double min_face = 0;  // faces with a smaller box are not counted
  std::vector<Face> faces;
};
ViewFaces InView(const FrameFaces& frame);

// The template's crop within a view of that size.
Box TemplateCrop(double view_width, double view_height, const FaceTemplate& t);

// The head from chin to crown as the guide estimates it from a face's eyes.
inline constexpr double kHeadPerEyeDistance = 3.6;
struct Head {
  double height = 0;
  PointF centre;
};
Head EstimateHead(const Face& face);

Guidance Guide(const ViewFaces& view, const FaceTemplate& t);

}  // namespace eos::face
