// The capture through the real export, as a host runs it: the host's call blocks in the
// capture dialog's modal loop on the test's thread while a second thread works the dialog
// as a user would and reads what is on screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/ui_driver.h"

namespace eos::test {

inline constexpr int32_t kCapture = 1;
inline constexpr int32_t kSettingsOnly = 2;
inline constexpr int32_t kGetSettings = 3;
inline constexpr int32_t kSetSettings = 4;
inline constexpr int32_t kFree = 9;
inline constexpr int32_t kCaptureAuto = 11;

inline constexpr char16_t kModel[] = u"Canon EOS 5D Mark III";

class CaptureTest : public ::testing::Test {
 protected:
  // Every case ends with no window of the plug-in left.
  void TearDown() override;

  // The stand-in with small pictures and a trace, and whatever `extra` adds; the
  // registry's settings are left out of the case.
  void Camera(const std::string& extra = std::string());
  // Calls the plug-in on this thread while `drive` works the dialog on another. A driver
  // that leaves the dialog open fails the case, and the dialog is closed for it.
  CallResult Run(int32_t cmd, const Text& text, const std::function<void()>& drive);
  // The plug-in's call in Run has returned: a driver may work until then.
  bool Returned() const { return returned_; }
  // Starts the stand-in's trace afresh, for books of one run.
  void ClearTrace();
  // The stand-in's trace so far.
  std::string Trace() const { return FileExists(trace_) ? ReadFileBytes(trace_) : std::string(); }
  // The shots the camera was asked for so far; true once there are `n`.
  int Shots() const;
  bool WaitForShots(int n, DWORD timeout_ms = 10000) const;
  // The SDK was ended with every reference and session it handed out given back.
  void ExpectBooksBalanced() const;

  TempDir dir_;
  PluginCopy plugin_;

 private:
  Text trace_ = dir_.path() + u"trace.txt";
  std::atomic<bool> returned_{false};
  std::optional<StandInCamera> camera_;
};

// The shown capture dialog (its caption starts "Canon plugin EOS"), or null after the timeout.
HWND WaitForCaptureDialog(DWORD timeout_ms = 20000);
// True once `w` is destroyed.
bool WaitGone(HWND w, DWORD timeout_ms = 20000);
// True once `w` is hidden or destroyed.
bool WaitHidden(HWND w, DWORD timeout_ms = 10000);
HWND ButtonOf(HWND form, TextView caption);
bool Shown(HWND control);
// The panel the live view and the countdown are painted in.
HWND PictureArea(HWND capture_dialog);
// A press of `button` held for `ms`, as the mouse does it.
void PressFor(HWND button, DWORD ms);
// The settings dialog, opened from the capture dialog's settings button.
HWND OpenSettings(HWND capture_dialog);
// Drop-down lists worked from outside: the entries, the list of a form that has an entry
// of that text, and a choice made as the user makes it (the selection, then its notice).
Text ComboItem(HWND combo, int index);
int ComboItemIndex(HWND combo, TextView item);
Text SelectedItem(HWND combo);
HWND ComboWithItem(HWND form, TextView item);
bool ChooseItem(HWND combo, TextView item);
// Chooses the countdown's seconds in the settings dialog and confirms it; true once the
// settings dialog is closed.
bool ChooseDelay(HWND capture_dialog, int seconds);

// The shutter in a trace: "shot" for a picture taken, "press1" and "off" for the
// shutter button's half-press and release, in their order.
std::string ShutterCommands(const std::string& trace);

// Files in a folder, by name.
std::vector<Text> FilesIn(const Text& folder);
// The keys of an answer in their order.
std::vector<Text> KeysOf(const Text& answer);
// A confirmed answer: the file at `file`, named by "Fil", its bytes in "Base64".
void ExpectPictureAnswer(const CallResult& r, const Text& file);

// Bytes of standard Base64 with "=" fill; empty when the text is not such Base64.
std::optional<std::string> DecodeBase64(TextView text);

// Pixels of the countdown's green ink in `area` (the live view's green mark aside).
int GreenInk(const Picture& p);
// The digit 0-9 whose rendering in the countdown's font has that much ink, or -1.
int DigitByInk(int ink);

// Where the live view's orientation mark is: "red TL green TR" for the frame as the
// camera sends it; "?" for a corner of neither colour.
std::string MarkCorners(const Picture& p);

// Sees every message sent to a window of the calling thread while it lives.
class SentMessageHook {
 public:
  explicit SentMessageHook(std::function<void(const CWPSTRUCT&)> seen);
  ~SentMessageHook();
  SentMessageHook(const SentMessageHook&) = delete;
  SentMessageHook& operator=(const SentMessageHook&) = delete;

 private:
  std::function<void(const CWPSTRUCT&)> seen_;
  HHOOK hook_ = nullptr;
};

// The text a Static control gets at its creation or by WM_SETTEXT, or nothing.
std::optional<Text> StaticTextOf(const CWPSTRUCT& m);
// The top-level form a window belongs to, and its caption read without a message (so a
// hook may ask).
HWND FormOf(HWND w);
Text FormCaption(HWND w);

}  // namespace eos::test
