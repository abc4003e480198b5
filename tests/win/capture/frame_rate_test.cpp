// The live view's pace as the operator chooses it, against a stand-in camera that makes its
// frames at a pace of its own: the choice in the settings text, a camera without a new
// frame asked again without a word, and the first frame asked for as soon as live view is
// on. The downloads and their answers are read from the stand-in's trace.
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "base/paramtext.h"
#include "dialog/core/camera_settings.h"
#include "tests/win/capture/capture_driver.h"

namespace eos::test {
namespace {

constexpr char kNotReady[] = "0x0000A102";
constexpr char kOk[] = "0x00000000";

// The answers of the live-view downloads in a trace, in their order.
std::vector<std::string> Downloads(const std::string& trace) {
  static const std::regex kLine(R"(EdsDownloadEvfImage\([^)]*\) = (0x[0-9A-Fa-f]+))");
  std::vector<std::string> out;
  for (std::sregex_iterator it(trace.begin(), trace.end(), kLine), end; it != end; ++it) out.push_back((*it)[1]);
  return out;
}

int Count(const std::vector<std::string>& answers, const char* answer) {
  return static_cast<int>(std::count(answers.begin(), answers.end(), answer));
}

using FrameRate = CaptureTest;

TEST_F(FrameRate, TheChoiceIsStoredOnlyWhenNotTheDefaultAndReadBack) {
  Camera();
  const auto choose = [&](const char16_t* rate, Text* shown) {
    return Run(kSettingsOnly, u"ignored", [&] {
      HWND settings = WaitForDialog(u"Inställningar", 20000);
      ASSERT_NE(settings, nullptr);
      HWND rates = ComboWithItem(settings, u"15");
      ASSERT_NE(rates, nullptr);
      ASSERT_EQ(ComboItem(rates, 3), u"30");
      *shown = SelectedItem(rates);
      ASSERT_TRUE(ChooseItem(rates, rate));
      PostClick(ButtonOf(settings, u"OK"));
    });
  };
  Text shown;
  const CallResult thirty = choose(u"30", &shown);
  ASSERT_EQ(thirty.result, 0);
  EXPECT_EQ(shown, u"10") << "the default";
  EXPECT_EQ(GetParamValue(u"FrameRate", thirty.text), u"30") << ToUtf8(thirty.text);
  EXPECT_EQ(plugin_.Call(kGetSettings, u"").text, thirty.text);

  const CallResult ten = choose(u"10", &shown);
  ASSERT_EQ(ten.result, 0);
  EXPECT_EQ(shown, u"30") << "read back from the stored text";
  EXPECT_FALSE(HasParam(u"FrameRate", ten.text)) << "a text of today at the default: " << ToUtf8(ten.text);
  ExpectBooksBalanced();
}

// The camera makes 7 frames a second, fewer than any rate asks for: between its frames
// the downloads answer "not ready", and the dialog asks again at its next tick without a
// message and without taking the camera for lost.
TEST_F(FrameRate, NotReadyAnswersAreSkippedSilentlyAtEachRate) {
  for (const int rate : kFrameRates) {
    SCOPED_TRACE(rate);
    Camera("live_view_rate = 7\n");
    ClearTrace();  // the books of this rate's run alone
    ASSERT_EQ(plugin_.Call(kSetSettings, u"FrameRate=" + IntToText(rate)).result, 0);
    const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"paced.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      Sleep(1500);
      EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << "no message box";
      PostClick(ButtonOf(dialog, u"Take picture"));
      EXPECT_TRUE(WaitGone(dialog));
    });
    ASSERT_EQ(r.result, 0) << ToUtf8(r.text.substr(0, 200));
    const std::string trace = Trace();
    const std::vector<std::string> answers = Downloads(trace);
    EXPECT_GE(Count(answers, kOk), 5) << "the camera's frames shown";
    EXPECT_GE(Count(answers, kNotReady), 1) << "asked between the camera's frames";
    EXPECT_EQ(Count(answers, kOk) + Count(answers, kNotReady), static_cast<int>(answers.size()));
    const std::regex sessions(R"(EdsOpenSession\()");
    EXPECT_EQ(std::distance(std::sregex_iterator(trace.begin(), trace.end(), sessions), std::sregex_iterator()), 1)
        << "the camera was never taken for lost and opened again";
    ExpectBooksBalanced();
  }
}

// The camera's first frame comes 1.5 s after live view goes on. The dialog asks for it at
// once and again every few tens of milliseconds, not once a tick of its rate; command 11's
// automatic release still waits for it.
TEST_F(FrameRate, TheFirstFrameIsAskedForAtOnceAndTheAutomaticReleaseWaitsForIt) {
  Camera("live_view_start = 1500\n");
  const CallResult r = Run(kCaptureAuto, u"File=" + dir_.path() + u"first.jpg",
                           [] { EXPECT_TRUE(WaitGone(WaitForCaptureDialog(), 30000)); });
  ASSERT_EQ(r.result, 0) << ToUtf8(r.text.substr(0, 200));
  const std::string trace = Trace();
  const std::vector<std::string> answers = Downloads(trace);
  const auto first = std::find(answers.begin(), answers.end(), kOk);
  ASSERT_NE(first, answers.end()) << "a frame was shown";
  EXPECT_GT(first - answers.begin(), 20) << "asked more often than every 100 ms before it came";
  std::smatch frame;
  ASSERT_TRUE(std::regex_search(trace, frame, std::regex(R"(EdsDownloadEvfImage\([^)]*\) = 0x00000000)")));
  EXPECT_EQ(ShutterCommands(trace.substr(0, static_cast<size_t>(frame.position(0)))), "")
      << "no shot before the first frame";
  EXPECT_EQ(ShutterCommands(trace), "shot ");
  ExpectBooksBalanced();
}

}  // namespace
}  // namespace eos::test
