#include "simulator/core/scene.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

namespace eos::sim {
namespace {

// 5 x 7 digits, one row per byte, bit 4 leftmost.
constexpr std::array<std::array<uint8_t, 7>, 10> kDigits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

void Fill(Image& img, int x0, int y0, int x1, int y1, Rgb c) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, img.width);
  y1 = std::min(y1, img.height);
  for (int y = y0; y < y1; ++y) {
    uint8_t* p = img.rgb.data() + (static_cast<size_t>(y) * img.width + x0) * 3;
    for (int x = x0; x < x1; ++x, p += 3) {
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
}

// Sky-to-ground gradient, the chart in the middle, colour bars below it, and the ball.
void DrawWorld(Image& img, uint32_t frame) {
  const int w = img.width, h = img.height;
  for (int y = 0; y < h; ++y) {
    const int t = y * 255 / std::max(h - 1, 1);
    const Rgb c = y < h * 2 / 3 ? Rgb{uint8_t(90 + t / 4), uint8_t(140 + t / 5), uint8_t(220 - t / 3)}
                                : Rgb{uint8_t(60 + t / 6), uint8_t(110 - t / 8), uint8_t(50)};
    Fill(img, 0, y, w, y + 1, c);
  }
  // Checkerboard chart: fine detail that blur washes out.
  const int cell = std::max(w / 64, 2);
  const int cx0 = w / 4, cx1 = w * 3 / 4, cy0 = h / 4, cy1 = h * 5 / 8;
  for (int y = cy0; y < cy1; ++y) {
    const int row = (y - cy0) / cell;
    for (int x = cx0, col = 0; x < cx1; x += cell, ++col) {
      const int run = std::min(cell, cx1 - x);
      std::memset(img.rgb.data() + (static_cast<size_t>(y) * w + x) * 3, ((row + col) & 1) ? 245 : 15,
                  static_cast<size_t>(run) * 3);
    }
  }
  constexpr std::array<Rgb, 6> kBars = {
      {{230, 40, 40}, {240, 200, 30}, {40, 190, 60}, {40, 200, 220}, {50, 70, 230}, {210, 60, 200}}};
  const int bar_w = (cx1 - cx0) / static_cast<int>(kBars.size());
  for (size_t i = 0; i < kBars.size(); ++i) {
    const int x = cx0 + static_cast<int>(i) * bar_w;
    Fill(img, x, cy1 + h / 40, x + bar_w, cy1 + h / 12, kBars[i]);
  }
  // The ball crosses the lower band, one width in 96 frames, then starts over.
  const int r = std::max(h / 14, 2);
  const int bx = static_cast<int>((frame % 96) * static_cast<uint32_t>(w + 2 * r) / 96) - r;
  const int by = h * 13 / 16;
  for (int y = by - r; y <= by + r; ++y) {
    if (y < 0 || y >= h) continue;
    const int dy = y - by;
    int half = 0;
    while ((half + 1) * (half + 1) + dy * dy <= r * r) ++half;
    Fill(img, bx - half, y, bx + half + 1, y + 1, {250, 120, 20});
  }
}

// Running-sum box blurs; their cost does not depend on the radius. Sums are divided by
// the window through a 16-bit fixed-point reciprocal.
uint32_t Reciprocal(int window) { return static_cast<uint32_t>((65536 + window / 2) / window); }

void BlurRows(Image& img, int radius) {
  const int n = img.width, window = 2 * radius + 1;
  const uint32_t inv = Reciprocal(window);
  // One row with its edge pixels repeated `radius` times on each side.
  std::vector<uint8_t> pad(static_cast<size_t>(n + 2 * radius + 1) * 3);
  for (int y = 0; y < img.height; ++y) {
    uint8_t* row = img.rgb.data() + static_cast<size_t>(y) * n * 3;
    for (int i = 0; i < n + 2 * radius + 1; ++i)
      std::memcpy(&pad[static_cast<size_t>(i) * 3], row + std::clamp(i - radius, 0, n - 1) * 3, 3);
    uint32_t sum[3] = {0, 0, 0};
    for (int i = 0; i < window; ++i)
      for (int c = 0; c < 3; ++c) sum[c] += pad[static_cast<size_t>(i) * 3 + c];
    const uint8_t* in = pad.data() + static_cast<size_t>(window) * 3;
    const uint8_t* gone = pad.data();
    for (int i = 0; i < n; ++i, row += 3, in += 3, gone += 3)
      for (int c = 0; c < 3; ++c) {
        row[c] = static_cast<uint8_t>((sum[c] * inv) >> 16);
        sum[c] += in[c] - gone[c];
      }
  }
}

// Column sums kept for a whole row at a time, so memory is read row by row.
void BlurColumns(Image& img, int radius) {
  const int h = img.height, window = 2 * radius + 1;
  const uint32_t inv = Reciprocal(window);
  const size_t stride = static_cast<size_t>(img.width) * 3;
  const std::vector<uint8_t> src = img.rgb;
  auto row = [&](int y) { return src.data() + static_cast<size_t>(std::clamp(y, 0, h - 1)) * stride; };
  std::vector<uint32_t> sum(stride, 0);
  for (int y = -radius; y <= radius; ++y) {
    const uint8_t* r = row(y);
    for (size_t i = 0; i < stride; ++i) sum[i] += r[i];
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* out = img.rgb.data() + static_cast<size_t>(y) * stride;
    const uint8_t* in = row(y + radius + 1);
    const uint8_t* gone = row(y - radius);
    for (size_t i = 0; i < stride; ++i) {
      out[i] = static_cast<uint8_t>((sum[i] * inv) >> 16);
      sum[i] += in[i] - gone[i];
    }
  }
}

}  // namespace

int MarkSide(int height) { return std::max(height * 3 / 20, 2); }

void DrawOrientationMark(Image& image) {
  const int side = MarkSide(image.height);
  Fill(image, 0, 0, side, side, kMarkLeft);
  Fill(image, image.width - side / 2, 0, image.width, side / 2, kMarkRight);
}

void DrawFrameNumber(Image& img, uint32_t frame) {
  const std::string digits = std::to_string(frame);
  const int scale = std::max(img.height / 90, 1);
  const int pad = scale * 2;
  const int cw = 6 * scale;
  const int left = MarkSide(img.height);
  Fill(img, left, 0, left + pad * 2 + cw * static_cast<int>(digits.size()), pad * 2 + 7 * scale, {0, 0, 0});
  for (size_t i = 0; i < digits.size(); ++i) {
    const auto& glyph = kDigits[static_cast<size_t>(digits[i] - '0')];
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (glyph[static_cast<size_t>(row)] & (0x10 >> col)) {
          const int x = left + pad + static_cast<int>(i) * cw + col * scale, y = pad + row * scale;
          Fill(img, x, y, x + scale, y + scale, {255, 255, 255});
        }
  }
}

int ClampFocus(int position) { return std::clamp(position, kFocusNear, kFocusFar); }

// The widest blur (farthest from sharp) spans one period of the chart's checkerboard: a
// box blur wider than that would let the pattern come back and look sharper again.
int BlurRadius(int focus, int width) {
  return std::abs(ClampFocus(focus) - kFocusSharp) * std::max(width, 1) / (kFocusSharp * 64);
}

Image RenderScene(int width, int height, uint32_t frame, int focus) {
  Image img;
  img.width = std::max(width, 1);
  img.height = std::max(height, 1);
  img.rgb.assign(static_cast<size_t>(img.width) * img.height * 3, 0);
  DrawWorld(img, frame);
  if (const int r = BlurRadius(focus, img.width); r > 0) {
    BlurRows(img, r);
    BlurColumns(img, r);
  }
  DrawFrameNumber(img, frame);
  return img;
}

double FocusFigure(const Image& image) {
  const int x0 = image.width * 3 / 8, x1 = image.width * 5 / 8;
  const int y0 = image.height * 5 / 16, y1 = image.height * 9 / 16;
  if (x1 - x0 < 2 || y1 <= y0) return 0;
  double sum = 0;
  long count = 0;
  for (int y = y0; y < y1; ++y) {
    const uint8_t* p = image.rgb.data() + (static_cast<size_t>(y) * image.width + x0) * 3;
    int prev = (p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8;
    for (int x = x0 + 1; x < x1; ++x) {
      p += 3;
      const int lum = (p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8;
      sum += std::abs(lum - prev);
      prev = lum;
      ++count;
    }
  }
  return sum / static_cast<double>(count);
}

}  // namespace eos::sim
