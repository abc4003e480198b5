// camcheck's JPEG frame-header reader on arbitrary bytes: it must never read outside
// them, and a size it reports is one a frame header can hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tools/camcheck/core/jpeg_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto d = eos::camcheck::ReadJpegDimensions({data, size});
  if (d && (d->width < 0 || d->width > 0xFFFF || d->height < 0 || d->height > 0xFFFF)) std::abort();
  return 0;
}
