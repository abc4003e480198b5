#include "imaging/LumImageEx.h"

#include <cstring>
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

// A 32-bit top-down DIB section the size of the picture, white, selected into a memory
// DC, for GDI to draw icons and metafiles into; its pixels are then copied out.
class Canvas {
 public:
  Canvas(int w, int h) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dc_ || !bitmap_) return;
    selected_.emplace(dc_.get(), bitmap_.get());
    std::fill_n(static_cast<Pixel*>(bits_), static_cast<size_t>(w) * static_cast<size_t>(h), kWhite);
    width_ = w;
    height_ = h;
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return selected_ ? dc_.get() : nullptr; }
  void CopyTo(Pixels& out) const {
    GdiFlush();
    out.Resize(width_, height_);
    std::memcpy(out.data.data(), bits_, out.data.size() * sizeof(Pixel));
    for (Pixel& p : out.data) p |= 0xFF000000u;  // GDI leaves alpha undefined
  }

 private:
  win::UniqueMemoryDc dc_;
  win::Gdi<HBITMAP> bitmap_;
  std::optional<win::Selected> selected_;  // goes before the bitmap and the DC
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

bool LoadIconFile(const std::wstring& path, Pixels& out, std::string& error) {
  const win::UniqueIcon icon(
      static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon.get(), &info)) {
    error = "icon file does not load";
    return false;
  }
  const win::Gdi<HBITMAP> mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bm{};
  GetObjectW(mask.get(), sizeof bm, &bm);
  const int w = bm.bmWidth, h = colour ? bm.bmHeight : bm.bmHeight / 2;  // monochrome icons stack two masks
  Canvas canvas(w, h);
  if (w <= 0 || h <= 0 || !canvas.dc() || !DrawIconEx(canvas.dc(), 0, 0, icon.get(), w, h, 0, nullptr, DI_NORMAL)) {
    error = "icon does not draw";
    return false;
  }
  canvas.CopyTo(out);
  return true;
}

// Enhanced metafiles as they are; Windows metafiles converted, after the 22-byte
// "placeable" header many of them carry.
bool LoadMetafile(const std::wstring& path, bool enhanced, Pixels& out, std::string& error) {
  win::UniqueEnhMetaFile meta;
  if (enhanced) {
    meta.reset(GetEnhMetaFileW(path.c_str()));
  } else {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    const size_t skip =
        bytes.size() > 22 && bytes[0] == 0xD7 && bytes[1] == 0xCD && bytes[2] == 0xC6 && bytes[3] == 0x9A ? 22 : 0;
    if (bytes.size() > skip)
      meta.reset(SetWinMetaFileBits(static_cast<UINT>(bytes.size() - skip), bytes.data() + skip, nullptr, nullptr));
  }
  ENHMETAHEADER header{};
  if (!meta || !GetEnhMetaFileHeader(meta.get(), sizeof header, &header)) {
    error = "metafile does not load";
    return false;
  }
  const RECTL& b = header.rclBounds;
  const int64_t w = int64_t{b.right} - b.left + 1, h = int64_t{b.bottom} - b.top + 1;
  error = CheckPictureSize(w, h, {});
  if (!error.empty()) return false;
  Canvas canvas(static_cast<int>(w), static_cast<int>(h));
  const RECT target{0, 0, static_cast<int>(w), static_cast<int>(h)};
  if (!canvas.dc() || !PlayEnhMetaFile(canvas.dc(), meta.get(), &target)) {
    error = "metafile does not draw";
    return false;
  }
  canvas.CopyTo(out);
  return true;
}

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

bool LoadPictureFile(const std::wstring& path, Pixels& out, std::string& error, ProgressFn progress) {
  const std::string ext = Extension(path);
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  bool loaded = false;
  if (ext == "ico") {
    loaded = LoadIconFile(path, out, error);
  } else if (ext == "wmf" || ext == "emf") {
    loaded = LoadMetafile(path, ext == "emf", out, error);
  } else {
    loaded = DecodeByExtension(bytes, ext, out, error, progress);
  }
  if (!loaded) {
    std::string second;
    loaded = DecodeByContent(bytes, ext, out, second, progress);
    if (!loaded) error += "; " + second;
  }
  if (loaded) FlattenOnto(out, kWhite);
  return loaded;
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
