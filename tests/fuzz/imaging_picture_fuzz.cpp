// Picture loading on arbitrary bytes: the signature test and every decoder, by
// extension and by the contents fallback, and the live view's frame path. Nothing may
// crash, hang or read outside the data, and a decoded picture is one its size limits
// allow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/core/live_view.h"
#include "imaging/core/picture.h"
#include "imaging/core/resample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace eos::imaging;
  const std::span<const uint8_t> bytes(data, size);
  (void)DetectPictureType(bytes);
  const PictureLimits limits{2048, 1 << 20};
  {
    // The live view decodes into the JPEG's own planes, whatever sampling it names.
    LiveViewRenderer renderer(limits);
    std::string error;
    if (!renderer.Render(bytes, 7, 5, 90, true, error) && error.empty()) std::abort();
  }
  for (const char* extension : {"jpg", "png", "bmp", "tif"}) {
    Pixels out;
    std::string error;
    if (DecodePicture(bytes, extension, out, error, nullptr, limits)) {
      if (out.width <= 0 || out.height <= 0 || out.width > limits.max_side || out.height > limits.max_side ||
          out.data.size() != static_cast<size_t>(out.width) * static_cast<size_t>(out.height))
        std::abort();
      Pixels view;
      Resampler().Run(out, 7, 5, 90, true, view);
    } else if (error.empty()) {
      std::abort();
    }
  }
  return 0;
}
