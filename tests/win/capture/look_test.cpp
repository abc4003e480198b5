// The capture dialog's standard look as an operator meets it: a window that can be made
// larger, a live view that keeps the frame's proportions at every size, the plug-in's
// icon, and tool buttons with pictures of their own.
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <string>
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

// The file name, lower-cased, of the module that holds the code at `address`.
std::wstring ModuleFileOf(const void* address) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return L"";
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring name(path);
  for (wchar_t& c : name) c = towlower(c);
  return name.substr(name.find_last_of(L"\\/") + 1);
}

// Where a window's class procedure lives: a button made under the version 6 manifest is
// the side-by-side common controls' class, not USER32's (the class's module is the same
// for both, so the procedure tells them apart).
std::wstring ClassProcedureModule(HWND w) {
  return ModuleFileOf(reinterpret_cast<const void*>(GetClassLongPtrW(w, GCLP_WNDPROC)));
}

TEST_F(Look, ThePlugInsControlsAreTheVersionSixCommonControlsAndTheHostsStayItsOwn) {
  Camera();
  HANDLE before = nullptr;
  ASSERT_TRUE(GetCurrentActCtx(&before));
  std::wstring release_module, settings_list_module;
  Run(kCapture, dir_.path() + u"x.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    release_module = ClassProcedureModule(ButtonOf(dialog, u"Take picture"));
    HWND settings = OpenSettings(dialog);
    ASSERT_NE(settings, nullptr);
    settings_list_module = ClassProcedureModule(ComboWithItem(settings, u"1 sek"));
    PostClick(ButtonOf(settings, u"Avbryt"));
    EXPECT_TRUE(WaitHidden(settings));
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(release_module, L"comctl32.dll");
  EXPECT_EQ(settings_list_module, L"comctl32.dll");

  // The host's thread keeps its own context, and the host's own button is USER32's.
  HANDLE after = nullptr;
  ASSERT_TRUE(GetCurrentActCtx(&after));
  EXPECT_EQ(after, before) << "no context of the plug-in is left active on the host's thread";
  if (before) ReleaseActCtx(before);
  if (after) ReleaseActCtx(after);
  const win::UniqueWindow host_button(
      CreateWindowExW(0, L"BUTTON", L"Host", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(host_button);
  EXPECT_EQ(ClassProcedureModule(host_button.get()), L"user32.dll");
  ExpectBooksBalanced();
}

TEST_F(Look, ThePlugInCarriesTheCommonControlsManifest) {
  const win::UniqueModule data(
      LoadLibraryExW(win::W(plugin_.folder() + u"CanonEosPlugin.dll"), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(data);
  const HRSRC found = FindResourceW(data.get(), MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "a manifest resource with ID 2 (isolation aware)";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(data.get(), found)));
  const std::string manifest(bytes, SizeofResource(data.get(), found));
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos) << manifest;
}

}  // namespace
}  // namespace eos::test
