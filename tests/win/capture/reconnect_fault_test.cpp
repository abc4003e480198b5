// A camera's return that fails with something other than the camera stack's own exception,
// with the plug-in's code in this process so that the SDK's entry points can be wrapped:
// the dialog logs it and keeps looking, and the return after it gives the picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <string>
#include <thread>

#include "Sources/EDSDKBinding.h"
#include "plugin/commands.h"
#include "plugin/services/services.h"
#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/ui_driver.h"
#include "tests/win/support/wait.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

EdsOpenSessionProc g_open_session = nullptr;
std::atomic<int> g_sessions{0};

// The session of the camera's return (the second one of the run) fails as memory running
// out would: with an exception of the runtime's, not of the camera stack.
EdsError EDS_STDCALL OpenSessionOutOfMemoryOnReturn(EdsCameraRef camera) {
  if (++g_sessions == 2) throw std::bad_alloc();
  return g_open_session(camera);
}

TEST(ReconnectFault, AnyFailureOfAReturnIsLoggedAndTheLookForTheCameraGoesOn) {
  TempDir dir;
  // Live view is opened and the camera goes before its first frame: the automatic release
  // comes at the first frame after the return.
  const Text trace = dir.path() + u"trace.txt";
  const StandInCamera camera("picture_size = 160x120\ntrace = " + ToUtf8(trace) +
                             "\nunplug = after EdsSetPropertyData:0x500 1 back after 500\n");
  PrepareSdkPath();
  LoadEDSDKLibrary();
  g_open_session = EdsOpenSession;
  EdsOpenSession = OpenSessionOutOfMemoryOnReturn;
  Text settings;
  ASSERT_EQ(CanonEosSDKParams(ctEos_SetSettings, settings), 0);  // the registry left alone

  const Text file = dir.path() + u"back.jpg";
  std::atomic<bool> returned{false};
  std::thread user([&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    // Three looks for the camera after the failed return at the most; then the user gives up.
    if (!WaitUntil([&] { return returned.load(); }, 10000, "the picture after the second return"))
      PostKey(dialog, VK_ESCAPE);
  });
  Text text = u"File=" + file;
  const int32_t result = CanonEosSDKParams(ctEos_CaptureAuto, text);
  returned = true;
  user.join();
  EdsOpenSession = g_open_session;

  EXPECT_EQ(result, 0) << ToUtf8(text);
  EXPECT_TRUE(FileExists(file));
  EXPECT_GE(g_sessions.load(), 3) << "a session for the start, the failed return and the one after";
  EXPECT_EQ(PluginWindowsLeft(), 0);
  const std::string books = ReadFileBytes(trace);
  const size_t summary = books.find("books: ");
  ASSERT_NE(summary, std::string::npos) << "the SDK was not ended";
  EXPECT_EQ(books.find("leak:"), std::string::npos) << books.substr(summary);
}

}  // namespace
}  // namespace eos::test
