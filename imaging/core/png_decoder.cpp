#include "imaging/core/png_decoder.h"

#include <png.h>

namespace eos::imaging {
namespace {

// libpng's simplified interface keeps its own error jump; this only makes sure its
// memory goes when an allocation of ours throws in between.
struct ImageOwner {
  png_image image{};
  ImageOwner() { image.version = PNG_IMAGE_VERSION; }
  ~ImageOwner() { png_image_free(&image); }
  ImageOwner(const ImageOwner&) = delete;
  ImageOwner& operator=(const ImageOwner&) = delete;
};

}  // namespace

bool DecodePng(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits) {
  ImageOwner owner;
  png_image& image = owner.image;
  if (data.empty() || !png_image_begin_read_from_memory(&image, data.data(), data.size())) {
    error = data.empty() ? "empty PNG data" : image.message;
    return false;
  }
  error = CheckPictureSize(image.width, image.height, limits);
  if (!error.empty()) return false;
  image.format = PNG_FORMAT_BGRA;  // the Pixel layout
  out.Resize(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, out.data.data(), static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image)),
                             nullptr)) {
    error = image.message;
    return false;
  }
  return true;
}

}  // namespace eos::imaging
