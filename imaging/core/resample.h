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
  // Which code does the arithmetic; both give the same pixels. kFastest uses SSE2
  // where the build has it and is the plain C++ otherwise.
  enum class Kernel { kFastest, kPortable };

  explicit Resampler(Kernel kernel = Kernel::kFastest) : kernel_(kernel) {}

  // dst = src scaled to dst_w x dst_h, turned clockwise by `angle_cw` (the scale is of
  // the turned picture: at 90 and 270 degrees dst_w runs along the source's height),
  // then, with `mirror`, mirrored left to right. At the source's own (turned) size every
  // pixel is copied exactly. The index and weight tables are kept for the next call
  // with the same sizes.
  //
  // Each display pixel is the weighted sum of its four source neighbours with 8-bit
  // weights per axis, rounded once at the end; the sum does not depend on which axis is
  // blended first, so turning and scaling commute exactly. The work runs along source
  // rows whatever the angle: two source rows are blended into a kept line of 16-bit
  // sums, which is then sampled along the row into one display row or column.
  void Run(const Pixels& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst);

  // A position along a source row: its lower neighbour and the weights of that one and
  // the next (low and high 16 bits, summing to 256).
  struct Sample {
    uint32_t lower;
    uint32_t weights;
  };

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

  Kernel kernel_;
  Key key_{};
  std::vector<Tap> lines_;        // per output line: the two source rows, as offsets
  std::vector<Sample> samples_;   // per position along an output line
  std::vector<int16_t> blended_;  // one line of blended source rows, less 32768, one pad pixel
};

// Single-picture forms of the same pass.
Pixels Mirrored(const Pixels& src, bool vertical);  // vertical: top to bottom, else left to right
Pixels TurnedClockwise(const Pixels& src, int angle_cw);
Pixels Scaled(const Pixels& src, int width, int height);

}  // namespace eos::imaging
