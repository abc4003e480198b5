#include "imaging/core/jpeg_decoder.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <vector>

namespace eos::imaging {
namespace {

// Progressive pictures can name any number of scans and each one costs a pass over the
// picture; real ones have about ten.
constexpr int kMaxScans = 500;

struct ErrorJump {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler ends the process; this one keeps the text and jumps back
// into the guarded call that started the libjpeg work.
[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorJump*>(cinfo->err);
  cinfo->err->format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings are ignored except the end of data: libjpeg would fill the rest of a
// truncated picture with grey and call it a success.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) JumpOnError(cinfo);
}

void SilentOutput(j_common_ptr) {}

struct Progress {
  jpeg_progress_mgr mgr;
  ProgressFn callback;
  int last_percent;
};

void OnProgress(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<ErrorJump*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG picture with more than %d scans", kMaxScans);
    std::longjmp(err->jump, 1);
  }
  auto* p = reinterpret_cast<Progress*>(cinfo->progress);
  if (!p->callback || p->mgr.total_passes <= 0 || p->mgr.pass_limit <= 0) return;
  const long done = p->mgr.completed_passes * 100L + p->mgr.pass_counter * 100L / p->mgr.pass_limit;
  const int percent = static_cast<int>(done / p->mgr.total_passes);
  if (percent != p->last_percent && percent >= 0 && percent <= 100) {
    p->last_percent = percent;
    p->callback(percent);
  }
}

}  // namespace

struct JpegDecoder::State {
  jpeg_decompress_struct cinfo;
  ErrorJump err;
  Progress progress;
  std::vector<JSAMPROW> rows[3];  // FinishPlanes' row pointers, kept for the next picture

  State() {
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JumpOnError;
    err.mgr.emit_message = OnMessage;
    err.mgr.output_message = SilentOutput;
    err.message[0] = '\0';
    jpeg_create_decompress(&cinfo);  // only fails for a library/header mismatch
    progress.mgr.progress_monitor = OnProgress;
    progress.callback = nullptr;
    progress.last_percent = -1;
    cinfo.progress = &progress.mgr;
  }
  ~State() { jpeg_destroy_decompress(&cinfo); }

  // Runs libjpeg calls with the jump target set. `work` must not own anything with a
  // destructor, since an error leaves it by longjmp.
  template <typename Work>
  bool Guarded(Work work, std::string& error) {
    if (setjmp(err.jump)) {
      jpeg_abort_decompress(&cinfo);
      error = err.message;
      return false;
    }
    work();
    return true;
  }
};

JpegDecoder::JpegDecoder() : state_(std::make_unique<State>()) {}
JpegDecoder::~JpegDecoder() = default;

bool JpegDecoder::Begin(std::span<const uint8_t> data, std::string& error, const PictureLimits& limits) {
  ready_ = false;
  width_ = height_ = 0;
  if (data.empty()) {
    error = "empty JPEG data";
    return false;
  }
  jpeg_decompress_struct& cinfo = state_->cinfo;
  if (!state_->Guarded(
          [&] {
            jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
            jpeg_read_header(&cinfo, TRUE);
          },
          error))
    return false;
  error = CheckPictureSize(cinfo.image_width, cinfo.image_height, limits);
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
    error = "CMYK JPEG pictures are not supported";
  if (!error.empty()) {
    jpeg_abort_decompress(&cinfo);
    return false;
  }
  width_ = static_cast<int>(cinfo.image_width);
  height_ = static_cast<int>(cinfo.image_height);
  ready_ = true;
  return true;
}

bool JpegDecoder::TakeHeader(int& scale_denom, std::string& error) {
  if (!ready_) {
    error = "no JPEG header read";
    return false;
  }
  ready_ = false;
  if (scale_denom != 1 && scale_denom != 2 && scale_denom != 4 && scale_denom != 8) scale_denom = 1;
  return true;
}

bool JpegDecoder::Finish(int scale_denom, Pixels& out, std::string& error, ProgressFn progress) {
  if (!TakeHeader(scale_denom, error)) return false;
  jpeg_decompress_struct& cinfo = state_->cinfo;
  state_->progress.callback = progress;
  state_->progress.last_percent = -1;
  if (!state_->Guarded(
          [&] {
            cinfo.scale_num = 1;
            cinfo.scale_denom = static_cast<unsigned>(scale_denom);
            cinfo.out_color_space = JCS_EXT_BGRA;  // the Pixel layout: no conversion pass afterwards
            jpeg_calc_output_dimensions(&cinfo);
          },
          error))
    return false;
  // Outside the guarded calls: the allocation may throw.
  out.Resize(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  const size_t stride = static_cast<size_t>(out.width);
  Pixel* const pixels = out.data.data();
  if (progress) progress(0);
  const bool ok = state_->Guarded(
      [&] {
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
          JSAMPROW rows[8];
          const JDIMENSION n = std::min<JDIMENSION>(8, cinfo.output_height - cinfo.output_scanline);
          for (JDIMENSION i = 0; i < n; ++i)
            rows[i] = reinterpret_cast<JSAMPROW>(pixels + (cinfo.output_scanline + i) * stride);
          jpeg_read_scanlines(&cinfo, rows, n);
        }
        jpeg_finish_decompress(&cinfo);
      },
      error);
  if (ok && progress) progress(100);
  return ok;
}

bool JpegDecoder::FinishPlanes(int scale_denom, Planes& out, std::string& error) {
  if (!TakeHeader(scale_denom, error)) return false;
  jpeg_decompress_struct& cinfo = state_->cinfo;
  state_->progress.callback = nullptr;
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE && cinfo.num_components == 1;
  const bool rgb = cinfo.jpeg_color_space == JCS_RGB && cinfo.num_components == 3;
  if (!grey && !rgb && !(cinfo.jpeg_color_space == JCS_YCbCr && cinfo.num_components == 3)) {
    jpeg_abort_decompress(&cinfo);
    error = "JPEG picture of an unsupported colour space";
    return false;
  }
  if (!state_->Guarded(
          [&] {
            cinfo.raw_data_out = TRUE;
            cinfo.scale_num = 1;
            cinfo.scale_denom = static_cast<unsigned>(scale_denom);
            jpeg_calc_output_dimensions(&cinfo);
          },
          error))
    return false;
#if JPEG_LIB_VERSION >= 70
  const int min_size = cinfo.min_DCT_v_scaled_size;
  auto scaled_size = [](const jpeg_component_info& c) { return c.DCT_v_scaled_size; };
#else
  const int min_size = cinfo.min_DCT_scaled_size;
  auto scaled_size = [](const jpeg_component_info& c) { return c.DCT_scaled_size; };
#endif
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  out.colours = rgb ? Planes::Colours::kRgb : Planes::Colours::kYCbCr;
  // libjpeg writes whole blocks of whole MCUs, so each plane is padded to those; the
  // row pointers for every iMCU row are laid out here, outside the guarded calls, since
  // the allocations may throw.
  const auto mcus_across = (cinfo.image_width + cinfo.max_h_samp_factor * DCTSIZE - 1) /
                           static_cast<JDIMENSION>(cinfo.max_h_samp_factor * DCTSIZE);
  const int lines_per_call = cinfo.max_v_samp_factor * min_size;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    const int size = scaled_size(comp);
    Plane& plane = out.planes[c];
    plane.width = static_cast<int>(comp.downsampled_width);
    plane.height = static_cast<int>(comp.downsampled_height);
    plane.stride = size_t{mcus_across} * static_cast<size_t>(comp.h_samp_factor * size);
    plane.span_x_num = int64_t{cinfo.image_width} * comp.h_samp_factor * size;
    plane.span_x_den = int64_t{cinfo.max_h_samp_factor} * DCTSIZE;
    plane.span_y_num = int64_t{cinfo.image_height} * comp.v_samp_factor * size;
    plane.span_y_den = int64_t{cinfo.max_v_samp_factor} * DCTSIZE;
    const size_t rows = size_t{cinfo.total_iMCU_rows} * static_cast<size_t>(comp.v_samp_factor * size);
    plane.samples.resize(plane.stride * rows);
    std::vector<JSAMPROW>& pointers = state_->rows[c];
    pointers.resize(rows);
    for (size_t y = 0; y < rows; ++y) pointers[y] = plane.samples.data() + y * plane.stride;
  }
  for (int c = cinfo.num_components; c < 3; ++c) {  // grey: flat colour planes
    Plane& plane = out.planes[c];
    plane.width = plane.height = 1;
    plane.stride = 1;
    plane.span_x_num = plane.span_x_den = plane.span_y_num = plane.span_y_den = 1;
    plane.samples.assign(1, CENTERJSAMPLE);
  }
  return state_->Guarded(
      [&] {
        jpeg_start_decompress(&cinfo);
        for (JDIMENSION row = 0; cinfo.output_scanline < cinfo.output_height; ++row) {
          JSAMPARRAY components[3];
          for (int c = 0; c < cinfo.num_components; ++c)
            components[c] = state_->rows[c].data() + row * static_cast<JDIMENSION>(cinfo.comp_info[c].v_samp_factor *
                                                                                   scaled_size(cinfo.comp_info[c]));
          jpeg_read_raw_data(&cinfo, components, static_cast<JDIMENSION>(lines_per_call));
        }
        jpeg_finish_decompress(&cinfo);
      },
      error);
}

bool JpegDecoder::Decode(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits,
                         ProgressFn progress) {
  return Begin(data, error, limits) && Finish(1, out, error, progress);
}

}  // namespace eos::imaging
