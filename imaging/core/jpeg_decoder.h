// JPEG decoding with libjpeg-turbo straight into 32-bit pixels. One decoder object keeps
// libjpeg's state between pictures, so a live view does not set it up for every frame.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "imaging/core/pixels.h"
#include "imaging/core/planes.h"

namespace eos::imaging {

class JpegDecoder {
 public:
  JpegDecoder();
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  // Reads the header; the picture's size is then width() x height(). The data must stay
  // alive until Finish. False with `error` set for data that is no JPEG or too large.
  bool Begin(std::span<const uint8_t> data, std::string& error, const PictureLimits& limits = {});
  int width() const { return width_; }
  int height() const { return height_; }

  // Decodes the picture of the last successful Begin at 1/scale_denom of its size
  // (1, 2, 4 or 8: the scales with SIMD code) into `out`. Truncated or corrupt data
  // gives false with `error` set; `out` may then hold part of the picture.
  bool Finish(int scale_denom, Pixels& out, std::string& error, ProgressFn progress = nullptr);

  // Decodes like Finish, but into the JPEG's own planes: no colour upsampling and no
  // colour conversion, which are a third of a full decode's work and are done at the
  // display's size instead. The planes' buffers are reused from call to call.
  bool FinishPlanes(int scale_denom, Planes& out, std::string& error);

  // Begin and Finish at full size.
  bool Decode(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits = {},
              ProgressFn progress = nullptr);

 private:
  // Uses up the last Begin; the scale made one of the supported ones.
  bool TakeHeader(int& scale_denom, std::string& error);

  struct State;
  std::unique_ptr<State> state_;
  int width_ = 0;
  int height_ = 0;
  bool ready_ = false;
};

}  // namespace eos::imaging
