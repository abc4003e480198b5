// Cameras that go and come back, through the stand-in EDSDK.DLL's exports: a pulled cable
// and its return, again and again, another model in its place, a camera that switches
// itself off while the host only waits in its message loop, and one kept on by the
// keep-alive. The books balance in every case.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "edsdk/EDSDK.h"
#include "tests/win/simulator/stand_in.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/wait.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// What a session hears; with `keep_alive` it answers the warning as the plug-in does.
struct Session {
  Sdk* sdk = nullptr;
  EdsCameraRef camera = nullptr;
  bool keep_alive = false;
  std::vector<EdsStateEvent> states;
};

EdsError EDS_STDCALL OnState(EdsStateEvent event, EdsUInt32, EdsVoid* context) {
  auto* s = static_cast<Session*>(context);
  s->states.push_back(event);
  if (event == kEdsStateEvent_WillSoonShutDown && s->keep_alive) {
    EXPECT_EQ(s->sdk->EdsSendCommand(s->camera, kEdsCameraCommand_ExtendShutDownTimer, 0), EDS_ERR_OK);
  }
  return EDS_ERR_OK;
}

class Comings : public testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr); }

  void Use(const std::string& scenario) { SetScenario("trace = " + win::ToAnsi(trace_) + "\n" + scenario); }

  // Opens a session on the first camera listed, waiting for one to be there.
  void Open(Session& s) {
    ASSERT_EQ(sdk_.EdsInitializeSDK(), EDS_ERR_OK);
    ASSERT_TRUE(WaitUntil([&] { return Listed(sdk_) == 1; }, 5000, "a camera in the list"));
    s.sdk = &sdk_;
    s.camera = FirstCamera(sdk_);
    ASSERT_EQ(sdk_.EdsSetCameraStateEventHandler(s.camera, kEdsStateEvent_All, OnState, &s), EDS_ERR_OK);
    ASSERT_EQ(sdk_.EdsOpenSession(s.camera), EDS_ERR_OK);
  }
  void Close(Session& s) {
    EXPECT_EQ(sdk_.EdsCloseSession(s.camera), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsRelease(s.camera), EDS_ERR_OK);
  }
  std::string Name(EdsCameraRef camera) {
    EdsDeviceInfo info{};
    EXPECT_EQ(sdk_.EdsGetDeviceInfo(camera, &info), EDS_ERR_OK);
    return info.szDeviceDescription;
  }
  void StartLiveView(EdsCameraRef camera) {
    const uint32_t on = 1, pc = kEdsEvfOutputDevice_PC;
    ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_Mode, 0, 4, &on), EDS_ERR_OK);
    ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_OutputDevice, 0, 4, &pc), EDS_ERR_OK);
  }
  EdsError Frame(EdsCameraRef camera) {
    EdsError r = 0xFFFF;
    DownloadFrame(sdk_, camera, &r);
    return r;
  }
  std::string Trace() { return ReadFileBytes(trace_); }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  TempDir dir_;
  Text trace_ = dir_.path() + u"trace.txt";
  Sdk sdk_;
};

TEST_F(Comings, PulledAndBackAfterItsTimeAsACameraToOpenAnew) {
  Use("unplug = after EdsDownloadEvfImage 3 back after 300\n");
  Session old;
  Open(old);
  StartLiveView(old.camera);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(old.camera), EDS_ERR_OK) << i;
  EXPECT_EQ(Frame(old.camera), EDS_ERR_COMM_DISCONNECTED);
  EXPECT_EQ(Listed(sdk_), 0u);
  ASSERT_TRUE(PumpUntil([&] { return !old.states.empty(); }));
  EXPECT_EQ(old.states, std::vector<EdsStateEvent>{kEdsStateEvent_Shutdown});

  Session next;
  Open(next);
  EXPECT_EQ(Name(next.camera), "Canon EOS 5D Mark III");
  EdsDeviceInfo info{};
  EXPECT_EQ(sdk_.EdsGetDeviceInfo(old.camera, &info), EDS_ERR_COMM_DISCONNECTED);
  EXPECT_EQ(sdk_.EdsOpenSession(old.camera), EDS_ERR_COMM_DISCONNECTED);
  StartLiveView(next.camera);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Frame(next.camera), EDS_ERR_OK) << i;
  Close(old);
  Close(next);
  EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  const std::string trace = Trace();
  EXPECT_EQ(Count(trace, "cameras unplugged"), 1) << trace;
  EXPECT_EQ(Count(trace, "cameras back: Canon EOS 5D Mark III"), 1) << trace;
  EXPECT_NE(trace.find("sessions opened 2, closed 2"), std::string::npos) << trace;
  ExpectBooksBalanced(trace);
}

TEST_F(Comings, PulledAgainAfterEachReturnAndReplacedByAnotherModel) {
  Use("unplug = after EdsDownloadEvfImage 2 back after 100 repeat 2\nback_as = Canon EOS 90D\n");
  const char* const names[] = {"Canon EOS 5D Mark III", "Canon EOS 90D", "Canon EOS 90D", "Canon EOS 90D"};
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    Session s;
    Open(s);
    EXPECT_EQ(Name(s.camera), names[round]);
    StartLiveView(s.camera);
    EXPECT_EQ(Frame(s.camera), EDS_ERR_OK);
    EXPECT_EQ(Frame(s.camera), EDS_ERR_OK);
    EXPECT_EQ(Frame(s.camera), round < 3 ? EDS_ERR_COMM_DISCONNECTED : EDS_ERR_OK) << "pulled three times in all";
    Close(s);
  }
  EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  const std::string trace = Trace();
  EXPECT_EQ(Count(trace, "cameras back: Canon EOS 90D"), 3) << trace;
  ExpectBooksBalanced(trace);
}

// The host makes no call while it waits: the warning and the switching off come from
// the stand-in's timer through the message loop.
TEST_F(Comings, SwitchesItselfOffWhileTheHostWaitsWithoutTheKeepAlive) {
  Use("sleep_after = 600 back after 300\n");
  Session s;
  Open(s);
  ASSERT_TRUE(PumpUntil([&] { return s.states.size() >= 2; }, 5000));
  EXPECT_EQ(s.states, (std::vector<EdsStateEvent>{kEdsStateEvent_WillSoonShutDown, kEdsStateEvent_Shutdown}));
  uint32_t level = 0;
  EXPECT_EQ(sdk_.EdsGetPropertyData(s.camera, kEdsPropID_BatteryLevel, 0, 4, &level), EDS_ERR_COMM_DISCONNECTED);
  Session next;
  Open(next);
  EXPECT_EQ(sdk_.EdsGetPropertyData(next.camera, kEdsPropID_BatteryLevel, 0, 4, &level), EDS_ERR_OK);
  Close(s);
  Close(next);
  EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  const std::string trace = Trace();
  EXPECT_EQ(Count(trace, "cameras switched off"), 1) << trace;
  ExpectBooksBalanced(trace);
}

TEST_F(Comings, TheKeepAliveKeepsItOn) {
  Use("sleep_after = 400\n");
  Session s;
  s.keep_alive = true;
  Open(s);
  PumpUntil([] { return false; }, 1500);
  EXPECT_GE(s.states.size(), 3u) << "a warning about every 200 ms";
  for (EdsStateEvent e : s.states) EXPECT_EQ(e, kEdsStateEvent_WillSoonShutDown);
  uint32_t level = 0;
  EXPECT_EQ(sdk_.EdsGetPropertyData(s.camera, kEdsPropID_BatteryLevel, 0, 4, &level), EDS_ERR_OK);
  Close(s);
  EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  ExpectBooksBalanced(Trace());
}

// A camera gone and back every few dozen milliseconds while a host thread reconnects
// to it again and again, and the thread of the first session waits in its message loop,
// where the stand-in's timer looks at the time meanwhile.
TEST_F(Comings, FlappingNeitherLeaksNorLocks) {
  Use("unplug = after EdsDownloadEvfImage 3 back after 30 repeat 1000000\nback_as = Canon EOS 90D\n");
  Session first;
  Open(first);
  Close(first);
  std::atomic<bool> done{false};
  std::atomic<int> cycles{0};
  std::thread host([&] {
    const DWORD end = GetTickCount() + 3000;
    while (GetTickCount() < end) {
      EdsCameraListRef list = nullptr;
      EdsUInt32 count = 0;
      EdsCameraRef camera = nullptr;
      EXPECT_EQ(sdk_.EdsGetCameraList(&list), EDS_ERR_OK);
      EXPECT_EQ(sdk_.EdsGetChildCount(list, &count), EDS_ERR_OK);
      if (count == 1) {
        EXPECT_EQ(sdk_.EdsGetChildAtIndex(list, 0, &camera), EDS_ERR_OK);
      }
      EXPECT_EQ(sdk_.EdsRelease(list), EDS_ERR_OK);
      if (camera == nullptr) {
        Sleep(5);
        continue;
      }
      Session s{&sdk_, camera, false, {}};
      EXPECT_EQ(sdk_.EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, OnState, &s), EDS_ERR_OK);
      if (sdk_.EdsOpenSession(camera) == EDS_ERR_OK) {
        StartLiveView(camera);
        while (Frame(camera) == EDS_ERR_OK) sdk_.EdsGetEvent();
        sdk_.EdsGetEvent();
        EXPECT_EQ(sdk_.EdsCloseSession(camera), EDS_ERR_OK);
        ++cycles;
      }
      EXPECT_EQ(sdk_.EdsRelease(camera), EDS_ERR_OK);
    }
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 10000);
  host.join();
  EXPECT_GT(cycles.load(), 10);
  EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  const std::string trace = Trace();
  EXPECT_GE(Count(trace, "cameras back: Canon EOS 90D"), cycles.load() - 1);
  ExpectBooksBalanced(trace);
  std::printf("flapping for 3 s: %d reconnections\n", cycles.load());
}

}  // namespace
}  // namespace eos::test
