#include "imaging/core/resample.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace eos::imaging {
namespace {

#if defined(__SSE2__)
constexpr bool kHaveSse2 = true;
#else
constexpr bool kHaveSse2 = false;
#endif

// The blended lines hold a * (256 - w) + b * w less 32768 per channel, which fits a
// signed 16-bit lane exactly; sampling adds back 32768 * 256 with the rounding.
constexpr int32_t kSampleBias = 32768 * 256 + 32768;

// Channels [from, to) of rows a and b blended with weight w of b.
void BlendRowsPortable(const Pixel* a, const Pixel* b, uint32_t w, size_t from, size_t to, int16_t* line) {
  const auto* pa = reinterpret_cast<const uint8_t*>(a);
  const auto* pb = reinterpret_cast<const uint8_t*>(b);
  const auto wa = static_cast<int32_t>(256 - w), wb = static_cast<int32_t>(w);
  for (size_t i = from; i < to; ++i) line[i] = static_cast<int16_t>(pa[i] * wa + pb[i] * wb - 32768);
}

// Positions [from, to) of a blended line into out[j * step].
void SampleLinePortable(const int16_t* line, const Resampler::Sample* samples, size_t from, size_t to, Pixel* out,
                        ptrdiff_t step) {
  for (size_t j = from; j < to; ++j) {
    const Resampler::Sample s = samples[j];
    const auto low = static_cast<int32_t>(s.weights & 0xFFFFu), high = static_cast<int32_t>(s.weights >> 16);
    const int16_t* v = line + size_t{4} * s.lower;
    Pixel p = 0;
    for (int c = 0; c < 4; ++c) p |= static_cast<Pixel>((v[c] * low + v[c + 4] * high + kSampleBias) >> 16) << (8 * c);
    out[static_cast<ptrdiff_t>(j) * step] = p;
  }
}

#if defined(__SSE2__)
// Four pixels at a time; returns how many channels it did.
size_t BlendRowsSse2(const Pixel* a, const Pixel* b, uint32_t w, size_t n, int16_t* line) {
  const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(w));
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    // (a ^ 0x80) moved up a byte is (a - 128) * 256 as a signed lane; (b - a) * w is
    // added modulo 2^16, which is exact since the sum fits.
    const __m128i up = _mm_xor_si128(pa, flip);
    const __m128i lo =
        _mm_add_epi16(_mm_unpacklo_epi8(zero, up),
                      _mm_mullo_epi16(_mm_sub_epi16(_mm_unpacklo_epi8(pb, zero), _mm_unpacklo_epi8(pa, zero)), weight));
    const __m128i hi =
        _mm_add_epi16(_mm_unpackhi_epi8(zero, up),
                      _mm_mullo_epi16(_mm_sub_epi16(_mm_unpackhi_epi8(pb, zero), _mm_unpackhi_epi8(pa, zero)), weight));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(line + 4 * i), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(line + 4 * i + 8), hi);
  }
  return 4 * i;
}

// One position's four channels as 32-bit lanes, each the rounded sum shifted down.
inline __m128i SampleSse2(const int16_t* line, Resampler::Sample s) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + size_t{4} * s.lower));
  const __m128i pairs = _mm_unpacklo_epi16(v, _mm_srli_si128(v, 8));  // each channel of both neighbours side by side
  const __m128i sum = _mm_madd_epi16(pairs, _mm_set1_epi32(static_cast<int32_t>(s.weights)));
  return _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(kSampleBias)), 16);
}

// Four positions at a time; returns how many it did.
size_t SampleLineSse2(const int16_t* line, const Resampler::Sample* samples, size_t n, Pixel* out, ptrdiff_t step) {
  size_t j = 0;
  for (; j + 4 <= n; j += 4) {
    const __m128i four =
        _mm_packus_epi16(_mm_packs_epi32(SampleSse2(line, samples[j]), SampleSse2(line, samples[j + 1])),
                         _mm_packs_epi32(SampleSse2(line, samples[j + 2]), SampleSse2(line, samples[j + 3])));
    Pixel* const at = out + static_cast<ptrdiff_t>(j) * step;
    if (step == 1) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at), four);
    } else {
      at[0] = static_cast<Pixel>(_mm_cvtsi128_si32(four));
      at[step] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_srli_si128(four, 4)));
      at[2 * step] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_srli_si128(four, 8)));
      at[3 * step] = static_cast<Pixel>(_mm_cvtsi128_si32(_mm_srli_si128(four, 12)));
    }
  }
  return j;
}
#endif

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
  const bool sideways = angle == 90 || angle == 270;
  // Output lines follow the source's rows: display rows, or display columns when sideways.
  const int line_count = sideways ? dst_w : dst_h;
  const int sample_count = sideways ? dst_h : dst_w;
  const Key key{src.width, src.height, dst_w, dst_h, angle, mirror};
  if (key != key_ || lines_.size() != static_cast<size_t>(line_count) ||
      samples_.size() != static_cast<size_t>(sample_count)) {
    // Display column x shows, after undoing the mirror and the turn:
    //   0: source column x     90: source row H-1-x     180: source column W-1-x     270: source row x
    // and display row y: source row y, column y, row H-1-y, column W-1-y.
    const bool columns_reversed = (angle == 90 || angle == 180) != mirror;
    const bool rows_reversed = angle == 180 || angle == 270;
    BuildAxis(lines_, line_count, src.height, static_cast<uint32_t>(src.width),
              sideways ? columns_reversed : rows_reversed);
    std::vector<Tap> along;
    BuildAxis(along, sample_count, src.width, 1, sideways ? rows_reversed : columns_reversed);
    samples_.resize(along.size());
    for (size_t j = 0; j < along.size(); ++j) {
      const Tap& t = along[j];
      const uint32_t near = 256 - t.weight;
      samples_[j] =
          t.second >= t.first ? Sample{t.first, near | t.weight << 16} : Sample{t.second, t.weight | near << 16};
    }
    // The pad pixel is read with weight 0 beside the last one.
    blended_.assign(size_t{4} * (static_cast<size_t>(src.width) + 1), 0);
    key_ = key;
  }
  dst.Resize(dst_w, dst_h);
  const Pixel* const base = src.data.data();
  const ptrdiff_t line_step = sideways ? 1 : dst_w;
  const ptrdiff_t sample_step = sideways ? dst_w : 1;
  const auto width = static_cast<size_t>(src.width);
  const auto samples = static_cast<size_t>(sample_count);
  const bool simd = kHaveSse2 && kernel_ == Kernel::kFastest;
  int16_t* const line = blended_.data();
  Pixel* out = dst.data.data();
  for (const Tap& rows : lines_) {
    size_t blended = 0, sampled = 0;
#if defined(__SSE2__)
    if (simd) {
      blended = BlendRowsSse2(base + rows.first, base + rows.second, rows.weight, width, line);
    }
#endif
    BlendRowsPortable(base + rows.first, base + rows.second, rows.weight, blended, 4 * width, line);
#if defined(__SSE2__)
    if (simd) sampled = SampleLineSse2(line, samples_.data(), samples, out, sample_step);
#endif
    SampleLinePortable(line, samples_.data(), sampled, samples, out, sample_step);
    out += line_step;
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
