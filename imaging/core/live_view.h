// The live view's frame path: a JPEG frame in, display pixels out. The frame is decoded
// once into its own planes (no colour upsampling, no colour conversion) and one pass
// over the display scales, turns and mirrors those and converts the colours of each
// display pixel. Buffers and tables stay from frame to frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/pixels.h"
#include "imaging/core/resample.h"

namespace eos::imaging {

class LiveViewRenderer {
 public:
  explicit LiveViewRenderer(const PictureLimits& limits = {}) : limits_(limits) {}

  // Decodes `jpeg` and fills view() with display_w x display_h pixels: the frame turned
  // clockwise by `angle_cw` (0, 90, 180, 270), scaled to fill the display, and with
  // `mirror` mirrored left to right as the viewer sees it. A frame that does not decode
  // gives false with `error` set and leaves the previous view.
  bool Render(std::span<const uint8_t> jpeg, int display_w, int display_h, int angle_cw, bool mirror,
              std::string& error);

  const Pixels& view() const { return view_; }
  // The last frame's luma at its decoded size (reduced by scale_denom()), for a frame of
  // luma and colour differences; null for an RGB frame or before the first.
  const Plane* luma() const {
    return frame_.empty() || frame_.colours != Planes::Colours::kYCbCr ? nullptr : &frame_.planes[0];
  }
  // The reduction of the last decode (1, 2, 4 or 8).
  int scale_denom() const { return scale_denom_; }

  // The largest reduced decode that still leaves at least the display's size: libjpeg's
  // reduced scales sharpen less than a bilinear scale-down, so the frame must be at least
  // twice the display on both sides before a reduction is used.
  static int ScaleDenom(int frame_w, int frame_h, int display_w, int display_h);

 private:
  PictureLimits limits_;
  JpegDecoder decoder_;
  PlanarResampler resampler_;
  Planes frame_;
  Pixels view_;
  int scale_denom_ = 1;
};

}  // namespace eos::imaging
