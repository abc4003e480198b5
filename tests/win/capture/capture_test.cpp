// The capture as a user and a host meet it: the dialog worked from outside through the
// real export, the answer read as the host reads it, the screen read in pixels.
#include <vector>

#include "base/paramtext.h"
#include "tests/win/capture/capture_driver.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

void EndWithEscape(HWND dialog) {
  PostKey(dialog, VK_ESCAPE);
  EXPECT_TRUE(WaitGone(dialog));
}

using Capture = CaptureTest;

struct AutoCase {
  const char* name;
  const char* scenario;
  // The input text for a picture folder, and the file the picture must go to.
  Text (*input)(const Text& folder);
  Text (*file)(const Text& folder);
};

const AutoCase kAutoCases[] = {
    {"LiveViewFileKey", "", [](const Text& d) { return u"File=" + d + u"pic.jpg\tHideFocus=1"; },
     [](const Text& d) { return d + u"pic.jpg"; }},
    {"NoLiveViewFileKey", "live_view = no\n", [](const Text& d) { return u"File=" + d + u"pic.jpg"; },
     [](const Text& d) { return d + u"pic.jpg"; }},
    {"BarePath", "", [](const Text& d) { return d + u"bare.jpg"; }, [](const Text& d) { return d + u"bare.jpg"; }},
    // "Base64" in any case sends the picture to temp.jpg in the temporary folder.
    {"Base64ToTheTemporaryFolder", "", [](const Text&) { return Text(u"bAsE64"); },
     [](const Text& d) { return d + u"temp.jpg"; }},
};

class AutomaticCapture : public CaptureTest, public ::testing::WithParamInterface<AutoCase> {};

TEST_P(AutomaticCapture, ShootsByItselfAndAnswersTheFileWithItsBytes) {
  const AutoCase& c = GetParam();
  Camera(c.scenario);
  SetEnvironmentVariableW(L"TMP", win::W(dir_.path()));
  HWND seen = nullptr;
  const CallResult r = Run(kCaptureAuto, c.input(dir_.path()), [&] {
    seen = WaitForCaptureDialog();
    EXPECT_TRUE(WaitGone(seen));
  });
  EXPECT_NE(seen, nullptr) << "the dialog was never shown";
  ExpectPictureAnswer(r, c.file(dir_.path()));
  EXPECT_EQ(GetParamValue(u"Angle", r.text), u"") << "no Angle key at 0 degrees";
  EXPECT_EQ(ShutterCommands(Trace()), "shot ") << "one shot, no half-press";
  ExpectBooksBalanced();
}

INSTANTIATE_TEST_SUITE_P(Inputs, AutomaticCapture, ::testing::ValuesIn(kAutoCases),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(Capture, ManualReleaseByClickAndByEnter) {
  struct Case {
    const char* name;
    void (*release)(HWND dialog);
  };
  const Case cases[] = {
      {"click", [](HWND d) { PostClick(ButtonOf(d, u"Take picture")); }},
      {"Enter", [](HWND d) { PostKey(d, VK_RETURN); }},
  };
  Camera();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Text file = dir_.path() + Ascii(c.name) + u".jpg";
    const CallResult r = Run(kCapture, u"File=" + file, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      // A manual capture waits for the user.
      Sleep(700);
      ASSERT_TRUE(IsWindowVisible(dialog));
      EXPECT_FALSE(FileExists(file));
      HWND release = ButtonOf(dialog, u"Take picture");
      EXPECT_TRUE(Shown(release) && IsWindowEnabled(release));
      EXPECT_TRUE(Shown(ButtonOf(dialog, u"Cancel")));
      c.release(dialog);
      EXPECT_TRUE(WaitGone(dialog));
    });
    ExpectPictureAnswer(r, file);
  }
  EXPECT_EQ(ShutterCommands(Trace()), "shot shot ");
  ExpectBooksBalanced();
}

TEST_F(Capture, AHeldReleaseFocusesFirstThenShootsWithoutTheCountdown) {
  Camera();
  const Text file = dir_.path() + u"held.jpg";
  int countdown_texts = 0;
  SentMessageHook hook([&](const CWPSTRUCT& m) {
    if (const auto text = StaticTextOf(m); text && *text == u"3") ++countdown_texts;
  });
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseDelay(dialog, 3));
    PressFor(ButtonOf(dialog, u"Take picture"), 400);
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file);
  EXPECT_EQ(ShutterCommands(Trace()), "press1 off shot ") << "half-press, let go, then the shot";
  EXPECT_EQ(countdown_texts, 0) << "a release after the half-press has no countdown";
  ExpectBooksBalanced();
}

TEST_F(Capture, AShortPressHasNoHalfPress) {
  Camera();
  const Text file = dir_.path() + u"short.jpg";
  const CallResult r = Run(kCapture, file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PressFor(ButtonOf(dialog, u"Take picture"), 50);
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file);
  EXPECT_EQ(ShutterCommands(Trace()), "shot ");
}

TEST_F(Capture, TheCountdownShowsThreeTwoOneZeroASecondApartThenShoots) {
  // Without live view the digits stand alone on the picture area's plain background.
  Camera("live_view = no\n");
  const Text file = dir_.path() + u"delayed.jpg";
  HWND area = nullptr;
  struct Step {
    Text caption;
    DWORD at;
    int digit_on_screen = -2;
  };
  std::vector<Step> steps;
  // Each number of the countdown arrives as the caption of the countdown's own label; the
  // capture dialog shows it in the picture area before the next message of the countdown.
  const auto read_screen = [&] {
    if (!steps.empty() && steps.back().digit_on_screen == -2 && area)
      steps.back().digit_on_screen = DigitByInk(GreenInk(CaptureClient(area)));
  };
  bool counting = false;
  SentMessageHook hook([&](const CWPSTRUCT& m) {
    const auto text = StaticTextOf(m);
    const bool number = text && m.message == WM_SETTEXT && !text->empty() &&
                        text->find_first_not_of(u"0123456789") == Text::npos && FormCaption(m.hwnd).empty();
    if (number) {
      read_screen();
      steps.push_back({*text, GetTickCount()});
      counting = true;
    } else if (counting && (m.message == WM_ENABLE || m.message == WM_SHOWWINDOW || m.message == WM_WINDOWPOSCHANGING ||
                            m.message == WM_DESTROY)) {
      // The countdown's window shown or closed, the capture dialog disabled or enabled.
      read_screen();
    }
  });
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    area = PictureArea(dialog);
    ASSERT_NE(area, nullptr);
    ASSERT_TRUE(ChooseDelay(dialog, 3));
    EXPECT_EQ(GreenInk(CaptureClient(area)), 0);
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file);
  ASSERT_EQ(steps.size(), 4u);
  const char16_t* expected[] = {u"3", u"2", u"1", u"0"};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(steps[i].caption, expected[i]);
    EXPECT_EQ(steps[i].digit_on_screen, 3 - static_cast<int>(i)) << "the digit in the picture area";
    if (i > 0) {
      EXPECT_GE(steps[i].at - steps[i - 1].at, 700u) << "the numbers come a second apart";
    }
  }
}

TEST_F(Capture, CancellingAnswersTheFileValue) {
  struct Case {
    const char* name;
    void (*cancel)(HWND dialog);
  };
  const Case cases[] = {
      {"Escape", [](HWND d) { PostKey(d, VK_ESCAPE); }},
      {"close box", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Cancel", [](HWND d) { PostClick(ButtonOf(d, u"Cancel")); }},
  };
  Camera();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Text file = dir_.path() + u"never.jpg";
    for (const Text& input : {u"File=" + file + u"\tHideSettings=0", file}) {
      const CallResult r = Run(kCapture, input, [&] {
        HWND dialog = WaitForCaptureDialog();
        ASSERT_NE(dialog, nullptr);
        c.cancel(dialog);
        EXPECT_TRUE(WaitGone(dialog));
      });
      EXPECT_EQ(r.result, -1);
      EXPECT_EQ(r.text, file);
      EXPECT_FALSE(FileExists(file));
    }
  }
  EXPECT_EQ(ShutterCommands(Trace()), "");
  ExpectBooksBalanced();
}

TEST_F(Capture, HideKeysHideTheirButtons) {
  struct Case {
    const char16_t* keys;
    bool settings, focus, release;  // shown
  };
  const Case cases[] = {
      {u"", true, true, true},
      {u"\tHideSettings=1", false, true, true},
      {u"\tHideFocus=1", true, false, true},
      {u"\tHideTakePicture=1", true, true, false},
      {u"\tHideSettings=1\tHideFocus=1\tHideTakePicture=1", false, false, false},
      {u"\tHideSettings=0\tHideFocus=0\tHideTakePicture=0", true, true, true},
  };
  Camera();
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.keys));
    Run(kCapture, u"File=" + dir_.path() + u"x.jpg" + c.keys, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(Shown(ButtonOf(dialog, u"...")), c.settings);
      for (const char16_t* focus : {u">", u"<", u"AF"})
        EXPECT_EQ(Shown(ButtonOf(dialog, focus)), c.focus) << ToUtf8(focus);
      EXPECT_EQ(Shown(ButtonOf(dialog, u"Take picture")), c.release);
      EXPECT_TRUE(Shown(ButtonOf(dialog, u"Cancel")));
      EndWithEscape(dialog);
    });
  }
}

TEST_F(Capture, TheLiveViewTurnsAndMirrorsAsChosenInTheSettings) {
  Camera();
  const Text file = dir_.path() + u"turned.jpg";
  // Clockwise turns; the mirror is a left-right flip of the turned picture.
  struct Step {
    const char* action;  // "right" turns by 90, "mirror" toggles the mirror
    const char* marks;
    bool portrait;  // a quarter turn of the landscape frame
  };
  const Step steps[] = {
      {"", "red TL green TR", false},      {"mirror", "red TR green TL", false},  // 0
      {"right", "red TL green BL", true},  {"mirror", "red TR green BR", true},   // 90
      {"right", "red BR green BL", false}, {"mirror", "red BL green BR", false},  // 180
      {"right", "red BR green TR", true},  {"mirror", "red BL green TL", true},   // 270
  };
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND area = PictureArea(dialog);
    ASSERT_NE(area, nullptr);
    HWND settings = OpenSettings(dialog);
    ASSERT_NE(settings, nullptr);
    for (const Step& s : steps) {
      if (std::string(s.action) == "right") PostClick(ButtonOf(settings, u"\u21B7"));
      if (std::string(s.action) == "mirror") PostClick(ButtonOf(settings, u"Spegelvänd"));
      std::string seen;
      WaitUntil([&] { return (seen = MarkCorners(CaptureClient(area))) == s.marks; }, 5000, "the marks", 50);
      EXPECT_EQ(seen, s.marks) << "after " << s.action;
      RECT rc;
      GetClientRect(area, &rc);
      EXPECT_EQ(rc.bottom > rc.right, s.portrait) << "after " << s.action;
    }
    EXPECT_NE(FindControl(settings, u"Static", u"270 °"), nullptr);
    PostClick(ButtonOf(settings, u"OK"));
    ASSERT_TRUE(WaitHidden(settings));
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file);
  EXPECT_EQ(GetParamValue(u"Angle", r.text), u"270");
  EXPECT_EQ(GetParamValue(u"SettingsChanged", r.text), u"1");
  EXPECT_EQ(KeysOf(r.text), (std::vector<Text>{u"Fil", u"Angle", u"SettingsChanged", u"Base64"}));
  ExpectBooksBalanced();
}

TEST_F(Capture, AFailedFocusShowsTheCamerasWordsForTwoSecondsAndKeepsTheDialog) {
  Camera("live_view = no\nfocus = fails\n");
  const Text file = dir_.path() + u"unfocused.jpg";
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND area = PictureArea(dialog);
    PostClick(ButtonOf(dialog, u"Take picture"));
    const auto ink = [&] { return GreenInk(CaptureClient(area)); };
    WaitUntil([&] { return ink() > 0; }, 5000, "text in the picture area");
    const DWORD shown_at = GetTickCount();
    // Words, not a digit: far more ink than any one number.
    EXPECT_GT(ink(), 3 * 400) << "no text in the picture area";
    WaitUntil([&] { return ink() == 0; }, 6000, "the text to go", 50);
    EXPECT_EQ(ink(), 0) << "the text stays";
    EXPECT_GE(GetTickCount() - shown_at, 1500u) << "the text went before its two seconds";
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open after a failed focus";
    EndWithEscape(dialog);
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(r.text, file);
  EXPECT_FALSE(FileExists(file));
  ExpectBooksBalanced();
}

TEST_F(Capture, TheSettingsCommandAnswersTheTextTheNextGetReturns) {
  Camera();
  const Text settings_text = u"Delay=3\tAngle=90\t";
  ASSERT_EQ(plugin_.Call(kSetSettings, settings_text).result, 0);
  const auto confirm = [] {
    HWND settings = WaitForDialog(u"Inställningar", 20000);
    ASSERT_NE(settings, nullptr);
    PostClick(ButtonOf(settings, u"OK"));
  };
  const CallResult r = Run(kSettingsOnly, u"ignored", confirm);
  ASSERT_EQ(r.result, 0);
  const CallResult got = plugin_.Call(kGetSettings, u"");
  EXPECT_EQ(got.result, 0);
  EXPECT_EQ(got.text, r.text);

  const CallResult cancelled = Run(kSettingsOnly, u"ignored", [] {
    HWND settings = WaitForDialog(u"Inställningar", 20000);
    ASSERT_NE(settings, nullptr);
    PostClick(ButtonOf(settings, u"Avbryt"));
  });
  EXPECT_EQ(cancelled.result, -1);
  EXPECT_EQ(plugin_.Call(kGetSettings, u"").text, r.text) << "a cancel changes nothing";
  ExpectBooksBalanced();
}

TEST_F(Capture, TheStatusWindowTellsTheStepsAndIsGoneWhenTheDialogShows) {
  struct Case {
    const char* scenario;
    std::vector<Text> texts;
  };
  const Text model(kModel);
  const Case cases[] = {
      {"",
       {u"Connecting to EOS-camera...", u"Starting remote connection to " + model + u"...",
        u"Opening " + model + u"..."}},
      {"live_view = no\n", {u"Connecting to EOS-camera...", u"Starting remote connection to " + model + u"..."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Camera(c.scenario);
    std::vector<Text> texts;
    bool status_gone = false, dialog_shown = false, status_gone_first = false;
    SentMessageHook hook([&](const CWPSTRUCT& m) {
      const Text form_caption = FormCaption(m.hwnd);
      if (const auto text = StaticTextOf(m); text && form_caption.empty() && !text->empty()) texts.push_back(*text);
      if (m.message == WM_DESTROY && m.hwnd == FormOf(m.hwnd) && form_caption.empty() && !texts.empty())
        status_gone = true;
      if (m.message == WM_SHOWWINDOW && m.wParam && form_caption.starts_with(u"Canon plugin EOS") && !dialog_shown) {
        dialog_shown = true;
        status_gone_first = status_gone;
      }
    });
    Run(kCapture, dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      int visible_forms = 0;
      for (HWND w : TopWindowsOfClass(u"EosForm")) visible_forms += IsWindowVisible(w) ? 1 : 0;
      EXPECT_EQ(visible_forms, 1) << "only the capture dialog is on screen";
      EXPECT_TRUE(WindowCaption(dialog).ends_with(u" | " + model)) << ToUtf8(WindowCaption(dialog));
      EndWithEscape(dialog);
    });
    EXPECT_EQ(texts, c.texts);
    EXPECT_TRUE(status_gone_first) << "the status window is gone before the dialog shows";
  }
}

}  // namespace
}  // namespace eos::test
