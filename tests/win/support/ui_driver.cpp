#include "tests/win/support/ui_driver.h"

#include "base/lumutils.h"
#include "win/wtext.h"

namespace eos::test {

namespace {

Text WindowText(HWND w) {
  wchar_t buf[1024] = {};
  const int n = GetWindowTextW(w, buf, 1024);
  return win::FromWide(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

Text ClassName(HWND w) {
  wchar_t buf[256] = {};
  const int n = GetClassNameW(w, buf, 256);
  return win::FromWide(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

struct Search {
  Text title;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(w) && WindowText(w) == s->title) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND w, LPARAM lp) {
  auto* out = reinterpret_cast<Text*>(lp);
  if (SameTextNoCase(ClassName(w), u"Static")) {
    const Text t = WindowText(w);
    if (!t.empty()) {
      if (!out->empty()) out->push_back(u'\n');
      out->append(t);
    }
  }
  return TRUE;
}

}  // namespace

HWND WaitForDialog(TextView title, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  Search s{Text(title)};
  for (;;) {
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
    if (s.found || GetTickCount() - start > timeout_ms) return s.found;
    Sleep(20);
  }
}

Text DialogStaticText(HWND dialog) {
  Text out;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&out));
  return out;
}

void ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageW(button ? button : dialog, button ? BM_CLICK : WM_COMMAND, button ? 0 : static_cast<WPARAM>(id), 0);
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
