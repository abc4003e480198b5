// Windows bitmaps into 32-bit pixels: uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel,
// with or without bit-field masks, bottom-up or top-down. Compressed (RLE, embedded
// JPEG/PNG) bitmaps are refused.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/pixels.h"

namespace eos::imaging {

// A bitmap file (BMP): the file header, then the bitmap. Opaque: GDI ignores the fourth
// byte of 32-bit pixels, and so does this.
bool DecodeBmp(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {});

// The bitmap of one picture of an icon: the info header without a file header, its height
// counting the colour rows and the transparency mask below them. The mask makes pixels
// transparent; a 32-bit picture whose fourth bytes are not all zero carries its own alpha.
bool DecodeIconBitmap(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {});

}  // namespace eos::imaging
