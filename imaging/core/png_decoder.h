// PNG decoding with libpng into 32-bit pixels (alpha kept, not premultiplied).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/pixels.h"

namespace eos::imaging {

bool DecodePng(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {});

}  // namespace eos::imaging
