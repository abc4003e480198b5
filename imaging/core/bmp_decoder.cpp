#include "imaging/core/bmp_decoder.h"

#include <array>
#include <bit>

namespace eos::imaging {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kFileHeader = 14;

uint32_t U16(std::span<const uint8_t> d, size_t at) { return d[at] | static_cast<uint32_t>(d[at + 1]) << 8; }
uint32_t U32(std::span<const uint8_t> d, size_t at) { return U16(d, at) | U16(d, at + 2) << 16; }

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Field {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit Field(uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  uint8_t Get(uint32_t v) const {
    if (!mask) return 0;
    return static_cast<uint8_t>(((v & mask) >> shift) * 255u / max);
  }
};

}  // namespace

bool DecodeBmp(std::span<const uint8_t> d, Pixels& out, std::string& error, const PictureLimits& limits) {
  if (d.size() < kFileHeader + 12 || d[0] != 'B' || d[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const size_t bits_at = U32(d, 10);
  const size_t info_size = U32(d, kFileHeader);
  const bool core = info_size == 12;  // the old OS/2 header: 16-bit sizes, 3-byte palette
  if (!core && (info_size < 40 || kFileHeader + info_size > d.size())) {
    error = "BMP header is damaged";
    return false;
  }
  const size_t h = kFileHeader;
  const int64_t width = core ? int64_t{U16(d, h + 4)} : int64_t{static_cast<int32_t>(U32(d, h + 4))};
  int64_t height = core ? int64_t{U16(d, h + 6)} : int64_t{static_cast<int32_t>(U32(d, h + 8))};
  const uint32_t bpp = core ? U16(d, h + 10) : U16(d, h + 14);
  const uint32_t compression = core ? kBiRgb : U32(d, h + 16);
  const bool top_down = height < 0;
  if (top_down) height = -height;
  error = CheckPictureSize(width, height, limits);
  if (!error.empty()) return false;

  const bool palette = bpp == 1 || bpp == 4 || bpp == 8;
  const bool direct = bpp == 16 || bpp == 24 || bpp == 32;
  if ((!palette && !direct) || !(compression == kBiRgb || (compression == kBiBitfields && (bpp == 16 || bpp == 32)))) {
    error =
        "unsupported BMP format (" + std::to_string(bpp) + " bits, compression " + std::to_string(compression) + ")";
    return false;
  }

  // Default masks: 5-5-5 for 16 bits, 8-8-8 for 32 bits; bit fields follow a 40-byte
  // header or sit inside the larger ones.
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bpp == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (compression == kBiBitfields) {
    if (h + 40 + 12 > d.size()) {
      error = "BMP colour masks are missing";
      return false;
    }
    for (int i = 0; i < 3; ++i) masks[i] = U32(d, h + 40 + 4 * static_cast<size_t>(i));
  }
  const Field red(masks[0]), green(masks[1]), blue(masks[2]);

  std::array<Pixel, 256> colours{};
  if (palette) {
    const size_t entry = core ? 3 : 4;
    const uint32_t used = core ? 0 : U32(d, h + 32);
    const size_t count = used == 0 || used > (1u << bpp) ? (size_t{1} << bpp) : used;
    const size_t at = h + info_size + (compression == kBiBitfields ? 12 : 0);
    for (size_t i = 0; i < count && at + i * entry + 3 <= d.size(); ++i) {
      const size_t p = at + i * entry;
      colours[i] = MakePixel(d[p + 2], d[p + 1], d[p]);
    }
  }

  const uint64_t stride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
  if (bits_at > d.size() || stride * static_cast<uint64_t>(height) > d.size() - bits_at) {
    error = "BMP pixel data is truncated";
    return false;
  }
  out.Resize(static_cast<int>(width), static_cast<int>(height));
  for (int y = 0; y < out.height; ++y) {
    const size_t row = bits_at + static_cast<size_t>(stride) * static_cast<size_t>(top_down ? y : out.height - 1 - y);
    Pixel* dst = &out.at(0, y);
    for (int x = 0; x < out.width; ++x) {
      const size_t ux = static_cast<size_t>(x);
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = ux * bpp;
          const uint32_t index = d[row + bit / 8] >> (8 - bpp - bit % 8) & ((1u << bpp) - 1);
          dst[x] = colours[index];
          break;
        }
        case 24:
          dst[x] = MakePixel(d[row + ux * 3 + 2], d[row + ux * 3 + 1], d[row + ux * 3]);
          break;
        default: {
          const uint32_t v = bpp == 16 ? U16(d, row + ux * 2) : U32(d, row + ux * 4);
          dst[x] = MakePixel(red.Get(v), green.Get(v), blue.Get(v));  // alpha is unused by GDI
        }
      }
    }
  }
  return true;
}

}  // namespace eos::imaging
