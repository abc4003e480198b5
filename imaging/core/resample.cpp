#include "imaging/core/resample.h"

#include <algorithm>

namespace eos::imaging {
namespace {

// a + (b - a) * w / 256 on all four channels at once, red/blue and alpha/green in two
// 32-bit words with 16 bits per channel; w = 0 gives `a` exactly.
inline Pixel Lerp(Pixel a, Pixel b, uint32_t w) {
  const uint32_t v = 256 - w;
  const uint32_t rb = (((a & 0xFF00FFu) * v + (b & 0xFF00FFu) * w + 0x800080u) >> 8) & 0xFF00FFu;
  const uint32_t ag = ((a >> 8 & 0xFF00FFu) * v + (b >> 8 & 0xFF00FFu) * w + 0x800080u) & 0xFF00FF00u;
  return rb | ag;
}

}  // namespace

int QuarterTurnAngle(int angle_cw) { return ((angle_cw % 360 + 360) % 360) / 90 * 90; }

// Both neighbours of every output position along one axis; `reversed` walks the source
// from its far end, `step` is the distance between neighbours (1 along a row, the row
// length down a column). Positions are sample centres in 1/256 pixel, so at equal sizes
// every weight is 0 and every pixel is copied.
void Resampler::BuildAxis(std::vector<Tap>& taps, int dst_n, int src_n, uint32_t step, bool reversed) {
  taps.resize(static_cast<size_t>(dst_n));
  for (int t = 0; t < dst_n; ++t) {
    const int64_t pos = (2 * int64_t{t} + 1) * src_n * 256 / (2 * int64_t{dst_n}) - 128;
    int64_t index = pos < 0 ? 0 : pos >> 8;
    uint32_t weight = pos < 0 ? 0 : static_cast<uint32_t>(pos & 255);
    if (index >= src_n - 1) index = src_n - 1, weight = 0;
    const auto next = std::min<int64_t>(index + 1, src_n - 1);
    if (reversed) {  // walking backwards the far neighbour comes first
      taps[static_cast<size_t>(t)] = {static_cast<uint32_t>(src_n - 1 - index) * step,
                                      static_cast<uint32_t>(src_n - 1 - next) * step, weight};
    } else {
      taps[static_cast<size_t>(t)] = {static_cast<uint32_t>(index) * step, static_cast<uint32_t>(next) * step, weight};
    }
  }
}

void Resampler::Run(const Pixels& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst) {
  if (src.empty() || dst_w <= 0 || dst_h <= 0) {
    dst.Resize(std::max(dst_w, 0), std::max(dst_h, 0));
    return;
  }
  const int angle = QuarterTurnAngle(angle_cw);
  const Key key{src.width, src.height, dst_w, dst_h, angle, mirror};
  if (key != key_ || columns_.size() != static_cast<size_t>(dst_w) || rows_.size() != static_cast<size_t>(dst_h)) {
    // Display column x shows, after undoing the mirror and the turn:
    //   0: source column x     90: source row H-1-x     180: source column W-1-x     270: source row x
    // and display row y: source row y, column y, row H-1-y, column W-1-y.
    const bool sideways = angle == 90 || angle == 270;
    const auto row_step = static_cast<uint32_t>(src.width);
    const bool columns_reversed = (angle == 90 || angle == 180) != mirror;
    const bool rows_reversed = angle == 180 || angle == 270;
    BuildAxis(columns_, dst_w, sideways ? src.height : src.width, sideways ? row_step : 1, columns_reversed);
    BuildAxis(rows_, dst_h, sideways ? src.width : src.height, sideways ? 1 : row_step, rows_reversed);
    key_ = key;
  }
  dst.Resize(dst_w, dst_h);
  const Pixel* const base = src.data.data();
  Pixel* out = dst.data.data();
  const Tap* const columns = columns_.data();
  for (const Tap& row : rows_) {
    const Pixel* const near = base + row.first;
    const Pixel* const far = base + row.second;
    const uint32_t wy = row.weight;
    for (int x = 0; x < dst_w; ++x) {
      const Tap c = columns[x];
      const Pixel top = Lerp(near[c.first], near[c.second], c.weight);
      const Pixel bottom = Lerp(far[c.first], far[c.second], c.weight);
      *out++ = Lerp(top, bottom, wy);
    }
  }
}

Pixels Mirrored(const Pixels& src, bool vertical) {
  Pixels out;
  // Top to bottom is a half turn mirrored left to right.
  Resampler().Run(src, src.width, src.height, vertical ? 180 : 0, true, out);
  return out;
}

Pixels TurnedClockwise(const Pixels& src, int angle_cw) {
  const int angle = QuarterTurnAngle(angle_cw);
  const bool sideways = angle == 90 || angle == 270;
  Pixels out;
  Resampler().Run(src, sideways ? src.height : src.width, sideways ? src.width : src.height, angle, false, out);
  return out;
}

Pixels Scaled(const Pixels& src, int width, int height) {
  Pixels out;
  Resampler().Run(src, width, height, 0, false, out);
  return out;
}

}  // namespace eos::imaging
