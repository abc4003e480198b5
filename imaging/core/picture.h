// Picture files by their contents: the signature test and a loader that trusts the file
// name's extension first and the contents second.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "imaging/core/metafile.h"
#include "imaging/core/pixels.h"

namespace eos::imaging {

// "bmp", "jpg", "pdf", "tif", or "" when no known signature starts the data. A JPEG
// counts only with a JFIF or Exif segment first.
std::string_view DetectPictureType(std::span<const uint8_t> head);

// The most bytes DetectPictureType looks at.
inline constexpr size_t kSignatureBytes = 6;

// Draws a metafile whose header was read (ReadMetafile) into pixels of its size; only
// the platform can, so the portable code is given one.
using MetafileRenderer = std::function<bool(const MetafileInfo& metafile, Pixels& out, std::string& error)>;

// Decodes by the extension (without its dot, any case): jpg/jpeg/jpe/jfif, png,
// bmp/dib, ico, and wmf/emf through `metafile` when there is one. False with `error` for
// other extensions or undecodable data.
bool DecodeByExtension(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                       ProgressFn progress = nullptr, const PictureLimits& limits = {},
                       const MetafileRenderer& metafile = {});

// The fallback for a file whose extension lies: decodes BMP or JPEG contents when the
// signature names a type other than the extension. PDF and TIFF are recognised but
// not decoded.
bool DecodeByContent(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                     ProgressFn progress = nullptr, const PictureLimits& limits = {});

// DecodeByExtension, then DecodeByContent; `error` tells both failures.
bool DecodePicture(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                   ProgressFn progress = nullptr, const PictureLimits& limits = {},
                   const MetafileRenderer& metafile = {});

// Blends every pixel over `background` by its alpha and makes it opaque: what a picture
// with transparency looks like drawn on a plain colour.
void FlattenOnto(Pixels& pixels, Pixel background);

// ASCII lower case, for extensions and type names.
std::string LowerAscii(std::string_view text);

}  // namespace eos::imaging
