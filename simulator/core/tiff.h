// Uncompressed RGB TIFF, 8 or 16 bits per channel: what developing a RAW file writes.
#pragma once

#include <cstdint>
#include <vector>

#include "simulator/core/scene.h"

namespace eos::sim {

std::vector<uint8_t> EncodeTiff(const Image& image, bool sixteen_bits);

}  // namespace eos::sim
