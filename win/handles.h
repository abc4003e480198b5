// Move-only owners of Windows handles, one per kind of handle.
#pragma once

#include <windows.h>

#include <oleauto.h>  // BSTR, after windows.h

#include <utility>

namespace eos::win {

template <typename H, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(H h) : h_(h) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  Unique& operator=(Unique&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  H* out() {  // for APIs that return the handle through a pointer
    reset();
    return &h_;
  }
  H* in_out() { return &h_; }  // for APIs that may free the handle and answer a new one
  H release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(H h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::Invalid();
};

struct KernelTraits {  // events, threads, processes
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileTraits {  // CreateFile answers INVALID_HANDLE_VALUE, not NULL
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindTraits {  // FindFirstFile's search, answered INVALID_HANDLE_VALUE when nothing matched
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
template <typename H>  // fonts, brushes, pens, bitmaps, regions
struct GdiTraits {
  static H Invalid() { return nullptr; }
  static void Close(H h) { DeleteObject(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct EnhMetaFileTraits {
  static HENHMETAFILE Invalid() { return nullptr; }
  static void Close(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
};
struct LocalTraits {  // buffers the system allocates for the caller (FORMAT_MESSAGE_ALLOCATE_BUFFER)
  static HLOCAL Invalid() { return nullptr; }
  static void Close(HLOCAL h) { LocalFree(h); }
};
struct ActCtxTraits {  // CreateActCtx answers INVALID_HANDLE_VALUE, not NULL
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ReleaseActCtx(h); }
};
struct BstrTraits {
  static BSTR Invalid() { return nullptr; }
  static void Close(BSTR h) { SysFreeString(h); }
};

using UniqueHandle = Unique<HANDLE, KernelTraits>;
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueRegKey = Unique<HKEY, RegKeyTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;
// A GDI object of one type: win::Gdi<HFONT>, win::Gdi<HBITMAP>, win::Gdi<HRGN>...
template <typename H>
using Gdi = Unique<H, GdiTraits<H>>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueEnhMetaFile = Unique<HENHMETAFILE, EnhMetaFileTraits>;
using UniqueLocal = Unique<HLOCAL, LocalTraits>;
using UniqueBstr = Unique<BSTR, BstrTraits>;
using UniqueActCtx = Unique<HANDLE, ActCtxTraits>;

struct WindowTraits {  // destroy on the thread that created the window
  static HWND Invalid() { return nullptr; }
  static void Close(HWND h) { DestroyWindow(h); }
};
using UniqueWindow = Unique<HWND, WindowTraits>;

struct MemoryDcTraits {  // CreateCompatibleDC's; a window's DC goes back with ReleaseDC instead
  static HDC Invalid() { return nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};
using UniqueMemoryDc = Unique<HDC, MemoryDcTraits>;

// An object selected into a device context for a scope: the one it replaced comes back at
// the end.
//   win::Selected keep(dc, font.get());
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() {
    if (old_) SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace eos::win
