#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "simulator/core/sdk.h"

namespace eos::sim {
namespace {

// Events wait here until the test delivers them, as a message loop would.
class QueueSink : public EventSink {
 public:
  void Attach(int session) override { attached.push_back(session); }
  void Detach(int session) override {
    std::erase(attached, session);
    std::erase_if(queue, [&](const auto& e) { return e.first == session; });
  }
  void Post(int session, std::function<void()> deliver) override { queue.emplace_back(session, std::move(deliver)); }
  void DeliverPending() override { Drain(); }
  void Stopped() override { queue.clear(); }
  size_t Drain() {
    auto items = std::move(queue);
    queue.clear();
    for (auto& item : items) item.second();
    return items.size();
  }
  std::vector<int> attached;
  std::vector<std::pair<int, std::function<void()>>> queue;
};

struct Heard {
  std::vector<std::pair<EdsObjectEvent, EdsBaseRef>> objects;
  std::vector<std::pair<EdsPropertyEvent, EdsPropertyID>> properties;
  std::vector<EdsStateEvent> states;
  std::vector<EdsUInt32> state_data;
  std::vector<EdsUInt32> progress;
};

EdsError EDS_STDCALL OnObject(EdsObjectEvent event, EdsBaseRef ref, EdsVoid* context) {
  static_cast<Heard*>(context)->objects.emplace_back(event, ref);
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnProperty(EdsPropertyEvent event, EdsPropertyID id, EdsUInt32, EdsVoid* context) {
  static_cast<Heard*>(context)->properties.emplace_back(event, id);
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnState(EdsStateEvent event, EdsUInt32 data, EdsVoid* context) {
  static_cast<Heard*>(context)->states.push_back(event);
  static_cast<Heard*>(context)->state_data.push_back(data);
  return EDS_ERR_OK;
}
EdsError EDS_STDCALL OnProgress(EdsUInt32 percent, EdsVoid* context, EdsBool*) {
  static_cast<Heard*>(context)->progress.push_back(percent);
  return EDS_ERR_OK;
}

// The text of the comment segment right after a JPEG's start marker; empty without one.
std::string LeadingComment(const std::vector<uint8_t>& jpeg) {
  if (jpeg.size() < 6 || jpeg[2] != 0xFF || jpeg[3] != 0xFE) return {};
  const size_t end = 4 + (size_t{jpeg[4]} << 8 | jpeg[5]);  // the length counts itself
  if (end < 6 || end > jpeg.size()) return {};
  return std::string(jpeg.begin() + 6, jpeg.begin() + static_cast<std::ptrdiff_t>(end));
}

class SdkTest : public testing::Test {
 protected:
  // A small picture size keeps the sanitizer build quick; one test takes a Large one.
  void Use(std::string scenario) { scenario_ = std::move(scenario); }
  void SetUp() override { scenario_ = "picture_size = 600x400\n"; }
  void TearDown() override {
    if (sdk_) sdk_->EdsTerminateSDK();
  }

  Sdk& sdk() {
    if (!sdk_) {
      SdkSetup setup;
      setup.events = &sink_;
      setup.scenario = [this] { return scenario_; };
      setup.complain = [this](const std::string& e) { complaint_ = e; };
      setup.clock = [this] { return now_; };
      sdk_ = std::make_unique<Sdk>(std::move(setup));
    }
    return *sdk_;
  }

  // Initialises the SDK, opens a session on camera `index` with handlers installed.
  EdsCameraRef Connect(int index = 0) {
    EXPECT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK) << complaint_;
    EdsCameraListRef list = nullptr;
    EXPECT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_OK);
    EdsCameraRef camera = nullptr;
    EXPECT_EQ(sdk().EdsGetChildAtIndex(list, index, &camera), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsRelease(list), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSetObjectEventHandler(camera, kEdsObjectEvent_All, OnObject, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSetPropertyEventHandler(camera, kEdsPropertyEvent_All, OnProperty, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, OnState, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsOpenSession(camera), EDS_ERR_OK);
    return camera;
  }

  void Disconnect(EdsCameraRef camera) {
    EXPECT_EQ(sdk().EdsCloseSession(camera), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsRelease(camera), EDS_ERR_OK);
  }

  uint32_t Get32(EdsCameraRef camera, EdsPropertyID id) {
    uint32_t v = 0xDEADBEEF;
    EXPECT_EQ(sdk().EdsGetPropertyData(camera, id, 0, 4, &v), EDS_ERR_OK) << std::hex << id;
    return v;
  }
  EdsError Set32(EdsCameraRef camera, EdsPropertyID id, uint32_t v) {
    return sdk().EdsSetPropertyData(camera, id, 0, 4, &v);
  }

  void StartLiveView(EdsCameraRef camera) {
    ASSERT_EQ(Set32(camera, kEdsPropID_Evf_Mode, 1), EDS_ERR_OK);
    ASSERT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, kEdsEvfOutputDevice_PC), EDS_ERR_OK);
  }

  // One live-view frame, as the plug-in's poller fetches it.
  std::vector<uint8_t> Frame(EdsCameraRef camera, EdsError* result = nullptr, EdsRect* zoom_rect = nullptr) {
    EdsStreamRef stream = nullptr;
    EdsEvfImageRef image = nullptr;
    EXPECT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsCreateEvfImageRef(stream, &image), EDS_ERR_OK);
    const EdsError r = sdk().EdsDownloadEvfImage(camera, image);
    if (result) *result = r;
    std::vector<uint8_t> bytes;
    if (r == EDS_ERR_OK) {
      void* p = nullptr;
      EdsUInt64 n = 0;
      EXPECT_EQ(sdk().EdsGetPointer(stream, &p), EDS_ERR_OK);
      EXPECT_EQ(sdk().EdsGetLength(stream, &n), EDS_ERR_OK);
      bytes.assign(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
      if (zoom_rect) EXPECT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_Evf_ZoomRect, 0, 16, zoom_rect), EDS_ERR_OK);
    }
    EXPECT_EQ(sdk().EdsRelease(image), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsRelease(stream), EDS_ERR_OK);
    return bytes;
  }

  double FrameFocus(EdsCameraRef camera) {
    const std::vector<uint8_t> jpeg = Frame(camera);
    const auto img = DecodeJpeg(jpeg.data(), jpeg.size());
    EXPECT_TRUE(img);
    return img ? FocusFigure(*img) : 0;
  }

  // Downloads an announced item into memory, with progress, and completes it.
  std::vector<uint8_t> Download(EdsDirectoryItemRef item) {
    EdsDirectoryItemInfo info{};
    EXPECT_EQ(sdk().EdsGetDirectoryItemInfo(item, &info), EDS_ERR_OK);
    EdsStreamRef stream = nullptr;
    EXPECT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSetProgressCallback(stream, OnProgress, kEdsProgressOption_Periodically, &heard_), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsDownload(item, info.size, stream), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsDownloadComplete(item), EDS_ERR_OK);
    void* p = nullptr;
    EdsUInt64 n = 0;
    sdk().EdsGetPointer(stream, &p);
    sdk().EdsGetLength(stream, &n);
    EXPECT_EQ(n, info.size);
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(p), static_cast<uint8_t*>(p) + n);
    EXPECT_EQ(sdk().EdsRelease(stream), EDS_ERR_OK);
    return bytes;
  }

  // A picture taken for the host: the item its event announced.
  EdsDirectoryItemRef ShootToHost(EdsCameraRef camera) {
    heard_.objects.clear();
    EXPECT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
    sink_.Drain();
    EXPECT_EQ(heard_.objects.size(), 1u);
    return heard_.objects.empty() ? nullptr : heard_.objects[0].second;
  }

  // How many cameras a fresh camera list holds.
  EdsUInt32 Listed() {
    EdsCameraListRef list = nullptr;
    EdsUInt32 count = 99;
    EXPECT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsGetChildCount(list, &count), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsRelease(list), EDS_ERR_OK);
    return count;
  }

  std::string DeviceName(EdsCameraRef camera) {
    EdsDeviceInfo info{};
    EXPECT_EQ(sdk().EdsGetDeviceInfo(camera, &info), EDS_ERR_OK);
    return info.szDeviceDescription;
  }

  // Every reference handed out was released, every session closed.
  void ExpectBooksBalanced() {
    const Books& books = sdk().books();
    for (size_t i = 0; i < kRefKindCount; ++i)
      EXPECT_EQ(books.handed(static_cast<RefKind>(i)), books.released(static_cast<RefKind>(i)))
          << RefKindName(static_cast<RefKind>(i));
    EXPECT_EQ(books.sessions_opened(), books.sessions_closed());
  }

  std::string scenario_;
  std::string complaint_;
  uint64_t now_ = 0;  // the SDK's clock
  QueueSink sink_;
  Heard heard_;
  std::unique_ptr<Sdk> sdk_;
};

TEST_F(SdkTest, EnumeratesTheScenarioCamerasWithTheirDeviceInfo) {
  Use("camera = Canon EOS 5D Mark III\ncamera = Canon EOS 1000D\nsubtype = 0\n");
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_OK);
  EdsUInt32 count = 0;
  ASSERT_EQ(sdk().EdsGetChildCount(list, &count), EDS_ERR_OK);
  ASSERT_EQ(count, 2u);
  for (EdsInt32 i = 0; i < 2; ++i) {
    EdsCameraRef camera = nullptr;
    ASSERT_EQ(sdk().EdsGetChildAtIndex(list, i, &camera), EDS_ERR_OK);
    EdsDeviceInfo info{};
    ASSERT_EQ(sdk().EdsGetDeviceInfo(camera, &info), EDS_ERR_OK);
    EXPECT_STREQ(info.szDeviceDescription, i == 0 ? "Canon EOS 5D Mark III" : "Canon EOS 1000D");
    EXPECT_NE(std::string(info.szPortName), "");
    EXPECT_EQ(info.deviceSubType, 0u);
    EXPECT_EQ(sdk().EdsRelease(camera), EDS_ERR_OK);
  }
  EdsCameraRef none = nullptr;
  EXPECT_EQ(sdk().EdsGetChildAtIndex(list, 2, &none), EDS_ERR_INVALID_INDEX);
  EXPECT_EQ(sdk().EdsGetChildAtIndex(list, -1, &none), EDS_ERR_INVALID_INDEX);
  EXPECT_EQ(sdk().EdsRelease(list), EDS_ERR_OK);
  EXPECT_EQ(sdk().books().handed(RefKind::Camera), 2u);
  EXPECT_EQ(sdk().books().released(RefKind::Camera), 2u);
}

TEST_F(SdkTest, NoCameraGivesAnEmptyList) {
  Use("cameras = 0");
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_OK);
  EdsUInt32 count = 99;
  EXPECT_EQ(sdk().EdsGetChildCount(list, &count), EDS_ERR_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(sdk().EdsRelease(list), EDS_ERR_OK);
}

TEST_F(SdkTest, AnUnwritableTraceIsReportedButTheCameraWorks) {
  Use("trace = /no/such/folder/trace.txt");
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  EXPECT_EQ(complaint_, "cannot write the trace file \"/no/such/folder/trace.txt\"");
}

TEST_F(SdkTest, CallsBeforeInitialisingOrWithABadScenarioAreRefused) {
  EdsCameraListRef list = nullptr;
  EXPECT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_INVALID_FUNCTION_CALL);
  EXPECT_EQ(sdk().EdsTerminateSDK(), EDS_ERR_OK);
  Use("battery = full");
  EXPECT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_INVALID_PARAMETER);
  EXPECT_EQ(complaint_, "scenario line 1: expected a number");
  EXPECT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_INVALID_FUNCTION_CALL);
  Use("");
  EXPECT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
}

TEST_F(SdkTest, SessionsOpenOnceAndGuardCameraCalls) {
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  EdsCameraListRef list = nullptr;
  EdsCameraRef camera = nullptr;
  ASSERT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsGetChildAtIndex(list, 0, &camera), EDS_ERR_OK);
  sdk().EdsRelease(list);
  uint32_t level = 0;
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &level), EDS_ERR_SESSION_NOT_OPEN);
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_SESSION_NOT_OPEN);
  EXPECT_EQ(sdk().EdsCloseSession(camera), EDS_ERR_SESSION_NOT_OPEN);
  ASSERT_EQ(sdk().EdsOpenSession(camera), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsOpenSession(camera), EDS_ERR_SESSION_ALREADY_OPEN);
  EXPECT_EQ(sink_.attached, std::vector<int>{0});
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &level), EDS_ERR_OK);
  Disconnect(camera);
  EXPECT_TRUE(sink_.attached.empty());
  EXPECT_EQ(sdk().books().sessions_opened(), 1u);
  EXPECT_EQ(sdk().books().sessions_closed(), 1u);
}

TEST_F(SdkTest, PropertiesReadWriteAndCheckTheirValues) {
  Use("battery = 49\nowner = Jane Roe\nshots = 321");
  EdsCameraRef camera = Connect();
  EXPECT_EQ(Get32(camera, kEdsPropID_BatteryLevel), 49u);
  EXPECT_EQ(Get32(camera, kEdsPropID_AvailableShots), 321u);
  char owner[256];
  ASSERT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_OwnerName, 0, sizeof owner, owner), EDS_ERR_OK);
  EXPECT_STREQ(owner, "Jane Roe");
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_OwnerName, 0, 4, owner), EDS_ERR_INVALID_LENGTH);
  char firmware[32];
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_FirmwareVersion, 0, 32, firmware), EDS_ERR_OK);
  char body[2001];
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_BodyIDEx, 0, sizeof body, body), EDS_ERR_OK);

  EXPECT_EQ(Set32(camera, kEdsPropID_Av, 0x38), EDS_ERR_OK);
  EXPECT_EQ(Get32(camera, kEdsPropID_Av), 0x38u);
  EXPECT_EQ(Set32(camera, kEdsPropID_Av, 0x14), EDS_ERR_INVALID_DEVICEPROP_VALUE);  // not offered
  EXPECT_EQ(Get32(camera, kEdsPropID_Av), 0x38u);
  EXPECT_EQ(Set32(camera, kEdsPropID_ExposureCompensation, 0xFD), EDS_ERR_OK);
  EXPECT_EQ(Set32(camera, kEdsPropID_WhiteBalance, 7), EDS_ERR_INVALID_DEVICEPROP_VALUE);
  EXPECT_EQ(Set32(camera, kEdsPropID_ColorTemperature, 5600), EDS_ERR_OK);
  EXPECT_EQ(Set32(camera, kEdsPropID_ColorTemperature, 200), EDS_ERR_INVALID_DEVICEPROP_VALUE);
  EXPECT_EQ(Set32(camera, kEdsPropID_AFMode, 3), EDS_ERR_INVALID_DEVICEPROP_VALUE);  // manual: only at the lens
  EXPECT_EQ(Set32(camera, kEdsPropID_BatteryLevel, 80), EDS_ERR_NOT_SUPPORTED);
  EXPECT_EQ(Set32(camera, 0x9999, 1), EDS_ERR_PROPERTIES_UNAVAILABLE);
  uint64_t wide = 0x38;
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_Av, 0, 8, &wide), EDS_ERR_INVALID_LENGTH);
  const char name[] = "New Owner";
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_OwnerName, 0, sizeof name, name), EDS_ERR_OK);
  const char unterminated[3] = {'a', 'b', 'c'};
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_OwnerName, 0, 3, unterminated), EDS_ERR_INVALID_PARAMETER);
  ASSERT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_OwnerName, 0, sizeof owner, owner), EDS_ERR_OK);
  EXPECT_STREQ(owner, "New Owner");

  const EdsInt32 shift[2] = {3, -2}, bad_shift[2] = {kEdsValue_Absent, 0};
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_WhiteBalanceShift, 0, 8, shift), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_WhiteBalanceShift, 0, 8, bad_shift),
            EDS_ERR_INVALID_DEVICEPROP_VALUE);

  EdsDataType type = 0;
  EdsUInt32 size = 0;
  ASSERT_EQ(sdk().EdsGetPropertySize(camera, kEdsPropID_DateTime, 0, &type, &size), EDS_ERR_OK);
  EXPECT_EQ(type, kEdsDataType_Time);
  EXPECT_EQ(size, 28u);
  const EdsTime when{2026, 12, 10, 5, 0, 0, 0}, nonsense{2026, 13, 1, 0, 0, 0, 0};
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_DateTime, 0, 28, &when), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_DateTime, 0, 28, &nonsense), EDS_ERR_INVALID_DEVICEPROP_VALUE);

  // Writes tell the host, later, that the value changed.
  EXPECT_TRUE(heard_.properties.empty());
  sink_.Drain();
  EXPECT_EQ(heard_.properties.front(), std::pair(kEdsPropertyEvent_PropertyChanged, kEdsPropID_Av));
  Disconnect(camera);
}

TEST_F(SdkTest, DescriptionsListTheOfferedCodesOfTheCamerasProtocol) {
  for (const char* sc : {"subtype = 1", "subtype = 0"}) {
    Use(sc);
    EdsCameraRef camera = Connect();
    EdsPropertyDesc desc{};
    ASSERT_EQ(sdk().EdsGetPropertyDesc(camera, kEdsPropID_ImageQuality, &desc), EDS_ERR_OK);
    ASSERT_GT(desc.numElements, 0);
    EXPECT_EQ(desc.propDesc[0], std::string(sc) == "subtype = 1" ? 0x0013FF0F : 0x00130000);
    ASSERT_EQ(sdk().EdsGetPropertyDesc(camera, kEdsPropID_ISOSpeed, &desc), EDS_ERR_OK);
    EXPECT_NE(std::find(desc.propDesc, desc.propDesc + desc.numElements, 0x48), desc.propDesc + desc.numElements);
    ASSERT_EQ(sdk().EdsGetPropertyDesc(camera, kEdsPropID_Tv, &desc), EDS_ERR_OK);
    EXPECT_EQ(desc.propDesc[0], 0x10);
    EXPECT_EQ(desc.propDesc[1], 0x13);
    EXPECT_EQ(desc.propDesc[2], 0x15);
    EXPECT_EQ(sdk().EdsGetPropertyDesc(camera, 0x7777, &desc), EDS_ERR_PROPERTIES_UNAVAILABLE);
    Disconnect(camera);
    sdk().EdsTerminateSDK();
  }
}

TEST_F(SdkTest, CarefulAboutArguments) {
  EdsCameraRef camera = Connect();
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  EdsStreamRef released = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &released), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsRelease(released), EDS_ERR_OK);
  const auto forged = reinterpret_cast<EdsBaseRef>(uintptr_t{0x12345677});
  uint32_t v = 0;
  EdsUInt32 count = 0;
  EdsUInt64 length = 0;
  const struct {
    const char* what;
    std::function<EdsError()> call;
    EdsError expected;
  } cases[] = {
      {"null list out", [&] { return sdk().EdsGetCameraList(nullptr); }, EDS_ERR_INVALID_POINTER},
      {"null count out", [&] { return sdk().EdsGetChildCount(camera, nullptr); }, EDS_ERR_INVALID_POINTER},
      {"null property out", [&] { return sdk().EdsGetPropertyData(camera, kEdsPropID_Av, 0, 4, nullptr); },
       EDS_ERR_INVALID_POINTER},
      {"null info", [&] { return sdk().EdsGetDeviceInfo(camera, nullptr); }, EDS_ERR_INVALID_POINTER},
      {"null file name", [&] { return sdk().EdsCreateFileStream(nullptr, 1, 1, &released); }, EDS_ERR_INVALID_POINTER},
      {"empty file name", [&] { return sdk().EdsCreateFileStream("", 1, 1, &released); }, EDS_ERR_INVALID_PARAMETER},
      {"bad disposition", [&] { return sdk().EdsCreateFileStream("x.jpg", 9, 1, &released); },
       EDS_ERR_INVALID_PARAMETER},
      {"released stream", [&] { return sdk().EdsGetLength(released, &length); }, EDS_ERR_INVALID_HANDLE},
      {"released twice", [&] { return sdk().EdsRelease(released); }, EDS_ERR_INVALID_HANDLE},
      {"forged reference", [&] { return sdk().EdsRetain(forged); }, EDS_ERR_INVALID_HANDLE},
      {"null reference", [&] { return sdk().EdsRelease(nullptr); }, EDS_ERR_INVALID_HANDLE},
      {"stream as camera", [&] { return sdk().EdsOpenSession(stream); }, EDS_ERR_INVALID_HANDLE},
      {"camera as stream", [&] { return sdk().EdsGetLength(camera, &length); }, EDS_ERR_INVALID_HANDLE},
      {"stream properties", [&] { return sdk().EdsGetPropertyData(stream, kEdsPropID_Av, 0, 4, &v); },
       EDS_ERR_INVALID_HANDLE},
      {"children of a stream", [&] { return sdk().EdsGetChildCount(stream, &count); }, EDS_ERR_INVALID_HANDLE},
      {"unknown command", [&] { return sdk().EdsSendCommand(camera, 0x999, 0); }, EDS_ERR_INVALID_PARAMETER},
      {"bad shutter state", [&] { return sdk().EdsSendCommand(camera, kEdsCameraCommand_PressShutterButton, 2); },
       EDS_ERR_INVALID_PARAMETER},
      {"bad lens step", [&] { return sdk().EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, 4); },
       EDS_ERR_INVALID_PARAMETER},
      {"bad status command", [&] { return sdk().EdsSendStatusCommand(camera, 7, 0); }, EDS_ERR_INVALID_PARAMETER},
      {"bad event mask", [&] { return sdk().EdsSetObjectEventHandler(camera, 0x301, OnObject, nullptr); },
       EDS_ERR_INVALID_PARAMETER},
      {"bad capacity",
       [&] {
         return sdk().EdsSetCapacity(camera, EdsCapacity{-1, 0x1000, 1});
       },
       EDS_ERR_INVALID_PARAMETER},
      {"bad seek origin", [&] { return sdk().EdsSeek(stream, 0, 9); }, EDS_ERR_INVALID_PARAMETER},
      {"seek before start", [&] { return sdk().EdsSeek(stream, -1, kEdsSeek_Begin); }, EDS_ERR_STREAM_SEEK_ERROR},
      {"progress without function",
       [&] { return sdk().EdsSetProgressCallback(stream, nullptr, kEdsProgressOption_Periodically, nullptr); },
       EDS_ERR_INVALID_FN_POINTER},
      {"image of no picture", [&] { return sdk().EdsCreateImageRef(stream, &released); }, EDS_ERR_NOT_SUPPORTED},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(), c.expected) << c.what;
  EXPECT_EQ(sdk().EdsRelease(stream), EDS_ERR_OK);
  Disconnect(camera);
}

TEST_F(SdkTest, LiveViewFramesAreJpegsThatMoveAndShowTheFocus) {
  EdsCameraRef camera = Connect();
  EdsError r = EDS_ERR_OK;
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_OBJECT_NOTREADY);  // live view is off
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Far1),
            EDS_ERR_INVALID_FUNCTION_CALL);
  StartLiveView(camera);
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 0; i < 20; ++i) {
    frames.push_back(Frame(camera));
    const auto img = DecodeJpeg(frames.back().data(), frames.back().size());
    ASSERT_TRUE(img) << "frame " << i;
    EXPECT_EQ(img->width, 960);
    EXPECT_EQ(img->height, 640);
    if (i > 0) EXPECT_NE(frames[static_cast<size_t>(i)], frames[static_cast<size_t>(i) - 1]);
    EXPECT_EQ(LeadingComment(frames.back()), "");  // only a paced camera marks its frames
  }
  const double soft = FrameFocus(camera);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Far3), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Far3), EDS_ERR_OK);
  const double sharp = FrameFocus(camera);
  EXPECT_GT(sharp, soft * 1.5);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_DriveLensEvf, kEdsEvfDriveLens_Near2), EDS_ERR_OK);
  const double softer = FrameFocus(camera);
  EXPECT_LT(softer, sharp);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_DoEvfAf, kEdsCameraCommand_EvfAf_ON), EDS_ERR_OK);
  EXPECT_NEAR(FrameFocus(camera), sharp, sharp * 0.05);
  EdsFocusInfo focus{};
  ASSERT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_FocusInfo, 0, sizeof focus, &focus), EDS_ERR_OK);
  EXPECT_EQ(focus.pointNumber, 9u);
  EXPECT_EQ(focus.focusPoint[4].justFocus & 1, 1u);

  ASSERT_EQ(Set32(camera, kEdsPropID_Evf_Zoom, kEdsEvfZoom_x5), EDS_ERR_OK);
  const EdsPoint where{1000, 700};
  ASSERT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_Evf_ZoomPosition, 0, 8, &where), EDS_ERR_OK);
  const EdsPoint outside{6000, 10};
  EXPECT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_Evf_ZoomPosition, 0, 8, &outside),
            EDS_ERR_INVALID_DEVICEPROP_VALUE);
  EdsRect rect{};
  Frame(camera, &r, &rect);
  EXPECT_EQ(rect.point.x, 1000);
  EXPECT_EQ(rect.size.width, 5184 / 5);
  Disconnect(camera);
}

TEST_F(SdkTest, LiveViewMetadataAndReleasedStream) {
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  EdsStreamRef stream = nullptr;
  EdsEvfImageRef image = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsCreateEvfImageRef(stream, &image), EDS_ERR_OK);
  EdsSize coords{};
  EXPECT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_Evf_CoordinateSystem, 0, 8, &coords), EDS_ERR_OBJECT_NOTREADY);
  ASSERT_EQ(sdk().EdsDownloadEvfImage(camera, image), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_Evf_CoordinateSystem, 0, 8, &coords), EDS_ERR_OK);
  EXPECT_EQ(coords.width, 5184);
  std::vector<EdsUInt32> hist(256);
  ASSERT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_Evf_HistogramY, 0, 1024, hist.data()), EDS_ERR_OK);
  uint64_t total = 0;
  for (EdsUInt32 c : hist) total += c;
  EXPECT_EQ(total, 960u * 640u);
  EXPECT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_Evf_HistogramY, 0, 1000, hist.data()), EDS_ERR_INVALID_LENGTH);
  EXPECT_EQ(sdk().EdsRelease(stream), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsDownloadEvfImage(camera, image), EDS_ERR_INVALID_HANDLE);  // its stream is gone
  EXPECT_EQ(sdk().EdsRelease(image), EDS_ERR_OK);
  Disconnect(camera);
}

// The mean colour of a small square inset from one corner of a picture.
Rgb CornerColour(const Image& img, bool right, bool bottom) {
  const int side = std::max(img.height / 40, 2);
  const int x0 = right ? img.width - side * 3 / 2 : side / 2;
  const int y0 = bottom ? img.height - side * 3 / 2 : side / 2;
  std::array<long, 3> sum{};
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x)
      for (size_t c = 0; c < 3; ++c) sum[c] += img.rgb[(static_cast<size_t>(y) * img.width + x) * 3 + c];
  const long n = static_cast<long>(side) * side;
  return {static_cast<uint8_t>(sum[0] / n), static_cast<uint8_t>(sum[1] / n), static_cast<uint8_t>(sum[2] / n)};
}

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 40 && std::abs(a.g - b.g) <= 40 && std::abs(a.b - b.b) <= 40; }

// Box-filtered to a smaller size, as a dialog shows a frame.
Image Shrunk(const Image& img, int width, int height) {
  Image out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int sx0 = x * img.width / width, sx1 = (x + 1) * img.width / width;
      const int sy0 = y * img.height / height, sy1 = (y + 1) * img.height / height;
      for (size_t c = 0; c < 3; ++c) {
        long sum = 0;
        for (int sy = sy0; sy < sy1; ++sy)
          for (int sx = sx0; sx < sx1; ++sx) sum += img.rgb[(static_cast<size_t>(sy) * img.width + sx) * 3 + c];
        out.rgb[(static_cast<size_t>(y) * width + x) * 3 + c] = static_cast<uint8_t>(sum / ((sx1 - sx0) * (sy1 - sy0)));
      }
    }
  return out;
}

// Red top left, green top right, neither below: a turned or mirrored frame would put
// the colours in other corners. Zoomed frames keep the mark, and it survives the JPEG
// and shrinking to the size a dialog shows.
TEST_F(SdkTest, LiveViewFramesCarryTheOrientationMarkInTheirCorners) {
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  const struct {
    const char* name;
    uint32_t zoom;
    EdsPoint position;
  } cases[] = {
      {"fit", kEdsEvfZoom_Fit, {0, 0}},
      {"x5 in the middle", kEdsEvfZoom_x5, {2000, 1400}},
      {"x10 at the top left", kEdsEvfZoom_x10, {0, 0}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Set32(camera, kEdsPropID_Evf_Zoom, c.zoom), EDS_ERR_OK) << c.name;
    ASSERT_EQ(sdk().EdsSetPropertyData(camera, kEdsPropID_Evf_ZoomPosition, 0, 8, &c.position), EDS_ERR_OK);
    const std::vector<uint8_t> jpeg = Frame(camera);
    const auto frame = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(frame) << c.name;
    for (const Image& img : {*frame, Shrunk(*frame, 600, 400)}) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(img.width) + " px");
      EXPECT_TRUE(Near(CornerColour(img, false, false), kMarkLeft));
      EXPECT_TRUE(Near(CornerColour(img, true, false), kMarkRight));
      for (bool right : {false, true}) {
        const Rgb below = CornerColour(img, right, true);
        EXPECT_FALSE(Near(below, kMarkLeft) || Near(below, kMarkRight)) << "bottom " << (right ? "right" : "left");
      }
    }
  }
  Disconnect(camera);
}

// Ten frames a second, the first half a second after live view goes on: a download
// between frames answers "not ready", one after several gets the newest, and each frame
// says which it is and when it was ready. Live view off and on again starts anew.
TEST_F(SdkTest, APacedCameraHasAFrameOnlyWhenItsPaceMadeOne) {
  Use("picture_size = 600x400\nlive_view_rate = 10\nlive_view_start = 500");
  struct Download {
    uint64_t at_ms;
    std::string comment;  // empty: not ready
  };
  auto expect = [&](EdsCameraRef camera, const std::vector<Download>& downloads) {
    for (const Download& d : downloads) {
      now_ = d.at_ms;
      EdsError r = EDS_ERR_OK;
      const std::vector<uint8_t> jpeg = Frame(camera, &r);
      EXPECT_EQ(r, d.comment.empty() ? EDS_ERR_OBJECT_NOTREADY : EDS_ERR_OK) << "at " << d.at_ms;
      EXPECT_EQ(LeadingComment(jpeg), d.comment) << "at " << d.at_ms;
      if (!d.comment.empty()) EXPECT_TRUE(DecodeJpeg(jpeg.data(), jpeg.size())) << "at " << d.at_ms;
    }
  };
  now_ = 1000;
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  expect(camera, {{1000, ""},
                  {1499, ""},
                  {1500, "eos-sim frame 0 ready 1500000"},
                  {1599, ""},
                  {1850, "eos-sim frame 3 ready 1800000"},
                  {1850, ""}});
  now_ = 1900;
  ASSERT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, 0), EDS_ERR_OK);
  expect(camera, {{2500, ""}});
  now_ = 3000;
  ASSERT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, kEdsEvfOutputDevice_PC), EDS_ERR_OK);
  expect(camera, {{3499, ""}, {3500, "eos-sim frame 0 ready 3500000"}, {3650, "eos-sim frame 1 ready 3600000"}});
  Disconnect(camera);
  ExpectBooksBalanced();
}

TEST_F(SdkTest, CameraWithoutLiveViewHasNoOutputDevice) {
  Use("live_view = no");
  EdsCameraRef camera = Connect();
  uint32_t v = 0;
  EXPECT_EQ(sdk().EdsGetPropertyData(camera, kEdsPropID_Evf_OutputDevice, 0, 4, &v), EDS_ERR_PROPERTIES_UNAVAILABLE);
  EXPECT_EQ(Set32(camera, kEdsPropID_Evf_Mode, 1), EDS_ERR_PROPERTIES_UNAVAILABLE);
  EdsError r = EDS_ERR_OK;
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_NOT_SUPPORTED);
  Disconnect(camera);
}

TEST_F(SdkTest, AShotIsAnnouncedLaterAndDownloadsAsAJpegOfItsSize) {
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
  sink_.Drain();
  heard_ = {};
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  EXPECT_TRUE(heard_.objects.empty());  // never inside the call
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  EXPECT_EQ(heard_.objects[0].first, kEdsObjectEvent_DirItemRequestTransfer);
  EdsDirectoryItemRef item = heard_.objects[0].second;
  EdsDirectoryItemInfo info{};
  ASSERT_EQ(sdk().EdsGetDirectoryItemInfo(item, &info), EDS_ERR_OK);
  EXPECT_STREQ(info.szFileName, "IMG_0001.JPG");
  EXPECT_EQ(info.isFolder, 0);
  const std::vector<uint8_t> jpeg = Download(item);
  const auto img = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 600);
  EXPECT_EQ(img->height, 400);
  ASSERT_FALSE(heard_.progress.empty());
  EXPECT_EQ(heard_.progress.back(), 100u);
  EXPECT_TRUE(std::is_sorted(heard_.progress.begin(), heard_.progress.end()));
  // Taken over: the camera no longer has it.
  EXPECT_EQ(sdk().EdsGetDirectoryItemInfo(item, &info), EDS_ERR_FILE_NOT_FOUND);
  EXPECT_EQ(sdk().EdsRelease(item), EDS_ERR_OK);
  Disconnect(camera);
  EXPECT_EQ(sdk().books().handed(RefKind::DirectoryItem), sdk().books().released(RefKind::DirectoryItem));
}

TEST_F(SdkTest, PicturesTakenHaveTheScenariosFileSize) {
  Use("picture_size = 96x64\npicture_bytes = 12000000");
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  const std::vector<uint8_t> jpeg = Download(heard_.objects[0].second);
  EXPECT_EQ(jpeg.size(), 12000000u);
  const auto img = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 96);
  sdk().EdsRelease(heard_.objects[0].second);
  Disconnect(camera);
}

// Such a camera stores on its card only; the rest of the session works.
TEST_F(SdkTest, ACameraWithoutRemoteShootingRefusesToSendItsPictures) {
  Use("remote = no");
  EdsCameraRef camera = Connect();
  EXPECT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_NOT_SUPPORTED);
  EXPECT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Both), EDS_ERR_NOT_SUPPORTED);
  EXPECT_EQ(Get32(camera, kEdsPropID_SaveTo), kEdsSaveTo_Camera);
  EXPECT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Camera), EDS_ERR_OK);
  Disconnect(camera);
}

TEST_F(SdkTest, CopiesOfThePicturesTakenMatchTheDownloads) {
  const auto folder = std::filesystem::temp_directory_path() / ("sim_copies_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  Use("picture_size = 200x100\ncopies = " + folder.string());
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  const std::vector<uint8_t> downloaded = Download(heard_.objects[0].second);
  sdk().EdsRelease(heard_.objects[0].second);
  std::ifstream in(folder / "IMG_0001.JPG", std::ios::binary);
  const std::vector<uint8_t> copy((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(copy, downloaded);
  in.close();
  std::filesystem::remove_all(folder);
  Disconnect(camera);
}

TEST_F(SdkTest, LargeQualityGivesAFullSizePicture) {
  Use("");
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
  ASSERT_EQ(Set32(camera, kEdsPropID_ImageQuality, 0x0013FF0F), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_PressShutterButton,
                                 kEdsCameraCommand_ShutterButton_Completely_NonAF),
            EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  const std::vector<uint8_t> jpeg = Download(heard_.objects[0].second);
  const auto img = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 5184);
  EXPECT_EQ(img->height, 3456);
  sdk().EdsRelease(heard_.objects[0].second);
  Disconnect(camera);
}

TEST_F(SdkTest, SavingToBothAnnouncesTransferAndCardItem) {
  Use("picture_size = 320x200\nlive_view_off_while_shooting = yes");
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Both), EDS_ERR_OK);
  const uint32_t shots = Get32(camera, kEdsPropID_AvailableShots);
  sink_.Drain();
  heard_ = {};
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 2u);
  EXPECT_EQ(heard_.objects[0].first, kEdsObjectEvent_DirItemRequestTransfer);
  EXPECT_EQ(heard_.objects[1].first, kEdsObjectEvent_DirItemCreated);
  EXPECT_EQ(Get32(camera, kEdsPropID_AvailableShots), shots - 1);
  // This camera stops live view for the shot.
  EXPECT_EQ(Get32(camera, kEdsPropID_Evf_OutputDevice), 0u);
  EdsError r = EDS_ERR_OK;
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_OBJECT_NOTREADY);
  for (auto& [event, ref] : heard_.objects) sdk().EdsRelease(ref);
  Disconnect(camera);
}

TEST_F(SdkTest, ARawFileDevelopsToJpegAndTiff) {
  Use("picture_size = 96x64");
  EdsCameraRef camera = Connect();
  const uint32_t host = kEdsSaveTo_Host, raw = 0x0064FF0F;
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, host), EDS_ERR_OK);
  ASSERT_EQ(Set32(camera, kEdsPropID_ImageQuality, raw), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  EdsDirectoryItemInfo info{};
  ASSERT_EQ(sdk().EdsGetDirectoryItemInfo(heard_.objects[0].second, &info), EDS_ERR_OK);
  EXPECT_STREQ(info.szFileName, "IMG_0001.CR2");
  const std::vector<uint8_t> file = Download(heard_.objects[0].second);
  sdk().EdsRelease(heard_.objects[0].second);

  EdsStreamRef in = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &in), EDS_ERR_OK);
  EdsUInt64 done = 0;
  ASSERT_EQ(sdk().EdsWrite(in, file.size(), file.data(), &done), EDS_ERR_OK);
  EdsImageRef image = nullptr;
  ASSERT_EQ(sdk().EdsCreateImageRef(in, &image), EDS_ERR_OK);
  EdsImageInfo image_info{};
  ASSERT_EQ(sdk().EdsGetImageInfo(image, kEdsImageSrc_FullView, &image_info), EDS_ERR_OK);
  EXPECT_EQ(image_info.width, 96u);
  const int32_t daylight = 1, nowhere = 7;
  EXPECT_EQ(sdk().EdsSetPropertyData(image, kEdsPropID_WhiteBalance, 0, 4, &daylight), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsSetPropertyData(image, kEdsPropID_WhiteBalance, 0, 4, &nowhere), EDS_ERR_INVALID_DEVICEPROP_VALUE);
  int32_t wb = -1;
  EXPECT_EQ(sdk().EdsGetPropertyData(image, kEdsPropID_WhiteBalance, 0, 4, &wb), EDS_ERR_OK);
  EXPECT_EQ(wb, daylight);
  const struct {
    EdsTargetImageType type;
    EdsUInt32 quality;
    EdsError expected;
    uint8_t first;
  } cases[] = {{kEdsTargetImageType_Jpeg, 8, EDS_ERR_OK, 0xFF},
               {kEdsTargetImageType_TIFF, 0, EDS_ERR_OK, 'I'},
               {kEdsTargetImageType_TIFF16, 0, EDS_ERR_OK, 'I'},
               {kEdsTargetImageType_Jpeg, 0, EDS_ERR_INVALID_PARAMETER, 0},
               {5, 0, EDS_ERR_INVALID_PARAMETER, 0}};
  for (const auto& c : cases) {
    EdsStreamRef out = nullptr;
    ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &out), EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsSaveImage(image, c.type, EdsSaveImageSetting{c.quality, nullptr, 0}, out), c.expected);
    void* p = nullptr;
    EdsUInt64 n = 0;
    sdk().EdsGetPointer(out, &p);
    sdk().EdsGetLength(out, &n);
    if (c.expected == EDS_ERR_OK) {
      ASSERT_GT(n, 0u);
      EXPECT_EQ(static_cast<uint8_t*>(p)[0], c.first);
    }
    sdk().EdsRelease(out);
  }
  sdk().EdsRelease(image);
  sdk().EdsRelease(in);
  Disconnect(camera);
}

TEST_F(SdkTest, HandlersHearOnlyTheEventTheyAskedFor) {
  Use("picture_size = 64x48\nevent = shutdown after EdsSendCommand 1");
  EdsCameraRef camera = Connect();
  ASSERT_EQ(sdk().EdsSetObjectEventHandler(camera, kEdsObjectEvent_DirItemCreated, OnObject, &heard_), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, nullptr, nullptr), EDS_ERR_OK);
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Both), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  EXPECT_EQ(heard_.objects[0].first, kEdsObjectEvent_DirItemCreated);
  EXPECT_TRUE(heard_.states.empty());  // handler removed
  sdk().EdsRelease(heard_.objects[0].second);
  Disconnect(camera);
}

// A progress callback that releases the stream, deletes the item, cancels, or stops the
// whole SDK must not pull the ground from under the download.
struct Mischief {
  Sdk* sdk;
  EdsStreamRef stream;
  EdsDirectoryItemRef item;
  int what;
  int calls = 0;
};
EdsError EDS_STDCALL OnProgressMischief(EdsUInt32, EdsVoid* context, EdsBool* cancel) {
  auto* m = static_cast<Mischief*>(context);
  if (m->calls++ > 0) return EDS_ERR_OK;
  if (m->what == 0) m->sdk->EdsRelease(m->stream);
  if (m->what == 1) m->sdk->EdsDeleteDirectoryItem(m->item);
  if (m->what == 2) *cancel = 1;
  if (m->what == 3) m->sdk->EdsTerminateSDK();
  return EDS_ERR_OK;
}

TEST_F(SdkTest, ProgressCallbacksMayReleaseCancelOrTerminate) {
  Use("picture_size = 4000x2700\ncard_file = DCIM\\100CANON\\IMG_0001.JPG");
  const EdsError expected[] = {EDS_ERR_OK, EDS_ERR_OK, EDS_ERR_OPERATION_CANCELLED, EDS_ERR_OPERATION_CANCELLED};
  for (int what = 0; what < 4; ++what) {
    EdsCameraRef camera = Connect();
    EdsVolumeRef volume = nullptr;
    EdsDirectoryItemRef dcim = nullptr, folder = nullptr, item = nullptr;
    ASSERT_EQ(sdk().EdsGetChildAtIndex(camera, 0, &volume), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsGetChildAtIndex(volume, 0, &dcim), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsGetChildAtIndex(dcim, 0, &folder), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsGetChildAtIndex(folder, 0, &item), EDS_ERR_OK);
    EdsDirectoryItemInfo info{};
    ASSERT_EQ(sdk().EdsGetDirectoryItemInfo(item, &info), EDS_ERR_OK);
    ASSERT_GT(info.size, 256u * 1024);  // more than one chunk
    EdsStreamRef stream = nullptr;
    ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
    Mischief m{&sdk(), stream, item, what};
    ASSERT_EQ(sdk().EdsSetProgressCallback(stream, OnProgressMischief, kEdsProgressOption_Periodically, &m),
              EDS_ERR_OK);
    EXPECT_EQ(sdk().EdsDownload(item, info.size, stream), expected[what]) << what;
    if (what == 0) EXPECT_EQ(sdk().EdsRelease(stream), EDS_ERR_INVALID_HANDLE);  // gone once the download ended
    sdk().EdsTerminateSDK();
  }
}

TEST_F(SdkTest, EndingARecordingStoresAMovieOnTheCard) {
  Use("picture_size = 64x48");
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_Record, kEdsRecord_End), EDS_ERR_OK);  // not recording: nothing
  ASSERT_EQ(Set32(camera, kEdsPropID_Record, kEdsRecord_Begin), EDS_ERR_OK);
  ASSERT_EQ(Set32(camera, kEdsPropID_Record, kEdsRecord_End), EDS_ERR_OK);
  EXPECT_EQ(Set32(camera, kEdsPropID_Record, 2), EDS_ERR_INVALID_DEVICEPROP_VALUE);
  sink_.Drain();
  ASSERT_EQ(heard_.objects.size(), 1u);
  EXPECT_EQ(heard_.objects[0].first, kEdsObjectEvent_DirItemCreated);
  EdsDirectoryItemInfo info{};
  ASSERT_EQ(sdk().EdsGetDirectoryItemInfo(heard_.objects[0].second, &info), EDS_ERR_OK);
  EXPECT_STREQ(info.szFileName, "MVI_0001.MOV");
  EdsStreamRef thumb = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &thumb), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsDownloadThumbnail(heard_.objects[0].second, thumb), EDS_ERR_NOT_SUPPORTED);
  EXPECT_FALSE(Download(heard_.objects[0].second).empty());
  sdk().EdsRelease(thumb);
  sdk().EdsRelease(heard_.objects[0].second);
  Disconnect(camera);
  sdk().EdsTerminateSDK();

  Use("card = no");
  camera = Connect();
  EXPECT_EQ(Set32(camera, kEdsPropID_Record, kEdsRecord_Begin), EDS_ERR_DEVICE_NO_DISK);
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_TAKE_PICTURE_CARD_NG);
  Disconnect(camera);
}

TEST_F(SdkTest, FocusFailureRefusesTheShot) {
  Use("focus = fails");
  EdsCameraRef camera = Connect();
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_TAKE_PICTURE_AF_NG);
  EXPECT_EQ(
      sdk().EdsSendCommand(camera, kEdsCameraCommand_PressShutterButton, kEdsCameraCommand_ShutterButton_Completely),
      EDS_ERR_TAKE_PICTURE_AF_NG);
  sink_.Drain();
  EXPECT_TRUE(heard_.objects.empty());
  Disconnect(camera);
}

TEST_F(SdkTest, ScenarioRefusesTheNthCallAndRaisesStateEvents) {
  Use("busy = EdsOpenSession 1\n"
      "refuse = EdsSetPropertyData:0x500 1-2 0x2019\n"
      "event = shutdown after EdsSendCommand:1 1\n");
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  EdsCameraListRef list = nullptr;
  EdsCameraRef camera = nullptr;
  sdk().EdsGetCameraList(&list);
  sdk().EdsGetChildAtIndex(list, 0, &camera);
  sdk().EdsRelease(list);
  sdk().EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, OnState, &heard_);
  EXPECT_EQ(sdk().EdsOpenSession(camera), EDS_ERR_DEVICE_BUSY);
  EXPECT_EQ(sdk().EdsOpenSession(camera), EDS_ERR_OK);
  EXPECT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, 2), 0x2019u);
  EXPECT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, 2), 0x2019u);
  EXPECT_EQ(Set32(camera, kEdsPropID_Evf_OutputDevice, 2), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0), EDS_ERR_OK);
  EXPECT_TRUE(heard_.states.empty());
  sink_.Drain();
  EXPECT_EQ(heard_.states, std::vector<EdsStateEvent>{kEdsStateEvent_Shutdown});
  Disconnect(camera);
}

TEST_F(SdkTest, EventsOfAClosedSessionAreDropped) {
  EdsCameraRef camera = Connect();
  ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Host), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  Disconnect(camera);
  sink_.Drain();
  EXPECT_TRUE(heard_.objects.empty());
  EXPECT_EQ(sdk().books().handed(RefKind::DirectoryItem), 0u);
}

TEST_F(SdkTest, TheCardHoldsItsFilesInFolders) {
  Use("card_file = DCIM\\100CANON\\IMG_0001.JPG\ncard_file = DCIM\\100CANON\\IMG_0002.CR2\n"
      "card_file = DCIM\\101CANON\\MVI_0003.MOV");
  EdsCameraRef camera = Connect();
  EdsUInt32 n = 0;
  ASSERT_EQ(sdk().EdsGetChildCount(camera, &n), EDS_ERR_OK);
  ASSERT_EQ(n, 1u);
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(sdk().EdsGetChildAtIndex(camera, 0, &volume), EDS_ERR_OK);
  EdsVolumeInfo vinfo{};
  EXPECT_EQ(sdk().EdsGetVolumeInfo(volume, &vinfo), EDS_ERR_OK);
  EXPECT_GT(vinfo.maxCapacity, vinfo.freeSpaceInBytes);
  // Depth first, as a walk of the card sees it.
  std::vector<std::string> seen;
  std::function<void(EdsBaseRef)> walk = [&](EdsBaseRef parent) {
    EdsUInt32 count = 0;
    ASSERT_EQ(sdk().EdsGetChildCount(parent, &count), EDS_ERR_OK);
    for (EdsUInt32 i = 0; i < count; ++i) {
      EdsDirectoryItemRef child = nullptr;
      ASSERT_EQ(sdk().EdsGetChildAtIndex(parent, static_cast<EdsInt32>(i), &child), EDS_ERR_OK);
      EdsDirectoryItemInfo info{};
      ASSERT_EQ(sdk().EdsGetDirectoryItemInfo(child, &info), EDS_ERR_OK);
      seen.push_back(std::string(info.isFolder ? "+" : "") + info.szFileName);
      if (info.isFolder) walk(child);
      sdk().EdsRelease(child);
    }
  };
  walk(volume);
  EXPECT_EQ(seen, (std::vector<std::string>{"+DCIM", "+100CANON", "IMG_0001.JPG", "IMG_0002.CR2", "+101CANON",
                                            "MVI_0003.MOV"}));

  EdsDirectoryItemRef dcim = nullptr, folder = nullptr, first = nullptr;
  ASSERT_EQ(sdk().EdsGetChildAtIndex(volume, 0, &dcim), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsGetChildAtIndex(dcim, 0, &folder), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsGetChildAtIndex(folder, 0, &first), EDS_ERR_OK);
  EdsStreamRef thumb = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &thumb), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsDownloadThumbnail(first, thumb), EDS_ERR_OK);
  EdsUInt64 length = 0;
  ASSERT_EQ(sdk().EdsSeek(thumb, 0, kEdsSeek_Begin), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsGetLength(thumb, &length), EDS_ERR_OK);
  std::vector<uint8_t> bytes;
  for (uint8_t b = 0;;) {  // one byte at a time, as the collection reads thumbnails
    EdsUInt64 got = 0;
    ASSERT_EQ(sdk().EdsRead(thumb, 1, &b, &got), EDS_ERR_OK);
    if (got == 0) break;
    bytes.push_back(b);
  }
  EXPECT_EQ(bytes.size(), length);
  const auto img = DecodeJpeg(bytes.data(), bytes.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 160);
  sdk().EdsRelease(thumb);

  ASSERT_EQ(sdk().EdsDeleteDirectoryItem(first), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsGetChildCount(folder, &n), EDS_ERR_OK);
  EXPECT_EQ(n, 1u);
  EdsDirectoryItemInfo info{};
  EXPECT_EQ(sdk().EdsGetDirectoryItemInfo(first, &info), EDS_ERR_FILE_NOT_FOUND);
  ASSERT_EQ(sdk().EdsFormatVolume(volume), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsGetChildCount(volume, &n), EDS_ERR_OK);
  EXPECT_EQ(n, 0u);
  for (EdsBaseRef r : {first, folder, dcim, volume}) EXPECT_EQ(sdk().EdsRelease(r), EDS_ERR_OK);
  Disconnect(camera);
}

TEST_F(SdkTest, StreamsOfMemoryPointerAndFile) {
  ASSERT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_OK);
  const auto path = std::filesystem::temp_directory_path() / ("sim_stream_" + std::to_string(::getpid()) + ".bin");
  EdsStreamRef file = nullptr;
  ASSERT_EQ(
      sdk().EdsCreateFileStream(path.string().c_str(), kEdsFileCreateDisposition_CreateAlways, kEdsAccess_Write, &file),
      EDS_ERR_OK);
  EdsUInt64 done = 0;
  ASSERT_EQ(sdk().EdsWrite(file, 5, "hello", &done), EDS_ERR_OK);
  EdsUInt64 length = 0;
  EXPECT_EQ(sdk().EdsGetLength(file, &length), EDS_ERR_OK);
  EXPECT_EQ(length, 5u);
  char buf[8] = {};
  EXPECT_EQ(sdk().EdsRead(file, 2, buf, &done), EDS_ERR_STREAM_READ_ERROR);  // opened for writing
  void* p = nullptr;
  EXPECT_EQ(sdk().EdsGetPointer(file, &p), EDS_ERR_NOT_SUPPORTED);
  ASSERT_EQ(sdk().EdsRelease(file), EDS_ERR_OK);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "hello");
  in.close();
  std::filesystem::remove(path);
  EXPECT_EQ(
      sdk().EdsCreateFileStream(path.string().c_str(), kEdsFileCreateDisposition_OpenExisting, kEdsAccess_Read, &file),
      EDS_ERR_FILE_NOT_FOUND);

  char fixed[4];
  EdsStreamRef pointer = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStreamFromPointer(fixed, sizeof fixed, &pointer), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsWrite(pointer, 4, "abcd", &done), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsWrite(pointer, 1, "e", &done), EDS_ERR_STREAM_WRITE_ERROR);  // never past the caller's buffer
  EXPECT_EQ(std::string(fixed, 4), "abcd");

  EdsStreamRef memory = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &memory), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSeek(pointer, 0, kEdsSeek_Begin), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsCopyData(pointer, 4, memory), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsCopyData(pointer, 1, memory), EDS_ERR_STREAM_END_OF_STREAM);
  EdsUInt64 pos = 0;
  EXPECT_EQ(sdk().EdsGetPosition(memory, &pos), EDS_ERR_OK);
  EXPECT_EQ(pos, 4u);
  ASSERT_EQ(sdk().EdsSeek(memory, -2, kEdsSeek_End), EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsRead(memory, 8, buf, &done), EDS_ERR_OK);
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(std::string(buf, 2), "cd");
  sdk().EdsRelease(memory);
  sdk().EdsRelease(pointer);
}

TEST_F(SdkTest, TheTraceRecordsCallsAndTheBooksReportLeaks) {
  const auto path = std::filesystem::temp_directory_path() / ("sim_trace_" + std::to_string(::getpid()) + ".txt");
  std::filesystem::remove(path);
  Use("trace = " + path.string());
  EdsCameraRef camera = Connect();
  EdsStreamRef kept = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &kept), EDS_ERR_OK);
  Set32(camera, kEdsPropID_Av, 0x30);
  sink_.Drain();
  Disconnect(camera);
  sdk().EdsTerminateSDK();
  std::ifstream in(path, std::ios::binary);
  const std::string trace(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(trace.find("EdsOpenSession(#2) = 0x00000000\r\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("EdsSetPropertyData(#2, 0x405, 0, 0x4, ptr) = 0x00000000"), std::string::npos) << trace;
  EXPECT_NE(trace.find("books: references handed out 3, released 2; sessions opened 1, closed 1"), std::string::npos)
      << trace;
  EXPECT_NE(trace.find("leak: stream x1"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("leak: camera"), std::string::npos) << trace;
  EXPECT_NE(trace.find("event property(0x101, 0x405)"), std::string::npos) << trace;
  in.close();
  std::filesystem::remove(path);
}

// The cable pulled: the call that pulls it still goes through; after it the camera's
// calls answer "Communication disconnected" while releasing, memory streams and camera
// lists go on, and the camera is no longer listed.
TEST_F(SdkTest, APulledCableLeavesTheCameraDisconnectedAndUnlisted) {
  Use("unplug = after EdsDownloadEvfImage 2");
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  EdsError r = 0xFFFF;
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_OK);
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_OK) << "the call that pulls the cable";
  Frame(camera, &r);
  EXPECT_EQ(r, EDS_ERR_COMM_DISCONNECTED);
  uint32_t v = 0;
  EdsDeviceInfo info{};
  EdsUInt32 count = 0;
  const struct {
    const char* call;
    EdsError result;
  } cases[] = {
      {"EdsSendCommand", sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0)},
      {"EdsSetPropertyData", Set32(camera, kEdsPropID_Av, 0x30)},
      {"EdsGetPropertyData", sdk().EdsGetPropertyData(camera, kEdsPropID_Av, 0, 4, &v)},
      {"EdsGetDeviceInfo", sdk().EdsGetDeviceInfo(camera, &info)},
      {"EdsGetChildCount", sdk().EdsGetChildCount(camera, &count)},
      {"EdsOpenSession", sdk().EdsOpenSession(camera)},
      {"EdsGetEvent", sdk().EdsGetEvent()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.result, std::string(c.call) == "EdsGetEvent" ? EDS_ERR_OK : EDS_ERR_COMM_DISCONNECTED) << c.call;
  EXPECT_EQ(Listed(), 0u);
  EXPECT_EQ(heard_.states, std::vector<EdsStateEvent>{kEdsStateEvent_Shutdown}) << "one shutdown only";
  Disconnect(camera);
  ExpectBooksBalanced();
}

// It comes back as a new camera: listed again, another model if the scenario says so,
// with the scenario's values; its old reference stays disconnected, and its old session
// closes for the books.
TEST_F(SdkTest, ACameraThatComesBackIsANewOneToOpen) {
  Use("unplug = after EdsDownloadEvfImage 1 back after 1500\nback_as = Canon EOS 90D");
  EdsCameraRef old = Connect();
  ASSERT_EQ(Set32(old, kEdsPropID_ISOSpeed, 0x58), EDS_ERR_OK);
  StartLiveView(old);
  Frame(old);
  now_ = 1499;
  EXPECT_EQ(Listed(), 0u);
  now_ = 1500;
  EXPECT_EQ(Listed(), 1u);
  EdsDeviceInfo info{};
  EXPECT_EQ(sdk().EdsGetDeviceInfo(old, &info), EDS_ERR_COMM_DISCONNECTED);
  EXPECT_EQ(sdk().EdsOpenSession(old), EDS_ERR_COMM_DISCONNECTED);
  EXPECT_EQ(sdk().EdsSendCommand(old, kEdsCameraCommand_TakePicture, 0), EDS_ERR_COMM_DISCONNECTED);
  Disconnect(old);

  EdsCameraRef camera = Connect();
  EXPECT_EQ(DeviceName(camera), "Canon EOS 90D");
  EXPECT_NE(Get32(camera, kEdsPropID_ISOSpeed), 0x58u);
  EXPECT_EQ(Get32(camera, kEdsPropID_Evf_OutputDevice), 0u);
  StartLiveView(camera);
  for (int i = 0; i < 3; ++i) {
    EdsError r = 0xFFFF;
    EXPECT_FALSE(Frame(camera, &r).empty());
    EXPECT_EQ(r, EDS_ERR_OK) << "no repeat: pulled once";
  }
  Disconnect(camera);
  EXPECT_EQ(sdk().books().sessions_opened(), 2u);
  ExpectBooksBalanced();
}

// A card's files under one folder, as a walk finds them.
std::vector<std::string> CardFiles(Sdk& sdk, EdsCameraRef camera) {
  std::vector<std::string> names;
  std::function<void(EdsBaseRef)> walk = [&](EdsBaseRef parent) {
    EdsUInt32 count = 0;
    EXPECT_EQ(sdk.EdsGetChildCount(parent, &count), EDS_ERR_OK);
    for (EdsUInt32 i = 0; i < count; ++i) {
      EdsBaseRef child = nullptr;
      EdsDirectoryItemInfo info{};
      EXPECT_EQ(sdk.EdsGetChildAtIndex(parent, static_cast<EdsInt32>(i), &child), EDS_ERR_OK);
      EXPECT_EQ(sdk.EdsGetDirectoryItemInfo(child, &info), EDS_ERR_OK);
      if (info.isFolder)
        walk(child);
      else
        names.push_back(info.szFileName);
      sdk.EdsRelease(child);
    }
  };
  EdsVolumeRef volume = nullptr;
  EXPECT_EQ(sdk.EdsGetChildAtIndex(camera, 0, &volume), EDS_ERR_OK);
  walk(volume);
  sdk.EdsRelease(volume);
  return names;
}

// The same model keeps its card and goes on numbering its files; another one brings the
// scenario's card. What either held in memory for the host is lost with the cable.
TEST_F(SdkTest, TheCardOfACameraThatComesBack) {
  const struct {
    const char* back_as;
    std::vector<std::string> card;
  } cases[] = {
      {"", {"IMG_0009.JPG", "IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}},
      {"back_as = Canon EOS 1000D\n", {"IMG_0009.JPG", "IMG_0001.JPG"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.back_as);
    sdk_.reset();
    heard_ = {};
    Use(std::string(c.back_as) +
        "picture_size = 64x48\ncard_file = DCIM\\100CANON\\IMG_0009.JPG\n"
        "unplug = after EdsSendCommand 2 back after 10\n");
    EdsCameraRef old = Connect();
    ASSERT_EQ(Set32(old, kEdsPropID_SaveTo, kEdsSaveTo_Both), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsSendCommand(old, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsSendCommand(old, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
    sink_.Drain();
    ASSERT_EQ(heard_.objects.size(), 4u) << "raised before the pull";
    for (const auto& [event, item] : heard_.objects) {
      EdsDirectoryItemInfo info{};
      EXPECT_EQ(sdk().EdsGetDirectoryItemInfo(item, &info), EDS_ERR_COMM_DISCONNECTED);
    }
    for (const auto& [event, item] : heard_.objects) sdk().EdsRelease(item);
    Disconnect(old);
    now_ += 10;
    heard_ = {};
    EdsCameraRef camera = Connect();
    ASSERT_EQ(Set32(camera, kEdsPropID_SaveTo, kEdsSaveTo_Camera), EDS_ERR_OK);
    ASSERT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
    sink_.Drain();
    EXPECT_EQ(CardFiles(sdk(), camera), c.card);
    for (const auto& [event, item] : heard_.objects) sdk().EdsRelease(item);
    Disconnect(camera);
    ExpectBooksBalanced();
    sdk().EdsTerminateSDK();
  }
}

TEST_F(SdkTest, RepeatedPullsEachComeBack) {
  Use("unplug = after EdsDownloadEvfImage 2 back after 100 repeat 2\nback_as = Canon EOS 90D\nback_as = Canon EOS R");
  const char* const names[] = {"Canon EOS 5D Mark III", "Canon EOS 90D", "Canon EOS R", "Canon EOS R"};
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    heard_ = {};
    EdsCameraRef camera = Connect();
    EXPECT_EQ(DeviceName(camera), names[round]);
    StartLiveView(camera);
    EdsError r = 0xFFFF;
    for (int i = 0; i < 3; ++i) Frame(camera, &r);
    EXPECT_EQ(r, round < 3 ? EDS_ERR_COMM_DISCONNECTED : EDS_ERR_OK);
    sink_.Drain();
    EXPECT_EQ(heard_.states.size(), round < 3 ? 1u : 0u);
    Disconnect(camera);
    now_ += 100;
  }
  ExpectBooksBalanced();
}

TEST_F(SdkTest, ACameraWithoutTheKeepAliveSwitchesItselfOff) {
  Use("sleep_after = 1000 back after 500");
  EdsCameraRef camera = Connect();
  const struct {
    uint64_t at;
    bool keep_alive;
    std::vector<EdsStateEvent> heard;
    EdsUInt32 listed;
  } steps[] = {
      {499, false, {}, 1},
      {500, false, {kEdsStateEvent_WillSoonShutDown}, 1},
      {600, true, {}, 1},
      {1099, false, {}, 1},
      {1100, false, {kEdsStateEvent_WillSoonShutDown}, 1},
      {1599, false, {}, 1},
      {1600, false, {kEdsStateEvent_Shutdown}, 0},
      {2099, false, {}, 0},
      {2100, false, {}, 1},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.at);
    now_ = step.at;
    heard_ = {};
    sdk().Tick();
    if (step.keep_alive) EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0), EDS_ERR_OK);
    sink_.Drain();
    EXPECT_EQ(heard_.states, step.heard);
    if (!step.heard.empty() && step.heard[0] == kEdsStateEvent_WillSoonShutDown)
      EXPECT_EQ(heard_.state_data, std::vector<EdsUInt32>{1}) << "the seconds left";
    EXPECT_EQ(Listed(), step.listed);
  }
  EXPECT_EQ(sdk().EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0), EDS_ERR_COMM_DISCONNECTED);
  Disconnect(camera);
  ExpectBooksBalanced();
}

// A host that calls the SDK from its progress callback can pull the cable mid-download:
// the rest of the download fails as disconnected.
EdsError EDS_STDCALL PullFromProgress(EdsUInt32, EdsVoid* context, EdsBool*) {
  static_cast<Sdk*>(context)->EdsGetEvent();
  return EDS_ERR_OK;
}

TEST_F(SdkTest, ACablePulledDuringADownloadCutsItOff) {
  Use("picture_size = 64x48\npicture_bytes = 1000000\nunplug = after EdsGetEvent 1");
  EdsCameraRef camera = Connect();
  const EdsDirectoryItemRef item = ShootToHost(camera);
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(sdk().EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  ASSERT_EQ(sdk().EdsSetProgressCallback(stream, PullFromProgress, kEdsProgressOption_Periodically, &sdk()),
            EDS_ERR_OK);
  EXPECT_EQ(sdk().EdsDownload(item, 1000000, stream), EDS_ERR_COMM_DISCONNECTED);
  EdsUInt64 length = 0;
  EXPECT_EQ(sdk().EdsGetLength(stream, &length), EDS_ERR_OK);
  EXPECT_LT(length, 1000000u);
  sdk().EdsRelease(stream);
  sdk().EdsRelease(item);
  Disconnect(camera);
  ExpectBooksBalanced();
}

// A photo in place of the scene: placed by its subject line in the live-view frame (with
// the orientation mark over it) and in the shot, each at its own size.
TEST_F(SdkTest, APhotoStandsWhereItsSubjectLinePutsItInFramesAndShots) {
  const auto path = std::filesystem::temp_directory_path() / ("sim_subject_" + std::to_string(::getpid()) + ".jpg");
  {
    Image photo{200, 100, {}};
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) {
        const uint8_t quarter = static_cast<uint8_t>((y < 50 ? 0 : 2) + (x < 100 ? 0 : 1));
        const std::array<uint8_t, 3> colours[] = {{220, 30, 30}, {30, 200, 40}, {30, 60, 220}, {230, 210, 30}};
        photo.rgb.insert(photo.rgb.end(), colours[quarter].begin(), colours[quarter].end());
      }
    const std::vector<uint8_t> jpeg = EncodeJpeg(photo, 95);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
  }
  Use("picture_size = 600x400\nlive_view_picture = " + path.string() + "\nsubject = 0.25 0.5 0.5");
  EdsCameraRef camera = Connect();
  StartLiveView(camera);
  const std::vector<uint8_t> jpeg = Frame(camera);
  const auto frame = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(frame);
  const std::array<uint8_t, 3> red{220, 30, 30}, green{30, 200, 40}, blue{30, 60, 220}, yellow{230, 210, 30},
      grey{128, 128, 128};
  struct Probe {
    int x, y;
    std::array<uint8_t, 3> colour;
  };
  auto expect = [](const Image& img, const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
      const uint8_t* got = &img.rgb[(static_cast<size_t>(p.y) * img.width + p.x) * 3];
      for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(got[c], p.colour[c], 30) << p.x << "," << p.y;
    }
  };
  // 640 x 320 around (240, 320), its left part cut off; the mark over it.
  expect(*frame, {{120, 240, red},
                  {400, 240, green},
                  {120, 400, blue},
                  {400, 400, yellow},
                  {800, 320, grey},
                  {480, 120, grey},
                  {10, 10, {kMarkLeft.r, kMarkLeft.g, kMarkLeft.b}},
                  {955, 5, {kMarkRight.r, kMarkRight.g, kMarkRight.b}}});

  const EdsDirectoryItemRef item = ShootToHost(camera);
  const std::vector<uint8_t> bytes = Download(item);
  const auto shot = DecodeJpeg(bytes.data(), bytes.size());
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width, 600);
  // 400 x 200 around (150, 200); no mark over a picture taken.
  expect(*shot,
         {{75, 150, red}, {250, 150, green}, {75, 250, blue}, {250, 250, yellow}, {500, 200, grey}, {5, 5, grey}});
  sdk().EdsRelease(item);
  Disconnect(camera);
  std::filesystem::remove(path);
}

TEST_F(SdkTest, APhotoThatCannotBeReadStopsTheStart) {
  Use("# a face\nlive_view_picture = /no/such/face.png\n");
  EXPECT_EQ(sdk().EdsInitializeSDK(), EDS_ERR_INVALID_PARAMETER);
  EXPECT_EQ(complaint_, "scenario line 2: live_view_picture \"/no/such/face.png\": cannot open the file");
  EdsCameraListRef list = nullptr;
  EXPECT_EQ(sdk().EdsGetCameraList(&list), EDS_ERR_INVALID_FUNCTION_CALL);
}

}  // namespace
}  // namespace eos::sim
