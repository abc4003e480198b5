#include "simulator/core/tiff.h"

#include <array>

namespace eos::sim {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Entry {
  uint16_t tag, type;
  uint32_t count, value;
};

}  // namespace

// Little-endian: header, pixels, the bits-per-sample triple, then one directory.
std::vector<uint8_t> EncodeTiff(const Image& image, bool sixteen_bits) {
  const uint32_t bits = sixteen_bits ? 16 : 8;
  const auto pixels = static_cast<uint32_t>(image.rgb.size() * (sixteen_bits ? 2 : 1));
  std::vector<uint8_t> out = {'I', 'I', 42, 0};
  const uint32_t data_at = 8, bits_at = data_at + pixels, ifd_at = bits_at + 6;
  Put32(out, ifd_at);
  out.reserve(ifd_at + 200);
  for (uint8_t v : image.rgb) {
    out.push_back(v);
    if (sixteen_bits) out.push_back(v);  // v * 257, little-endian
  }
  for (int i = 0; i < 3; ++i) Put16(out, bits);
  constexpr uint16_t kShort = 3, kLong = 4;
  const std::array<Entry, 10> entries = {{
      {256, kLong, 1, static_cast<uint32_t>(image.width)},
      {257, kLong, 1, static_cast<uint32_t>(image.height)},
      {258, kShort, 3, bits_at},
      {259, kShort, 1, 1},  // no compression
      {262, kShort, 1, 2},  // RGB
      {273, kLong, 1, data_at},
      {277, kShort, 1, 3},
      {278, kLong, 1, static_cast<uint32_t>(image.height)},
      {279, kLong, 1, pixels},
      {284, kShort, 1, 1},  // chunky
  }};
  Put16(out, static_cast<uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    Put16(out, e.tag);
    Put16(out, e.type);
    Put32(out, e.count);
    if (e.type == kShort && e.count == 1) {
      Put16(out, e.value);
      Put16(out, 0);
    } else {
      Put32(out, e.value);
    }
  }
  Put32(out, 0);
  return out;
}

}  // namespace eos::sim
