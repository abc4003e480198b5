#include "imaging/core/live_view.h"

namespace eos::imaging {

int LiveViewRenderer::ScaleDenom(int frame_w, int frame_h, int display_w, int display_h) {
  for (int denom : {8, 4, 2})
    if (frame_w >= int64_t{denom} * display_w && frame_h >= int64_t{denom} * display_h) return denom;
  return 1;
}

bool LiveViewRenderer::Render(std::span<const uint8_t> jpeg, int display_w, int display_h, int angle_cw, bool mirror,
                              std::string& error) {
  if (display_w <= 0 || display_h <= 0) {
    error = "empty display";
    return false;
  }
  if (!decoder_.Begin(jpeg, error, limits_)) return false;
  const int angle = QuarterTurnAngle(angle_cw);
  const bool sideways = angle == 90 || angle == 270;
  // Compared in the frame's own orientation.
  scale_denom_ = sideways ? ScaleDenom(decoder_.width(), decoder_.height(), display_h, display_w)
                          : ScaleDenom(decoder_.width(), decoder_.height(), display_w, display_h);
  if (!decoder_.FinishPlanes(scale_denom_, frame_, error)) return false;
  resampler_.Run(frame_, display_w, display_h, angle, mirror, view_);
  return true;
}

}  // namespace eos::imaging
