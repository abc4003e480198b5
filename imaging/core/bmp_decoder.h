// Windows bitmap files (BMP) into 32-bit pixels: uncompressed 1, 4, 8, 16, 24 and 32 bits
// per pixel, with or without bit-field masks, bottom-up or top-down. Compressed (RLE,
// embedded JPEG/PNG) bitmaps are refused.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/pixels.h"

namespace eos::imaging {

bool DecodeBmp(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {});

}  // namespace eos::imaging
