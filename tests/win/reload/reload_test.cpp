// A host frees the plug-in and loads it again: the second load must find no window or
// window class of the first, and its timers must tick. The road host DLL runs the camera
// road with the component's timers and frees its windows the way the plug-in does.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

using RunRoadProc = int (*)(DWORD);

struct RoadRun {
  int frames = -2;           // -1 the road raised, -2 the DLL did not load
  HMODULE module = nullptr;  // where it was loaded, freed by now
};

RoadRun LoadRunFree(DWORD ms) {
  win::UniqueModule host(LoadLibraryW(win::W(ProgramFolder() + u"road_host.dll")));
  if (!host) return {};
  const auto run = reinterpret_cast<RunRoadProc>(reinterpret_cast<void*>(GetProcAddress(host.get(), "RunRoad")));
  return {run ? run(ms) : -2, host.get()};
}

// A timer window of this process (other test processes have theirs).
bool OwnTimerWindowLeft() {
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"EosTimerWindow", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) return true;
  }
  return false;
}

TEST(Reload, EveryLoadRunsItsTimersAndLeavesNoWindowOrClassBehind) {
  StandInCamera camera;
  for (int load = 1; load <= 3; ++load) {
    const RoadRun run = LoadRunFree(600);
    EXPECT_GT(run.frames, 3) << "load " << load;
    EXPECT_EQ(GetModuleHandleW(L"road_host.dll"), nullptr) << "load " << load;
    EXPECT_FALSE(OwnTimerWindowLeft()) << "load " << load;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExW(run.module, L"EosTimerWindow", &wc)) << "load " << load;
  }
}

// The plug-in itself: a capture with automatic release, live view on its timers, then
// freed and loaded again from the same file, three times in one process.
TEST(Reload, ThePluginCapturesAfterEveryReload) {
  StandInCamera camera("picture_size = 320x240\n");
  PluginCopy plugin;
  for (int load = 1; load <= 3; ++load) {
    const Text picture = plugin.folder() + u"pic" + IntToText(load) + u".jpg";
    const CallResult r = plugin.Call(11, u"File=" + picture + u"\t");
    EXPECT_EQ(r.result, 0) << "load " << load << ": " << ToUtf8(r.text);
    EXPECT_TRUE(FileExists(picture)) << "load " << load;
    EXPECT_EQ(plugin.Call(9, u"").result, 0);
    plugin.Reload();
    EXPECT_FALSE(OwnTimerWindowLeft()) << "load " << load;
  }
}

}  // namespace
}  // namespace eos::test
