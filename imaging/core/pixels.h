// 32-bit pixel buffers: the one picture type of the imaging code, laid out as a top-down
// 32-bit DIB so the Windows side can hand it to GDI without converting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace eos::imaging {

// 0xAARRGGBB: bytes blue, green, red, alpha in memory.
using Pixel = uint32_t;

constexpr Pixel MakePixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 0xFF) {
  return static_cast<Pixel>(a) << 24 | static_cast<Pixel>(r) << 16 | static_cast<Pixel>(g) << 8 | b;
}

// A picture's samples row after row, top to bottom, no padding: the 32-bit pixels of the
// imaging code and the grey planes of the face detector.
template <typename Sample>
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<Sample> data;

  // Keeps the allocation when the new size fits, so per-frame buffers settle after one frame.
  void Resize(int w, int h) {
    width = w;
    height = h;
    data.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  }
  bool empty() const { return width <= 0 || height <= 0; }
  Sample& at(int x, int y) { return data[Index(x, y)]; }
  Sample at(int x, int y) const { return data[Index(x, y)]; }
  bool operator==(const Raster&) const = default;

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }
};

using Pixels = Raster<Pixel>;

// What a decoder accepts before it allocates: a picture file names its own size, so a
// few bytes could otherwise ask for gigabytes.
struct PictureLimits {
  int max_side = 16384;
  int64_t max_pixels = int64_t{1} << 26;  // 256 MiB of 32-bit pixels
};

// Empty when the size is acceptable, else why not.
std::string CheckPictureSize(int64_t width, int64_t height, const PictureLimits& limits);

// Load progress in percent (0 to 100). Called from inside the decoders, which cannot
// let an exception through, hence noexcept.
using ProgressFn = void (*)(int percent) noexcept;

}  // namespace eos::imaging
