// The backend's SDK life, session, shooting, downloads and card utilities, driven through
// the remote component against the stand-in camera, pumping messages as the capture
// dialog's modal loop does. The stand-in's books (its trace file) show what was called,
// and that every reference went back and every session was closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "camremote/CamRemote.h"
#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"

namespace eos::test {
namespace {

int CountOf(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

struct JpegSize {
  int width = 0;
  int height = 0;
};

// The size of a JPEG file's picture; nothing when the bytes are not a readable JPEG.
std::optional<JpegSize> DecodedSize(const std::string& bytes) {
  const auto img = sim::DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (!img) return std::nullopt;
  return JpegSize{img->width, img->height};
}

// A component on the stand-in camera, with the stand-in's trace in the test's folder.
// Every road ends the way the capture dialog leaves: disconnect, close the enumeration,
// and then the stand-in's books must balance.
class Road : public testing::Test {
 protected:
  void TearDown() override {
    if (!camera_) return;
    Leave();
    if (FileExists(TracePath())) ExpectBooksBalanced();
  }
  void Start(const std::string& scenario) {
    camera_.reset();
    camera_.emplace(scenario + "\ntrace = " + ToUtf8(TracePath()) + "\n");
  }
  ConnectInfoType Connect() {
    cameras_ = cam_.OpenCameraEnumeration();
    return cam_.Connect(CamModEOS, 0);
  }
  void Leave() {
    cam_.Disconnect();
    cam_.CloseCameraEnumeration();
  }
  Text TracePath() const { return dir_.path() + u"trace.txt"; }
  Text FilePath(const char16_t* name) const { return dir_.path() + name; }
  std::string Trace() const { return FileExists(TracePath()) ? ReadFileBytes(TracePath()) : std::string(); }
  // After the SDK has stopped: the books balance, with at least one session behind them.
  void ExpectBooksBalanced() {
    const std::string trace = Trace();
    EXPECT_NE(trace.find("books: "), std::string::npos) << "the SDK was not stopped";
    EXPECT_EQ(trace.find("leak: "), std::string::npos) << trace.substr(trace.rfind("books: "));
  }
  TEDSDK& Sdk() { return cam_.EDSDK(); }
  EdsCameraRef Camera() { return Sdk().CameraDevice(); }
  void SaveTo(EdsUInt32 where) {
    ASSERT_EQ(EdsSetPropertyData(Camera(), kEdsPropID_SaveTo, 0, sizeof where, &where), EDS_ERR_OK);
  }
  // Pictures taken with the camera saving to `where`, announced and delivered.
  void TakePictures(size_t n, EdsUInt32 where = kEdsSaveTo_Host) {
    SaveTo(where);
    RecordRemoteEvents();
    for (size_t i = 0; i < n; ++i) Sdk().RemoteTakePicture(0);
    ASSERT_TRUE(PumpForRemoteEvents(n));
  }
  // Records every remote event the component delivers.
  void RecordRemoteEvents() {
    cam_.OnRemoteEvent = [this](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType& d) {
      remote_events_.push_back({e, d});
    };
  }
  bool PumpForRemoteEvents(size_t n) {
    return PumpUntil([&] { return remote_events_.size() >= n; });
  }
  // What the stand-in hands over for an item, fetched past the backend into memory.
  static std::string BytesOf(EdsDirectoryItemRef item) {
    EdsDirectoryItemInfo info{};
    EdsStreamRef stream = nullptr;
    EXPECT_EQ(EdsGetDirectoryItemInfo(item, &info), EDS_ERR_OK);
    EXPECT_EQ(EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
    EXPECT_EQ(EdsDownload(item, info.size, stream), EDS_ERR_OK);
    EdsUInt64 length = 0;
    EdsVoid* data = nullptr;
    EdsGetLength(stream, &length);
    EdsGetPointer(stream, &data);
    std::string bytes(static_cast<const char*>(data), static_cast<size_t>(length));
    EdsRelease(stream);
    return bytes;
  }

  TempDir dir_;
  std::optional<StandInCamera> camera_;
  TCamRemote cam_;
  CameraConnectedType cameras_;
  std::vector<std::pair<RemoteEventCallbackType, AdditionNotifyRemoteEventType>> remote_events_;
};

// --- Enumeration and the session ---------------------------------------------------------

TEST_F(Road, EnumerationListsTheCamerasInSdkOrder) {
  const struct {
    const char* scenario;
    std::vector<Text> names;
  } cases[] = {
      {"cameras = 0", {}},
      {"", {u"Canon EOS 5D Mark III"}},
      {"camera = Canon EOS 90D\ncamera = Canon EOS R5", {u"Canon EOS 90D", u"Canon EOS R5"}},
  };
  for (const auto& c : cases) {
    Start(c.scenario);
    const CameraConnectedType found = cam_.OpenCameraEnumeration();
    EXPECT_EQ(*found.EOSCameras, c.names) << c.scenario;
    EXPECT_TRUE(found.PowerShotCameras->empty());
    // With no camera the component stops the SDK at once; the list is empty then too.
    EXPECT_EQ(EOSCameraRefs().size(), c.names.size()) << c.scenario;
    cam_.CloseCameraEnumeration();
    EXPECT_TRUE(EOSCameraRefs().empty());
    ExpectBooksBalanced();
    DeleteFileW(reinterpret_cast<const wchar_t*>(TracePath().c_str()));
  }
}

TEST_F(Road, ConnectChecksItsArgumentBeforeAnySdkCall) {
  Start("camera = Canon EOS 90D\ncamera = Canon EOS R5");
  TEDSDK& sdk = Sdk();
  EXPECT_EQ(Raised([&] { sdk.Connect(nullptr, 0, 0); }),
            "There seems to be no connected EOS cameras connected. Have you called the EnumerateCameras function "
            "before calling Connect?");
  sdk.InitCommunications();
  CameraList names;
  sdk.EnumerateCameras(names);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(Raised([&] { sdk.Connect(nullptr, -1, 0); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. Value must be at least zero. "
            "Currently ConnectToCamera = -1");
  for (const int n : {2, 3})
    EXPECT_EQ(Raised([&] { sdk.Connect(nullptr, n, 0); }),
              "Not valid value in parameter ConnectToCamera when calling Connect. There are only 2 EOS cameras "
              "connected. Currently is parameter ConnectToCamera = " +
                  std::to_string(n));
  EXPECT_EQ(CountOf(Trace(), "EdsSetObjectEventHandler("), 0);
  const ConnectInfoType second = sdk.Connect(nullptr, 1, 0);
  EXPECT_EQ(second.CameraModel, CamModEOS);
  EXPECT_EQ(second.CameraModelName, u"Canon EOS R5");
  sdk.Disconnect();
  sdk.FinilizeCommunications();
  ExpectBooksBalanced();
}

TEST_F(Road, ConnectReportsModelOwnerFirmwareAndBodyId) {
  Start("camera = Canon EOS 7D\nowner = Jane Doe\nfirmware = 2.0.7\nbody_id = 4711");
  const ConnectInfoType info = Connect();
  EXPECT_EQ(info.CameraModel, CamModEOS);
  EXPECT_EQ(info.CameraModelName, u"Canon EOS 7D");
  EXPECT_EQ(info.OwnerName, u"Jane Doe");
  EXPECT_EQ(info.FirmwareVersion, u"2.0.7");
  EXPECT_EQ(cam_.GetBodyID(), u"4711");
  // The three handlers go in before the session opens, each with the instance number.
  const std::string trace = Trace();
  const size_t object = trace.find("EdsSetObjectEventHandler(");
  const size_t state = trace.find("EdsSetCameraStateEventHandler(");
  const size_t open = trace.find("EdsOpenSession(");
  EXPECT_LT(object, trace.find("EdsSetPropertyEventHandler("));
  EXPECT_LT(trace.find("EdsSetPropertyEventHandler("), state);
  EXPECT_LT(state, open);
  EXPECT_NE(trace.find("0x200, ptr, ptr) = 0x00000000", object), std::string::npos);
  EXPECT_NE(trace.find("0x300, ptr, ptr) = 0x00000000", state), std::string::npos);
}

TEST_F(Road, OwnerNameIsWrittenAndTooLongANameIsRefused) {
  Start("");
  Connect();
  EXPECT_EQ(Raised([&] { cam_.SetOwnerName(Text(255, u'x')); }), "The owner name to set is too long");
  EXPECT_EQ(Raised([&] { cam_.SetOwnerName(u"New Owner"); }), "");
  cam_.Disconnect();
  EXPECT_EQ(cam_.Connect(CamModEOS, 0).OwnerName, u"New Owner");
}

TEST_F(Road, BatteryLevelsByTheTable) {
  const struct {
    const char* level;
    BatterySourceType source;
    BatteryStatusType status;
  } cases[] = {
      {"mains", BatterySourceAC, BatteryStatusNormal},    {"80", BatterySourceLitium, BatteryStatusNormal},
      {"49", BatterySourceLitium, BatteryStatusWeak},     {"9", BatterySourceLitium, BatteryStatusSafetyLow},
      {"50", BatterySourceUnknown, BatteryStatusUnknown}, {"100", BatterySourceUnknown, BatteryStatusUnknown},
      {"336", BatterySourceLitium, BatteryStatusNormal},  // only the low byte counts: 336 is 0x150
  };
  for (const auto& c : cases) {
    Start(std::string("battery = ") + c.level);
    const ConnectInfoType info = Connect();
    EXPECT_EQ(info.Battery.BatterySource, c.source) << c.level;
    EXPECT_EQ(info.Battery.BatteryStatus, c.status) << c.level;
    Leave();
  }
}

// Each refused SDK call surfaces as the ECamException its operation names, and leaves no
// reference or session behind.
TEST_F(Road, RefusedCallsSurfaceWithTheirTexts) {
  const struct {
    const char* rule;
    std::function<void(TCamRemote&)> call;
    const char* message;
  } cases[] = {
      {"EdsOpenSession 1", nullptr, "EdsOpenSession errorcode 0x00000081, Device busy"},
      {"EdsSetObjectEventHandler 1 0x61", nullptr, "EdsSetObjectEventHandler errorcode 0x00000061, Invalid handle"},
      {"EdsSetPropertyEventHandler 1 0x60", nullptr,
       "EdsSetPropertyEventHandler errorcode 0x00000060, Invalid parameter"},
      {"EdsSetCameraStateEventHandler 1 0x60", nullptr,
       "EdsSetCameraStateEventHandler errorcode 0x00000060, Invalid parameter"},
      {"EdsGetDeviceInfo 2", nullptr, "EdsGetDeviceInfo errorcode 0x00000081, Device busy"},
      {"EdsGetPropertyData:0x4 1 0x80000050", nullptr,
       "EdsGetPropertyData, kEdsPropID_OwnerName errorcode 0x80000050, Properties unavailable"},
      {"EdsGetPropertyData:0x8 1", nullptr,
       "EdsGetPropertyData, kEdsPropID_BatteryLevel errorcode 0x00000081, Device busy"},
      {"EdsGetPropertyData:0x7 2", [](TCamRemote& c) { c.EDSDK().GetFirmwareVersion(); },
       "EdsGetPropertyData, kEdsPropID_FirmwareVersion errorcode 0x00000081, Device busy"},
      {"EdsGetPropertyData:0x15 1", [](TCamRemote& c) { c.GetBodyID(); },
       "EdsGetPropertyData, kEdsPropID_BodyIDEx errorcode 0x00000081, Device busy"},
      {"EdsSendCommand:0 1", [](TCamRemote& c) { c.EDSDK().RemoteTakePicture(0); },
       "EdsSendCommand errorcode 0x00000081, Device busy"},
      {"EdsSendCommand:1 1 0x85", [](TCamRemote& c) { c.EDSDK().ExtendShutdownTimer(); },
       "EdsSendCommand errorcode 0x00000085, Device internal error"},
      {"EdsSendStatusCommand 1", [](TCamRemote& c) { c.RemoteBULBMode(true); },
       "EdsSendStatusCommand errorcode 0x00000081, Device busy"},
      {"EdsSendCommand:3 1",
       [](TCamRemote& c) {
         c.RemoteBULBMode(true);
         c.RemoteBULBMode(false);
       },
       "EdsSendCommand errorcode 0x00000081, Device busy"},
      {"EdsSetPropertyData:0x4 1 0x86", [](TCamRemote& c) { c.SetOwnerName(u"Jane"); },
       "EdsSetPropertyData, kEdsPropID_OwnerName errorcode 0x00000086, Device invalid parameter"},
      {"EdsGetPropertySize 1",
       [](TCamRemote& c) {
         c.SetTimeInCamera({2026, 12, 10, 5, 30, 0, 0});
       },
       "EdsGetPropertySize errorcode 0x00000081, Device busy"},
      {"EdsSetPropertyData:0x6 1",
       [](TCamRemote& c) {
         c.SetTimeInCamera({2026, 12, 10, 5, 30, 0, 0});
       },
       "EdsSetPropertyData, kEdsPropID_DateTime errorcode 0x00000081, Device busy"},
      {"EdsFormatVolume 1 0x88", [](TCamRemote& c) { c.FormatCameraCard(); },
       "EdsFormatVolume errorcode 0x00000088, Device disk error"},
      {"EdsGetChildCount 2", [](TCamRemote& c) { c.OpenCameraCollection(u"", false); },
       "EdsGetChildCount errorcode 0x00000081, Device busy"},
  };
  for (const auto& c : cases) {
    Start(std::string("refuse = ") + c.rule + "\ncard_file = DCIM\\100CANON\\IMG_0001.JPG");
    std::string message;
    if (!c.call) {
      message = Raised([&] { Connect(); });
      EXPECT_EQ(cam_.Connect(CamModEOS, 0).CameraModel, CamModEOS) << c.rule << ": a second try goes through";
    } else {
      Connect();
      message = Raised([&] { c.call(cam_); });
    }
    EXPECT_EQ(message, c.message) << c.rule;
    ImageListType images;
    cam_.CloseCameraCollection(images);
    Leave();
    ExpectBooksBalanced();
    DeleteFileW(reinterpret_cast<const wchar_t*>(TracePath().c_str()));
  }
}

// A refused enumeration still gives back the camera list, and the cameras listed before
// the refusal go back when the SDK stops.
TEST_F(Road, RefusedEnumerationGivesEverythingBack) {
  const struct {
    const char* rule;
    const char* message;
  } cases[] = {
      {"EdsGetCameraList 1", "EdsGetCameraList errorcode 0x00000081, Device busy"},
      {"EdsGetChildCount 1", "EdsGetChildCount errorcode 0x00000081, Device busy"},
      {"EdsGetChildAtIndex 2 0x63", "EdsGetChildAtIndex errorcode 0x00000063, Invalid index"},
      {"EdsGetDeviceInfo 2 0x82", "EdsGetDeviceInfo errorcode 0x00000082, Device invalid"},
  };
  for (const auto& c : cases) {
    Start(std::string("cameras = 2\nrefuse = ") + c.rule);
    EXPECT_EQ(Raised([&] { cam_.OpenCameraEnumeration(); }), c.message) << c.rule;
    Sdk().FinilizeCommunications();
    EXPECT_TRUE(EOSCameraRefs().empty());
    ExpectBooksBalanced();
    cam_.CloseCameraEnumeration();
    DeleteFileW(reinterpret_cast<const wchar_t*>(TracePath().c_str()));
  }
}

// --- The shutter ----------------------------------------------------------------------------

TEST_F(Road, ShutterButtonRetriesABusyCamera) {
  Start("busy = EdsSendCommand:4 1-4");
  Connect();
  SaveTo(kEdsSaveTo_Host);
  RecordRemoteEvents();
  const DWORD start = GetTickCount();
  EXPECT_EQ(Raised([&] { cam_.RemotePressShutter(RemoteShutterButtonCompletelyPressed); }), "");
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 4 * 200 - 20);  // four pauses of 200 ms
  const std::string trace = Trace();
  EXPECT_EQ(CountOf(trace, "EdsSendCommand(#"), 5);
  EXPECT_EQ(CountOf(trace, ", 0x4, 3) = 0x00000081"), 4);
  EXPECT_EQ(CountOf(trace, ", 0x4, 3) = 0x00000000"), 1);
  EXPECT_EQ(Raised([&] { cam_.RemotePressShutter(RemoteShutterButtonOff); }), "");
  EXPECT_NE(Trace().find(", 0x4, 0) = 0x00000000"), std::string::npos);
  ASSERT_TRUE(PumpForRemoteEvents(1));
  EXPECT_EQ(remote_events_[0].first, RemoteEventCallbackReleaseImageReady);
  Sdk().RemoteGetPicture(FilePath(u"shot.jpg"), PictureTypeFull, 0);
}

TEST_F(Road, ShutterButtonParametersOfEveryState) {
  Start("");
  Connect();
  const struct {
    RemoteShutterButtonType button;
    const char* param;
  } cases[] = {
      {RemoteShutterButtonHalfPressed, ", 0x4, 1) = "},
      {RemoteShutterButtonHalfPressedNonAF, ", 0x4, 65537) = "},
      {RemoteShutterButtonCompletelyPressedNonAF, ", 0x4, 65539) = "},
      {RemoteShutterButtonOff, ", 0x4, 0) = "},
  };
  for (const auto& c : cases) {
    cam_.RemotePressShutter(c.button);
    EXPECT_NE(Trace().find(c.param), std::string::npos) << c.param;
  }
}

// A camera busy for longer than the retries: 27 presses in all, about five seconds.
TEST_F(Road, ShutterButtonGivesUpAfterTheRetries) {
  Start("busy = EdsSendCommand:4 1-");
  Connect();
  EXPECT_EQ(Raised([&] { cam_.RemotePressShutter(RemoteShutterButtonHalfPressed); }),
            "EdsSendCommand errorcode 0x00000081, Device busy");
  EXPECT_EQ(CountOf(Trace(), ", 0x4, 1) = 0x00000081"), 27);
}

TEST_F(Road, FailedFocusIsReportedWithItsText) {
  Start("focus = fails");
  Connect();
  SaveTo(kEdsSaveTo_Host);
  EXPECT_EQ(Raised([&] { Sdk().RemoteTakePicture(0); }),
            "EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed");
  EXPECT_TRUE(Sdk().mPicList.empty());
}

TEST_F(Road, BulbExposureLocksTheCameraUiMeanwhile) {
  Start("picture_size = 640x480");
  Connect();
  SaveTo(kEdsSaveTo_Host);
  RecordRemoteEvents();
  cam_.RemoteBULBMode(true);
  cam_.RemoteBULBMode(false);
  const std::string trace = Trace();
  const size_t lock = trace.find("EdsSendStatusCommand(#");
  const size_t start = trace.find(", 0x2, 0) = 0x00000000");
  const size_t end = trace.find(", 0x3, 0) = 0x00000000");
  const size_t unlock = trace.find(", 0x1, 0) = 0x00000000", end);
  EXPECT_LT(lock, start);
  EXPECT_LT(start, end);
  EXPECT_NE(unlock, std::string::npos);
  ASSERT_TRUE(PumpForRemoteEvents(1));
  Sdk().RemoteGetPicture(FilePath(u"bulb.jpg"), PictureTypeFull, 0);
}

TEST_F(Road, ZoomAndAfLockAreRefusedForEos) {
  TEDSDK& sdk = Sdk();
  EXPECT_EQ(Raised([&] { sdk.RemoteGetZoomPos(); }), "RemoteGetZoomPos is not supported for your EOS camera.");
  EXPECT_EQ(Raised([&] { sdk.RemoteSetZoomPos(1); }), "RemoteSetZoomPos is not supported for your EOS camera.");
  EXPECT_EQ(Raised([&] { sdk.RemoteAFLock(true); }), "RemoteAFLock is not supported for your EOS camera.");
}

// --- A picture for the host -----------------------------------------------------------------

TEST_F(Road, AnnouncedPictureIsDeliveredAndDownloadedWhole) {
  Start("picture_size = 1600x1067");
  Connect();
  SaveTo(kEdsSaveTo_Host);
  RecordRemoteEvents();
  std::vector<std::int32_t> progress;
  cam_.OnRemoteTakePictureEvent = [&](std::int32_t p) { progress.push_back(p); };
  Sdk().RemoteTakePicture(0);
  EXPECT_TRUE(remote_events_.empty()) << "delivered from the notify timer, not from inside the call";
  ASSERT_TRUE(PumpForRemoteEvents(1));
  EXPECT_EQ(remote_events_[0].first, RemoteEventCallbackReleaseImageReady);
  EXPECT_EQ(remote_events_[0].second.EventValid, NotifyRemoteEventValid2);
  EXPECT_EQ(remote_events_[0].second.TypeOfPicture(), TypeOfPicturePicture);
  ASSERT_EQ(Sdk().mPicList.size(), 1u);
  const std::string expected = BytesOf(Sdk().mPicList.front());

  const Text file = FilePath(u"picture.jpg");
  WriteFileBytes(file, std::string(3 * expected.size(), 'x'));  // replaced, not appended to
  Sdk().RemoteGetPicture(file, PictureTypeFull, 0);
  EXPECT_TRUE(Sdk().mPicList.empty());
  EXPECT_EQ(Sdk().TypeOfFileTransfer(), FileTransferNotUsed);
  const std::string got = ReadFileBytes(file);
  EXPECT_TRUE(got == expected) << got.size() << " bytes written, " << expected.size() << " handed over";
  const std::optional<JpegSize> size = DecodedSize(got);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 1600);
  EXPECT_EQ(size->height, 1067);

  // Progress is queued during the download and delivered afterwards, ending at 100.
  EXPECT_TRUE(progress.empty());
  ASSERT_TRUE(PumpUntil([&] { return !progress.empty() && progress.back() == 100; }));
  for (size_t i = 1; i < progress.size(); ++i) EXPECT_LE(progress[i - 1], progress[i]);
  const std::string trace = Trace();
  EXPECT_LT(trace.find("EdsRelease(", trace.rfind("EdsDownload(#")), trace.find("EdsDownloadComplete("))
      << "the file is closed before the camera is told";
}

// Nothing can fetch them after the session: the SDK gets them back before it stops.
TEST_F(Road, PicturesNeverFetchedGoBackWithTheSession) {
  Start("picture_size = 64x48");
  Connect();
  TakePictures(2);
  ASSERT_EQ(Sdk().mPicList.size(), 2u);
  cam_.Disconnect();
  EXPECT_TRUE(Sdk().mPicList.empty());
}

TEST_F(Road, PicturesAreServedInTheOrderAnnounced) {
  Start("picture_size = 640x480");
  Connect();
  TakePictures(2);
  ASSERT_EQ(Sdk().mPicList.size(), 2u);
  const std::string first = BytesOf(Sdk().mPicList[0]);
  const std::string second = BytesOf(Sdk().mPicList[1]);
  ASSERT_NE(first, second);
  Sdk().RemoteGetPicture(FilePath(u"1.jpg"), PictureTypeFull, 0);
  Sdk().RemoteGetPicture(FilePath(u"2.jpg"), PictureTypeFull, 0);
  EXPECT_TRUE(ReadFileBytes(FilePath(u"1.jpg")) == first);
  EXPECT_TRUE(ReadFileBytes(FilePath(u"2.jpg")) == second);
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetPicture(FilePath(u"3.jpg"), PictureTypeFull, 0); }),
            "There are no pictures to download");
  EXPECT_FALSE(FileExists(FilePath(u"3.jpg")));
}

TEST_F(Road, ThumbnailsLeaveThePicturePending) {
  Start("picture_size = 1600x1067");
  Connect();
  TakePictures(1);
  Sdk().RemoteGetPicture(FilePath(u"t1.jpg"), PictureTypeThumbnail, 0);
  Sdk().RemoteGetPicture(FilePath(u"t2.jpg"), PictureTypeThumbnail, 0);
  EXPECT_EQ(Sdk().mPicList.size(), 1u);
  const std::string thumb = ReadFileBytes(FilePath(u"t1.jpg"));
  EXPECT_TRUE(thumb == ReadFileBytes(FilePath(u"t2.jpg")));
  const std::optional<JpegSize> small = DecodedSize(thumb);
  ASSERT_TRUE(small);
  EXPECT_LT(small->width, 1600);
  Sdk().RemoteGetPicture(FilePath(u"full.jpg"), PictureTypeFull, 0);
  EXPECT_TRUE(Sdk().mPicList.empty());
  EXPECT_EQ(DecodedSize(ReadFileBytes(FilePath(u"full.jpg")))->width, 1600);
}

TEST_F(Road, FileNamesUpTo254CharactersAreAccepted) {
  Start("picture_size = 640x480");
  Connect();
  TakePictures(1);
  const Text folder = dir_.path();
  ASSERT_LT(folder.size() + 5, 254u);
  const Text longest = folder + Text(254 - folder.size() - 4, u'p') + u".jpg";
  const Text too_long = folder + Text(255 - folder.size() - 4, u'p') + u".jpg";
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetPicture(too_long, PictureTypeFull, 0); }),
            "Filename " + ToUtf8(too_long) + " too long");
  EXPECT_EQ(Sdk().mPicList.size(), 1u);
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetPicture(longest, PictureTypeFull, 0); }), "");
  EXPECT_TRUE(DecodedSize(ReadFileBytes(longest)));
}

TEST_F(Road, FailedDownloadsKeepOrDropThePictureAsTheyShould) {
  Start("picture_size = 640x480\nrefuse = EdsDownload 2 0xC1");
  Connect();
  TakePictures(2);
  // No file stream: nothing happened to the picture, it stays first.
  EXPECT_EQ(Raised([&] {
              Sdk().RemoteGetPicture(FilePath(u"no\\such\\folder.jpg"), PictureTypeFull, 0);
            }).rfind("EdsCreateFileStream errorcode 0x", 0),
            0u);
  EXPECT_EQ(Sdk().mPicList.size(), 2u);
  const std::string second = BytesOf(Sdk().mPicList[1]);  // the stand-in's first EdsDownload
  // The download itself fails: the picture is completed and dropped all the same, and the
  // partial file stays.
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetPicture(FilePath(u"a.jpg"), PictureTypeFull, 0); }),
            "EdsDownload errorcode 0x000000C1, Communication disconnected");
  EXPECT_EQ(Sdk().mPicList.size(), 1u);
  EXPECT_EQ(Sdk().TypeOfFileTransfer(), FileTransferNotUsed);
  EXPECT_TRUE(FileExists(FilePath(u"a.jpg")));
  Sdk().RemoteGetPicture(FilePath(u"b.jpg"), PictureTypeFull, 0);
  EXPECT_TRUE(ReadFileBytes(FilePath(u"b.jpg")) == second);
}

// Each refusal during a download: its message, and whether the picture is still pending.
// Once the file stream exists a whole-picture download consumes the picture even when a
// later step is refused, so a broken picture never blocks the next one.
TEST_F(Road, RefusedDownloadStepsAndWhatBecomesOfThePicture) {
  const struct {
    const char* rule;
    PictureTypeType type;
    const char* message;
    size_t pending_after;
    bool file_whole;  // the file holds the whole picture
  } cases[] = {
      {"EdsCreateFileStream 1 0x23", PictureTypeFull, "EdsCreateFileStream errorcode 0x00000023, File open error", 1,
       false},
      {"EdsGetDirectoryItemInfo 1", PictureTypeFull, "EdsGetDirectoryItemInfo errorcode 0x00000081, Device busy", 0,
       false},
      {"EdsSetProgressCallback 1 0x65", PictureTypeFull,
       "EdsSetProgressCallback errorcode 0x00000065, Invalid function pointer", 0, false},
      {"EdsDownloadComplete 1 0x2", PictureTypeFull, "EdsDownloadComplete errorcode 0x00000002, Internal error", 0,
       true},
      {"EdsDownloadThumbnail 1", PictureTypeThumbnail, "EdsDownloadThumbnail errorcode 0x00000081, Device busy", 1,
       false},
  };
  for (const auto& c : cases) {
    Start(std::string("picture_size = 640x480\nrefuse = ") + c.rule);
    Connect();
    TakePictures(1);
    const Text file = FilePath(u"refused.jpg");
    EXPECT_EQ(Raised([&] { Sdk().RemoteGetPicture(file, c.type, 0); }), c.message) << c.rule;
    EXPECT_EQ(Sdk().mPicList.size(), c.pending_after) << c.rule;
    EXPECT_EQ(Sdk().TypeOfFileTransfer(), FileTransferNotUsed) << c.rule;
    if (c.file_whole) {
      EXPECT_EQ(DecodedSize(ReadFileBytes(file))->width, 640) << c.rule;
    }
    if (c.pending_after) {  // it still comes whole
      Sdk().RemoteGetPicture(file, PictureTypeFull, 0);
      EXPECT_EQ(DecodedSize(ReadFileBytes(file))->width, 640) << c.rule;
    }
    Leave();
    ExpectBooksBalanced();
    remote_events_.clear();
    DeleteFileW(reinterpret_cast<const wchar_t*>(TracePath().c_str()));
    DeleteFileW(reinterpret_cast<const wchar_t*>(file.c_str()));
  }
}

// Each refusal while the card is walked: its message, and the references taken so far go
// back when the collection is closed.
TEST_F(Road, RefusedCollectionStepsGiveEverythingBack) {
  const struct {
    const char* rule;
    const char* message;
  } cases[] = {
      {"EdsGetChildAtIndex 2", "EdsGetChildAtIndex errorcode 0x00000081, Device busy"},            // the volume
      {"EdsGetDirectoryItemInfo 3", "EdsGetDirectoryItemInfo errorcode 0x00000081, Device busy"},  // the first file
      {"EdsCreateMemoryStream 2 0x3", "EdsCreateMemoryStream errorcode 0x00000003, Memory allocation failed"},
      {"EdsDownloadThumbnail 1", "EdsDownloadThumbnail errorcode 0x00000081, Device busy"},
      {"EdsSeek 1 0xA5", "EdsSeek errorcode 0x000000A5, Stream seek error"},
      {"EdsGetLength 1", "EdsGetLength errorcode 0x00000081, Device busy"},
      {"EdsRead 1 0xA7", "EdsRead errorcode 0x000000A7, Stream read error"},
  };
  for (const auto& c : cases) {
    Start(std::string("card_file = DCIM\\100CANON\\IMG_0001.JPG\ncard_file = DCIM\\100CANON\\IMG_0002.JPG\n") +
          "refuse = " + c.rule);
    Connect();
    EXPECT_EQ(Raised([&] { cam_.OpenCameraCollection(u"", true); }), c.message) << c.rule;
    ImageListType images;
    cam_.CloseCameraCollection(images);
    Leave();
    ExpectBooksBalanced();
    DeleteFileW(reinterpret_cast<const wchar_t*>(TracePath().c_str()));
  }
}

// --- Files written to the card --------------------------------------------------------------

TEST_F(Road, CardFilesAreSortedIntoMoviesAndPicturesByTheirNames) {
  Start(
      "card_file = DCIM\\100CANON\\MVI_0001.MOV\ncard_file = DCIM\\100CANON\\MVI_0002.MP4\n"
      "card_file = DCIM\\100CANON\\IMG_0001.JPG\ncard_file = DCIM\\100CANON\\IMG_0002.CR2\n"
      "card_file = DCIM\\100CANON\\mvi_0003.mov");
  Connect();
  RecordRemoteEvents();
  std::vector<std::int32_t> card_progress, movie_progress;
  cam_.OnGetPictureEvent = [&](std::int32_t p) { card_progress.push_back(p); };
  cam_.OnRemoteGetMovieEvent = [&](std::int32_t p) { movie_progress.push_back(p); };
  // The stand-in announces only new shots; the card's own files are announced here the
  // way the camera announces a file it has just written.
  EdsVolumeRef volume = nullptr;
  EdsDirectoryItemRef dcim = nullptr, folder = nullptr;
  ASSERT_EQ(EdsGetChildAtIndex(Camera(), 0, &volume), EDS_ERR_OK);
  ASSERT_EQ(EdsGetChildAtIndex(volume, 0, &dcim), EDS_ERR_OK);
  ASSERT_EQ(EdsGetChildAtIndex(dcim, 0, &folder), EDS_ERR_OK);
  std::uint32_t instance = cam_.InstanceNumber();
  for (EdsInt32 i = 0; i < 5; ++i) {
    EdsDirectoryItemRef item = nullptr;
    ASSERT_EQ(EdsGetChildAtIndex(folder, i, &item), EDS_ERR_OK);
    ObjectEventHandler(kEdsObjectEvent_DirItemCreated, item, &instance);
  }
  for (EdsBaseRef r : {folder, dcim, volume}) EdsRelease(r);
  ASSERT_TRUE(PumpForRemoteEvents(5));
  const RemoteEventCallbackType expected[] = {
      RemoteEventCallbackReleaseMovieReady, RemoteEventCallbackReleaseMovieReady,
      RemoteEventCallbackReleaseImageFromCFCardReady, RemoteEventCallbackReleaseImageFromCFCardReady,
      RemoteEventCallbackReleaseImageFromCFCardReady};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(remote_events_[i].first, expected[i]) << i;

  Sdk().RemoteGetMovie(FilePath(u"kept.mov"), false, 0);
  Sdk().RemoteGetMovie(FilePath(u"deleted.mp4"), true, 0);
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetMovie(FilePath(u"none.mov"), false, 0); }), "There are no movies to download");
  Sdk().RemoteGetCFPicture(FilePath(u"img.jpg"), true, 0);
  EXPECT_TRUE(DecodedSize(ReadFileBytes(FilePath(u"img.jpg"))));
  ASSERT_TRUE(PumpUntil([&] { return cam_.NotifyQueue()->empty(); }));
  EXPECT_EQ(std::count(card_progress.begin(), card_progress.end(), 100), 3) << "three transfers, each to 100";
  EXPECT_EQ(card_progress, movie_progress) << "card transfers report to both events";

  ImageListType images = cam_.OpenCameraCollection(u"", false);
  std::vector<Text> names;
  for (const ImageDataType& image : images) names.push_back(image.NameOfImage);
  EXPECT_EQ(names, (std::vector<Text>{u"MVI_0001.MOV", u"IMG_0002.CR2", u"mvi_0003.mov"}));
  cam_.CloseCameraCollection(images);
  EXPECT_EQ(Sdk().TypeOfFileTransfer(), FileTransferNotUsed);
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetCFPicture(FilePath(u"x.jpg"), false, 0); }), "");
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetCFPicture(FilePath(u"y.jpg"), false, 0); }), "");
  EXPECT_EQ(Raised([&] { Sdk().RemoteGetCFPicture(FilePath(u"z.jpg"), false, 0); }),
            "There are no pictures on CF card to download");
}

TEST_F(Road, PictureSavedToTheCardIsAnnouncedAndFetched) {
  Start("picture_size = 800x600");
  Connect();
  TakePictures(1, kEdsSaveTo_Camera);
  EXPECT_EQ(remote_events_[0].first, RemoteEventCallbackReleaseImageFromCFCardReady);
  EXPECT_EQ(remote_events_[0].second.EventValid, NoNotifyRemoteEventValid);
  EXPECT_TRUE(Sdk().mPicList.empty());
  Sdk().RemoteGetCFPicture(FilePath(u"card.jpg"), false, 0);
  EXPECT_EQ(DecodedSize(ReadFileBytes(FilePath(u"card.jpg")))->width, 800);
}

TEST_F(Road, WithoutARemoteEventHandlerAnOfferedPictureIsGivenBack) {
  Start("picture_size = 640x480");
  Connect();
  SaveTo(kEdsSaveTo_Host);
  Sdk().RemoteTakePicture(0);
  ASSERT_TRUE(PumpUntil([&] { return Trace().find("event object") != std::string::npos; }));
  win::PumpMessagesFor(100);
  EXPECT_TRUE(Sdk().mPicList.empty());
}

// The capture dialog's whole road through the component: remote mode with probing, live
// view, a half-press, the shot, its download, and leaving in the dialog's order. The
// stand-in's books then show every reference given back and the session closed.
TEST_F(Road, FullRoadThroughTheComponent) {
  Start("picture_size = 1024x683");
  Connect();
  cam_.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, true, u"");
  RecordRemoteEvents();
  int frames = 0;
  cam_.SetEOSViewfinderRefreshInterval(30);
  cam_.OnViewfinderEvent = [&](JpegBytes, const ViewfinderPositionType&) { ++frames; };
  cam_.RemoteStartViewfinder(false);
  ASSERT_TRUE(PumpUntil([&] { return frames >= 3; }));
  cam_.RemotePressShutter(RemoteShutterButtonHalfPressed);
  cam_.RemotePressShutter(RemoteShutterButtonOff);
  cam_.RemoteTakePicture();
  ASSERT_TRUE(PumpForRemoteEvents(1));
  EXPECT_EQ(remote_events_[0].first, RemoteEventCallbackReleaseImageReady);
  EXPECT_EQ(cam_.PicturesToDownload(), 1);
  cam_.RemoteGetPicture(FilePath(u"capture.jpg"), PictureTypeFull);
  EXPECT_EQ(cam_.PicturesToDownload(), 0);
  EXPECT_EQ(DecodedSize(ReadFileBytes(FilePath(u"capture.jpg")))->width, 1024);
  cam_.RemoteStopViewfinder();
  cam_.RemoteEnd();
  Leave();
  const std::string trace = Trace();
  EXPECT_NE(trace.find("sessions opened 1, closed 1"), std::string::npos) << trace.substr(trace.rfind("books: "));
  ExpectBooksBalanced();
}

// --- Camera state events ---------------------------------------------------------------------

TEST_F(Road, StateEventsBecomeCameraEvents) {
  const struct {
    const char* event;
    EventSeverityType severity;
    EventEnumType what;
  } cases[] = {
      {"shutdown", EventSeverityClosing, EventRemoteShutdownReasonNotKnown},
      {"capture_error", EventSeverityClosing, EventRemoteCaptureError},
      {"internal_error", EventSeverityClosing, EventUnrecoverableError},
  };
  for (const auto& c : cases) {
    // After the firmware version is read: the session is open by then.
    Start(std::string("event = ") + c.event + " after EdsGetPropertyData:0x7 1");
    std::vector<EventCallbackType> events;
    cam_.OnEvent = [&](EventCallbackType e) { events.push_back(e); };
    Connect();
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); })) << c.event;
    EXPECT_EQ(events[0].Severity, c.severity) << c.event;
    EXPECT_EQ(events[0].Event, c.what) << c.event;
    Leave();
  }
}

TEST_F(Road, CameraAboutToSleepIsKeptAwake) {
  Start("event = will_soon_shut_down after EdsGetPropertyData:0x7 1");
  std::vector<EventCallbackType> events;
  cam_.OnEvent = [&](EventCallbackType e) { events.push_back(e); };
  Connect();
  ASSERT_TRUE(PumpUntil([&] { return Trace().find(", 0x1, 0) = 0x00000000") != std::string::npos; }));
  win::PumpMessagesFor(100);
  EXPECT_TRUE(events.empty());
}

// --- Camera utilities and the collection ------------------------------------------------------

TEST_F(Road, ClockIsSetOnlyWhenItIsOfTheTimeType) {
  Start("clock_type = 4");
  Connect();
  EXPECT_EQ(Raised([&] {
              cam_.SetTimeInCamera({2026, 12, 10, 5, 30, 15, 250});
            }),
            "SetTimeInCamera : Date/Time is of incorrect type");
  EXPECT_EQ(CountOf(Trace(), "EdsSetPropertyData("), 0);
  Leave();
  Start("");
  Connect();
  cam_.SetTimeInCamera({2026, 12, 10, 5, 30, 15, 250});
  EdsTime t{};
  ASSERT_EQ(EdsGetPropertyData(Camera(), kEdsPropID_DateTime, 0, sizeof t, &t), EDS_ERR_OK);
  EXPECT_EQ(t.year, 2026);
  EXPECT_EQ(t.day, 10);
  EXPECT_EQ(t.minute, 30);
  EXPECT_EQ(t.second, 15);
}

TEST_F(Road, CollectionListsTheCardWithJpegThumbnails) {
  Start(
      "card_file = DCIM\\100CANON\\IMG_0001.JPG\ncard_file = DCIM\\100CANON\\IMG_0002.CR2\n"
      "card_file = DCIM\\101CANON\\img_0003.jpg\ncard_file = MISC\\IMG_0004.JPG");
  Connect();
  ImageListType images = cam_.OpenCameraCollection(u"", true);
  ASSERT_EQ(images.size(), 4u);
  const Text names[] = {u"IMG_0001.JPG", u"IMG_0002.CR2", u"img_0003.jpg", u"IMG_0004.JPG"};
  const bool thumbs[] = {true, false, false, true};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(images[i].NameOfImage, names[i]) << i;
    EXPECT_FALSE(images[i].RAWJpegExists);
    EXPECT_EQ(!images[i].Thumbnail.empty(), thumbs[i]) << i;
  }
  const std::string thumb(images[0].Thumbnail.begin(), images[0].Thumbnail.end());
  ASSERT_TRUE(DecodedSize(thumb));

  EXPECT_EQ(Raised([&] { cam_.GetPicture(5, false, FilePath(u"x.jpg")); }),
            "Requested download of picture 5 but max is only 3");
  EXPECT_EQ(Raised([&] { cam_.GetPicture(-1, false, FilePath(u"x.jpg")); }),
            "Requested download of picture -1 but max is only 3");
  EXPECT_EQ(Raised([&] { cam_.DeletePicture(images, 4); }), "Requested delete of picture 4 but max is only 3");
  EXPECT_FALSE(FileExists(FilePath(u"x.jpg")));

  std::vector<std::int32_t> progress;
  cam_.OnGetPictureEvent = [&](std::int32_t p) { progress.push_back(p); };
  cam_.GetPicture(0, false, FilePath(u"first.jpg"));
  EXPECT_EQ(DecodedSize(ReadFileBytes(FilePath(u"first.jpg")))->width, 1280);
  ASSERT_TRUE(PumpUntil([&] { return !progress.empty() && progress.back() == 100; }));

  // Deleting the first leaves the others, still aligned with their references.
  cam_.DeletePicture(images, 0);
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].NameOfImage, u"IMG_0002.CR2");
  EXPECT_EQ(images[2].NameOfImage, u"IMG_0004.JPG");
  EXPECT_FALSE(images[2].Thumbnail.empty());
  cam_.GetPicture(2, false, FilePath(u"fourth.jpg"));
  EXPECT_TRUE(DecodedSize(ReadFileBytes(FilePath(u"fourth.jpg"))));
  // Opening again without closing first starts afresh: the card as it is now.
  ImageListType again = cam_.OpenCameraCollection(u"", false);
  ASSERT_EQ(again.size(), 3u);
  EXPECT_EQ(again[0].NameOfImage, u"IMG_0002.CR2");
  EXPECT_EQ(again[2].NameOfImage, u"IMG_0004.JPG");
  cam_.CloseCameraCollection(again);
  EXPECT_TRUE(again.empty());
}

TEST_F(Road, FormattingEmptiesTheCard) {
  Start("card = no");
  Connect();
  EXPECT_EQ(Raised([&] { cam_.FormatCameraCard(); }), "FormatCameraCard : No volumes found");
  EXPECT_EQ(Raised([&] { cam_.OpenCameraCollection(u"", false); }), "OpenCameraCollection : No volumes found");
  Leave();
  Start("card_file = DCIM\\100CANON\\IMG_0001.JPG");
  Connect();
  cam_.FormatCameraCard();
  ImageListType images = cam_.OpenCameraCollection(u"", true);
  EXPECT_TRUE(images.empty());
  cam_.CloseCameraCollection(images);
}

// --- RAW development on the host --------------------------------------------------------------

// The stand-in's RAW files carry a JPEG; this one is small and plain.
void WriteRawFile(const Text& path) {
  sim::Image image;
  image.width = 64;
  image.height = 48;
  image.rgb.assign(64 * 48 * 3, 128);
  const std::vector<std::uint8_t> jpeg = sim::EncodeJpeg(image, 90);
  WriteFileBytes(path, std::string(jpeg.begin(), jpeg.end()));
}

TEST_F(Road, RawFileOffersTheWhiteBalancesTheSdkTakes) {
  Start("");
  TEDSDK& sdk = Sdk();
  sdk.InitCommunications();
  const Text raw = FilePath(u"IMG_0001.CR2");
  WriteRawFile(raw);
  const RAWObjectDevAvailType avail = sdk.OpenRAWObject(raw);
  for (int v = 0; v < kEnumCount<RemoteFormatWBType>; ++v) {
    // Offered: what has an SDK code and the stand-in accepts (codes 0 to 6, 8, 9).
    const bool expected = v >= RemoteFormatWBAuto && v <= RemoteFormatWBKelvin && v != RemoteFormatWBCustom &&
                          v != RemoteFormatWBCustom1 && v != RemoteFormatWBCustom2 && v != RemoteFormatWBBW;
    EXPECT_EQ(avail.WhiteBalance[static_cast<size_t>(v)], expected) << v;
  }
  // The probing left the image's own white balance in place.
  EXPECT_EQ(sdk.GetRAWDevelopmentParameters().WhiteBalance, RemoteFormatWBAuto);

  sdk.SetRAWDevelopmentParameters({RemoteFormatWBKelvin, 6540});
  const RAWObjectDevType kelvin = sdk.GetRAWDevelopmentParameters();
  EXPECT_EQ(kelvin.WhiteBalance, RemoteFormatWBKelvin);
  EXPECT_EQ(kelvin.WhiteBalanceKelvin, 6500);
  sdk.SetRAWDevelopmentParameters({RemoteFormatWBShade, 0});
  EXPECT_EQ(sdk.GetRAWDevelopmentParameters().WhiteBalance, RemoteFormatWBShade);
  EXPECT_EQ(sdk.GetRAWDevelopmentParameters().WhiteBalanceKelvin, 0);
  EXPECT_EQ(Raised([&] { sdk.SetRAWDevelopmentParameters({RemoteFormatWBCustom, 0}); }), "Whitebalance not known");

  const struct {
    FileFormatType format;
    BitsPerPixelType bits;
    const char* target;  // the SDK's target image type in the trace, or the refusal
  } cases[] = {
      {FileFormatTIFF, BitsPerPixel48Bits, ", 0x8, {q8,null}, #"},
      {FileFormatTIFF, BitsPerPixel24Bits, ", 0x7, {q8,null}, #"},
      {FileFormatJPEG, BitsPerPixel24Bits, ", 0x1, {q8,null}, #"},
      {FileFormatThumbnail, BitsPerPixel24Bits, "Thumbnail in RAW development not implemented"},
      {FileFormatJPEGInRaw, BitsPerPixel24Bits, "JPEG in RAW development not implemented"},
  };
  for (const auto& c : cases) {
    const std::string message = Raised([&] { sdk.DevelopRAWPicture(FilePath(u"out"), c.format, c.bits, u"", 8); });
    if (message.empty())
      EXPECT_EQ(CountOf(Trace(), c.target), 1) << c.target;
    else
      EXPECT_EQ(message, c.target);
  }
  EXPECT_EQ(CountOf(Trace(), "EdsSaveImage(#"), 3);
  // The last developed a JPEG; the two refused after it left that file alone.
  EXPECT_EQ(DecodedSize(ReadFileBytes(FilePath(u"out")))->width, 64);

  const Text long_name = FilePath(u"") + Text(255 - FilePath(u"").size(), u'x');
  EXPECT_EQ(Raised([&] { sdk.DevelopRAWPicture(long_name, FileFormatJPEG, BitsPerPixel24Bits, u"", 8); }),
            "Filename " + ToUtf8(long_name) + " too long");
  EXPECT_EQ(
      Raised([&] { sdk.DevelopRAWPicture(FilePath(u"a.jpg"), FileFormatJPEG, BitsPerPixel24Bits, long_name, 8); }),
      "ICC profile filename " + ToUtf8(long_name) + " too long");
  EXPECT_EQ(Raised([&] {
              sdk.DevelopRAWPicture(FilePath(u"a.jpg"), FileFormatJPEG, BitsPerPixel24Bits, FilePath(u"none.icc"), 8);
            }).rfind("EdsCreateFileStream errorcode 0x", 0),
            0u);
  sdk.CloseRAWObject();

  // A file the SDK cannot read as an image: its stream is still given back on closing.
  WriteFileBytes(FilePath(u"IMG_0002.CR2"), "not a picture");
  EXPECT_EQ(Raised([&] { sdk.OpenRAWObject(FilePath(u"IMG_0002.CR2")); }),
            "EdsCreateImageRef errorcode 0x00000007, Not supported");
  sdk.CloseRAWObject();
  sdk.FinilizeCommunications();
}

}  // namespace
}  // namespace eos::test
