// Files as bytes for the layout tests, natively and under Wine: containers, icons of 32-
// and 24-bit bitmaps or PNG pictures, and the smallest metafiles that name a size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/pixels.h"

namespace eos::layout::fixtures {

using Bytes = std::vector<uint8_t>;

// The first `n` bytes, or all but the last -n.
Bytes Cut(const Bytes& b, std::ptrdiff_t n);

// A picture of one colour.
imaging::Pixels Filled(int w, int h, imaging::Pixel colour);

// A container file: the header of byte counts, the byte 254, the layout text and the
// files back to back.
Bytes Container(const std::string& text, const std::vector<Bytes>& files);

// The bitmap of an icon picture: its info header (height doubled), the colour rows
// bottom-up at 32 or 24 bits, then the mask ('#' transparent, top row first; none: all
// clear).
Bytes IconBitmap(const imaging::Pixels& p, int bits, const std::vector<std::string>& mask = {});

struct IconEntry {
  int side;  // 256 is written as 0
  int bits;
  Bytes data;
};
Bytes Icon(const std::vector<IconEntry>& entries);

// An enhanced metafile of the header and the end-of-file record; `frame` in hundredths of
// a millimetre, bounds 100 x 50 pixels.
Bytes Emf(int frame_w, int frame_h);

// A Windows metafile (`metafile`: its header and records) behind the placeable header
// that names `w` x `h` units at `inch` a inch; without `metafile`, the smallest one.
Bytes Wmf(int w, int h, int inch, const Bytes& metafile = {});

}  // namespace eos::layout::fixtures
