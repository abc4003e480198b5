// Metafiles (.emf, .wmf) are drawn by the platform; their headers and record chains are
// read here first, so a file that names an absurd size or whose records run past its end
// is refused before anything plays it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "imaging/core/pixels.h"

namespace eos::imaging {

struct MetafileInfo {
  // Enhanced metafile; else a Windows metafile behind its 22-byte placeable header.
  bool enhanced = false;
  // The metafile's own bytes within the data: for a Windows metafile without the
  // placeable header, as the platform takes it.
  std::span<const uint8_t> records;
  // The picture's size in pixels at 96 per inch, and in hundredths of a millimetre.
  int width = 0, height = 0;
  int width_mm100 = 0, height_mm100 = 0;
};

// The metafile in `data`: an enhanced metafile, or a Windows metafile with its placeable
// header (without one a Windows metafile names no size, and is refused as the platform's
// picture classes refuse it). Nothing with `error` for anything else, for a size beyond
// `limits`, and for records that do not chain to the end-of-file record inside the data.
std::optional<MetafileInfo> ReadMetafile(std::span<const uint8_t> data, std::string& error,
                                         const PictureLimits& limits = {});

}  // namespace eos::imaging
