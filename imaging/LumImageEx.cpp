#include "imaging/LumImageEx.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "imaging/RotImg.h"
#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/picture.h"
#include "imaging/core/resample.h"

namespace eos::imaging {
namespace {

constexpr Pixel kWhite = MakePixel(255, 255, 255);
constexpr DWORD kMaxFileBytes = 256u << 20;

win::UniqueFile OpenShared(const std::wstring& path) {
  return win::UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes, std::string& error) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || attributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = attributes == INVALID_FILE_ATTRIBUTES ? "picture file not found" : "picture file is a directory";
    return false;
  }
  const win::UniqueFile file = OpenShared(path);
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxFileBytes) {
    error = !file ? "picture file cannot be opened" : "picture file is too large";
    return false;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    error = "picture file cannot be read";
    return false;
  }
  return true;
}

// A 32-bit top-down DIB section of one colour selected into a memory DC, for GDI to
// draw metafiles into; its pixels are then copied out.
class Canvas {
 public:
  Canvas(int w, int h, Pixel colour) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dc_ || !bitmap_) return;
    selected_.emplace(dc_.get(), bitmap_.get());
    std::fill_n(static_cast<Pixel*>(bits_), static_cast<size_t>(w) * static_cast<size_t>(h), colour);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return selected_ ? dc_.get() : nullptr; }
  const Pixel* pixels() const {
    GdiFlush();
    return static_cast<const Pixel*>(bits_);
  }

 private:
  win::UniqueMemoryDc dc_;
  win::Gdi<HBITMAP> bitmap_;
  std::optional<win::Selected> selected_;  // goes before the bitmap and the DC
  void* bits_ = nullptr;
};

std::string Extension(const std::wstring& path) {
  const std::wstring ext = std::filesystem::path(path).extension().wstring();
  std::string ascii;
  for (size_t i = 1; i < ext.size(); ++i) ascii += ext[i] < 128 ? static_cast<char>(ext[i]) : '?';
  return LowerAscii(ascii);
}

}  // namespace

std::string DetectPictureFileType(const std::wstring& path) {
  const win::UniqueFile file = OpenShared(path);
  uint8_t head[kSignatureBytes];
  DWORD read = 0;
  if (!file || !ReadFile(file.get(), head, sizeof head, &read, nullptr)) return {};
  return std::string(DetectPictureType({head, read}));
}

bool RenderMetafile(const MetafileInfo& metafile, Pixels& out, std::string& error) {
  try {
    const auto size = static_cast<UINT>(metafile.records.size());
    win::UniqueEnhMetaFile meta;
    if (metafile.enhanced) {
      meta.reset(SetEnhMetaFileBits(size, metafile.records.data()));
    } else {
      const METAFILEPICT picture{MM_ANISOTROPIC, metafile.width_mm100, metafile.height_mm100, nullptr};
      meta.reset(SetWinMetaFileBits(size, metafile.records.data(), nullptr, &picture));
    }
    if (!meta) {
      error = "metafile does not load";
      return false;
    }
    // Drawn twice, on black and on white: what the metafile leaves alone differs between
    // the two and becomes transparent, so the picture lies over its background as a
    // metafile does.
    const int w = metafile.width, h = metafile.height;
    const RECT target{0, 0, w, h};
    const Canvas black(w, h, MakePixel(0, 0, 0)), white(w, h, MakePixel(255, 255, 255));
    if (!black.dc() || !white.dc() || !PlayEnhMetaFile(black.dc(), meta.get(), &target) ||
        !PlayEnhMetaFile(white.dc(), meta.get(), &target)) {
      error = "metafile does not draw";
      return false;
    }
    const Pixel* on_black = black.pixels();
    const Pixel* on_white = white.pixels();
    out.Resize(w, h);
    for (size_t i = 0; i < out.data.size(); ++i) {
      const auto channel = [](Pixel p, int shift) { return p >> shift & 0xFF; };
      uint32_t gap = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t w_c = channel(on_white[i], shift), b_c = channel(on_black[i], shift);
        gap = std::max(gap, w_c > b_c ? w_c - b_c : 0);
      }
      const uint32_t a = 255 - gap;
      Pixel p = a << 24;
      // On black a colour shows multiplied by its cover; divided back out here.
      for (int shift = 0; a > 0 && shift < 24; shift += 8)
        p |= std::min(255u, (channel(on_black[i], shift) * 255 + a / 2) / a) << shift;
      out.data[i] = p;
    }
    return true;
  } catch (const std::exception&) {
    error = "metafile does not draw";
    return false;
  }
}

bool LoadPictureFile(const std::wstring& path, Pixels& out, std::string& error, ProgressFn progress) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  if (!DecodePicture(bytes, Extension(path), out, error, progress, {}, RenderMetafile)) return false;
  FlattenOnto(out, kWhite);
  return true;
}

win::Gdi<HBITMAP> PixelsToBitmap(const Pixels& pixels, int bits_per_pixel) {
  if (pixels.empty() || (bits_per_pixel != 24 && bits_per_pixel != 32)) return {};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  info.bmiHeader.biBitCount = static_cast<WORD>(bits_per_pixel);
  void* bits = nullptr;
  win::Gdi<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return {};
  // The 32-bit pixels go in through SetDIBits, which converts to the section's depth.
  info.bmiHeader.biBitCount = 32;
  if (SetDIBits(dc.get(), bitmap.get(), 0, static_cast<UINT>(pixels.height), pixels.data.data(), &info,
                DIB_RGB_COLORS) != pixels.height)
    return {};
  return bitmap;
}

bool DrawPixels(HDC dc, const EdgeRect& dest, const Pixels& pixels) {
  if (pixels.empty()) return false;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  if (dest.width() == pixels.width && dest.height() == pixels.height)  // the live view: a plain copy
    return SetDIBitsToDevice(dc, dest.left, dest.top, static_cast<DWORD>(pixels.width),
                             static_cast<DWORD>(pixels.height), 0, 0, 0, static_cast<UINT>(pixels.height),
                             pixels.data.data(), &info, DIB_RGB_COLORS) != 0;
  SetStretchBltMode(dc, COLORONCOLOR);
  return StretchDIBits(dc, dest.left, dest.top, dest.width(), dest.height(), 0, 0, pixels.width, pixels.height,
                       pixels.data.data(), &info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

win::Gdi<HBITMAP> MirrorJpegToBitmap(std::span<const uint8_t> jpeg, bool vertical) {
  try {
    Pixels frame;
    std::string error;
    if (!JpegDecoder().Decode(jpeg, frame, error)) return {};
    return PixelsToBitmap(Mirrored(frame, vertical), 24);
  } catch (...) {
    return {};
  }
}

void DrawJpegMirrored(std::span<const uint8_t> jpeg, HDC dc, bool vertical) noexcept {
  try {
    Pixels frame;
    std::string error;
    if (!JpegDecoder().Decode(jpeg, frame, error)) return;
    DrawPixels(dc, {0, 0, frame.width, frame.height}, Mirrored(frame, vertical));
  } catch (...) {
  }
}

bool LoadPictureFileToBitmap(const std::wstring& path, win::Gdi<HBITMAP>& bitmap, ProgressFn progress) {
  try {
    Pixels pixels;
    std::string error;
    if (!LoadPictureFile(path, pixels, error, progress)) return false;
    win::Gdi<HBITMAP> made = PixelsToBitmap(pixels, 24);
    if (!made) return false;
    bitmap = std::move(made);
    return true;
  } catch (...) {
    return false;
  }
}

bool LoadPictureFileToImage(TRotateImage& image, const std::wstring& path) {
  try {
    Pixels pixels;
    std::string error;
    if (!LoadPictureFile(path, pixels, error)) return false;
    image.SetPicture(std::move(pixels), true);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace eos::imaging
