// Failure injection through the plug-in. An automatic capture with live view (command 11)
// is traced once against a willing stand-in; then it is run again once per distinct SDK
// call of that trace, the stand-in refusing that call once with "Internal error", and
// once more answering it "Device busy" every time, so every retry gives up. The camera's
// own events and a pulled cable are raised at each stage of the capture as well.
//
// The driver is a patient user: it answers every message box, and a dialog that still
// waits after a while gets one more "Take picture" and then Escape. Every run must end
// within its time with the picture answered, or with -1 and the failure named (or the
// file named, when the user cancelled); and in every run no window of the plug-in is
// left, no picture half-written, and the stand-in's books balanced.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/win/capture/capture_driver.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

constexpr DWORD kPatienceMs = 5000;  // a user's wait before doing something about a dialog
constexpr DWORD kRunLimitMs = 60000;

struct Outcome {
  CallResult r;
  bool shown = false;       // the capture dialog appeared
  int user_steps = 0;       // 1: a second "Take picture"; 2: then Escape
  std::vector<Text> boxes;  // the messages of the boxes answered
  bool ended = false;       // the call returned within its time
};

// How a run ended, for the printed figures.
std::string Kind(const Outcome& o) {
  if (o.r.result == 0) return o.user_steps == 0 ? "picture" : "picture on the user's second try";
  if (o.user_steps == 2) return "cancelled by the user";
  return o.shown ? "dialog closed with an error" : "error before the dialog";
}

class CaptureInjection : public CaptureTest {
 protected:
  // One automatic capture into `file_` under `scenario`, worked by the patient user.
  Outcome Capture(const std::string& scenario) {
    ClearTrace();
    Camera(scenario);
    Outcome o;
    o.r = Run(kCaptureAuto, u"File=" + file_, [&] {
      DWORD waiting_since = GetTickCount();
      HWND dialog = nullptr;
      const auto look = [&] {
        if (Returned()) return true;
        const DWORD now = GetTickCount();
        AnswerBoxes(&o.boxes);
        if (!dialog && (dialog = WaitForCaptureDialog(0)) != nullptr) {
          o.shown = true;
          waiting_since = now;
        }
        if (dialog && IsWindowVisible(dialog) && now - waiting_since > kPatienceMs && o.user_steps < 2) {
          if (o.user_steps++ == 0) {
            PostClick(ButtonOf(dialog, u"Take picture"));
          } else {
            PostKey(dialog, VK_ESCAPE);
          }
          waiting_since = now;
        }
        return false;
      };
      o.ended = static_cast<bool>(WaitUntil(look, kRunLimitMs, "the capture to end"));
    });
    return o;
  }

  // What holds after every run, whatever was injected; `failure` is the words of the
  // injected error. When the refused call is itself a giving back (a release, a closing
  // session), what it would have given back is the SDK's to keep, not a leak.
  void ExpectSoundEnd(const Outcome& o, const char16_t* failure, bool refused_giving_back = false) {
    EXPECT_TRUE(o.ended) << "the capture did not end within " << kRunLimitMs / 1000 << " s";
    EXPECT_EQ(PluginWindowsLeft(), 0);
    if (!refused_giving_back) ExpectBooksBalanced();
    const std::vector<Text> files = FilesIn(folder_.path());
    if (o.r.result == 0) {
      ExpectPictureAnswer(o.r, file_);
      EXPECT_EQ(files, std::vector<Text>{u"pic.jpg"});
    } else {
      EXPECT_EQ(o.r.result, -1);
      EXPECT_EQ(files, std::vector<Text>{}) << "a picture or a part of one was left";
      if (o.user_steps == 2) {
        EXPECT_EQ(o.r.text, file_) << "a cancel answers the file";
      } else if (!o.r.text.empty()) {
        EXPECT_NE(o.r.text.find(failure), Text::npos) << ToUtf8(o.r.text);
      } else {
        // Only a live view that fails to start answers -1 without a text.
        EXPECT_FALSE(o.shown) << "the dialog closed with -1 and no text";
      }
    }
    DeleteFileW(win::W(file_));
  }

  // Answers every message box of the process, keeping what it said.
  static void AnswerBoxes(std::vector<Text>* seen) {
    for (HWND box : TopWindowsOfClass(u"#32770")) {
      if (!IsWindowVisible(box)) continue;
      seen->push_back(DialogStaticText(box));
      ClickButton(box, IDOK);
      WaitUntil([box] { return !IsWindowVisible(box); }, 2000, "the box to close", 10);
    }
  }

  // The distinct calls of a clean run, each run again under `rule` ("refuse = %s 1 0x2").
  void EveryCallOfTheCapture(const char* rule, const char16_t* failure) {
    const Outcome clean = Capture("");
    ASSERT_EQ(clean.r.result, 0) << ToUtf8(clean.r.text.substr(0, 300));
    ASSERT_EQ(clean.user_steps, 0);
    DeleteFileW(win::W(file_));
    const std::set<std::string> calls = DistinctCalls(Trace());
    ASSERT_GT(calls.size(), 30u) << "the trace of the capture was not read";
    std::map<std::string, int> kinds;
    int boxes = 0;
    for (const std::string& call : calls) {
      SCOPED_TRACE(call);
      char line[200];
      std::snprintf(line, sizeof line, rule, call.c_str());
      const Outcome o = Capture(std::string(line) + "\n");
      ExpectSoundEnd(o, failure, call == "EdsRelease" || call == "EdsCloseSession");
      ++kinds[Kind(o)];
      boxes += static_cast<int>(o.boxes.size());
      std::printf("  %-34s %-34s %s\n", call.c_str(), Kind(o).c_str(), ToUtf8(o.r.text.substr(0, 90)).c_str());
    }
    std::printf("capture failure injection (%s): %zu distinct calls;", rule, calls.size());
    for (const auto& [kind, n] : kinds) std::printf(" %s %d;", kind.c_str(), n);
    std::printf(" message boxes %d\n", boxes);
  }

  TempDir folder_;
  Text file_ = folder_.path() + u"pic.jpg";
};

TEST_F(CaptureInjection, EveryCallOfTheCaptureRefusedOnce) {
  EveryCallOfTheCapture("refuse = %s 1 0x2", u"Internal error");
}

TEST_F(CaptureInjection, EveryCallOfTheCaptureBusyUntilTheRetriesGiveUp) {
  EveryCallOfTheCapture("busy = %s 1-", u"Device busy");
}

// The camera's own events, and its cable pulled, at every stage of a capture: connected,
// live view started, its first frame (which releases the shutter), the shot, the picture
// found, the download.
TEST_F(CaptureInjection, TheCamerasEventsAtEveryStage) {
  const char* const stages[] = {
      "EdsOpenSession 1",     "EdsSetPropertyData:0x500 1", "EdsDownloadEvfImage 1",
      "EdsSendCommand:0x0 1", "EdsGetDirectoryItemInfo 1",  "EdsDownload 1",
  };
  const char* const events[] = {"shutdown", "will_soon_shut_down", "capture_error", "internal_error"};
  for (const char* stage : stages) {
    for (const char* event : events) {
      const std::string rule = std::string("event = ") + event + " after " + stage;
      SCOPED_TRACE(rule);
      const Outcome o = Capture(rule + "\n");
      ExpectSoundEnd(o, u"");
      std::printf("  %-60s %s, %zu message boxes\n", rule.c_str(), Kind(o).c_str(), o.boxes.size());
    }
    const std::string rule = std::string("unplug = after ") + stage;
    SCOPED_TRACE(rule);
    const Outcome o = Capture(rule + "\n");
    ExpectSoundEnd(o, u"Communication disconnected");
    EXPECT_NE(o.r.result, 0) << "a picture from a camera that is gone";
    std::printf("  %-60s %s, %zu message boxes: %s\n", rule.c_str(), Kind(o).c_str(), o.boxes.size(),
                ToUtf8(o.r.text.substr(0, 90)).c_str());
  }
}

}  // namespace
}  // namespace eos::test
