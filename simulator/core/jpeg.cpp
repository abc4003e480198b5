#include "simulator/core/jpeg.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <csetjmp>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace eos::sim {
namespace {

// libjpeg's default error handler ends the process; this one jumps back instead. The
// functions that set the jump hold no C++ objects with destructors between setjmp and
// the libjpeg calls.
struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }

void Silent(j_common_ptr, int) {}
void SilentOutput(j_common_ptr) {}

jpeg_error_mgr* InitErrors(ErrorJump& err) {
  jpeg_error_mgr* mgr = jpeg_std_error(&err.mgr);
  mgr->error_exit = JumpOnError;
  mgr->emit_message = Silent;
  mgr->output_message = SilentOutput;
  return mgr;
}

// Returns the malloc'ed buffer (or null) and its size; no C++ objects live here.
unsigned char* Compress(const Image& image, int quality, unsigned long* size) {
  jpeg_compress_struct cinfo;
  ErrorJump err;
  unsigned char* out = nullptr;
  *size = 0;
  cinfo.err = InitErrors(err);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    *size = 0;
    return nullptr;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &out, size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_IFAST;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = static_cast<size_t>(image.width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.rgb.data() + cinfo.next_scanline * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return out;
}

// Fills `out` (already sized by the caller's first call with rgb empty) with the picture
// at 1/`denominator` of its size, and tells the dimensions; false on any libjpeg error.
// The first call reads the header only.
bool Decompress(const uint8_t* data, size_t size, int denominator, int* width, int* height, std::vector<uint8_t>* rgb) {
  jpeg_decompress_struct cinfo;
  ErrorJump err;
  cinfo.err = InitErrors(err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) longjmp(err.jump, 1);
  cinfo.out_color_space = JCS_RGB;
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(denominator);
  jpeg_calc_output_dimensions(&cinfo);
  *width = static_cast<int>(cinfo.output_width);
  *height = static_cast<int>(cinfo.output_height);
  if (rgb->size() != static_cast<size_t>(*width) * static_cast<size_t>(*height) * 3) {
    jpeg_destroy_decompress(&cinfo);  // the caller sizes the buffer and calls again
    return true;
  }
  jpeg_start_decompress(&cinfo);
  const size_t stride = static_cast<size_t>(*width) * 3;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb->data() + cinfo.output_scanline * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

constexpr size_t kHeader = 4;                 // a segment's marker and length
constexpr size_t kLargest = kHeader + 65533;  // the length field counts itself

bool StartsAsJpeg(const std::vector<uint8_t>& jpeg) { return jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8; }

// The marker and the length field of a segment `length` bytes long in all.
void SegmentHeader(uint8_t* at, uint8_t marker, size_t length) {
  at[0] = 0xFF;
  at[1] = marker;
  at[2] = static_cast<uint8_t>((length - 2) >> 8);
  at[3] = static_cast<uint8_t>(length - 2);
}

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Image& image, int quality) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
    return {};
  unsigned long size = 0;
  unsigned char* buffer = Compress(image, quality, &size);
  std::vector<uint8_t> out(buffer, buffer + (buffer ? size : 0));
  std::free(buffer);
  return out;
}

void PadJpeg(std::vector<uint8_t>& jpeg, size_t size) {
  if (!StartsAsJpeg(jpeg) || size < jpeg.size() + kHeader) return;
  const size_t pad = size - jpeg.size();
  const size_t segments = (pad + kLargest - 1) / kLargest;
  std::vector<uint8_t> out(size);
  out[0] = 0xFF;
  out[1] = 0xD8;
  size_t at = 2;
  for (size_t i = 0; i < segments; ++i) {
    // Even shares keep every segment at least kHeader long.
    const size_t length = pad / segments + (i < pad % segments ? 1 : 0);
    SegmentHeader(&out[at], 0xEF, length);
    for (size_t k = kHeader; k < length; ++k) out[at + k] = static_cast<uint8_t>(k * 131u + i);
    at += length;
  }
  std::copy(jpeg.begin() + 2, jpeg.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
  jpeg = std::move(out);
}

void CommentJpeg(std::vector<uint8_t>& jpeg, std::string_view text) {
  const size_t length = kHeader + text.size();
  if (!StartsAsJpeg(jpeg) || length > kLargest) return;
  std::vector<uint8_t> segment(length);
  SegmentHeader(segment.data(), 0xFE, length);
  std::copy(text.begin(), text.end(), segment.begin() + kHeader);
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
}

std::optional<Image> DecodeJpeg(const uint8_t* data, size_t size, int denominator) {
  if (data == nullptr || size == 0) return std::nullopt;
  if (denominator != 1 && denominator != 2 && denominator != 4 && denominator != 8) return std::nullopt;
  Image img;
  if (!Decompress(data, size, denominator, &img.width, &img.height, &img.rgb)) return std::nullopt;
  constexpr long long kMaxPixels = 64LL * 1024 * 1024;  // a damaged header must not ask for gigabytes
  if (static_cast<long long>(img.width) * img.height > kMaxPixels) return std::nullopt;
  img.rgb.assign(static_cast<size_t>(img.width) * static_cast<size_t>(img.height) * 3, 0);
  if (img.rgb.empty() || !Decompress(data, size, denominator, &img.width, &img.height, &img.rgb)) return std::nullopt;
  return img;
}

bool JpegSize(const uint8_t* data, size_t size, int* width, int* height) {
  std::vector<uint8_t> none;
  return data != nullptr && size != 0 && Decompress(data, size, 1, width, height, &none);
}

}  // namespace eos::sim
