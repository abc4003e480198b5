// The camera's values, the settings dialog and the focus controls as a user meets them:
// the dialogs worked from outside through the real export, what reached the stand-in
// camera read from its trace.
#include <regex>
#include <vector>

#include "base/paramtext.h"
#include "tests/win/capture/capture_driver.h"

namespace eos::test {
namespace {

constexpr char16_t kAvbryt[] = u"Avbryt";

// The values written to a camera property, in their order ("property 0x402 := 0x58").
std::vector<unsigned> Writes(const std::string& trace, unsigned property) {
  static const std::regex kLine(R"(property (0x[0-9A-F]+) := (0x[0-9A-F]+))");
  std::vector<unsigned> values;
  for (std::sregex_iterator it(trace.begin(), trace.end(), kLine), end; it != end; ++it)
    if (std::stoul((*it)[1], nullptr, 16) == property) values.push_back(std::stoul((*it)[2], nullptr, 16));
  return values;
}

// The parameters of the camera commands `command` sent, in their order.
std::vector<int> Commands(const std::string& trace, unsigned command) {
  static const std::regex kLine(R"(EdsSendCommand\(#\d+, (0x[0-9a-fA-F]+), (-?\d+)\) = 0x00000000)");
  std::vector<int> params;
  for (std::sregex_iterator it(trace.begin(), trace.end(), kLine), end; it != end; ++it)
    if (std::stoul((*it)[1], nullptr, 16) == command) params.push_back(std::stoi((*it)[2]));
  return params;
}

constexpr unsigned kIso = 0x402, kWhiteBalance = 0x106, kAfMode = 0x404, kColorSpace = 0x10D, kMetering = 0x403;
constexpr unsigned kAv = 0x405, kTv = 0x406, kExpComp = 0x407;
constexpr unsigned kIso100 = 0x48, kIso400 = 0x58, kDaylight = 1;
constexpr unsigned kDoEvfAf = 0x102, kDriveLensEvf = 0x103;

using Settings = CaptureTest;

TEST_F(Settings, ValuesChosenReachTheCameraAtOnceAndOkReportsTheChange) {
  Camera();
  const Text file = dir_.path() + u"values.jpg";
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND settings = OpenSettings(dialog);
    ASSERT_NE(settings, nullptr);
    // Reading what the camera offers tried values on it; what the user changes comes after.
    const size_t from = Trace().size();
    const auto writes = [&](unsigned property) { return Writes(Trace().substr(from), property); };
    // The lists show what the camera offers, with its current value chosen.
    HWND iso = ComboWithItem(settings, u"400");
    HWND wb = ComboWithItem(settings, u"Daylight");
    ASSERT_NE(iso, nullptr) << "the ISO list was not filled from the camera";
    ASSERT_NE(wb, nullptr);
    EXPECT_EQ(SelectedItem(iso), u"100");
    EXPECT_EQ(SelectedItem(wb), u"Auto");
    ASSERT_TRUE(ChooseItem(iso, u"400"));
    EXPECT_TRUE(WaitUntil([&] { return writes(kIso) == std::vector<unsigned>{kIso400}; }, 10000, "the ISO's write"))
        << "the new ISO reaches the camera while the dialog is open";
    ASSERT_TRUE(ChooseItem(wb, u"Daylight"));
    EXPECT_TRUE(WaitUntil([&] { return writes(kWhiteBalance) == std::vector<unsigned>{kDaylight}; }, 10000,
                          "the white balance's write"));
    EXPECT_EQ(writes(kIso).size(), 1u) << "one list's change sends that value only";
    PostClick(ButtonOf(settings, u"OK"));
    ASSERT_TRUE(WaitHidden(settings));
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ASSERT_EQ(r.result, 0) << ToUtf8(r.text.substr(0, 200));
  EXPECT_EQ(GetParamValue(u"SettingsChanged", r.text), u"1");
  const Text stored = plugin_.Call(kGetSettings, u"").text;
  EXPECT_EQ(GetParamValue(u"ISO", stored), u"400") << ToUtf8(stored);
  EXPECT_EQ(GetParamValue(u"WB", stored), u"Daylight");
  ExpectBooksBalanced();
}

TEST_F(Settings, CancelGivesTheCameraAndTheViewWhatTheyHadBefore) {
  Camera();
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND area = PictureArea(dialog);
    HWND settings = OpenSettings(dialog);
    ASSERT_NE(settings, nullptr);
    const size_t from = Trace().size();
    const auto writes = [&](unsigned property) { return Writes(Trace().substr(from), property); };
    HWND iso = ComboWithItem(settings, u"400");
    ASSERT_NE(iso, nullptr);
    ASSERT_TRUE(ChooseItem(iso, u"400"));
    ASSERT_TRUE(WaitUntil([&] { return !writes(kIso).empty(); }, 10000, "the ISO's write"));
    // A left turn from 0 is 270: the view turns with it.
    PostClick(ButtonOf(settings, u"\u21B6"));
    EXPECT_TRUE(
        WaitUntil([&] { return FindControl(settings, u"Static", u"270 °") != nullptr; }, 10000, "the angle 270 °"));
    EXPECT_TRUE(
        WaitUntil([&] { return MarkCorners(CaptureClient(area)) == "red BL green TL"; }, 5000, "the turned view"))
        << MarkCorners(CaptureClient(area));
    // Escape is the cancel of the settings dialog.
    PostKey(settings, VK_ESCAPE);
    ASSERT_TRUE(WaitHidden(settings));
    const auto iso_back = [&] { return writes(kIso) == std::vector<unsigned>{kIso400, kIso100}; };
    EXPECT_TRUE(WaitUntil(iso_back, 10000, "the old ISO's write")) << "the camera gets its old ISO back";
    EXPECT_TRUE(
        WaitUntil([&] { return MarkCorners(CaptureClient(area)) == "red TL green TR"; }, 5000, "the view turned back"))
        << "the view turns back: " << MarkCorners(CaptureClient(area));
    EXPECT_EQ(SelectedItem(iso), u"100") << "the list shows the camera's value again";
    EXPECT_NE(FindControl(settings, u"Static", u"0 °"), nullptr);
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(plugin_.Call(kGetSettings, u"").text.find(u"ISO=400"), Text::npos);
  ExpectBooksBalanced();
}

TEST_F(Settings, AValueTheCameraRefusesLeavesTheListShowingWhatTheCameraHas) {
  Camera("refuse = EdsSetPropertyData:0x402 1- 0x00000081\n");
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"busy.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND settings = OpenSettings(dialog);
    ASSERT_NE(settings, nullptr);
    HWND iso = ComboWithItem(settings, u"400");
    ASSERT_NE(iso, nullptr);
    ASSERT_TRUE(ChooseItem(iso, u"400"));
    EXPECT_TRUE(WaitUntil([&] { return SelectedItem(iso) == u"100"; }, 5000, "the list to show 100 again"))
        << ToUtf8(SelectedItem(iso));
    EXPECT_TRUE(IsWindowVisible(settings)) << "the dialog stays open and usable";
    PostClick(ButtonOf(settings, u"OK"));
    ASSERT_TRUE(WaitHidden(settings));
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(GetParamValue(u"ISO", plugin_.Call(kGetSettings, u"").text), u"100");
  ExpectBooksBalanced();
}

TEST_F(Settings, EveryKeyOfAStoredTextIsAppliedAtTheNextCapture) {
  Camera();
  const Text stored =
      u"Quality=Normal\tSize=Small\tMeteringMode=Partial\tAFMode=AI Servo AF\tWB=Daylight\tColorSpace=AdobeRGB\t"
      u"ISO=400\tAV=8.0\tTV=1/250\tExpComp=+1.00\tDelay=1\tAngle=90\tMirror=1\tWidth=700\tHeight=600";
  ASSERT_EQ(plugin_.Call(kSetSettings, stored).result, 0);
  RECT seen{};
  std::string marks;
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"stored.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    GetWindowRect(dialog, &seen);
    HWND area = PictureArea(dialog);
    WaitUntil([&] { return (marks = MarkCorners(CaptureClient(area))) == "red TL green BL"; }, 5000, "the stored turn");
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ASSERT_EQ(r.result, 0);
  EXPECT_EQ(GetParamValue(u"Angle", r.text), u"90");
  EXPECT_EQ(marks, "red TL green BL") << "turned by 90 and mirrored";
  EXPECT_EQ(seen.right - seen.left, 700);
  EXPECT_EQ(seen.bottom - seen.top, 600);
  const std::string trace = Trace();
  EXPECT_EQ(Writes(trace, kIso), std::vector<unsigned>{kIso400});
  EXPECT_EQ(Writes(trace, kWhiteBalance), std::vector<unsigned>{kDaylight});
  EXPECT_EQ(Writes(trace, kAfMode), std::vector<unsigned>{1}) << "AI Servo";
  EXPECT_EQ(Writes(trace, kColorSpace), std::vector<unsigned>{2}) << "Adobe RGB";
  EXPECT_EQ(Writes(trace, kMetering), std::vector<unsigned>{4}) << "partial";
  for (const unsigned property : {kAv, kTv, kExpComp}) EXPECT_EQ(Writes(trace, property).size(), 1u) << property;
  EXPECT_EQ(ShutterCommands(trace), "shot ") << "the one-second countdown, then the shot";

  // The next capture in the same process sends no camera value again; new settings from
  // the host do reach the camera.
  const auto capture = [&] {
    const CallResult again =
        Run(kCaptureAuto, u"File=" + dir_.path() + u"again.jpg", [] { EXPECT_TRUE(WaitGone(WaitForCaptureDialog())); });
    EXPECT_EQ(again.result, 0);
  };
  capture();
  EXPECT_EQ(Writes(Trace(), kIso), std::vector<unsigned>{kIso400});
  ASSERT_EQ(plugin_.Call(kSetSettings, u"ISO=100").result, 0);
  capture();
  EXPECT_EQ(Writes(Trace(), kIso), (std::vector<unsigned>{kIso400, kIso100}));
  ExpectBooksBalanced();
}

TEST_F(Settings, AStoredTextFromAnyoneIsAppliedAsFarAsItIsValid) {
  Camera();
  const Text stored =
      u"ISO=FooBar\tWB=-\tquality=fine\tsize=LARGE\tTV=\tDelay=99\tAngle=45\tWidth=100000\tHeight=-5\tSkin=..\\.."
      u"\\windows\\x\t"
      u"Unknown=1\tMirror=yes\tExpComp=+99";
  ASSERT_EQ(plugin_.Call(kSetSettings, stored).result, 0);
  RECT seen{};
  const CallResult r = Run(kCaptureAuto, u"File=" + dir_.path() + u"odd.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    GetWindowRect(dialog, &seen);
    EXPECT_TRUE(WaitGone(dialog));
  });
  ASSERT_EQ(r.result, 0) << ToUtf8(r.text.substr(0, 200));
  EXPECT_FALSE(HasParam(u"Angle", r.text)) << "45 is no angle of the view";
  EXPECT_EQ(ShutterCommands(Trace()), "shot ") << "no 99-second countdown";
  const std::string trace = Trace();
  EXPECT_TRUE(Writes(trace, kIso).empty());
  EXPECT_TRUE(Writes(trace, kWhiteBalance).empty());
  EXPECT_TRUE(Writes(trace, kTv).empty());
  EXPECT_EQ(Writes(trace, 0x100).size(), 1u) << "the quality's name in any letter case still counts";
  EXPECT_LT(seen.right - seen.left, 2000) << "the window keeps a size that fits the screen";
  EXPECT_GT(seen.bottom - seen.top, 100);
  ExpectBooksBalanced();
}

TEST_F(Settings, TheSettingsCommandOpensTheDialogAtOnceAndAnswersTheWholeText) {
  Camera();
  ASSERT_EQ(plugin_.Call(kSetSettings, u"Delay=3\tAngle=180").result, 0);
  const CallResult r = Run(kSettingsOnly, u"ignored", [] {
    HWND settings = WaitForDialog(u"Inställningar", 20000);
    ASSERT_NE(settings, nullptr);
    HWND iso = ComboWithItem(settings, u"400");
    ASSERT_NE(iso, nullptr);
    ASSERT_TRUE(ChooseItem(iso, u"400"));
    Sleep(300);
    PostClick(ButtonOf(settings, u"OK"));
  });
  ASSERT_EQ(r.result, 0);
  for (const char16_t* key : {u"Quality", u"Size", u"MeteringMode", u"AFMode", u"WB", u"ColorSpace", u"ISO", u"AV",
                              u"TV", u"ExpComp", u"Delay", u"Angle", u"Width", u"Height"})
    EXPECT_TRUE(HasParam(key, r.text)) << ToUtf8(key) << " in " << ToUtf8(r.text);
  EXPECT_EQ(GetParamValue(u"ISO", r.text), u"400");
  EXPECT_EQ(GetParamValue(u"Angle", r.text), u"180");
  EXPECT_EQ(plugin_.Call(kGetSettings, u"").text, r.text);

  // Given back as it was answered when the host starts again, the text is applied
  // unchanged: the next settings run answers it again.
  ExpectBooksBalanced();
  plugin_.Reload();
  ASSERT_EQ(plugin_.Call(kSetSettings, r.text).result, 0);
  const CallResult again = Run(kSettingsOnly, u"ignored", [] {
    HWND settings = WaitForDialog(u"Inställningar", 20000);
    ASSERT_NE(settings, nullptr);
    PostClick(ButtonOf(settings, u"OK"));
  });
  EXPECT_EQ(again.text, r.text);
  ExpectBooksBalanced();
}

TEST_F(Settings, AHeldFocusButtonDrivesTheLensFasterTheLongerItIsHeld) {
  Camera();
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"f.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PressFor(ButtonOf(dialog, u"<"), 2600);
    Sleep(500);
    const std::vector<int> held = Commands(Trace(), kDriveLensEvf);
    ASSERT_GE(held.size(), 21u) << "a step every 100 ms";
    for (size_t i = 0; i < held.size(); ++i) EXPECT_EQ(held[i], i < 10 ? 1 : i < 20 ? 2 : 3) << i;
    Sleep(500);
    EXPECT_EQ(Commands(Trace(), kDriveLensEvf).size(), held.size()) << "nothing after the release";
    // A click on the far button is one small step farther, and nothing else.
    PostClick(ButtonOf(dialog, u">"));
    Sleep(500);
    const std::vector<int> clicked = Commands(Trace(), kDriveLensEvf);
    ASSERT_EQ(clicked.size(), held.size() + 1);
    EXPECT_EQ(clicked.back(), 0x8001);
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  ExpectBooksBalanced();
}

TEST_F(Settings, AFocusButtonTheCameraRefusesEndsItsHoldAtOnce) {
  Camera("refuse = EdsSendCommand:0x103 1- 0x00000007\n");
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"f.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PressFor(ButtonOf(dialog, u">"), 1500);
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  const std::string trace = Trace();
  static const std::regex kDrive(R"(EdsSendCommand\(#\d+, 0x103, )");
  const auto tries = std::distance(std::sregex_iterator(trace.begin(), trace.end(), kDrive), std::sregex_iterator());
  EXPECT_EQ(tries, 1) << "the camera is not asked again and again while the button is held";
  ExpectBooksBalanced();
}

TEST_F(Settings, AutofocusStopsByItselfAfterEightSeconds) {
  Camera();
  DWORD started = 0, stopped = 0;
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"af.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    // The run stops autofocus once to learn whether the camera lets it be driven.
    EXPECT_EQ(Commands(Trace(), kDoEvfAf), std::vector<int>{0});
    HWND af = ButtonOf(dialog, u"AF");
    ASSERT_TRUE(IsWindowEnabled(af));
    PostClick(af);
    ASSERT_TRUE(WaitUntil([&] { return Commands(Trace(), kDoEvfAf).size() == 2; }, 10000, "autofocus to start"));
    started = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return Commands(Trace(), kDoEvfAf).size() == 3; }, 15000, "autofocus to stop"));
    stopped = GetTickCount();
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(Commands(Trace(), kDoEvfAf), (std::vector<int>{0, 1, 0}));
  EXPECT_GE(stopped - started, 7000u) << "stopped after eight seconds, not at once";
  ExpectBooksBalanced();
}

TEST_F(Settings, TheEos1000DNeverGetsItsAutofocusDriven) {
  Camera("camera = Canon EOS 1000D\n");
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"af.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(ButtonOf(dialog, u"AF")));
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_TRUE(Commands(Trace(), kDoEvfAf).empty());
  ExpectBooksBalanced();
}

}  // namespace
}  // namespace eos::test
