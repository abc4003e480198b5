#include "tests/win/support/ui_driver.h"

#include <algorithm>
#include <functional>

#include "base/lumutils.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {

Text WindowCaption(HWND w) {
  std::wstring buf(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  const int n = GetWindowTextW(w, buf.data(), static_cast<int>(buf.size()));
  return win::FromWide(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

Text WindowClass(HWND w) {
  wchar_t buf[256] = {};
  const int n = GetClassNameW(w, buf, 256);
  return win::FromWide(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

namespace {

bool OfThisProcess(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid == GetCurrentProcessId();
}

using Visitor = std::function<void(HWND)>;

BOOL CALLBACK VisitTop(HWND w, LPARAM lp) {
  if (OfThisProcess(w)) (*reinterpret_cast<Visitor*>(lp))(w);
  return TRUE;
}

BOOL CALLBACK VisitChild(HWND w, LPARAM lp) {
  (*reinterpret_cast<Visitor*>(lp))(w);
  return TRUE;
}

void EachTopWindow(Visitor visit) { EnumWindows(VisitTop, reinterpret_cast<LPARAM>(&visit)); }
void EachChild(HWND top, Visitor visit) { EnumChildWindows(top, VisitChild, reinterpret_cast<LPARAM>(&visit)); }

}  // namespace

HWND WaitForDialog(TextView title, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        EachTopWindow([&](HWND w) {
          if (!found && IsWindowVisible(w) && WindowCaption(w) == title) found = w;
        });
        return found != nullptr;
      },
      timeout_ms, "a dialog of that title");
  return found;
}

Text DialogStaticText(HWND dialog) {
  Text out;
  EachChild(dialog, [&](HWND w) {
    if (!SameTextNoCase(WindowClass(w), u"Static")) return;
    const Text t = WindowCaption(w);
    if (t.empty()) return;
    if (!out.empty()) out.push_back(u'\n');
    out.append(t);
  });
  return out;
}

void ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageW(button ? button : dialog, button ? BM_CLICK : WM_COMMAND, button ? 0 : static_cast<WPARAM>(id), 0);
}

std::vector<HWND> TopWindowsOfClass(TextView window_class) {
  std::vector<HWND> found;
  EachTopWindow([&](HWND w) {
    if (WindowClass(w) == window_class) found.push_back(w);
  });
  return found;
}

HWND WaitForWindowOfClass(TextView window_class, DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopWindowsOfClass(window_class))
          if (IsWindowVisible(w)) {
            found = w;
            break;
          }
        return found != nullptr;
      },
      timeout_ms, "a window of that class");
  return found;
}

int PluginWindowsLeft() {
  int left = 0;
  const auto count = [&](HWND w) {
    const Text c = WindowClass(w);
    if (c == u"EosForm" || c == u"EosPanel") ++left;
  };
  EachTopWindow([&](HWND w) {
    count(w);
    EachChild(w, count);
  });
  return left;
}

HWND FindControl(HWND top, int id) {
  HWND found = nullptr;
  EachChild(top, [&](HWND w) {
    if (!found && GetDlgCtrlID(w) == id) found = w;
  });
  return found;
}

HWND FindControl(HWND top, TextView window_class, TextView caption) {
  HWND found = nullptr;
  EachChild(top, [&](HWND w) {
    if (!found && SameTextNoCase(WindowClass(w), window_class) && WindowCaption(w) == caption) found = w;
  });
  return found;
}

void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void PostKey(HWND target, WORD key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

RECT RectIn(HWND top, HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Picture CaptureClient(HWND w) {
  Picture p;
  RECT client;
  GetClientRect(w, &client);
  p.width = client.right;
  p.height = client.bottom;
  if (p.width <= 0 || p.height <= 0) return p;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const win::UniqueMemoryDc dc(CreateCompatibleDC(screen));
  const win::Gdi<HBITMAP> bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ReleaseDC(nullptr, screen);
  if (!dc || !bitmap) return p;
  const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
  // Read back from the window's own DC, children and all (Wine's PrintWindow leaves the
  // children out).
  const HDC window = GetDC(w);
  BitBlt(dc.get(), 0, 0, p.width, p.height, window, 0, 0, SRCCOPY);
  ReleaseDC(w, window);
  GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  p.pixels.assign(px, px + static_cast<size_t>(p.width) * p.height);
  for (uint32_t& v : p.pixels) v &= 0xFFFFFF;
  SelectObject(dc.get(), old);
  return p;
}

int DarkPixels(const Picture& p, const RECT& area) {
  int dark = 0;
  for (int y = std::max(0L, area.top); y < std::min<LONG>(p.height, area.bottom); ++y)
    for (int x = std::max(0L, area.left); x < std::min<LONG>(p.width, area.right); ++x) {
      const uint32_t v = p.At(x, y);
      if (((v >> 16 & 0xFF) + (v >> 8 & 0xFF) + (v & 0xFF)) < 3 * 0x60) ++dark;
    }
  return dark;
}

BoxAnswerer::BoxAnswerer(Text title, int button, DWORD timeout_ms) : title_(std::move(title)) {
  thread_ = std::thread([this, button, timeout_ms] {
    HWND box = WaitForDialog(title_, timeout_ms);
    if (!box) return;
    text_ = DialogStaticText(box);
    ex_style_ = GetWindowLongPtrW(box, GWL_EXSTYLE);
    ClickButton(box, button);
    answered_ = true;
  });
}

BoxAnswerer::~BoxAnswerer() {
  if (thread_.joinable()) thread_.join();
}

bool BoxAnswerer::Finish() {
  if (thread_.joinable()) thread_.join();
  return answered_;
}

}  // namespace eos::test
