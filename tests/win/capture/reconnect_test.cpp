// A camera that goes away during a capture and comes back, through the real export: the
// operator is told, the buttons that need the camera wait, the dialog finds the camera
// again by itself, and the host's answer is what it would have been without the drop.
#include <algorithm>
#include <functional>
#include <string>

#include "base/paramtext.h"
#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/wait.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

using Reconnect = CaptureTest;

// The words over the view while the camera is gone: far more of the dialog's green than
// any digit or the frame's own mark.
bool GoneWordsShown(HWND dialog) {
  HWND area = PictureArea(dialog);
  return area && GreenInk(CaptureClient(area)) > 4000;
}

bool ReleaseEnabled(HWND dialog) { return IsWindowEnabled(ButtonOf(dialog, u"Take picture")) != FALSE; }

// The camera gone and back: the words shown, then the live view and the buttons again.
void AwaitDropAndReturn(HWND dialog) {
  EXPECT_TRUE(WaitUntil([&] { return GoneWordsShown(dialog) && !ReleaseEnabled(dialog); }, 10000,
                        "the words of a camera that is gone, with Take picture disabled"));
  EXPECT_TRUE(WaitUntil([&] { return !GoneWordsShown(dialog) && ReleaseEnabled(dialog); }, 10000,
                        "the camera back, the words gone and Take picture enabled"));
}

TEST_F(Reconnect, ACameraPulledAndBackAtEveryStageGivesThePictureAfterItsReturn) {
  struct Case {
    const char* stage;
    const char* pull;  // the stand-in's unplug rule
    int32_t command;
    void (*drive)(HWND dialog);
  };
  const Case cases[] = {
      // Live view is opened and the camera goes before its first frame: the automatic
      // release comes at the first frame after the return.
      {"before the first frame", "EdsSetPropertyData:0x500 1", kCaptureAuto, [](HWND) {}},
      {"during live view", "EdsDownloadEvfImage 3", kCapture,
       [](HWND d) {
         AwaitDropAndReturn(d);
         PostClick(ButtonOf(d, u"Take picture"));
       }},
      {"between the half-press and the shot", "EdsSendCommand:0x4 1", kCapture,
       [](HWND d) {
         PressFor(ButtonOf(d, u"Take picture"), 400);
         AwaitDropAndReturn(d);
         PostClick(ButtonOf(d, u"Take picture"));
       }},
      // The picture is downloaded and the camera goes before the download is complete:
      // nothing stands at the host's path, and the automatic run takes it again.
      {"during the download", "EdsDownload 1", kCaptureAuto, [](HWND) {}},
  };
  // What a run without the drop answers, and the settings it leaves.
  Camera();
  const CallResult plain =
      Run(kCaptureAuto, u"File=" + dir_.path() + u"plain.jpg", [] { WaitGone(WaitForCaptureDialog()); });
  ASSERT_EQ(plain.result, 0);
  const Text plain_settings = plugin_.Call(kGetSettings, u"").text;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stage);
    Camera(std::string("unplug = after ") + c.pull + " back after 1000\n");
    const Text file = dir_.path() + u"back.jpg";
    DeleteFileW(win::W(file));
    const CallResult r = Run(c.command, u"File=" + file, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      c.drive(dialog);
      EXPECT_TRUE(WaitGone(dialog));
    });
    ExpectPictureAnswer(r, file);
    EXPECT_EQ(KeysOf(r.text), KeysOf(plain.text)) << "the answer of a run without the drop";
    EXPECT_EQ(plugin_.Call(kGetSettings, u"").text, plain_settings) << "the camera's values as they were";
    ExpectBooksBalanced();
  }
}

TEST_F(Reconnect, SeveralDropsInOneDialogAndAnotherModelNamedInTheCaption) {
  Camera("unplug = after EdsDownloadEvfImage 4 back after 600 repeat 2\nback_as = Canon EOS 90D\n");
  const Text file = dir_.path() + u"after-drops.jpg";
  Text caption;
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    for (int drop = 1; drop <= 3; ++drop) {
      SCOPED_TRACE(drop);
      AwaitDropAndReturn(dialog);
    }
    caption = WindowCaption(dialog);
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_TRUE(caption.ends_with(u" | Canon EOS 90D")) << ToUtf8(caption);
  ExpectPictureAnswer(r, file);
  ExpectBooksBalanced();
}

TEST_F(Reconnect, ACameraThatNeverReturnsIsCancelledAsAlways) {
  Camera("unplug = after EdsDownloadEvfImage 3\n");
  const Text file = dir_.path() + u"never.jpg";
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GoneWordsShown(dialog); }, 10000, "the words of a camera that is gone"));
    for (const char16_t* caption : {u"Take picture", u"...", u">", u"<"})
      EXPECT_FALSE(IsWindowEnabled(ButtonOf(dialog, caption))) << ToUtf8(caption);
    PostKey(dialog, VK_RETURN);  // nothing to take
    Sleep(1500);                 // and a look for the camera or two
    EXPECT_TRUE(IsWindowVisible(dialog));
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(r.text, file);
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(PluginWindowsLeft(), 0);
  ExpectBooksBalanced();
}

TEST_F(Reconnect, AFlappingCameraLeavesTheDialogAnswering) {
  Camera("unplug = after EdsDownloadEvfImage 2 back after 300 repeat 1000\n");
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"flap.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    const DWORD start = GetTickCount();
    int slow = 0, drops = 0;
    bool was_enabled = true;
    while (GetTickCount() - start < 30000) {
      DWORD_PTR ignored = 0;
      if (!SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored)) ++slow;
      const bool enabled = ReleaseEnabled(dialog);
      if (was_enabled && !enabled) ++drops;
      was_enabled = enabled;
      Sleep(50);
    }
    EXPECT_EQ(slow, 0) << "the dialog kept answering within a second";
    EXPECT_GE(drops, 5) << "the camera went and came back";
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(PluginWindowsLeft(), 0);
  ExpectBooksBalanced();
}

// Message boxes of this process on screen now.
int VisibleBoxes() {
  int n = 0;
  for (HWND w : TopWindowsOfClass(u"#32770")) n += IsWindowVisible(w) ? 1 : 0;
  return n;
}

TEST_F(Reconnect, ATroubledReturnEndsConnectedOrWaitingWithoutABox) {
  struct Case {
    const char* name;
    const char* trouble;  // besides the pull and the return
  };
  const Case cases[] = {
      // The return's first sessions answer "Device busy".
      {"busy when back", "busy = EdsOpenSession 2-4\n"},
      // The session opens, then remote mode is refused (the camera will not send its
      // pictures to the computer) at the first tries.
      {"remote refused when back", "refuse = EdsSetPropertyData:0xb 2-3 0x2\n"},
      // The SDK refuses to list the cameras for a while.
      {"no camera list", "refuse = EdsGetCameraList 2-4 0x2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Camera(std::string("unplug = after EdsDownloadEvfImage 3 back after 500\n") + c.trouble);
    const Text file = dir_.path() + u"troubled.jpg";
    DeleteFileW(win::W(file));
    int boxes = 0;
    const CallResult r = Run(kCapture, u"File=" + file, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      const auto watch = [&](const std::function<bool()>& done) {
        return [&, done] {
          boxes = std::max(boxes, VisibleBoxes());
          return done();
        };
      };
      EXPECT_TRUE(WaitUntil(watch([&] { return GoneWordsShown(dialog); }), 10000, "the camera gone"));
      EXPECT_TRUE(WaitUntil(watch([&] { return ReleaseEnabled(dialog) && !GoneWordsShown(dialog); }), 15000,
                            "the camera back after its troubles"));
      PostClick(ButtonOf(dialog, u"Take picture"));
      EXPECT_TRUE(WaitGone(dialog));
    });
    EXPECT_EQ(boxes, 0) << "no message box";
    ExpectPictureAnswer(r, file);
    ExpectBooksBalanced();
  }
}

}  // namespace
}  // namespace eos::test
