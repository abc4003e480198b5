// One pass that scales (bilinear), turns by quarter turns and mirrors, writing each
// destination pixel once; the live view's per-frame work after the decode.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/core/pixels.h"

namespace eos::imaging {

// Quarter turns clockwise as seen on screen: 90, 180, 270 and 0; `angle_cw` is taken
// modulo 360 and rounded down to a quarter turn.
int QuarterTurnAngle(int angle_cw);

class Resampler {
 public:
  // dst = src scaled to dst_w x dst_h, turned clockwise by `angle_cw` (the scale is of
  // the turned picture: at 90 and 270 degrees dst_w runs along the source's height),
  // then, with `mirror`, mirrored left to right. At the source's own (turned) size every
  // pixel is copied exactly. The index and weight tables are kept for the next call
  // with the same sizes.
  void Run(const Pixels& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst);

 private:
  struct Tap {  // offsets of the two neighbours along one source axis, weight of the second (0..255)
    uint32_t first;
    uint32_t second;
    uint32_t weight;
  };
  struct Key {
    int src_w, src_h, dst_w, dst_h, angle, mirror;
    bool operator==(const Key&) const = default;
  };
  static void BuildAxis(std::vector<Tap>& taps, int dst_n, int src_n, uint32_t step, bool reversed);

  Key key_{};
  std::vector<Tap> columns_;  // per destination column
  std::vector<Tap> rows_;     // per destination row
};

// Single-picture forms of the same pass.
Pixels Mirrored(const Pixels& src, bool vertical);  // vertical: top to bottom, else left to right
Pixels TurnedClockwise(const Pixels& src, int angle_cw);
Pixels Scaled(const Pixels& src, int width, int height);

}  // namespace eos::imaging
