#include "dialog/core/picture_frame.h"

#include <cmath>
#include <limits>

#include "dialog/core/camera_loss.h"

namespace eos {

namespace {

int RoundHalfEven(double v) {
  constexpr double kMax = std::numeric_limits<int>::max();
  if (!(v > -kMax && v < kMax)) return v > 0 ? std::numeric_limits<int>::max() : 0;
  return static_cast<int>(std::nearbyint(v));  // the default rounding mode: to even
}

}  // namespace

Rect FitPictureFrame(int area_width, int area_height, int frame_width, int frame_height, double ratio) {
  Rect r{0, 0, frame_width, frame_height};
  if (area_width <= 0 || area_height <= 0 || frame_width <= 0 || frame_height <= 0 || !(ratio > 0)) return r;
  const bool portrait = frame_height > frame_width;
  if (static_cast<double>(frame_height) / area_height >= static_cast<double>(frame_width) / area_width) {
    r.height = area_height;
    r.width = RoundHalfEven(portrait ? r.height * ratio : r.height / ratio);
    r.left = (area_width - r.width) / 2;
  } else {
    r.width = area_width;
    r.height = RoundHalfEven(portrait ? r.width / ratio : r.width * ratio);
    r.top = (area_height - r.height) / 2;
  }
  return r;
}

int NormaliseAngle(int angle) {
  if (angle < 0) return angle + 360;
  if (angle > 270) return angle - 360;
  return angle;
}

int ToControlAngle(int angle) {
  if (angle == 90) return 270;
  if (angle == 270) return 90;
  return angle;
}

bool TurnSwapsSides(int angle, int frame_width, int frame_height) {
  if (angle == 90 || angle == 270) return frame_width > frame_height;
  if (angle == 0 || angle == 180) return frame_height > frame_width;
  return false;
}

Text ShotFailureText(TextView message) {
  const std::optional<ErrorCode> code = FindErrorCode(message);
  if (!code) return Text(message);
  const TextView after = message.substr(code->end);
  if (!after.starts_with(u", ")) return Text(message);
  return Text(after.substr(2));
}

}  // namespace eos
