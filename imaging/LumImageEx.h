// Picture helpers at the Windows edge: loading picture files (JPEG, PNG, BMP and icons by
// the portable decoders, metafiles drawn by GDI from memory) and mirrored live-view frames
// as GDI bitmaps. Nothing here throws; failures are false, an empty owner, or nothing
// drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "imaging/core/image_rect.h"
#include "imaging/core/metafile.h"
#include "imaging/core/pixels.h"
#include "win/handles.h"

namespace eos::imaging {

class TRotateImage;

// "bmp", "jpg", "pdf", "tif" by the file's first bytes; "" when none matches or the file
// cannot be read. The file is opened sharing reads and writes with others.
std::string DetectPictureFileType(const std::wstring& path);

// A metafile read by ReadMetafile, drawn from memory at its size; what it does not paint
// is transparent. The MetafileRenderer of the portable decoders.
bool RenderMetafile(const MetafileInfo& metafile, Pixels& out, std::string& error);

// The picture of any file the loaders read, 32 bits per pixel, transparency flattened
// onto white. The extension picks the loader; when that fails the contents may name
// another (a JPEG called .bmp). A directory, a missing or unreadable file is false with
// `error` set.
bool LoadPictureFile(const std::wstring& path, Pixels& out, std::string& error, ProgressFn progress = nullptr);

// LoadPictureFile into a new 24-bit bitmap.
bool LoadPictureFileToBitmap(const std::wstring& path, win::Gdi<HBITMAP>& bitmap, ProgressFn progress = nullptr);
// LoadPictureFile as the picture of the control (which keeps its own copy).
bool LoadPictureFileToImage(TRotateImage& image, const std::wstring& path);

// A bottom-up DIB section of the pixels, 24 or 32 bits per pixel; empty on failure.
win::Gdi<HBITMAP> PixelsToBitmap(const Pixels& pixels, int bits_per_pixel);
// Stretches the pixels into `dest` of the device context; false when GDI refuses.
bool DrawPixels(HDC dc, const EdgeRect& dest, const Pixels& pixels);

// The frame as a new 24-bit bitmap of its own size, flipped top to bottom (`vertical`)
// or mirrored left to right; empty when the frame does not decode.
win::Gdi<HBITMAP> MirrorJpegToBitmap(std::span<const uint8_t> jpeg, bool vertical);
// The frame mirrored likewise, drawn at the origin at its own size; failures draw nothing.
void DrawJpegMirrored(std::span<const uint8_t> jpeg, HDC dc, bool vertical) noexcept;

}  // namespace eos::imaging
