#include "imaging/core/jpeg_decoder.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <csetjmp>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>

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

bool JpegDecoder::Finish(int scale_denom, Pixels& out, std::string& error, ProgressFn progress) {
  if (!ready_) {
    error = "no JPEG header read";
    return false;
  }
  ready_ = false;
  if (scale_denom != 1 && scale_denom != 2 && scale_denom != 4 && scale_denom != 8) scale_denom = 1;
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

bool JpegDecoder::Decode(std::span<const uint8_t> data, Pixels& out, std::string& error, const PictureLimits& limits,
                         ProgressFn progress) {
  return Begin(data, error, limits) && Finish(1, out, error, progress);
}

}  // namespace eos::imaging
