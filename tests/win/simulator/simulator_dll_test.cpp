// Drives the stand-in EDSDK.DLL the way the plug-in does: loaded by path, every entry
// point looked up by its exported name, events received from this thread's message loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "edsdk/EDSDK.h"
#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "tests/win/simulator/stand_in.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

struct Heard {
  DWORD thread = 0;
  std::vector<std::pair<EdsObjectEvent, EdsBaseRef>> objects;
  std::vector<EdsStateEvent> states;
  std::vector<DWORD> threads;  // where each callback ran
  std::vector<EdsUInt32> progress;
};

EdsError EDS_STDCALL OnObject(EdsObjectEvent event, EdsBaseRef ref, EdsVoid* context) {
  auto* heard = static_cast<Heard*>(context);
  heard->objects.emplace_back(event, ref);
  heard->threads.push_back(GetCurrentThreadId());
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnState(EdsStateEvent event, EdsUInt32, EdsVoid* context) {
  auto* heard = static_cast<Heard*>(context);
  heard->states.push_back(event);
  heard->threads.push_back(GetCurrentThreadId());
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnProperty(EdsPropertyEvent, EdsPropertyID, EdsUInt32, EdsVoid* context) {
  static_cast<Heard*>(context)->threads.push_back(GetCurrentThreadId());
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnProgress(EdsUInt32 percent, EdsVoid* context, EdsBool*) {
  static_cast<Heard*>(context)->progress.push_back(percent);
  return EDS_ERR_OK;
}

class StandIn : public testing::Test {
 protected:
  void SetUp() override {
    trace_ = dir_.path() + u"trace.txt";
    SetScenario("trace = " + win::ToAnsi(trace_) + "\n");
  }
  void TearDown() override { SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr); }

  EdsCameraRef Connect() {
    EXPECT_EQ(sdk_.EdsInitializeSDK(), EDS_ERR_OK);
    const EdsCameraRef camera = FirstCamera(sdk_);
    EXPECT_EQ(sdk_.EdsSetObjectEventHandler(camera, kEdsObjectEvent_All, OnObject, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsSetPropertyEventHandler(camera, kEdsPropertyEvent_All, OnProperty, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, OnState, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsOpenSession(camera), EDS_ERR_OK);
    return camera;
  }
  void Finish(EdsCameraRef camera) {
    EXPECT_EQ(sdk_.EdsCloseSession(camera), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsRelease(camera), EDS_ERR_OK);
    EXPECT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  }
  std::string Trace() { return ReadFileBytes(trace_); }

  std::vector<uint8_t> Frame(EdsCameraRef camera) { return DownloadFrame(sdk_, camera); }
  double FocusOfFrame(EdsCameraRef camera) {
    const std::vector<uint8_t> jpeg = Frame(camera);
    const auto img = sim::DecodeJpeg(jpeg.data(), jpeg.size());
    EXPECT_TRUE(img);
    return img ? sim::FocusFigure(*img) : 0;
  }

  TempDir dir_;
  Text trace_;
  Sdk sdk_;
  Heard heard_;
};

TEST_F(StandIn, ExportsAllFiftyFourEntryPoints) {
  ASSERT_TRUE(sdk_.module);
  EXPECT_EQ(sdk_.missing, 0);
  EXPECT_NE(GetProcAddress(sdk_.module.get(), "_EdsCreateStream@8"), nullptr);
#if defined(_WIN64)
  // The name the 64-bit SDK exports it by.
  EXPECT_NE(GetProcAddress(sdk_.module.get(), "EdsCreateStream"), nullptr);
#endif
}

TEST_F(StandIn, ASessionWithLiveViewAndAShotDownloadedToAFile) {
  EdsCameraRef camera = Connect();
  EdsDeviceInfo info{};
  ASSERT_EQ(sdk_.EdsGetDeviceInfo(camera, &info), EDS_ERR_OK);
  EXPECT_STREQ(info.szDeviceDescription, "Canon EOS 5D Mark III");
  uint32_t battery = 0;
  ASSERT_EQ(sdk_.EdsGetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &battery), EDS_ERR_OK);
  EXPECT_EQ(battery, kEdsBatteryLevel_AC);
  const uint32_t iso400 = 0x58, host = kEdsSaveTo_Host, on = 1, pc = kEdsEvfOutputDevice_PC;
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_ISOSpeed, 0, 4, &iso400), EDS_ERR_OK);
  uint32_t iso = 0;
  ASSERT_EQ(sdk_.EdsGetPropertyData(camera, kEdsPropID_ISOSpeed, 0, 4, &iso), EDS_ERR_OK);
  EXPECT_EQ(iso, iso400);
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_SaveTo, 0, 4, &host), EDS_ERR_OK);

  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_Mode, 0, 4, &on), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_OutputDevice, 0, 4, &pc), EDS_ERR_OK);
  std::vector<uint8_t> previous;
  for (int i = 0; i < 20; ++i) {
    const std::vector<uint8_t> frame = Frame(camera);
    const auto img = sim::DecodeJpeg(frame.data(), frame.size());
    ASSERT_TRUE(img) << "frame " << i;
    EXPECT_EQ(img->width, 960);
    EXPECT_EQ(img->height, 640);
    EXPECT_NE(frame, previous);
    previous = frame;
  }
  const double before = FocusOfFrame(camera);
  ASSERT_EQ(sdk_.EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Far3), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Far3), EDS_ERR_OK);
  EXPECT_GT(FocusOfFrame(camera), before * 1.5);

  heard_ = {};
  ASSERT_EQ(sdk_.EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  EXPECT_TRUE(heard_.objects.empty());  // not inside the call
  ASSERT_TRUE(PumpUntil([&] { return !heard_.objects.empty(); }));
  ASSERT_EQ(heard_.objects[0].first, kEdsObjectEvent_DirItemRequestTransfer);
  for (DWORD t : heard_.threads) EXPECT_EQ(t, GetCurrentThreadId());
  const EdsDirectoryItemRef item = heard_.objects[0].second;

  EdsDirectoryItemInfo item_info{};
  ASSERT_EQ(sdk_.EdsGetDirectoryItemInfo(item, &item_info), EDS_ERR_OK);
  const Text file = dir_.path() + u"shot.jpg";
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(sdk_.EdsCreateFileStream(win::ToAnsi(file).c_str(), kEdsFileCreateDisposition_CreateAlways,
                                     kEdsAccess_Write, &stream),
            EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsSetProgressCallback(stream, OnProgress, kEdsProgressOption_Periodically, &heard_), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsDownload(item, item_info.size, stream), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsRelease(stream), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsDownloadComplete(item), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsRelease(item), EDS_ERR_OK);
  ASSERT_GT(heard_.progress.size(), 1u);
  EXPECT_EQ(heard_.progress.back(), 100u);

  const std::string bytes = ReadFileBytes(file);
  EXPECT_EQ(bytes.size(), item_info.size);
  const auto picture = sim::DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 5184);
  EXPECT_EQ(picture->height, 3456);

  Finish(camera);
  const std::string trace = Trace();
  EXPECT_NE(trace.find("EdsSendCommand(#2, 0x0, 0) = 0x00000000"), std::string::npos);
  EXPECT_NE(trace.find("sessions opened 1, closed 1"), std::string::npos) << trace;
  ExpectBooksBalanced(trace);
}

TEST_F(StandIn, EventsGoToTheThreadThatOpenedTheSession) {
  SetScenario("picture_size = 320x200\nevent = capture_error after EdsSendCommand 1\n");
  EdsCameraRef camera = Connect();
  const uint32_t host = kEdsSaveTo_Host;
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_SaveTo, 0, 4, &host), EDS_ERR_OK);
  std::atomic<EdsError> result{0xFFFF};
  std::thread other([&] { result = sdk_.EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0); });
  other.join();
  ASSERT_EQ(result.load(), EDS_ERR_OK);
  ASSERT_TRUE(PumpUntil([&] { return !heard_.objects.empty() && !heard_.states.empty(); }));
  EXPECT_EQ(heard_.states, std::vector<EdsStateEvent>{kEdsStateEvent_CaptureError});
  for (DWORD t : heard_.threads) EXPECT_EQ(t, GetCurrentThreadId());
  sdk_.EdsRelease(heard_.objects[0].second);
  Finish(camera);
}

TEST_F(StandIn, GetEventDeliversWithoutAMessageLoop) {
  SetScenario("event = will_soon_shut_down after EdsOpenSession 1\n");
  EdsCameraRef camera = Connect();
  EXPECT_TRUE(heard_.states.empty());
  ASSERT_EQ(sdk_.EdsGetEvent(), EDS_ERR_OK);
  EXPECT_EQ(heard_.states, std::vector<EdsStateEvent>{kEdsStateEvent_WillSoonShutDown});
  Finish(camera);
}

TEST_F(StandIn, RefusesTheChosenCall) {
  SetScenario("refuse = EdsOpenSession 1 0x81\nfocus = fails\n");
  ASSERT_EQ(sdk_.EdsInitializeSDK(), EDS_ERR_OK);
  const EdsCameraRef camera = FirstCamera(sdk_);
  EXPECT_EQ(sdk_.EdsOpenSession(camera), EDS_ERR_DEVICE_BUSY);
  ASSERT_EQ(sdk_.EdsOpenSession(camera), EDS_ERR_OK);
  EXPECT_EQ(sdk_.EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_TAKE_PICTURE_AF_NG);
  Finish(camera);
}

TEST_F(StandIn, AScenarioFileBesideTheDll) {
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr);
  TempDir folder;
  ASSERT_TRUE(CopyFileW(win::W(StandInPath()), win::W(folder.path() + u"EDSDK.DLL"), FALSE));
  WriteFileBytes(folder.path() + u"edsdk-scenario.txt",
                 "camera = Canon EOS 1000D\r\ncamera = Canon EOS 5D Mark III\r\n");
  Sdk copy(folder.path() + u"EDSDK.DLL");
  ASSERT_TRUE(copy.module);
  ASSERT_EQ(copy.EdsInitializeSDK(), EDS_ERR_OK);
  EdsCameraListRef list = nullptr;
  EdsUInt32 count = 0;
  ASSERT_EQ(copy.EdsGetCameraList(&list), EDS_ERR_OK);
  ASSERT_EQ(copy.EdsGetChildCount(list, &count), EDS_ERR_OK);
  EXPECT_EQ(count, 2u);
  EdsCameraRef camera = nullptr;
  EdsDeviceInfo info{};
  ASSERT_EQ(copy.EdsGetChildAtIndex(list, 0, &camera), EDS_ERR_OK);
  ASSERT_EQ(copy.EdsGetDeviceInfo(camera, &info), EDS_ERR_OK);
  EXPECT_STREQ(info.szDeviceDescription, "Canon EOS 1000D");
  copy.EdsRelease(camera);
  copy.EdsRelease(list);
  copy.EdsTerminateSDK();

  WriteFileBytes(folder.path() + u"edsdk-scenario.txt", "cameras = many\r\n");
  EXPECT_EQ(copy.EdsInitializeSDK(), EDS_ERR_INVALID_PARAMETER);
  EXPECT_EQ(copy.EdsGetCameraList(&list), EDS_ERR_INVALID_FUNCTION_CALL);
}

TEST_F(StandIn, ReleasedReferencesAndNullPointersAreRefused) {
  EdsCameraRef camera = Connect();
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(sdk_.EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsRelease(stream), EDS_ERR_OK);
  EdsUInt64 length = 0;
  EXPECT_EQ(sdk_.EdsGetLength(stream, &length), EDS_ERR_INVALID_HANDLE);
  EXPECT_EQ(sdk_.EdsRelease(stream), EDS_ERR_INVALID_HANDLE);
  EXPECT_EQ(sdk_.EdsGetPropertyData(camera, kEdsPropID_Av, 0, 4, nullptr), EDS_ERR_INVALID_POINTER);
  EXPECT_EQ(sdk_.EdsGetDeviceInfo(reinterpret_cast<EdsCameraRef>(uintptr_t{0x40}), nullptr), EDS_ERR_INVALID_POINTER);
  EXPECT_EQ(sdk_.EdsOpenSession(reinterpret_cast<EdsCameraRef>(uintptr_t{0x1234})), EDS_ERR_INVALID_HANDLE);
  Finish(camera);
}

// Nothing else holds the DLL here, so each round loads and unloads it for real.
TEST(StandInReloaded, EventsStillArriveAfterTheDllIsLoadedAgain) {
  SetScenario("picture_size = 64x48\n");
  for (int round = 0; round < 2; ++round) {
    Sdk sdk;
    ASSERT_TRUE(sdk.module);
    Heard heard;
    ASSERT_EQ(sdk.EdsInitializeSDK(), EDS_ERR_OK);
    const EdsCameraRef camera = FirstCamera(sdk);
    ASSERT_EQ(sdk.EdsSetObjectEventHandler(camera, kEdsObjectEvent_All, OnObject, &heard), EDS_ERR_OK);
    ASSERT_EQ(sdk.EdsOpenSession(camera), EDS_ERR_OK);
    const uint32_t host = kEdsSaveTo_Host;
    ASSERT_EQ(sdk.EdsSetPropertyData(camera, kEdsPropID_SaveTo, 0, 4, &host), EDS_ERR_OK);
    ASSERT_EQ(sdk.EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
    ASSERT_TRUE(PumpUntil([&] { return !heard.objects.empty(); })) << "round " << round;
    sdk.EdsRelease(heard.objects[0].second);
    sdk.EdsCloseSession(camera);
    sdk.EdsRelease(camera);
    sdk.EdsTerminateSDK();
  }
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr);
}

TEST(StandInVersion, TheCommandForVersionsReportsTheStandInsVersion) {
  PluginCopy plugin;
  const Text sdk = plugin.folder() + u"Canon_EOS_SDK_redist\\";
  ASSERT_TRUE(CreateDirectoryW(win::W(sdk), nullptr));
  ASSERT_TRUE(CopyFileW(win::W(StandInPath()), win::W(sdk + u"EDSDK.DLL"), FALSE));
  const CallResult r = plugin.Call(98, u"");
  EXPECT_NE(r.text.find(u"SDKVersion=1.0.0.0\t"), Text::npos) << ToUtf8(r.text);
}

}  // namespace
}  // namespace eos::test
