#include "tools/camcheck/core/jpeg_info.h"

#include <cstddef>

namespace eos::camcheck {

std::optional<JpegDimensions> ReadJpegDimensions(std::span<const std::uint8_t> bytes) {
  const auto at16 = [&](std::size_t i) { return static_cast<int>(bytes[i] << 8 | bytes[i + 1]); };
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;  // no start of image
  std::size_t i = 2;
  while (i + 4 <= bytes.size()) {
    if (bytes[i] != 0xFF) return std::nullopt;
    const std::uint8_t marker = bytes[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;   // end of image or scan data before any frame
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {  // markers without a length
      i += 2;
      continue;
    }
    const int length = at16(i + 2);
    if (length < 2) return std::nullopt;
    // SOF0 to SOF15, except DHT (C4), JPG (C8) and DAC (CC), which share the range.
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (length < 7 || i + 9 > bytes.size()) return std::nullopt;
      return JpegDimensions{at16(i + 7), at16(i + 5)};
    }
    i += 2 + static_cast<std::size_t>(length);
  }
  return std::nullopt;
}

}  // namespace eos::camcheck
