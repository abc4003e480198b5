// Picture files by their contents: the signature test and a loader that trusts the file
// name's extension first and the contents second.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "imaging/core/pixels.h"

namespace eos::imaging {

// "bmp", "jpg", "pdf", "tif", or "" when no known signature starts the data. A JPEG
// counts only with a JFIF or Exif segment first.
std::string_view DetectPictureType(std::span<const uint8_t> head);

// The most bytes DetectPictureType looks at.
inline constexpr size_t kSignatureBytes = 6;

// Decodes by the extension (without its dot, any case): jpg/jpeg/jpe/jfif, png,
// bmp/dib. False with `error` for other extensions or undecodable data.
bool DecodeByExtension(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                       ProgressFn progress = nullptr, const PictureLimits& limits = {});

// The fallback for a file whose extension lies: decodes BMP or JPEG contents when the
// signature names a type other than the extension. PDF and TIFF are recognised but
// not decoded.
bool DecodeByContent(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                     ProgressFn progress = nullptr, const PictureLimits& limits = {});

// DecodeByExtension, then DecodeByContent; `error` tells both failures.
bool DecodePicture(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                   ProgressFn progress = nullptr, const PictureLimits& limits = {});

// Blends every pixel over `background` by its alpha and makes it opaque: what a picture
// with transparency looks like drawn on a plain colour.
void FlattenOnto(Pixels& pixels, Pixel background);

// ASCII lower case, for extensions and type names.
std::string LowerAscii(std::string_view text);

}  // namespace eos::imaging
