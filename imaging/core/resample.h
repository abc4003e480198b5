// One pass that scales (bilinear), turns by quarter turns and mirrors, writing each
// destination pixel once; the live view's per-frame work after the decode.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/core/pixels.h"
#include "imaging/core/planes.h"

namespace eos::imaging {

// Quarter turns clockwise as seen on screen: 90, 180, 270 and 0; `angle_cw` is taken
// modulo 360 and rounded down to a quarter turn.
int QuarterTurnAngle(int angle_cw);

// Which code does the arithmetic; all give the same pixels. kFastest is AVX2 where the
// processor has it (the planes' pass only), else SSE2 where the build has it (always on
// x86), else the plain C++. A kernel the machine lacks runs as the next one down.
enum class Kernel { kFastest, kAvx2, kSse2, kPortable };
bool ProcessorHasAvx2();

// A position on a source axis: its lower neighbour and the weight of the next one in
// 1/256 (0..255). Output sample t of n covers the span's t-th n-th part; its centre
// lands on source sample `index` + `weight` / 256, clamped to the first and last sample.
struct AxisTap {
  uint32_t index;
  uint32_t weight;
};
// The source axis has `count` samples and the whole picture spans span_num / span_den of
// them (more than count - 1 and at most count when the last sample is only partly in).
AxisTap MapAxis(int t, int n, int64_t span_num, int64_t span_den, int count);

// How a turned and mirrored display is walked: its output lines follow the source's
// rows (display rows, or display columns when sideways), and either axis may run from
// the source's far end.
struct TurnPlan {
  TurnPlan(int dst_w, int dst_h, int angle_cw, bool mirror);
  int angle;
  bool sideways;
  int line_count;    // output lines, one per position down the source
  int sample_count;  // positions along each line, across the source
  bool lines_reversed = false;
  bool samples_reversed = false;
};

class Resampler {
 public:
  using Kernel = imaging::Kernel;

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

// The live view's pass from a JPEG's planes to display pixels: each plane scaled
// (bilinear) to the display, turned and mirrored as Resampler does, and the colours
// converted per display pixel. Colour planes of lower resolution are sampled at their
// own sample centres, which is the bilinear colour upsampling of a full decode done at
// the display's positions.
class PlanarResampler {
 public:
  explicit PlanarResampler(Kernel kernel = Kernel::kFastest) : kernel_(kernel) {}

  void Run(const Planes& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst);

 private:
  struct LineTap {  // offsets of the two rows of one plane, weight of the second (0..255)
    size_t first;
    size_t second;
    uint32_t weight;
  };
  struct PlaneTables {
    std::vector<LineTap> lines;     // per output line
    std::vector<uint32_t> lower;    // per position along a line: the lower neighbour
    std::vector<uint32_t> weights;  // and the weights of it and the next (low, high 16 bits)
    std::vector<int16_t> blended;   // one line of blended rows, less 32768, padded
    // The AVX2 kernel's form of lower/weights: each group of four positions reads one
    // window of eight blended samples from `window`, and `shuffle` picks each position's
    // pair out of it. Only when every group's pairs fit in their window.
    std::vector<uint32_t> window;
    std::vector<uint8_t> shuffle;  // 16 bytes per group
    bool windows_fit = false;
  };
  struct Key {
    int dst_w, dst_h, angle, mirror;
    int width[3], height[3];
    size_t stride[3];
    int64_t span[3][4];
    bool operator==(const Key&) const = default;
  };

  Kernel kernel_;
  Key key_{};
  bool built_ = false;
  PlaneTables tables_[3];
  // Turned sideways an output line is a display column: four of them are made here and
  // written out together, four neighbouring pixels at a time, not one pixel per row.
  std::vector<Pixel> columns_;
};

// Single-picture forms of the same pass.
Pixels Mirrored(const Pixels& src, bool vertical);  // vertical: top to bottom, else left to right
Pixels TurnedClockwise(const Pixels& src, int angle_cw);
Pixels Scaled(const Pixels& src, int width, int height);

}  // namespace eos::imaging
