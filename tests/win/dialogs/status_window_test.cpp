// The status window, driven and read from outside as a user sees it.
#include "dialogs/status_window.h"

#include <gtest/gtest.h>

#include "tests/win/support/ui_driver.h"
#include "win/timer.h"

namespace eos {
namespace {

using test::FindControl;

constexpr TextView kStarting = u"Starting remote connection to %s...";

class StatusWindow : public ::testing::Test {
 protected:
  // Every case leaves no window behind by itself; the check comes before any cleanup.
  void TearDown() override {
    EXPECT_EQ(test::PluginWindowsLeft(), 0);
    HideStatus();
  }

  // The one status window there may be, or null.
  static HWND Shown() {
    const auto windows = test::TopWindowsOfClass(u"EosForm");
    EXPECT_LE(windows.size(), 1u);
    return windows.empty() ? nullptr : windows.front();
  }
  static int Height(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.bottom - r.top;
  }
  static int Width(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r.right - r.left;
  }
};

TEST_F(StatusWindow, UpdateBeforeShowCreatesAndShowsTheWindowWithItsText) {
  EXPECT_EQ(Shown(), nullptr);
  UpdateStatusFmt(kStarting, {Text(u"Canon EOS 90D")}, true);
  HWND w = Shown();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(test::WindowCaption(w), u"");
  EXPECT_EQ(Height(w), 103);
  HWND label = FindControl(w, u"Static", u"Starting remote connection to Canon EOS 90D...");
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(IsWindowVisible(label));
  // The text is on screen: ink inside the label.
  const test::Picture picture = test::CaptureClient(w);
  EXPECT_GT(test::DarkPixels(picture, test::RectIn(w, label)), 50);
  HideStatus();
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(StatusWindow, HideWithoutAWindowDoesNothing) {
  HideStatus();
  EXPECT_EQ(Shown(), nullptr);
  ShowStatus(u"Connecting to EOS-camera...", false);
  HideStatus();
  HideStatus();
  EXPECT_EQ(Shown(), nullptr);
}

TEST_F(StatusWindow, OneWindowForEveryCallAndAFreshOneAfterHide) {
  ShowStatus(u"Connecting to EOS-camera...", false);
  HWND first = Shown();
  ASSERT_NE(first, nullptr);
  // Changes a user or the host made to the window are put right by the next show.
  SetWindowPos(first, nullptr, 0, 0, Width(first), 200, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowTextW(first, L"Status");
  UpdateStatusFmt(u"Opening %s...", {Text(u"Canon EOS R")}, true);
  ShowStatus(u"Again", true);
  EXPECT_EQ(Shown(), first);
  EXPECT_EQ(Height(first), 103);
  EXPECT_EQ(test::WindowCaption(first), u"");
  EXPECT_NE(FindControl(first, u"Static", u"Again"), nullptr);

  HideStatus();
  EXPECT_FALSE(IsWindow(first));
  ShowStatus(u"Connecting to EOS-camera...", false);
  HWND second = Shown();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Height(second), 103);
  EXPECT_EQ(test::WindowCaption(second), u"");
  HideStatus();
}

TEST_F(StatusWindow, ALongModelNameWrapsInsideTheLabel) {
  ShowStatus(u"Connecting to EOS-camera...", false);
  HWND w = Shown();
  ASSERT_NE(w, nullptr);
  const int width = Width(w);
  const Text model = u"Canon EOS 5D Mark IV with a model name far longer than any label could hold on one line";
  UpdateStatusFmt(kStarting, {model}, true);
  EXPECT_EQ(Width(w), width);
  EXPECT_EQ(Height(w), 103);
  HWND label = FindControl(w, u"Static", u"Starting remote connection to " + model + u"...");
  ASSERT_NE(label, nullptr);
  const RECT in_form = test::RectIn(w, label);
  EXPECT_EQ(in_form.right - in_form.left, 380);
  EXPECT_EQ(in_form.bottom - in_form.top, 60);

  // Ink in the label on more than one line, none beside it.
  const test::Picture picture = test::CaptureClient(w);
  int first_row = -1, last_row = -1;
  for (int y = in_form.top; y < in_form.bottom; ++y)
    if (test::DarkPixels(picture, {in_form.left, y, in_form.right, y + 1}) > 0) {
      if (first_row < 0) first_row = y;
      last_row = y;
    }
  EXPECT_GT(last_row - first_row, 20) << "one line of 8-point text is about 13 pixels high";
  EXPECT_EQ(test::DarkPixels(picture, {0, in_form.top, in_form.left, in_form.bottom}), 0);
  EXPECT_EQ(test::DarkPixels(picture, {in_form.right, in_form.top, picture.width, in_form.bottom}), 0);
  HideStatus();
}

TEST_F(StatusWindow, CancelDisablesItselfAndTheWindowStays) {
  ShowStatus(u"Connecting to EOS-camera...", false);
  HWND w = Shown();
  ASSERT_NE(w, nullptr);
  HWND cancel = FindControl(w, u"Button", u"Cancel");
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(IsWindowEnabled(cancel));
  test::PostClick(cancel);
  win::PumpMessagesFor(100);
  EXPECT_FALSE(IsWindowEnabled(cancel));
  EXPECT_TRUE(IsWindowVisible(w));
  UpdateStatus(u"Still connecting", false);
  EXPECT_NE(FindControl(w, u"Static", u"Still connecting"), nullptr);
  HideStatus();
}

TEST_F(StatusWindow, TheCloseBoxFreesTheWindowAndTheNextUpdateMakesANewOne) {
  ShowStatus(u"Connecting to EOS-camera...", false);
  HWND w = Shown();
  ASSERT_NE(w, nullptr);
  PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  win::PumpMessagesFor(100);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(Shown(), nullptr);
  UpdateStatus(u"Opening", true);
  HWND again = Shown();
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(IsWindowVisible(again));
  EXPECT_EQ(Height(again), 103);
  HideStatus();
}

}  // namespace
}  // namespace eos
