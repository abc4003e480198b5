#include "imaging/core/metafile.h"

#include <cmath>
#include <cstdlib>

namespace eos::imaging {
namespace {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfHeaderMin = 88;
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceable = 22;
constexpr size_t kWmfHeader = 18;
constexpr double kMm100PerInch = 2540.0;
constexpr double kScreenDpi = 96.0;

uint32_t U16(std::span<const uint8_t> d, size_t at) { return d[at] | static_cast<uint32_t>(d[at + 1]) << 8; }
uint32_t U32(std::span<const uint8_t> d, size_t at) { return U16(d, at) | U16(d, at + 2) << 16; }
// Signed fields as doubles: their differences cannot overflow.
double I32(std::span<const uint8_t> d, size_t at) { return static_cast<int32_t>(U32(d, at)); }
double I16(std::span<const uint8_t> d, size_t at) { return static_cast<int16_t>(U16(d, at)); }

bool Fail(std::string& error, const char* why) {
  error = why;
  return false;
}

bool SetSize(MetafileInfo& info, double mm100_w, double mm100_h, std::string& error, const PictureLimits& limits) {
  const double w = std::nearbyint(mm100_w * kScreenDpi / kMm100PerInch);
  const double h = std::nearbyint(mm100_h * kScreenDpi / kMm100PerInch);
  // The limits bound every side far below the range of int.
  error = CheckPictureSize(static_cast<int64_t>(std::min(w, 1e9)), static_cast<int64_t>(std::min(h, 1e9)), limits);
  if (!error.empty()) return false;
  info.width = static_cast<int>(w);
  info.height = static_cast<int>(h);
  info.width_mm100 = static_cast<int>(mm100_w);
  info.height_mm100 = static_cast<int>(mm100_h);
  return true;
}

bool ReadEnhanced(std::span<const uint8_t> d, MetafileInfo& info, std::string& error, const PictureLimits& limits) {
  if (d.size() < kEmfHeaderMin || U32(d, 40) != kEmfSignature)
    return Fail(error, "enhanced metafile header is damaged");
  const uint32_t header = U32(d, 4), total = U32(d, 48);
  if (header < kEmfHeaderMin || header % 4 || total > d.size() || header > total)
    return Fail(error, "enhanced metafile header is damaged");
  const std::span<const uint8_t> m = d.first(total);
  // The records chain from the header to the end-of-file record, each a whole number of
  // 32-bit words inside the metafile.
  size_t at = 0;
  for (;;) {
    if (m.size() - at < 8) return Fail(error, "enhanced metafile records run past its end");
    const uint32_t type = U32(m, at), size = U32(m, at + 4);
    if (size < 8 || size % 4 || size > m.size() - at) return Fail(error, "enhanced metafile records run past its end");
    if (type == kEmrEof) break;
    at += size;
  }
  info.enhanced = true;
  info.records = m;
  // The frame, inclusive, in hundredths of a millimetre; the bounds in device pixels when
  // the frame is empty.
  const double fw = I32(d, 32) - I32(d, 24), fh = I32(d, 36) - I32(d, 28);
  if (fw > 0 && fh > 0) return SetSize(info, fw, fh, error, limits);
  const double bw = I32(d, 16) - I32(d, 8) + 1, bh = I32(d, 20) - I32(d, 12) + 1;
  return SetSize(info, bw * kMm100PerInch / kScreenDpi, bh * kMm100PerInch / kScreenDpi, error, limits);
}

bool ReadPlaceable(std::span<const uint8_t> d, MetafileInfo& info, std::string& error, const PictureLimits& limits) {
  if (d.size() < kPlaceable + kWmfHeader) return Fail(error, "Windows metafile is truncated");
  uint32_t checksum = 0;
  for (size_t i = 0; i < 20; i += 2) checksum ^= U16(d, i);
  if (checksum != U16(d, 20)) return Fail(error, "Windows metafile's placeable header has a wrong checksum");
  const uint32_t inch = U16(d, 14);
  const double w = std::abs(I16(d, 10) - I16(d, 6)), h = std::abs(I16(d, 12) - I16(d, 8));
  if (inch == 0 || w == 0 || h == 0) return Fail(error, "Windows metafile names no size");

  const std::span<const uint8_t> rest = d.subspan(kPlaceable);
  const uint32_t type = U16(rest, 0), header_words = U16(rest, 2);
  const uint64_t total = uint64_t{U32(rest, 6)} * 2;
  if ((type != 1 && type != 2) || header_words != kWmfHeader / 2 || total < kWmfHeader || total > rest.size())
    return Fail(error, "Windows metafile header is damaged");
  const std::span<const uint8_t> m = rest.first(static_cast<size_t>(total));
  size_t at = kWmfHeader;
  for (;;) {
    if (m.size() - at < 6) return Fail(error, "Windows metafile records run past its end");
    const uint64_t size = uint64_t{U32(m, at)} * 2;
    const uint32_t function = U16(m, at + 4);
    if (size < 6 || size > m.size() - at) return Fail(error, "Windows metafile records run past its end");
    if (function == 0) break;
    at += static_cast<size_t>(size);
  }
  info.enhanced = false;
  info.records = m;
  return SetSize(info, w * kMm100PerInch / inch, h * kMm100PerInch / inch, error, limits);
}

}  // namespace

std::optional<MetafileInfo> ReadMetafile(std::span<const uint8_t> data, std::string& error,
                                         const PictureLimits& limits) {
  MetafileInfo info;
  bool ok = false;
  if (data.size() >= 4 && U32(data, 0) == kEmrHeader)
    ok = ReadEnhanced(data, info, error, limits);
  else if (data.size() >= 4 && U32(data, 0) == kPlaceableKey)
    ok = ReadPlaceable(data, info, error, limits);
  else
    error = "not a metafile with a size (enhanced, or Windows with a placeable header)";
  if (!ok) return std::nullopt;
  return info;
}

}  // namespace eos::imaging
