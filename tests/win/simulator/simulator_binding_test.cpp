// The stand-in found and bound the way the plug-in finds the real SDK: its folder on
// PATH, LoadEDSDKLibrary, and refused calls reported through EDSDKCheck.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "camremote/core/CamDefines.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

class ThroughTheBinding : public testing::Test {
 protected:
  void SetUp() override {
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (win::Wide(ProgramFolder() + u"Canon_EOS_SDK_redist;") + path).c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr); }

  // The message EDSDKCheck raises for a result, or "" when it raises nothing.
  std::string Check(EdsError result, const char16_t* name) {
    try {
      backend_.EDSDKCheck(result, name);
      return "";
    } catch (const ECamException& e) {
      return e.what();
    }
  }

  EdsCameraRef FirstCamera() {
    EdsCameraListRef list = nullptr;
    EdsCameraRef camera = nullptr;
    EXPECT_EQ(Check(EdsGetCameraList(&list), u"EdsGetCameraList"), "");
    EXPECT_EQ(Check(EdsGetChildAtIndex(list, 0, &camera), u"EdsGetChildAtIndex"), "");
    EXPECT_EQ(Check(EdsRelease(list), u"EdsRelease"), "");
    return camera;
  }

  TEDSDK backend_;
};

TEST_F(ThroughTheBinding, ScenarioRefusalsSurfaceAsCameraExceptions) {
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO",
                          L"refuse = EdsOpenSession 1 0x81\n"
                          L"focus = fails\n"
                          L"refuse = EdsGetPropertyData:0x8 1 0x80000081\n");
  LoadEDSDKLibrary();
  ASSERT_EQ(Check(EdsInitializeSDK(), u"EdsInitializeSDK"), "");
  const EdsCameraRef camera = FirstCamera();
  EXPECT_EQ(Check(EdsOpenSession(camera), u"EdsOpenSession"), "EdsOpenSession errorcode 0x00000081, Device busy");
  ASSERT_EQ(Check(EdsOpenSession(camera), u"EdsOpenSession"), "");
  EXPECT_EQ(Check(EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), u"EdsSendCommand"),
            "EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed");
  EdsUInt32 level = 0;
  EXPECT_EQ(Check(EdsGetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &level),
                  u"EdsGetPropertyData, kEdsPropID_BatteryLevel"),
            "EdsGetPropertyData, kEdsPropID_BatteryLevel errorcode 0x80000081, Device busy");
  EXPECT_EQ(Check(EdsCloseSession(camera), u"EdsCloseSession"), "");
  EXPECT_EQ(Check(EdsRelease(camera), u"EdsRelease"), "");
  EXPECT_EQ(Check(EdsTerminateSDK(), u"EdsTerminateSDK"), "");
}

TEST_F(ThroughTheBinding, BatteryLevelsOfTheScenario) {
  LoadEDSDKLibrary();
  const struct {
    const wchar_t* scenario;
    EdsUInt32 level;
  } cases[] = {{L"battery = mains", 0xFFFFFFFF}, {L"battery = 80", 80}, {L"battery = 9", 9}, {L"battery = 50", 50}};
  for (const auto& c : cases) {
    SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", c.scenario);
    ASSERT_EQ(Check(EdsInitializeSDK(), u"EdsInitializeSDK"), "");
    const EdsCameraRef camera = FirstCamera();
    ASSERT_EQ(Check(EdsOpenSession(camera), u"EdsOpenSession"), "");
    EdsUInt32 level = 0;
    EXPECT_EQ(Check(EdsGetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &level), u"EdsGetPropertyData"), "");
    EXPECT_EQ(level, c.level);
    EdsCloseSession(camera);
    EdsRelease(camera);
    EdsTerminateSDK();
  }
}

}  // namespace
}  // namespace eos::test
