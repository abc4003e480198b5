#include "imaging/core/icon_decoder.h"

#include <algorithm>

#include "imaging/core/bmp_decoder.h"
#include "imaging/core/png_decoder.h"

namespace eos::imaging {
namespace {

constexpr size_t kDirectory = 6;
constexpr size_t kEntry = 16;
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t U16(std::span<const uint8_t> d, size_t at) { return d[at] | static_cast<uint32_t>(d[at + 1]) << 8; }
uint32_t U32(std::span<const uint8_t> d, size_t at) { return U16(d, at) | U16(d, at + 2) << 16; }

}  // namespace

bool DecodeIcon(std::span<const uint8_t> d, Pixels& out, std::string& error, const PictureLimits& limits) {
  if (d.size() < kDirectory || U16(d, 0) != 0 || U16(d, 2) != 1 || U16(d, 4) == 0) {
    error = "not an icon file";
    return false;
  }
  const size_t count = U16(d, 4);
  if (count > (d.size() - kDirectory) / kEntry) {
    error = "icon directory is truncated";
    return false;
  }
  // The best picture whose bytes lie inside the file: the largest, then the deepest. A
  // side written as 0 is 256.
  std::span<const uint8_t> best;
  uint64_t best_rank = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t e = kDirectory + i * kEntry;
    const uint32_t w = d[e] ? d[e] : 256, h = d[e + 1] ? d[e + 1] : 256;
    const uint32_t size = U32(d, e + 8), offset = U32(d, e + 12);
    if (size == 0 || offset > d.size() || size > d.size() - offset) continue;
    const uint64_t rank = (uint64_t{w} * h) << 16 | U16(d, e + 6);
    if (best.empty() || rank > best_rank) {
      best = d.subspan(offset, size);
      best_rank = rank;
    }
  }
  if (best.empty()) {
    error = "icon has no picture inside the file";
    return false;
  }
  if (best.size() >= sizeof kPngSignature &&
      std::equal(std::begin(kPngSignature), std::end(kPngSignature), best.begin()))
    return DecodePng(best, out, error, limits);
  return DecodeIconBitmap(best, out, error, limits);
}

}  // namespace eos::imaging
