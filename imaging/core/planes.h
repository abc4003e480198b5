// A JPEG picture in its own form: up to three planes of 8-bit samples, each covering the
// whole picture at its own resolution (colour usually at half the width, often also at
// half the height). The live view scales these planes straight to the display and
// converts colours there, so no full-size 32-bit picture is ever made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace eos::imaging {

struct Plane {
  int width = 0;   // samples holding picture data
  int height = 0;  // rows holding picture data
  size_t stride = 0;
  // How many samples the whole picture spans across, span_x_num / span_x_den, and down:
  // not rounded, since a 5-pixel-wide picture has a colour plane 2.5 samples wide
  // (stored in 3) and the samples' centres follow from the exact figure.
  int64_t span_x_num = 1, span_x_den = 1, span_y_num = 1, span_y_den = 1;
  std::vector<uint8_t> samples;

  const uint8_t* row(int y) const { return samples.data() + static_cast<size_t>(y) * stride; }
};

struct Planes {
  // kYCbCr: luma and two colour differences (a grey picture has flat colour planes of one
  // sample each); kRgb: red, green and blue as they are.
  enum class Colours { kYCbCr, kRgb };

  int width = 0;
  int height = 0;
  Colours colours = Colours::kYCbCr;
  Plane planes[3];

  bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace eos::imaging
