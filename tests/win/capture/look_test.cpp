// The capture dialog's standard look as an operator meets it: a window that can be made
// larger, a live view that keeps the frame's proportions at every size, the plug-in's
// icon, and tool buttons with pictures of their own.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/paramtext.h"
#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

using Look = CaptureTest;

SIZE ClientSize(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return {r.right, r.bottom};
}

SIZE OuterSize(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The colour pixels of an icon at its own size, as GDI draws it.
std::vector<uint32_t> IconPixels(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  const win::Gdi<HBITMAP> mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bm{};
  GetObjectW(colour.get(), sizeof bm, &bm);
  std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const HDC screen = GetDC(nullptr);
  const int rows =
      GetDIBits(screen, colour.get(), 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return rows == bm.bmHeight ? pixels : std::vector<uint32_t>{};
}

TEST_F(Look, TheWindowGrowsAndTheLiveViewKeepsTheFramesProportions) {
  Camera();
  SIZE restored{}, normal_area{}, maximised_area{}, maximised_outer{};
  const CallResult r = Run(kCapture, dir_.path() + u"x.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    for (LONG bit : {WS_THICKFRAME, WS_SYSMENU, WS_MINIMIZEBOX, WS_MAXIMIZEBOX}) EXPECT_TRUE(style & bit) << bit;
    HWND area = PictureArea(dialog);
    ASSERT_NE(area, nullptr);
    // The stand-in's frames are 3:2; the whole frame shows, mark by mark, in either size.
    const auto whole_frame = [&] { return MarkCorners(CaptureClient(area)) == "red TL green TR"; };
    EXPECT_TRUE(WaitUntil(whole_frame, 5000, "the live view in the standard size"));
    restored = OuterSize(dialog);
    normal_area = ClientSize(area);

    PostMessageW(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(dialog) && ClientSize(area).cx > normal_area.cx; }, 5000,
                          "the maximised window's larger view"));
    EXPECT_TRUE(WaitUntil(whole_frame, 5000, "the live view maximised"));
    maximised_area = ClientSize(area);
    maximised_outer = OuterSize(dialog);

    PostMessageW(dialog, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsZoomed(dialog) && ClientSize(area).cx == normal_area.cx; }, 5000,
                          "the view back at its size"));
    EXPECT_TRUE(WaitUntil(whole_frame, 5000, "the live view restored"));
    // Cancelled while maximised: the stored size is still the restored one.
    PostMessageW(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsZoomed(dialog) != FALSE; }, 5000, "the window maximised again"));
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  for (const SIZE a : {normal_area, maximised_area}) {
    ASSERT_GT(a.cy, 0);
    // The picture place inside the frame's outline: 3:2 within a pixel of rounding.
    EXPECT_NEAR(static_cast<double>(a.cx) / a.cy, 1.5, 2.0 / a.cy) << a.cx << "x" << a.cy;
  }
  EXPECT_GT(maximised_area.cx, normal_area.cx);
  EXPECT_GT(maximised_outer.cx, restored.cx);
  const Text settings = plugin_.Call(kGetSettings, u"").text;
  EXPECT_EQ(GetParamValue(u"Width", settings), IntToText(restored.cx)) << ToUtf8(settings);
  EXPECT_EQ(GetParamValue(u"Height", settings), IntToText(restored.cy)) << ToUtf8(settings);
  ExpectBooksBalanced();
}

TEST_F(Look, TheCaptionShowsThePlugInsIconAndTheToolButtonsTheirPictures) {
  Camera();
  const HMODULE plugin = GetModuleHandleW(win::W(plugin_.folder() + u"CanonEosPlugin.dll"));
  ASSERT_NE(plugin, nullptr);
  const win::UniqueIcon main_icon(static_cast<HICON>(
      LoadImageW(plugin, L"MainIcon", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  ASSERT_TRUE(main_icon);
  Run(kCapture, dir_.path() + u"x.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    const auto shown_icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(shown_icon, nullptr);
    const std::vector<uint32_t> shown = IconPixels(shown_icon);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown, IconPixels(main_icon.get())) << "the caption's icon is the plug-in's MainIcon";
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);

    // The captions stay the buttons' texts (for assistive tools); a picture is shown.
    std::vector<uint32_t> seen_before;
    for (const char16_t* caption : {u"...", u">", u"<", u"AF"}) {
      SCOPED_TRACE(ToUtf8(caption));
      HWND button = ButtonOf(dialog, caption);
      ASSERT_NE(button, nullptr);
      EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & BS_ICON);
      const auto icon = reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
      ASSERT_NE(icon, nullptr);
      const std::vector<uint32_t> pixels = IconPixels(icon);
      EXPECT_FALSE(pixels.empty());
      EXPECT_NE(pixels, seen_before) << "a picture of its own";
      seen_before = pixels;
    }
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectBooksBalanced();
}

}  // namespace
}  // namespace eos::test
