// A face as the detector reports it: its box and the centres of its eyes, and the same
// face in another frame (reduced, turned, mirrored).
#pragma once

#include "face/grey.h"

namespace eos::face {

struct Box {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;

  double right() const { return left + width; }
  double bottom() const { return top + height; }
  bool operator==(const Box&) const = default;
};

struct Face {
  Box box;  // the detector's: its size comes in steps of a fifth (the detector's picture pyramid)
  // A box from the eyes alone, made upright where the face was found, in the proportions
  // of the detector's boxes on average (eyes 0.39 of the box's width apart, the eye line
  // 0.3 of its height down): steady across picture sizes, where the detector's box jumps
  // by its steps.
  Box eye_box;
  // Each eye is the mean of its two corner landmarks. The first is the eye on the left of
  // the upright picture the detector looked at (the person's right eye); a face carried
  // into another frame keeps the order.
  PointF eyes[2];
  bool operator==(const Face&) const = default;
};

// The eye box of an upright face's eyes.
Box EyeBox(PointF left_eye, PointF right_eye);

// The face of a width x height frame as it shows under `o`, and back.
Face ToShown(const Face& face, int width, int height, Orientation o);
Face FromShown(const Face& face, int width, int height, Orientation o);

// The face with every coordinate multiplied by `factor` (from a reduced frame to its source).
Face Scaled(const Face& face, double factor);

}  // namespace eos::face
