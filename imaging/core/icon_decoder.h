// Icon files (.ico) into 32-bit pixels with their transparency as alpha. An icon file is
// a directory of pictures of several sizes, each a PNG or a bitmap with a mask; the
// largest (then the deepest) is the one decoded, since layout items stretch it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/pixels.h"

namespace eos::imaging {

bool DecodeIcon(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {});

}  // namespace eos::imaging
