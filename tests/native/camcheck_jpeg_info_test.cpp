// camcheck's reader of the picture size in a JPEG file's frame header: camera bytes,
// read without trusting them.
#include "tools/camcheck/core/jpeg_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace eos::camcheck {
namespace {

TEST(JpegDimensions, ReadFromTheFrameHeader) {
  using Bytes = std::vector<std::uint8_t>;
  // SOI, an APP0 segment of 4 bytes, then a frame header of 640 x 480 (height first).
  const Bytes app0 = {0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00};
  const auto sof = [](std::uint8_t marker) {
    return Bytes{0xFF, marker, 0x00, 0x0B, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x01, 0x01, 0x11, 0x00};
  };
  const auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all = {0xFF, 0xD8};
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const Bytes dht = {0xFF, 0xC4, 0x00, 0x03, 0x00};
  const struct {
    const char* what;
    Bytes bytes;
    bool found;
  } cases[] = {
      {"baseline", join({app0, sof(0xC0)}), true},
      {"progressive", join({sof(0xC2)}), true},
      {"Huffman table first, same marker range", join({dht, sof(0xC1)}), true},
      {"fill bytes before a marker", join({Bytes{0xFF, 0xFF}, sof(0xC0)}), true},
      {"no start of image", Bytes{0x00, 0xD8, 0xFF, 0xC0}, false},
      {"empty", Bytes{}, false},
      {"scan before any frame", join({Bytes{0xFF, 0xDA, 0x00, 0x02}}), false},
      {"segment running past the end", join({Bytes{0xFF, 0xE0, 0xFF, 0xF0}}), false},
      {"frame header cut short", join({Bytes{0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x01}}), false},
      {"length below two", join({Bytes{0xFF, 0xE0, 0x00, 0x01, 0x00, 0x00}}), false},
      {"garbage between segments", join({app0, Bytes{0x12, 0x34}, sof(0xC0)}), false},
  };
  for (const auto& c : cases) {
    const auto d = ReadJpegDimensions(c.bytes);
    ASSERT_EQ(d.has_value(), c.found) << c.what;
    if (d) {
      EXPECT_EQ(d->width, 640) << c.what;
      EXPECT_EQ(d->height, 480) << c.what;
    }
  }
}

}  // namespace
}  // namespace eos::camcheck
