#include "imaging/core/resample.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// AVX2 is chosen at run time, so its functions carry their own target.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define EOS_AVX2 1
#include <immintrin.h>
#define EOS_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace eos::imaging {
namespace {

#if defined(__SSE2__)
constexpr bool kHaveSse2 = true;
#else
constexpr bool kHaveSse2 = false;
#endif

const uint8_t* Bytes(const Pixel* p) { return reinterpret_cast<const uint8_t*>(p); }

// The blended lines hold a * (256 - w) + b * w less 32768 per channel, which fits a
// signed 16-bit lane exactly; sampling adds back 32768 * 256 with the rounding.
constexpr int32_t kSampleBias = 32768 * 256 + 32768;

// Samples [from, to) of rows a and b blended with weight w of b.
void BlendRowsPortable(const uint8_t* a, const uint8_t* b, uint32_t w, size_t from, size_t to, int16_t* line) {
  const auto wa = static_cast<int32_t>(256 - w), wb = static_cast<int32_t>(w);
  for (size_t i = from; i < to; ++i) line[i] = static_cast<int16_t>(a[i] * wa + b[i] * wb - 32768);
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
// Sixteen samples at a time; returns how many it did.
size_t BlendRowsSse2(const uint8_t* a, const uint8_t* b, uint32_t w, size_t n, int16_t* line) {
  const __m128i weight = _mm_set1_epi16(static_cast<int16_t>(w));
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i zero = _mm_setzero_si128();
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
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
    _mm_storeu_si128(reinterpret_cast<__m128i*>(line + i), lo);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(line + i + 8), hi);
  }
  return i;
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

// Planes: a blended line sampled at one position gives the sample's value times 64
// (0..16320), rounded; the colour conversion works on those in 16-bit lanes, where every
// intermediate of the sums below stays within range.
constexpr int32_t kPlaneBias = 32768 * 256 + 512;
constexpr int32_t kChromaCentre = 128 * 64;
// YCbCr to RGB as JPEG defines it, with the factors as x / 65536 on a signed 16-bit
// lane: R = Y + 1.402 Cr, G = Y - 0.34414 Cb - 0.71414 Cr, B = Y + 1.772 Cb, each
// written as whole multiples plus a fraction below one half.
constexpr int32_t kCrToR = 26345;  // 1.402 - 1
constexpr int32_t kCrToG = 18734;  // 1 - 0.71414
constexpr int32_t kCbToG = 22554;  // 0.34414
constexpr int32_t kCbToB = 14942;  // 2 - 1.772

inline int32_t MulHigh(int32_t a, int32_t factor) { return (a * factor) >> 16; }
inline uint32_t ToByte(int32_t v64) { return static_cast<uint32_t>(std::clamp((v64 + 32) >> 6, 0, 255)); }

struct PlaneLines {
  const int16_t* line[3];
  const uint32_t* lower[3];
  const uint32_t* weights[3];
  bool rgb;
};

inline int32_t SamplePlane(const int16_t* line, uint32_t lower, uint32_t weights) {
  const int16_t* v = line + lower;
  return (v[0] * static_cast<int32_t>(weights & 0xFFFFu) + v[1] * static_cast<int32_t>(weights >> 16) + kPlaneBias) >>
         10;
}

// Positions [from, to) of the blended plane lines into out[j].
void SamplePlanesPortable(const PlaneLines& p, size_t from, size_t to, Pixel* out) {
  for (size_t j = from; j < to; ++j) {
    const int32_t a = SamplePlane(p.line[0], p.lower[0][j], p.weights[0][j]);
    const int32_t b = SamplePlane(p.line[1], p.lower[1][j], p.weights[1][j]);
    const int32_t c = SamplePlane(p.line[2], p.lower[2][j], p.weights[2][j]);
    int32_t r = a, g = b, bl = c;
    if (!p.rgb) {
      const int32_t cb = b - kChromaCentre, cr = c - kChromaCentre;
      r = a + cr + MulHigh(cr, kCrToR);
      g = a - cr + MulHigh(cr, kCrToG) - MulHigh(cb, kCbToG);
      bl = a + 2 * cb - MulHigh(cb, kCbToB);
    }
    out[j] = 0xFF000000u | ToByte(r) << 16 | ToByte(g) << 8 | ToByte(bl);
  }
}

#if defined(__SSE2__)
// Four positions of one plane as 32-bit lanes.
inline __m128i SamplePlaneSse2(const int16_t* line, const uint32_t* lower, const uint32_t* weights) {
  auto pair = [line](uint32_t at) {
    int32_t v;
    std::memcpy(&v, line + at, sizeof v);
    return _mm_cvtsi32_si128(v);
  };
  const __m128i x = _mm_unpacklo_epi64(_mm_unpacklo_epi32(pair(lower[0]), pair(lower[1])),
                                       _mm_unpacklo_epi32(pair(lower[2]), pair(lower[3])));
  const __m128i sum = _mm_madd_epi16(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights)));
  return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(kPlaneBias)), 10);
}

// Eight positions of one plane as 16-bit lanes.
inline __m128i SamplePlane8(const PlaneLines& p, int plane, size_t j) {
  const int16_t* line = p.line[plane];
  const uint32_t* lower = p.lower[plane] + j;
  const uint32_t* weights = p.weights[plane] + j;
  return _mm_packs_epi32(SamplePlaneSse2(line, lower, weights), SamplePlaneSse2(line, lower + 4, weights + 4));
}

// Eight positions at a time; returns how many it did.
size_t SamplePlanesSse2(const PlaneLines& p, size_t n, Pixel* out) {
  const __m128i centre = _mm_set1_epi16(kChromaCentre);
  const __m128i half = _mm_set1_epi16(32);
  const __m128i opaque = _mm_set1_epi16(255);
  size_t j = 0;
  for (; j + 8 <= n; j += 8) {
    const __m128i a = SamplePlane8(p, 0, j), b = SamplePlane8(p, 1, j), c = SamplePlane8(p, 2, j);
    __m128i r = a, g = b, bl = c;
    if (!p.rgb) {
      const __m128i cb = _mm_sub_epi16(b, centre), cr = _mm_sub_epi16(c, centre);
      r = _mm_add_epi16(_mm_add_epi16(a, cr), _mm_mulhi_epi16(cr, _mm_set1_epi16(kCrToR)));
      g = _mm_sub_epi16(_mm_add_epi16(_mm_sub_epi16(a, cr), _mm_mulhi_epi16(cr, _mm_set1_epi16(kCrToG))),
                        _mm_mulhi_epi16(cb, _mm_set1_epi16(kCbToG)));
      bl = _mm_sub_epi16(_mm_add_epi16(a, _mm_add_epi16(cb, cb)), _mm_mulhi_epi16(cb, _mm_set1_epi16(kCbToB)));
    }
    r = _mm_srai_epi16(_mm_add_epi16(r, half), 6);
    g = _mm_srai_epi16(_mm_add_epi16(g, half), 6);
    bl = _mm_srai_epi16(_mm_add_epi16(bl, half), 6);
    // Bytes B0..B7 R0..R7 and G0..G7 A0..A7, interleaved into B G R A per pixel.
    const __m128i br = _mm_packus_epi16(bl, r), ga = _mm_packus_epi16(g, opaque);
    const __m128i bg = _mm_unpacklo_epi8(br, ga), ra = _mm_unpackhi_epi8(br, ga);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j + 4), _mm_unpackhi_epi16(bg, ra));
  }
  return j;
}
#endif

// Columns [first, first + count) of dst from `count` rows of `n` pixels in `columns`.
void WriteColumns(const Pixel* columns, size_t n, size_t count, Pixel* dst, size_t first, size_t dst_w, bool simd) {
  size_t j = 0;
#if defined(__SSE2__)
  if (simd && count == 4) {
    for (; j + 4 <= n; j += 4) {
      auto load = [&](size_t k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + k * n + j)); };
      const __m128i r0 = load(0), r1 = load(1), r2 = load(2), r3 = load(3);
      const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
      const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
      Pixel* at = dst + j * dst_w + first;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm_unpacklo_epi64(t0, t1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at + dst_w), _mm_unpackhi_epi64(t0, t1));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 2 * dst_w), _mm_unpacklo_epi64(t2, t3));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 3 * dst_w), _mm_unpackhi_epi64(t2, t3));
    }
  }
#endif
  for (; j < n; ++j)
    for (size_t k = 0; k < count; ++k) dst[j * dst_w + first + k] = columns[k * n + j];
}

#if defined(EOS_AVX2)
EOS_TARGET_AVX2 size_t BlendRowsAvx2(const uint8_t* a, const uint8_t* b, uint32_t w, size_t n, int16_t* line) {
  const __m256i weight = _mm256_set1_epi16(static_cast<int16_t>(w));
  const __m256i flip = _mm256_set1_epi16(static_cast<int16_t>(0x8000));
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i pa = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
    const __m256i pb = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
    // a * 256 - 32768 is a moved up a byte with the top bit flipped; then as in SSE2.
    const __m256i v = _mm256_add_epi16(_mm256_xor_si256(_mm256_slli_epi16(pa, 8), flip),
                                       _mm256_mullo_epi16(_mm256_sub_epi16(pb, pa), weight));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + i), v);
  }
  return i;
}

EOS_TARGET_AVX2 inline __m256i Halves(const void* low, const void* high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(low))),
                                 _mm_loadu_si128(static_cast<const __m128i*>(high)), 1);
}

struct PlaneWindows {
  const uint32_t* window;
  const uint8_t* shuffle;
};

// Groups g and h of four positions, as 32-bit lanes in the low and high half.
EOS_TARGET_AVX2 inline __m256i SampleGroupsAvx2(const int16_t* line, PlaneWindows w, const uint32_t* weights, size_t g,
                                                size_t h) {
  const __m256i window = Halves(line + w.window[g], line + w.window[h]);
  const __m256i pairs = _mm256_shuffle_epi8(window, Halves(w.shuffle + 16 * g, w.shuffle + 16 * h));
  const __m256i sum = _mm256_madd_epi16(pairs, Halves(weights + 4 * g, weights + 4 * h));
  return _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(kPlaneBias)), 10);
}

// Sixteen positions from group q on, in order: packing works within halves, so the
// halves hold groups q, q + 2 and q + 1, q + 3.
EOS_TARGET_AVX2 inline __m256i SamplePlane16(const PlaneLines& p, const PlaneWindows* windows, int plane, size_t q) {
  const int16_t* line = p.line[plane];
  const uint32_t* weights = p.weights[plane];
  return _mm256_packs_epi32(SampleGroupsAvx2(line, windows[plane], weights, q, q + 2),
                            SampleGroupsAvx2(line, windows[plane], weights, q + 1, q + 3));
}

// Sixteen positions at a time; returns how many it did.
EOS_TARGET_AVX2 size_t SamplePlanesAvx2(const PlaneLines& p, const PlaneWindows* windows, size_t n, Pixel* out) {
  const __m256i centre = _mm256_set1_epi16(kChromaCentre);
  const __m256i half = _mm256_set1_epi16(32);
  const __m256i opaque = _mm256_set1_epi16(255);
  size_t j = 0;
  for (; j + 16 <= n; j += 16) {
    const size_t q = j / 4;
    const __m256i a = SamplePlane16(p, windows, 0, q), b = SamplePlane16(p, windows, 1, q),
                  c = SamplePlane16(p, windows, 2, q);
    __m256i r = a, g = b, bl = c;
    if (!p.rgb) {
      const __m256i cb = _mm256_sub_epi16(b, centre), cr = _mm256_sub_epi16(c, centre);
      r = _mm256_add_epi16(_mm256_add_epi16(a, cr), _mm256_mulhi_epi16(cr, _mm256_set1_epi16(kCrToR)));
      g = _mm256_sub_epi16(_mm256_add_epi16(_mm256_sub_epi16(a, cr), _mm256_mulhi_epi16(cr, _mm256_set1_epi16(kCrToG))),
                           _mm256_mulhi_epi16(cb, _mm256_set1_epi16(kCbToG)));
      bl = _mm256_sub_epi16(_mm256_add_epi16(a, _mm256_add_epi16(cb, cb)),
                            _mm256_mulhi_epi16(cb, _mm256_set1_epi16(kCbToB)));
    }
    r = _mm256_srai_epi16(_mm256_add_epi16(r, half), 6);
    g = _mm256_srai_epi16(_mm256_add_epi16(g, half), 6);
    bl = _mm256_srai_epi16(_mm256_add_epi16(bl, half), 6);
    const __m256i br = _mm256_packus_epi16(bl, r), ga = _mm256_packus_epi16(g, opaque);
    const __m256i bg = _mm256_unpacklo_epi8(br, ga), ra = _mm256_unpackhi_epi8(br, ga);
    // Pixels 0-3 and 8-11, then 4-7 and 12-15.
    const __m256i lo = _mm256_unpacklo_epi16(bg, ra), hi = _mm256_unpackhi_epi16(bg, ra);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  return j;
}
#endif

}  // namespace

bool ProcessorHasAvx2() {
#if defined(EOS_AVX2)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}

namespace {
// An empty source or display gives an empty display.
bool NothingToScale(bool src_empty, int dst_w, int dst_h, Pixels& dst) {
  if (!src_empty && dst_w > 0 && dst_h > 0) return false;
  dst.Resize(std::max(dst_w, 0), std::max(dst_h, 0));
  return true;
}

// The kernel that runs for a choice on this machine.
Kernel Available(Kernel kernel) {
  if (kernel == Kernel::kFastest) kernel = Kernel::kAvx2;
  if (kernel == Kernel::kAvx2 && !ProcessorHasAvx2()) kernel = Kernel::kSse2;
  if (kernel == Kernel::kSse2 && !kHaveSse2) kernel = Kernel::kPortable;
  return kernel;
}
}  // namespace

int QuarterTurnAngle(int angle_cw) { return ((angle_cw % 360 + 360) % 360) / 90 * 90; }

AxisTap MapAxis(int t, int n, int64_t span_num, int64_t span_den, int count) {
  const int64_t pos = (2 * int64_t{t} + 1) * span_num * 256 / (2 * int64_t{n} * span_den) - 128;
  if (pos < 0) return {0, 0};
  if ((pos >> 8) >= count - 1) return {static_cast<uint32_t>(count - 1), 0};
  return {static_cast<uint32_t>(pos >> 8), static_cast<uint32_t>(pos & 255)};
}

// Both neighbours of every output position along one axis; `reversed` walks the source
// from its far end, `step` is the distance between neighbours (1 along a row, the row
// length down a column). Positions are sample centres in 1/256 pixel, so at equal sizes
// every weight is 0 and every pixel is copied.
void Resampler::BuildAxis(std::vector<Tap>& taps, int dst_n, int src_n, uint32_t step, bool reversed) {
  taps.resize(static_cast<size_t>(dst_n));
  for (int t = 0; t < dst_n; ++t) {
    const AxisTap tap = MapAxis(t, dst_n, src_n, 1, src_n);
    const uint32_t index = tap.index, next = std::min(index + 1, static_cast<uint32_t>(src_n - 1));
    if (reversed) {  // walking backwards the far neighbour comes first
      const auto last = static_cast<uint32_t>(src_n - 1);
      taps[static_cast<size_t>(t)] = {(last - index) * step, (last - next) * step, tap.weight};
    } else {
      taps[static_cast<size_t>(t)] = {index * step, next * step, tap.weight};
    }
  }
}

TurnPlan::TurnPlan(int dst_w, int dst_h, int angle_cw, bool mirror)
    : angle(QuarterTurnAngle(angle_cw)),
      sideways(angle == 90 || angle == 270),
      line_count(sideways ? dst_w : dst_h),
      sample_count(sideways ? dst_h : dst_w) {
  // Display column x shows, after undoing the mirror and the turn:
  //   0: source column x     90: source row H-1-x     180: source column W-1-x     270: source row x
  // and display row y: source row y, column y, row H-1-y, column W-1-y.
  const bool columns_reversed = (angle == 90 || angle == 180) != mirror;
  const bool rows_reversed = angle == 180 || angle == 270;
  lines_reversed = sideways ? columns_reversed : rows_reversed;
  samples_reversed = sideways ? rows_reversed : columns_reversed;
}

void Resampler::Run(const Pixels& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst) {
  if (NothingToScale(src.empty(), dst_w, dst_h, dst)) return;
  const TurnPlan plan(dst_w, dst_h, angle_cw, mirror);
  const int angle = plan.angle, line_count = plan.line_count, sample_count = plan.sample_count;
  const bool sideways = plan.sideways;
  const Key key{src.width, src.height, dst_w, dst_h, angle, mirror};
  if (key != key_ || lines_.size() != static_cast<size_t>(line_count) ||
      samples_.size() != static_cast<size_t>(sample_count)) {
    BuildAxis(lines_, line_count, src.height, static_cast<uint32_t>(src.width), plan.lines_reversed);
    std::vector<Tap> along;
    BuildAxis(along, sample_count, src.width, 1, plan.samples_reversed);
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
  const bool simd = Available(kernel_) != Kernel::kPortable;
  int16_t* const line = blended_.data();
  Pixel* out = dst.data.data();
  for (const Tap& rows : lines_) {
    size_t blended = 0, sampled = 0;
#if defined(__SSE2__)
    if (simd)
      blended = BlendRowsSse2(Bytes(base + rows.first), Bytes(base + rows.second), rows.weight, 4 * width, line);
#endif
    BlendRowsPortable(Bytes(base + rows.first), Bytes(base + rows.second), rows.weight, blended, 4 * width, line);
#if defined(__SSE2__)
    if (simd) sampled = SampleLineSse2(line, samples_.data(), samples, out, sample_step);
#endif
    SampleLinePortable(line, samples_.data(), sampled, samples, out, sample_step);
    out += line_step;
  }
}

void PlanarResampler::Run(const Planes& src, int dst_w, int dst_h, int angle_cw, bool mirror, Pixels& dst) {
  if (NothingToScale(src.empty(), dst_w, dst_h, dst)) return;
  const TurnPlan plan(dst_w, dst_h, angle_cw, mirror);
  const int angle = plan.angle, line_count = plan.line_count, sample_count = plan.sample_count;
  const bool sideways = plan.sideways;
  Key key{dst_w, dst_h, angle, mirror, {}, {}, {}, {}};
  for (int k = 0; k < 3; ++k) {
    const Plane& plane = src.planes[k];
    key.width[k] = plane.width;
    key.height[k] = plane.height;
    key.stride[k] = plane.stride;
    key.span[k][0] = plane.span_x_num;
    key.span[k][1] = plane.span_x_den;
    key.span[k][2] = plane.span_y_num;
    key.span[k][3] = plane.span_y_den;
  }
  if (!built_ || key != key_) {
    // A reversed axis reads the forward positions backwards, which keeps each sample's
    // neighbours in source order.
    const bool lines_reversed = plan.lines_reversed, samples_reversed = plan.samples_reversed;
    for (int k = 0; k < 3; ++k) {
      const Plane& plane = src.planes[k];
      PlaneTables& tables = tables_[k];
      tables.lines.resize(static_cast<size_t>(line_count));
      for (int t = 0; t < line_count; ++t) {
        const AxisTap tap = MapAxis(t, line_count, plane.span_y_num, plane.span_y_den, plane.height);
        const uint32_t next = std::min(tap.index + 1, static_cast<uint32_t>(plane.height - 1));
        tables.lines[static_cast<size_t>(lines_reversed ? line_count - 1 - t : t)] = {tap.index * plane.stride,
                                                                                      next * plane.stride, tap.weight};
      }
      tables.lower.resize(static_cast<size_t>(sample_count));
      tables.weights.resize(static_cast<size_t>(sample_count));
      for (int t = 0; t < sample_count; ++t) {
        const AxisTap tap = MapAxis(t, sample_count, plane.span_x_num, plane.span_x_den, plane.width);
        const auto j = static_cast<size_t>(samples_reversed ? sample_count - 1 - t : t);
        tables.lower[j] = tap.index;
        tables.weights[j] = (256 - tap.weight) | tap.weight << 16;
      }
      // Pad samples: one read with weight 0 beside the last, and the rest of the last window.
      tables.blended.assign(static_cast<size_t>(plane.width) + 8, 0);
      const size_t groups = static_cast<size_t>(sample_count) / 4;
      tables.window.resize(groups);
      tables.shuffle.resize(16 * groups);
      tables.windows_fit = true;
      for (size_t g = 0; g < groups; ++g) {
        const uint32_t* lower = tables.lower.data() + 4 * g;
        const uint32_t first = std::min(std::min(lower[0], lower[1]), std::min(lower[2], lower[3]));
        tables.window[g] = first;
        for (size_t i = 0; i < 4; ++i) {
          const uint32_t at = lower[i] - first;  // the pair at..at + 1 of eight samples
          tables.windows_fit = tables.windows_fit && at <= 6;
          for (uint32_t b = 0; b < 4; ++b)
            tables.shuffle[16 * g + 4 * i + b] = static_cast<uint8_t>(at > 6 ? 0 : 2 * at + b);
        }
      }
    }
    key_ = key;
    built_ = true;
  }
  dst.Resize(dst_w, dst_h);
  const auto samples = static_cast<size_t>(sample_count);
  Kernel kernel = Available(kernel_);
  if (kernel == Kernel::kAvx2 && !(tables_[0].windows_fit && tables_[1].windows_fit && tables_[2].windows_fit))
    kernel = Kernel::kSse2;
  PlaneLines lines{};
  lines.rgb = src.colours == Planes::Colours::kRgb;
  for (int k = 0; k < 3; ++k) {
    lines.line[k] = tables_[k].blended.data();
    lines.lower[k] = tables_[k].lower.data();
    lines.weights[k] = tables_[k].weights.data();
  }
#if defined(EOS_AVX2)
  const PlaneWindows windows[3] = {{tables_[0].window.data(), tables_[0].shuffle.data()},
                                   {tables_[1].window.data(), tables_[1].shuffle.data()},
                                   {tables_[2].window.data(), tables_[2].shuffle.data()}};
#endif
  if (sideways) columns_.resize(4 * samples);
  const auto lines_total = static_cast<size_t>(line_count);
  for (size_t t = 0; t < lines_total; ++t) {
    Pixel* const out = sideways ? columns_.data() + (t % 4) * samples : dst.data.data() + t * samples;
    for (int k = 0; k < 3; ++k) {
      const uint8_t* const base = src.planes[k].samples.data();
      const LineTap& rows = tables_[k].lines[t];
      const auto width = static_cast<size_t>(src.planes[k].width);
      int16_t* const line = tables_[k].blended.data();
      size_t blended = 0;
#if defined(EOS_AVX2)
      if (kernel == Kernel::kAvx2)
        blended = BlendRowsAvx2(base + rows.first, base + rows.second, rows.weight, width, line);
#endif
#if defined(__SSE2__)
      if (kernel == Kernel::kSse2)
        blended = BlendRowsSse2(base + rows.first, base + rows.second, rows.weight, width, line);
#endif
      BlendRowsPortable(base + rows.first, base + rows.second, rows.weight, blended, width, line);
    }
    size_t sampled = 0;
#if defined(EOS_AVX2)
    if (kernel == Kernel::kAvx2) sampled = SamplePlanesAvx2(lines, windows, samples, out);
#endif
#if defined(__SSE2__)
    if (kernel == Kernel::kSse2) sampled = SamplePlanesSse2(lines, samples, out);
#endif
    SamplePlanesPortable(lines, sampled, samples, out);
    if (sideways && (t % 4 == 3 || t + 1 == lines_total))
      WriteColumns(columns_.data(), samples, t % 4 + 1, dst.data.data(), t - t % 4, static_cast<size_t>(dst_w),
                   kernel != Kernel::kPortable);
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
