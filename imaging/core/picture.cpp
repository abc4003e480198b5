#include "imaging/core/picture.h"

#include <algorithm>
#include <array>

#include "imaging/core/bmp_decoder.h"
#include "imaging/core/icon_decoder.h"
#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/png_decoder.h"

namespace eos::imaging {
namespace {

struct Signature {
  std::array<uint8_t, kSignatureBytes> bytes;
  size_t size;
  std::string_view type;
};

// Tested in this order; the first match wins.
constexpr Signature kSignatures[] = {
    {{0x42, 0x4D}, 2, "bmp"},
    {{0xFF, 0xD8, 0xFF, 0xE0}, 4, "jpg"},
    {{0xFF, 0xD8, 0xFF, 0xE1}, 4, "jpg"},
    {{0x25, 0x50, 0x44, 0x46, 0x2D, 0x31}, 6, "pdf"},
    {{0x49, 0x49, 0x2A, 0x00}, 4, "tif"},
    {{0x4D, 0x4D, 0x00, 0x2A}, 4, "tif"},
};

enum class Format { kNone, kBmp, kJpeg, kPng, kIcon, kMetafile };

Format FormatOfExtension(std::string_view extension) {
  const std::string ext = LowerAscii(extension);
  if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return Format::kJpeg;
  if (ext == "png") return Format::kPng;
  if (ext == "bmp" || ext == "dib") return Format::kBmp;
  if (ext == "ico") return Format::kIcon;
  if (ext == "wmf" || ext == "emf") return Format::kMetafile;
  return Format::kNone;
}

bool Decode(Format format, std::span<const uint8_t> data, Pixels& out, std::string& error, ProgressFn progress,
            const PictureLimits& limits, const MetafileRenderer& metafile = {}) {
  switch (format) {
    case Format::kJpeg: {
      JpegDecoder decoder;
      return decoder.Decode(data, out, error, limits, progress);
    }
    case Format::kPng:
      return DecodePng(data, out, error, limits);
    case Format::kBmp:
      return DecodeBmp(data, out, error, limits);
    case Format::kIcon:
      return DecodeIcon(data, out, error, limits);
    case Format::kMetafile: {
      if (!metafile) {
        error = "metafiles are drawn only on Windows";
        return false;
      }
      const auto info = ReadMetafile(data, error, limits);
      return info && metafile(*info, out, error);
    }
    case Format::kNone:
      break;
  }
  error = "not a picture type this loader reads";
  return false;
}

}  // namespace

std::string CheckPictureSize(int64_t width, int64_t height, const PictureLimits& limits) {
  if (width <= 0 || height <= 0) return "picture has no pixels";
  if (width > limits.max_side || height > limits.max_side || width * height > limits.max_pixels)
    return "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
  return {};
}

void FlattenOnto(Pixels& pixels, Pixel background) {
  for (Pixel& p : pixels.data) {
    const uint32_t a = p >> 24;
    uint32_t blended = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t fg = p >> shift & 0xFF, bg = background >> shift & 0xFF;
      blended |= ((fg * a + bg * (255 - a) + 127) / 255) << shift;
    }
    p = blended;
  }
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return out;
}

std::string_view DetectPictureType(std::span<const uint8_t> head) {
  for (const Signature& s : kSignatures)
    if (head.size() >= s.size &&
        std::equal(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(s.size), head.begin()))
      return s.type;
  return {};
}

bool DecodeByExtension(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                       ProgressFn progress, const PictureLimits& limits, const MetafileRenderer& metafile) {
  return Decode(FormatOfExtension(extension), data, out, error, progress, limits, metafile);
}

bool DecodeByContent(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                     ProgressFn progress, const PictureLimits& limits) {
  const std::string_view type = DetectPictureType(data);
  if (type.empty() || type == LowerAscii(extension)) {
    error = type.empty() ? "unknown picture type" : "picture type " + std::string(type) + " does not decode";
    return false;
  }
  const Format format = type == "bmp" ? Format::kBmp : type == "jpg" ? Format::kJpeg : Format::kNone;
  if (format == Format::kNone) {
    error = "picture type " + std::string(type) + " is recognised but not loaded";
    return false;
  }
  return Decode(format, data, out, error, progress, limits);
}

bool DecodePicture(std::span<const uint8_t> data, std::string_view extension, Pixels& out, std::string& error,
                   ProgressFn progress, const PictureLimits& limits, const MetafileRenderer& metafile) {
  if (DecodeByExtension(data, extension, out, error, progress, limits, metafile)) return true;
  std::string second;
  if (DecodeByContent(data, extension, out, second, progress, limits)) return true;
  error += "; " + second;
  return false;
}

}  // namespace eos::imaging
