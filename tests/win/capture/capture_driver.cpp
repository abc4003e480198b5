#include "tests/win/capture/capture_driver.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <regex>
#include <thread>

#include "base/lumutils.h"
#include "base/paramtext.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {

void CaptureTest::TearDown() { EXPECT_EQ(PluginWindowsLeft(), 0); }

void CaptureTest::ClearTrace() { DeleteFileW(win::W(trace_)); }

void CaptureTest::Camera(const std::string& extra) {
  camera_.reset();
  camera_.emplace("picture_size = 160x120\ntrace = " + ToUtf8(trace_) + "\n" + extra);
  // Settings from the host, so no case reads what another saved in the registry (a
  // countdown, say) nor leaves its own there; a case may give settings of its own after.
  ASSERT_EQ(plugin_.Call(kSetSettings, u"").result, 0);
}

CallResult CaptureTest::Run(int32_t cmd, const Text& text, const std::function<void()>& drive) {
  returned_ = false;
  std::thread driver([&] {
    try {
      drive();
    } catch (...) {
      ADD_FAILURE() << "the driver raised";
    }
    const auto returned = [&] { return returned_.load(); };
    const testing::AssertionResult in_time =
        WaitUntil(returned, 20000, "the plug-in's call to return after the driver was done", 10);
    if (!in_time) {
      ADD_FAILURE() << in_time.message();
      do {
        for (HWND w : TopWindowsOfClass(u"EosForm"))
          if (IsWindowVisible(w)) PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
      } while (!WaitUntil(returned, 500, "the plug-in's call to return after its forms were closed", 10));
    }
  });
  CallResult r = plugin_.Call(cmd, text);
  returned_ = true;
  driver.join();
  return r;
}

int CaptureTest::Shots() const {
  const std::string shutter = ShutterCommands(Trace());
  int n = 0;
  for (size_t at = shutter.find("shot"); at != std::string::npos; at = shutter.find("shot", at + 1)) ++n;
  return n;
}

bool CaptureTest::WaitForShots(int n, DWORD timeout_ms) const {
  return static_cast<bool>(WaitUntil([&] { return Shots() >= n; }, timeout_ms, "the shots"));
}

std::string ShutterCommands(const std::string& trace) {
  static const std::regex kLine(R"(EdsSendCommand\(#\d+, (0x[0-9a-fA-F]+), (-?\d+|0x[0-9a-fA-F]+)\))");
  std::string out;
  for (std::sregex_iterator it(trace.begin(), trace.end(), kLine), end; it != end; ++it) {
    const std::string command = (*it)[1], param = (*it)[2];
    if (command == "0x0") out += "shot ";
    if (command == "0x4") out += (param == "0" || param == "0x0" ? "off " : "press" + param + " ");
  }
  return out;
}

void CaptureTest::ExpectBooksBalanced() const {
  const std::string trace = Trace();
  EXPECT_NE(trace.find("books: "), std::string::npos) << "the SDK was not ended";
  EXPECT_EQ(trace.find("leak:"), std::string::npos)
      << trace.substr(trace.find("books: ") == std::string::npos ? 0 : trace.find("books: "));
}

HWND WaitForCaptureDialog(DWORD timeout_ms) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopWindowsOfClass(u"EosForm"))
          if (IsWindowVisible(w) && WindowCaption(w).starts_with(u"Canon plugin EOS")) {
            found = w;
            break;
          }
        return found != nullptr;
      },
      timeout_ms, "the capture dialog", 10);
  return found;
}

bool WaitGone(HWND w, DWORD timeout_ms) {
  return static_cast<bool>(WaitUntil([w] { return !IsWindow(w); }, timeout_ms, "the window to go", 10));
}

bool WaitHidden(HWND w, DWORD timeout_ms) {
  return static_cast<bool>(WaitUntil([w] { return !IsWindowVisible(w); }, timeout_ms, "the window to hide", 10));
}

HWND ButtonOf(HWND form, TextView caption) { return FindControl(form, u"Button", caption); }

bool Shown(HWND control) { return control != nullptr && IsWindowVisible(control); }

namespace {

int PanelDepth(HWND w) {
  int depth = 0;
  for (HWND p = GetParent(w); p && WindowClass(p) == u"EosPanel"; p = GetParent(p)) ++depth;
  return depth;
}

BOOL CALLBACK FindPictureArea(HWND w, LPARAM lp) {
  // paNoSkin > Panel3 > paBord > paImx > paIm: the only panel with four panels above it.
  if (WindowClass(w) == u"EosPanel" && PanelDepth(w) == 4) {
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
  }
  return TRUE;
}

struct ComboSearch {
  TextView item;
  HWND found = nullptr;
};

BOOL CALLBACK FindComboWithItem(HWND w, LPARAM lp) {
  auto* search = reinterpret_cast<ComboSearch*>(lp);
  if (!SameTextNoCase(WindowClass(w), u"ComboBox") || ComboItemIndex(w, search->item) < 0) return TRUE;
  search->found = w;
  return FALSE;
}

}  // namespace

int ComboItemIndex(HWND combo, TextView item) {
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (ComboItem(combo, i) == item) return i;
  return -1;
}

Text ComboItem(HWND combo, int index) {
  const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return win::FromWide(text.data(), static_cast<size_t>(n));
}

Text SelectedItem(HWND combo) { return ComboItem(combo, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0))); }

HWND ComboWithItem(HWND form, TextView item) {
  ComboSearch search{item};
  EnumChildWindows(form, FindComboWithItem, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ChooseItem(HWND combo, TextView item) {
  const int index = ComboItemIndex(combo, item);
  if (index < 0) return false;
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return true;
}

HWND PictureArea(HWND capture_dialog) {
  HWND found = nullptr;
  EnumChildWindows(capture_dialog, FindPictureArea, reinterpret_cast<LPARAM>(&found));
  return found;
}

void PressFor(HWND button, DWORD ms) {
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Sleep(ms);
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

HWND OpenSettings(HWND capture_dialog) {
  PostClick(ButtonOf(capture_dialog, u"..."));
  return WaitForDialog(u"Inställningar", 10000);
}

bool ChooseDelay(HWND capture_dialog, int seconds) {
  HWND settings = OpenSettings(capture_dialog);
  if (!settings) return false;
  HWND combo = ComboWithItem(settings, u"1 sek");
  if (!combo || !ChooseItem(combo, ComboItem(combo, seconds))) return false;
  PostClick(ButtonOf(settings, u"OK"));
  if (!WaitHidden(settings)) return false;
  // A change of focus after this would end a press of the user's. Another program's
  // window may keep the foreground, so the wait is no condition.
  WaitUntil([&] { return GetForegroundWindow() == capture_dialog; }, 3000, "the capture dialog in the foreground");
  Sleep(300);
  return true;
}

std::optional<std::string> DecodeBase64(TextView text) {
  if (text.size() % 4 != 0) return std::nullopt;
  const auto value = [](char16_t c) -> int {
    if (c >= u'A' && c <= u'Z') return c - u'A';
    if (c >= u'a' && c <= u'z') return c - u'a' + 26;
    if (c >= u'0' && c <= u'9') return c - u'0' + 52;
    if (c == u'+') return 62;
    if (c == u'/') return 63;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    const int fill = last ? (text[i + 3] == u'=') + (text[i + 2] == u'=') : 0;
    if (fill == 1 && text[i + 2] == u'=') return std::nullopt;
    uint32_t bits = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int v = k >= 4 - static_cast<size_t>(fill) ? 0 : value(text[i + k]);
      if (v < 0) return std::nullopt;
      bits = bits << 6 | static_cast<uint32_t>(v);
    }
    out.push_back(static_cast<char>(bits >> 16));
    if (fill < 2) out.push_back(static_cast<char>(bits >> 8 & 0xFF));
    if (fill < 1) out.push_back(static_cast<char>(bits & 0xFF));
  }
  return out;
}

namespace {

bool IsGreenInk(uint32_t v) {
  const int r = static_cast<int>(v >> 16 & 0xFF), g = static_cast<int>(v >> 8 & 0xFF), b = static_cast<int>(v & 0xFF);
  return g > 100 && r < 80 && b < 80;
}

// Ink of each digit drawn as the capture dialog draws its countdown.
std::array<int, 10> DigitInks() {
  constexpr int kW = 200, kH = 120;
  std::array<int, 10> inks{};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kW, -kH, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const win::Gdi<HBITMAP> bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  LOGFONTW font{};
  font.lfHeight = -64;
  font.lfWeight = FW_NORMAL;
  wcscpy(font.lfFaceName, L"Arial");
  const win::Gdi<HFONT> arial(CreateFontIndirectW(&font));
  const HGDIOBJ old_bitmap = SelectObject(dc.get(), bitmap.get());
  const HGDIOBJ old_font = SelectObject(dc.get(), arial.get());
  SetBkMode(dc.get(), TRANSPARENT);
  SetTextColor(dc.get(), RGB(0, 160, 0));
  const win::Gdi<HBRUSH> cream(CreateSolidBrush(RGB(255, 251, 240)));
  for (int d = 0; d < 10; ++d) {
    RECT r{0, 0, kW, kH};
    FillRect(dc.get(), &r, cream.get());
    wchar_t digit[2] = {static_cast<wchar_t>(L'0' + d), 0};
    DrawTextW(dc.get(), digit, 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < kW * kH; ++i) inks[static_cast<size_t>(d)] += IsGreenInk(px[i] & 0xFFFFFF);
  }
  SelectObject(dc.get(), old_font);
  SelectObject(dc.get(), old_bitmap);
  return inks;
}

}  // namespace

int GreenInk(const Picture& p) {
  int ink = 0;
  for (uint32_t v : p.pixels) ink += IsGreenInk(v);
  return ink;
}

int DigitByInk(int ink) {
  static const std::array<int, 10> inks = DigitInks();
  int best = -1;
  for (int d = 0; d < 10; ++d)
    if (best < 0 || std::abs(inks[static_cast<size_t>(d)] - ink) < std::abs(inks[static_cast<size_t>(best)] - ink))
      best = d;
  // Drawn by the same font engine, a digit matches its reference closely.
  return std::abs(inks[static_cast<size_t>(best)] - ink) * 20 <= inks[static_cast<size_t>(best)] ? best : -1;
}

std::string MarkCorners(const Picture& p) {
  if (p.width < 40 || p.height < 40) return "no picture";
  struct Corner {
    const char* name;
    int x, y;
  };
  // A few pixels in from each corner, inside the smaller green square in any turn.
  const int in = 4;
  const Corner corners[] = {{"TL", in, in},
                            {"TR", p.width - 1 - in, in},
                            {"BR", p.width - 1 - in, p.height - 1 - in},
                            {"BL", in, p.height - 1 - in}};
  std::string red = "?", green = "?";
  for (const Corner& c : corners) {
    const uint32_t v = p.At(c.x, c.y);
    const int r = static_cast<int>(v >> 16 & 0xFF), g = static_cast<int>(v >> 8 & 0xFF), b = static_cast<int>(v & 0xFF);
    if (r > 160 && g < 90 && b < 90) red = c.name;
    if (g > 140 && r < 100 && b < 110) green = c.name;
  }
  return "red " + red + " green " + green;
}

namespace {

std::function<void(const CWPSTRUCT&)>* g_seen = nullptr;

LRESULT CALLBACK SentMessageProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && g_seen) {
    try {
      (*g_seen)(*reinterpret_cast<const CWPSTRUCT*>(lp));
    } catch (...) {
      ADD_FAILURE() << "a hook's observer raised";
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

SentMessageHook::SentMessageHook(std::function<void(const CWPSTRUCT&)> seen) : seen_(std::move(seen)) {
  g_seen = &seen_;
  hook_ = SetWindowsHookExW(WH_CALLWNDPROC, SentMessageProc, nullptr, GetCurrentThreadId());
  EXPECT_NE(hook_, nullptr);
}

SentMessageHook::~SentMessageHook() {
  if (hook_) UnhookWindowsHookEx(hook_);
  g_seen = nullptr;
}

std::optional<Text> StaticTextOf(const CWPSTRUCT& m) {
  if (m.message != WM_NCCREATE && m.message != WM_SETTEXT) return std::nullopt;
  if (!SameTextNoCase(WindowClass(m.hwnd), u"Static")) return std::nullopt;
  const wchar_t* text = nullptr;
  if (m.message == WM_SETTEXT) text = reinterpret_cast<const wchar_t*>(m.lParam);
  if (m.message == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(m.lParam);
    if (!IS_INTRESOURCE(cs->lpszName)) text = cs->lpszName;
  }
  if (!text) return std::nullopt;
  return win::FromWide(text, wcslen(text));
}

HWND FormOf(HWND w) { return GetAncestor(w, GA_ROOT); }

Text FormCaption(HWND w) {
  wchar_t buf[256] = {};
  const int n = InternalGetWindowText(FormOf(w), buf, 256);
  return win::FromWide(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

std::vector<Text> KeysOf(const Text& answer) {
  std::vector<Text> keys;
  size_t at = 0;
  while (at < answer.size()) {
    const size_t end = answer.find(u'\t', at);
    const Text pair = answer.substr(at, end == Text::npos ? Text::npos : end - at);
    keys.push_back(pair.substr(0, pair.find(u'=')));
    if (end == Text::npos) break;
    at = end + 1;
  }
  return keys;
}

void ExpectPictureAnswer(const CallResult& r, const Text& file) {
  ASSERT_EQ(r.result, 0) << ToUtf8(r.text.substr(0, 300));
  EXPECT_EQ(GetParamValue(u"Fil", r.text), file);
  const std::string bytes = ReadFileBytes(file);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8") << "a JPEG file";
  const std::optional<std::string> decoded = DecodeBase64(GetParamValue(u"Base64", r.text));
  ASSERT_TRUE(decoded.has_value()) << "the Base64 value is not standard Base64";
  EXPECT_TRUE(*decoded == bytes) << "the Base64 value is not the file's bytes";
  const std::vector<Text> keys = KeysOf(r.text);
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys.front(), u"Fil");
  EXPECT_EQ(keys.back(), u"Base64");
}

std::vector<Text> FilesIn(const Text& folder) {
  std::vector<Text> names;
  WIN32_FIND_DATAW found;
  const win::UniqueFind search(FindFirstFileW(win::W(folder + u"*"), &found));
  if (!search) return names;
  do {
    const Text name = win::FromWide(found.cFileName, wcslen(found.cFileName));
    if (name != u"." && name != u"..") names.push_back(name);
  } while (FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace eos::test
