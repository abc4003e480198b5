// Drives message boxes and dialogs from outside, as a user would: find the window by
// its title, read what it says, press its button. Used from a second thread while the
// code under test sits in the box's modal loop, so no test ever waits on a box.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

#include "base/text.h"

namespace eos::test {

// A visible top-level dialog of this process with the given title, or null after the timeout.
HWND WaitForDialog(TextView title, DWORD timeout_ms);
// The texts of a dialog's static controls, joined by newlines (a message box's message).
Text DialogStaticText(HWND dialog);
// Clicks the dialog's button with the given identifier (IDOK, IDCANCEL...).
void ClickButton(HWND dialog, int id);

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
