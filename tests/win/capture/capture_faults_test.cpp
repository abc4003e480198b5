// The capture when the camera, the host's input or the host itself misbehaves: every
// road ends as a host expects, with the host's process alive, no window of the plug-in
// left and the camera let go.
#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/paramtext.h"
#include "tests/win/capture/capture_driver.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

using CaptureFaults = CaptureTest;

TEST_F(CaptureFaults, AConnectionThatFailsAnswersTheErrorWithoutADialog) {
  struct Case {
    const char* scenario;
    const char16_t* text;  // the start of the answer
  };
  const Case cases[] = {
      {"cameras = 0\n", u"No EOS-camera is connected to the computer"},
      {"busy = EdsOpenSession 1-\n", u"Connection to camera failed: "},
      // The camera refuses to send its pictures to the computer: no remote mode.
      {"remote = no\n", u"Connection to camera failed: EdsSetPropertyData, kEdsPropID_SaveTo"},
      // Live view refused: the error text stays empty.
      {"refuse = EdsSetPropertyData:0x500 1- 0x2\n", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    Camera(c.scenario);
    // Nothing to drive: the call returns by itself, without showing the dialog.
    const CallResult r = Run(kCaptureAuto, u"File=" + dir_.path() + u"x.jpg", [] {});
    EXPECT_EQ(r.result, -1);
    EXPECT_TRUE(r.text.starts_with(c.text)) << ToUtf8(r.text);
    if (Text(c.text).empty()) {
      EXPECT_EQ(r.text, u"");
    }
    EXPECT_EQ(PluginWindowsLeft(), 0);
    ExpectBooksBalanced();
  }
}

// A refused shot keeps the dialog: the user tries again, or cancels.
TEST_F(CaptureFaults, ARefusedShotKeepsTheDialogForAnotherTryOrACancel) {
  struct Case {
    const char* refused;   // which shots the camera refuses
    const char16_t* then;  // the user's next button
    int32_t result;
  };
  const Case cases[] = {{"1", u"Take picture", 0}, {"1-", u"Cancel", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused);
    Camera(std::string("refuse = EdsSendCommand:0x0 ") + c.refused + " 0x2\n");
    const Text file = dir_.path() + u"shot" + Ascii(c.refused) + u".jpg";
    const int shots = Shots();
    const CallResult r = Run(kCapture, u"File=" + file, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      PostClick(ButtonOf(dialog, u"Take picture"));
      ASSERT_TRUE(WaitForShots(shots + 1));
      // The camera's words ("Internal error") over the view tell the user why.
      HWND area = PictureArea(dialog);
      WaitUntil([&] { return GreenInk(CaptureClient(area)) > 0; }, 3000, "words over the view");
      EXPECT_GT(GreenInk(CaptureClient(area)), 3 * 400) << "no words over the view";
      ASSERT_TRUE(IsWindowVisible(dialog)) << "the dialog closed after a refused shot";
      EXPECT_FALSE(FileExists(file));
      PostClick(ButtonOf(dialog, c.then));
      EXPECT_TRUE(WaitGone(dialog));
    });
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(c.result == 0 ? GetParamValue(u"Fil", r.text) : r.text, file);
    EXPECT_EQ(FileExists(file), c.result == 0);
    ExpectBooksBalanced();
  }
}

TEST_F(CaptureFaults, AFailedDownloadKeepsTheDialogAndLeavesNoPictureAtTheHostsPath) {
  Camera("refuse = EdsDownload 1 0x2\n");
  TempDir pictures;
  const Text file = pictures.path() + u"pic.jpg";
  WriteFileBytes(file, "an old picture");
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PostClick(ButtonOf(dialog, u"Take picture"));
    ASSERT_TRUE(WaitForShots(1));
    Sleep(1000);
    ASSERT_TRUE(IsWindowVisible(dialog)) << "the dialog closed after a failed download";
    EXPECT_EQ(FilesIn(pictures.path()), std::vector<Text>{}) << "the old file is deleted, nothing half-written";
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(r.text, file);
  EXPECT_EQ(FilesIn(pictures.path()), std::vector<Text>{});
  ExpectBooksBalanced();
}

// Input a host may send. An automatic capture into a file that can be written answers
// the picture; one into a file that cannot keeps the dialog open until the user cancels,
// and the cancel answers the input's file name.
TEST_F(CaptureFaults, HostInputOfEveryShape) {
  struct Case {
    const char* name;
    Text input;
    Text file;
    bool writable;
  };
  const Text d = dir_.path();
  const Text unicode = d + u"Bild \u65E5\u672C \u00C6\u00D8\u00C5 \U0001F600.jpg";
  // 1,000 characters in folders of 200, each of which a file system allows.
  std::vector<Text> long_folders;
  Text long_name = d;
  while (long_name.size() + 200 < 1000 - 10) {
    long_name += Text(199, u'f') + u"\\";
    long_folders.push_back(long_name);
    ASSERT_TRUE(CreateDirectoryW(win::W(u"\\\\?\\" + long_name), nullptr));
  }
  long_name += Text(1000 - long_name.size() - 4, u'n') + u".jpg";
  ASSERT_EQ(long_name.size(), 1000u);
  const Text huge(10 * 1024 * 1024, u'x');
  const Case cases[] = {
      {"a folder that does not exist", u"File=" + d + u"missing\\pic.jpg", d + u"missing\\pic.jpg", false},
      {"1000 characters", u"File=" + long_name, long_name, true},
      {"characters outside ANSI", u"File=" + unicode, unicode, true},
      {"10 MB beside the file", u"File=" + d + u"big.jpg\tJunk=" + huge, d + u"big.jpg", true},
      {"10 MB of file name", huge, huge, false},
  };
  Camera();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int shots = Shots();
    const CallResult r = Run(kCaptureAuto, c.input, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      if (c.writable) {
        EXPECT_TRUE(WaitGone(dialog));
        return;
      }
      // The automatic shot fails at the download: the dialog stays for the user.
      EXPECT_TRUE(WaitForShots(shots + 1));
      Sleep(1000);
      EXPECT_TRUE(IsWindowVisible(dialog));
      PostKey(dialog, VK_ESCAPE);
      EXPECT_TRUE(WaitGone(dialog));
    });
    if (c.writable) {
      EXPECT_EQ(r.result, 0);
      EXPECT_EQ(GetParamValue(u"Fil", r.text), c.file);
      EXPECT_NE(GetFileAttributesW(win::W(u"\\\\?\\" + c.file)), INVALID_FILE_ATTRIBUTES);
      EXPECT_FALSE(GetParamValue(u"Base64", r.text).empty());
    } else {
      EXPECT_EQ(r.result, -1);
      EXPECT_TRUE(r.text == c.file) << ToUtf8(r.text.substr(0, 200));
    }
  }
  ExpectBooksBalanced();
  DeleteFileW(win::W(u"\\\\?\\" + long_name));
  for (auto it = long_folders.rbegin(); it != long_folders.rend(); ++it) RemoveDirectoryW(win::W(u"\\\\?\\" + *it));
}

// What a folder holds: each entry's name with its bytes, or "<folder>".
std::vector<std::pair<Text, std::string>> Snapshot(const Text& folder) {
  std::vector<std::pair<Text, std::string>> out;
  for (const Text& name : FilesIn(folder)) {
    const Text path = folder + name;
    const bool is_folder = GetFileAttributesW(win::W(path)) & FILE_ATTRIBUTE_DIRECTORY;
    out.emplace_back(name, is_folder ? "<folder>" : ReadFileBytes(path));
  }
  return out;
}

// Paths a picture cannot be written to, in a folder that exists: the shot's download
// fails, the dialog stays for the user, and what was there is left as it was.
TEST_F(CaptureFaults, APathThatCannotBeWrittenKeepsTheDialogAndWhatIsThere) {
  struct Case {
    const char* name;
    Text file;                              // in the case's folder
    std::function<bool(const Text&)> make;  // what the folder holds before the capture
  };
  const auto old_picture = [](const Text& path) {
    WriteFileBytes(path, "an old picture");
    return true;
  };
  const Case cases[] = {
      {"a read-only file", u"pic.jpg",
       [&](const Text& f) {
         return old_picture(f + u"pic.jpg") && SetFileAttributesW(win::W(f + u"pic.jpg"), FILE_ATTRIBUTE_READONLY);
       }},
      {"a folder of that name", u"pic.jpg",
       [](const Text& f) { return !!CreateDirectoryW(win::W(f + u"pic.jpg"), nullptr); }},
      {"a file where the folder should be", u"old.jpg\\pic.jpg",
       [&](const Text& f) { return old_picture(f + u"old.jpg"); }},
  };
  Camera();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    ASSERT_TRUE(c.make(folder.path()));
    const auto before = Snapshot(folder.path());
    const Text file = folder.path() + c.file;
    const int shots = Shots();
    const CallResult r = Run(kCaptureAuto, u"File=" + file, [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      ASSERT_TRUE(WaitForShots(shots + 1));
      Sleep(1000);
      EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed although the picture was not written";
      PostKey(dialog, VK_ESCAPE);
      EXPECT_TRUE(WaitGone(dialog));
    });
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.text, file);
    EXPECT_EQ(Snapshot(folder.path()), before);
    SetFileAttributesW(win::W(folder.path() + u"pic.jpg"), FILE_ATTRIBUTE_NORMAL);
  }
  ExpectBooksBalanced();
}

// A host whose window procedure calls the plug-in again while the capture dialog runs:
// the dialog's modal loop dispatches the host's messages.
class ReentrantHost {
 public:
  explicit ReentrantHost(const PluginCopy& plugin) : plugin_(plugin) {
    instance_ = this;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ReentrantHost";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, L"ReentrantHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    SetActiveWindow(window_);
  }
  ~ReentrantHost() {
    DestroyWindow(window_);
    instance_ = nullptr;
  }
  ReentrantHost(const ReentrantHost&) = delete;
  ReentrantHost& operator=(const ReentrantHost&) = delete;

  HWND window() const { return window_; }
  // Asks the host's window, from any thread, to call the plug-in with `cmd`.
  void Ask(int32_t cmd) { PostMessageW(window_, WM_APP, static_cast<WPARAM>(cmd), 0); }

  struct Call {
    int32_t cmd;
    CallResult result;
  };
  std::vector<Call> calls;  // written on the host's thread
  std::atomic<int> answered{0};

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP && instance_) {
      const auto cmd = static_cast<int32_t>(wp);
      instance_->calls.push_back({cmd, instance_->plugin_.Call(cmd, u"File=C:\\inner.jpg")});
      ++instance_->answered;
      return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }
  static inline ReentrantHost* instance_ = nullptr;
  const PluginCopy& plugin_;
  HWND window_ = nullptr;
};

TEST_F(CaptureFaults, CallsFromTheHostWhileTheDialogRunsAnswerAtOnceAndLeaveTheCaptureAlone) {
  Camera();
  ReentrantHost host(plugin_);
  const Text file = dir_.path() + u"outer.jpg";
  const int32_t inner[] = {kCapture, kCaptureAuto, kSettingsOnly, kFree};
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    for (int32_t cmd : inner) {
      const int before = host.answered;
      host.Ask(cmd);
      WaitUntil([&] { return host.answered != before; }, 5000, "the inner command's answer", 10);
      EXPECT_EQ(host.answered, before + 1) << "command " << cmd << " did not answer at once";
      EXPECT_TRUE(IsWindowVisible(dialog)) << "command " << cmd << " touched the running dialog";
    }
    EXPECT_EQ(WaitForCaptureDialog(0), dialog) << "no second dialog";
    PostClick(ButtonOf(dialog, u"Take picture"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ASSERT_EQ(host.calls.size(), 4u);
  for (const ReentrantHost::Call& c : host.calls) {
    SCOPED_TRACE(c.cmd);
    EXPECT_EQ(c.result.result, c.cmd == kFree ? 0 : -1);
    if (c.cmd != kFree) {
      EXPECT_EQ(c.result.text, u"File=C:\\inner.jpg") << "the host's text is kept";
    }
  }
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(GetParamValue(u"Fil", r.text), file);
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(IsWindowEnabled(host.window())) << "the host's window is enabled again";
  ExpectBooksBalanced();
  // The plug-in still works for the host afterwards.
  const CallResult again = Run(kCaptureAuto, dir_.path() + u"again.jpg", [] { WaitGone(WaitForCaptureDialog()); });
  EXPECT_EQ(again.result, 0);
}

// Refuses every window of the plug-in's form class on the calling thread while it lives,
// as a desktop that is still starting up (or out of resources) refuses windows.
class FormsRefused {
 public:
  FormsRefused() : hook_(SetWindowsHookExW(WH_CBT, &Proc, nullptr, GetCurrentThreadId())) {}
  ~FormsRefused() { UnhookWindowsHookEx(hook_); }
  FormsRefused(const FormsRefused&) = delete;
  FormsRefused& operator=(const FormsRefused&) = delete;
  bool active() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && WindowClass(reinterpret_cast<HWND>(wp)) == u"EosForm") return 1;
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  HHOOK hook_;
};

TEST_F(CaptureFaults, ADialogThatCannotBeCreatedAnswersWhyNotACancel) {
  Camera();
  const Text file = dir_.path() + u"never.jpg";
  {
    FormsRefused refused;
    ASSERT_TRUE(refused.active());
    for (const int32_t cmd : {kCapture, kCaptureAuto}) {
      SCOPED_TRACE(cmd);
      const CallResult r = plugin_.Call(cmd, u"File=" + file);
      EXPECT_EQ(r.result, -1);
      EXPECT_EQ(r.text, u"The capture dialog cannot be created") << "not the File value of a cancel";
    }
    // The words are the host's to translate, as every error of the plug-in.
    ASSERT_EQ(plugin_.Call(5, u"The capture dialog cannot be created=Fångstdialogen kan inte skapas").result, 0);
    const CallResult translated = plugin_.Call(kCaptureAuto, u"File=" + file);
    EXPECT_EQ(translated.result, -1);
    EXPECT_EQ(translated.text, u"Fångstdialogen kan inte skapas");
    // The settings command answers as it always has after a run that did not confirm.
    EXPECT_EQ(plugin_.Call(kSettingsOnly, u"").result, -1);
  }
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(PluginWindowsLeft(), 0);
  // With windows again, the next capture works.
  const CallResult again = Run(kCaptureAuto, u"File=" + file, [] { WaitGone(WaitForCaptureDialog()); });
  ExpectPictureAnswer(again, file);
  ExpectBooksBalanced();
}

}  // namespace
}  // namespace eos::test
