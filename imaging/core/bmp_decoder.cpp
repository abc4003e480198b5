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

// The info header of a bitmap and its colour table.
struct Dib {
  int64_t width = 0, height = 0;
  bool top_down = false;
  uint32_t bpp = 0;
  std::array<uint32_t, 3> masks{};
  std::array<Pixel, 256> colours{};
  size_t end = 0;  // past the masks and the colour table: where a packed bitmap's rows start
};

// Reads the info header at `h`; every offset it gives is checked against the data.
bool ReadDib(std::span<const uint8_t> d, size_t h, Dib& dib, std::string& error) {
  if (h > d.size() || d.size() - h < 12) {
    error = "BMP header is damaged";
    return false;
  }
  const size_t info_size = U32(d, h);
  const bool core = info_size == 12;  // the old OS/2 header: 16-bit sizes, 3-byte palette
  if (!core && (info_size < 40 || info_size > d.size() - h)) {
    error = "BMP header is damaged";
    return false;
  }
  dib.width = core ? int64_t{U16(d, h + 4)} : int64_t{static_cast<int32_t>(U32(d, h + 4))};
  dib.height = core ? int64_t{U16(d, h + 6)} : int64_t{static_cast<int32_t>(U32(d, h + 8))};
  dib.bpp = core ? U16(d, h + 10) : U16(d, h + 14);
  const uint32_t compression = core ? kBiRgb : U32(d, h + 16);
  dib.top_down = dib.height < 0;
  if (dib.top_down) dib.height = -dib.height;

  const bool palette = dib.bpp == 1 || dib.bpp == 4 || dib.bpp == 8;
  const bool direct = dib.bpp == 16 || dib.bpp == 24 || dib.bpp == 32;
  if ((!palette && !direct) ||
      !(compression == kBiRgb || (compression == kBiBitfields && (dib.bpp == 16 || dib.bpp == 32)))) {
    error = "unsupported BMP format (" + std::to_string(dib.bpp) + " bits, compression " + std::to_string(compression) +
            ")";
    return false;
  }

  // Default masks: 5-5-5 for 16 bits, 8-8-8 for 32 bits; bit fields follow a 40-byte
  // header or sit inside the larger ones.
  dib.masks = {0x7C00, 0x03E0, 0x001F};
  if (dib.bpp == 32) dib.masks = {0xFF0000, 0xFF00, 0xFF};
  size_t table = h + info_size;
  if (compression == kBiBitfields) {
    if (d.size() - h < 40 + 12) {
      error = "BMP colour masks are missing";
      return false;
    }
    for (size_t i = 0; i < 3; ++i) dib.masks[i] = U32(d, h + 40 + 4 * i);
    if (info_size == 40) table += 12;
  }

  const size_t entry = core ? 3 : 4;
  const uint32_t used = core ? 0 : U32(d, h + 32);
  size_t count = 0;
  if (palette) count = used == 0 || used > (1u << dib.bpp) ? (size_t{1} << dib.bpp) : used;
  for (size_t i = 0; i < count && table + i * entry + 3 <= d.size(); ++i) {
    const size_t p = table + i * entry;
    dib.colours[i] = MakePixel(d[p + 2], d[p + 1], d[p]);
  }
  dib.end = table + count * entry;
  return true;
}

uint64_t Stride(int64_t width, uint32_t bpp) { return (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4; }

// The rows at `bits_at`, `height` of them; `alpha` keeps the fourth byte of 32-bit pixels.
bool ReadRows(std::span<const uint8_t> d, const Dib& dib, size_t bits_at, int64_t height, bool alpha, Pixels& out,
              std::string& error) {
  const uint64_t stride = Stride(dib.width, dib.bpp);
  if (bits_at > d.size() || stride * static_cast<uint64_t>(height) > d.size() - bits_at) {
    error = "BMP pixel data is truncated";
    return false;
  }
  const Field red(dib.masks[0]), green(dib.masks[1]), blue(dib.masks[2]);
  const uint32_t bpp = dib.bpp;
  out.Resize(static_cast<int>(dib.width), static_cast<int>(height));
  for (int y = 0; y < out.height; ++y) {
    const size_t row =
        bits_at + static_cast<size_t>(stride) * static_cast<size_t>(dib.top_down ? y : out.height - 1 - y);
    Pixel* dst = &out.at(0, y);
    for (int x = 0; x < out.width; ++x) {
      const size_t ux = static_cast<size_t>(x);
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = ux * bpp;
          const uint32_t index = d[row + bit / 8] >> (8 - bpp - bit % 8) & ((1u << bpp) - 1);
          dst[x] = dib.colours[index];
          break;
        }
        case 24:
          dst[x] = MakePixel(d[row + ux * 3 + 2], d[row + ux * 3 + 1], d[row + ux * 3]);
          break;
        default: {
          const uint32_t v = bpp == 16 ? U16(d, row + ux * 2) : U32(d, row + ux * 4);
          const auto a = static_cast<uint8_t>(alpha && bpp == 32 ? v >> 24 : 0xFF);
          dst[x] = MakePixel(red.Get(v), green.Get(v), blue.Get(v), a);
        }
      }
    }
  }
  return true;
}

}  // namespace

bool DecodeBmp(std::span<const uint8_t> d, Pixels& out, std::string& error, const PictureLimits& limits) {
  if (d.size() < kFileHeader + 12 || d[0] != 'B' || d[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  Dib dib;
  if (!ReadDib(d, kFileHeader, dib, error)) return false;
  error = CheckPictureSize(dib.width, dib.height, limits);
  if (!error.empty()) return false;
  return ReadRows(d, dib, U32(d, 10), dib.height, false, out, error);
}

bool DecodeIconBitmap(std::span<const uint8_t> d, Pixels& out, std::string& error, const PictureLimits& limits) {
  Dib dib;
  if (!ReadDib(d, 0, dib, error)) return false;
  if (dib.top_down) {
    error = "icon bitmap is upside down";
    return false;
  }
  const int64_t height = dib.height / 2;
  error = CheckPictureSize(dib.width, height, limits);
  if (!error.empty()) return false;
  if (!ReadRows(d, dib, dib.end, height, true, out, error)) return false;

  bool own_alpha = false;
  if (dib.bpp == 32)
    for (Pixel p : out.data)
      if (p >> 24) {
        own_alpha = true;
        break;
      }
  if (own_alpha) return true;
  // The mask: one bit a pixel, rows bottom-up like the colours; a set bit is transparent.
  const size_t mask_at = dib.end + static_cast<size_t>(Stride(dib.width, dib.bpp)) * static_cast<size_t>(height);
  const uint64_t mask_stride = Stride(dib.width, 1);
  if (mask_stride * static_cast<uint64_t>(height) > d.size() - mask_at) {
    error = "icon mask is truncated";
    return false;
  }
  for (int y = 0; y < out.height; ++y) {
    const size_t row = mask_at + static_cast<size_t>(mask_stride) * static_cast<size_t>(out.height - 1 - y);
    for (int x = 0; x < out.width; ++x) {
      const size_t ux = static_cast<size_t>(x);
      Pixel& p = out.at(x, y);
      p = (d[row + ux / 8] >> (7 - ux % 8) & 1) ? 0 : p | 0xFF000000u;
    }
  }
  return true;
}

}  // namespace eos::imaging
