// The picture size a JPEG file announces in its frame header, read without decoding:
// enough to report what a camera delivers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace eos::camcheck {

struct JpegDimensions {
  int width = 0;
  int height = 0;
};

// The size of the first frame header (SOF0 to SOF15), or nothing when the bytes are not
// a JPEG file or end before one.
std::optional<JpegDimensions> ReadJpegDimensions(std::span<const std::uint8_t> bytes);

}  // namespace eos::camcheck
