// Drives message boxes and dialogs from outside, as a user would: find the window by
// its title, read what it says, press its button. Used from a second thread while the
// code under test sits in the box's modal loop, so no test ever waits on a box.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"

namespace eos::test {

// A visible top-level dialog of this process with the given title, or null after the timeout.
HWND WaitForDialog(TextView title, DWORD timeout_ms);
// The texts of a dialog's static controls, joined by newlines (a message box's message).
Text DialogStaticText(HWND dialog);
// Clicks the dialog's button with the given identifier (IDOK, IDCANCEL...).
void ClickButton(HWND dialog, int id);

// Forms and their controls, found and worked from outside.

Text WindowCaption(HWND w);
Text WindowClass(HWND w);
// Top-level windows of this process of that class, hidden ones too.
std::vector<HWND> TopWindowsOfClass(TextView window_class);
// A visible top-level window of this process of that class, or null after the timeout.
HWND WaitForWindowOfClass(TextView window_class, DWORD timeout_ms);
// Windows of the plug-in's own classes (forms, panels) left anywhere in the process.
int PluginWindowsLeft();
// A control anywhere inside `top` (in panels too), by identifier or by class and caption.
HWND FindControl(HWND top, int id);
HWND FindControl(HWND top, TextView window_class, TextView caption);
// What a user does, posted to the window as the input would arrive.
void PostClick(HWND button);
void PostKey(HWND target, WORD key);
// A window's rectangle in the coordinates of `top`'s client area.
RECT RectIn(HWND top, HWND w);

// The client area of a shown window as it is on screen, one 0x00RRGGBB value a pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture CaptureClient(HWND w);
// Pixels of `p` inside `area` darker than mid-grey: the ink of text and lines.
int DarkPixels(const Picture& p, const RECT& area);

// Watches for one dialog with the given title on its own thread, records what it says
// and clicks its button. Destroying the watcher waits for it.
class BoxAnswerer {
 public:
  BoxAnswerer(Text title, int button = IDOK, DWORD timeout_ms = 10000);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  // Waits for the watcher; true when a box was found and answered.
  bool Finish();
  const Text& text() const { return text_; }
  bool system_modal() const { return (ex_style_ & WS_EX_TOPMOST) != 0; }

 private:
  Text title_;
  Text text_;
  LONG_PTR ex_style_ = 0;
  bool answered_ = false;
  std::thread thread_;
};

}  // namespace eos::test
