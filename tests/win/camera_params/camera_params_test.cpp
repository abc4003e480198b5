// Remote start, the probe of offered values with its progress and cache file, shooting
// parameters read and written, and remote parameter files: through TCamRemote against
// the stand-in camera, with its trace of calls as the witness of what reached the camera.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Sources/EDSDKBinding.h"
#include "camremote/CamRemote.h"
#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

constexpr char kBusy[] = "errorcode 0x00000081, Device busy";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// A component connected to the first camera of the stand-in running `scenario`, with a
// trace of the stand-in's calls in a folder of its own. Shut down in the owner's order.
class Camera {
 public:
  explicit Camera(const std::string& scenario = "")
      : trace_(dir_.path() + u"trace.txt"), stand_in_(scenario + "\ntrace = " + win::ToAnsi(trace_) + "\n") {
    remote.OpenCameraEnumeration();
    remote.Connect(CamModEOS, 0);
  }
  ~Camera() {
    remote.RemoteEnd();
    remote.Disconnect();
    remote.CloseCameraEnumeration();
  }

  RemoteFuncType Start(bool probe = false, const Text& cache = u"", ReleaseModeType mode = ReleaseModeOnlyToPC) {
    return remote.RemoteStart(mode, ReleaseDataKindTakeOnlyPicture, probe, cache);
  }

  // The trace's lines from line `from` on.
  std::vector<std::string> Trace(size_t from = 0) const {
    std::vector<std::string> lines = Lines(ReadFileBytes(trace_));
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())));
    return lines;
  }
  size_t TraceSize() const { return Trace().size(); }
  // Lines from `from` on that begin with `prefix`.
  std::vector<std::string> Calls(const std::string& prefix, size_t from = 0) const {
    std::vector<std::string> out;
    for (const std::string& line : Trace(from))
      if (StartsWith(line, prefix)) out.push_back(line);
    return out;
  }
  // The property IDs of the writes from line `from` on, in order, with a "!" after a
  // refused one: "0x405!", "0x405".
  std::vector<std::string> Writes(size_t from = 0) const {
    std::vector<std::string> out;
    for (const std::string& line : Calls("EdsSetPropertyData(", from)) {
      const size_t id = line.find(", ") + 2;
      out.push_back(line.substr(id, line.find(',', id) - id) + (line.ends_with("= 0x00000000") ? "" : "!"));
    }
    return out;
  }

  EdsUInt32 Property(EdsPropertyID id) const {
    EdsUInt32 v = 0;
    EXPECT_EQ(EdsGetPropertyData(remote.EDSDK().CameraDevice(), id, 0, sizeof v, &v), EDS_ERR_OK) << id;
    return v;
  }
  void SetProperty(EdsPropertyID id, EdsUInt32 v) {
    ASSERT_EQ(EdsSetPropertyData(remote.EDSDK().CameraDevice(), id, 0, sizeof v, &v), EDS_ERR_OK) << id;
  }

  const Text& folder() const { return dir_.path(); }

  mutable TCamRemote remote;

 private:
  TempDir dir_;
  Text trace_;
  StandInCamera stand_in_;
};

// How many times `entry` is called while connecting; a refusal of the call after them
// hits the first call remote mode makes.
int CallsWhileConnecting(const std::string& entry) {
  Camera cam;
  return static_cast<int>(cam.Calls(entry + "(").size());
}

bool SameRecord(const RemoteReleaseParametersType& a, const RemoteReleaseParametersType& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The ordinals whose flag is set.
template <size_t N>
std::vector<int> Marked(const std::array<ByteBool, N>& flags) {
  std::vector<int> out;
  for (size_t i = 0; i < flags.size(); ++i)
    if (flags[i]) out.push_back(static_cast<int>(i));
  return out;
}
template <class E>
std::vector<int> Range(E first, E last) {
  std::vector<int> out;
  for (int v = first; v <= last; ++v) out.push_back(v);
  return out;
}

// A stored file: a 32-bit head (version or size) and the first `bytes` of a record.
template <class Record>
std::string Stored(std::int32_t head, const Record& r, size_t bytes = sizeof(Record)) {
  std::string out(reinterpret_cast<const char*>(&head), 4);
  out.append(reinterpret_cast<const char*>(&r), bytes);
  return out;
}

// ---------------------------------------------------------------------------------------
// RemoteStart without probing
// ---------------------------------------------------------------------------------------

TEST(RemoteStart, SaveToFollowsTheReleaseMode) {
  const struct {
    ReleaseModeType mode;
    EdsUInt32 save_to;
  } cases[] = {{ReleaseModeOnlyToPC, kEdsSaveTo_Host},
               {ReleaseModeBothPCAndCamera, kEdsSaveTo_Both},
               {ReleaseModeOnlyToCamera, kEdsSaveTo_Camera}};
  for (const auto& c : cases) {
    Camera cam;
    cam.Start(false, u"", c.mode);
    EXPECT_EQ(cam.Property(kEdsPropID_SaveTo), c.save_to) << c.mode;
    // Pictures kept on the card still need the host's capacity on a newer camera.
    EXPECT_EQ(cam.Calls("EdsSetCapacity(").size(), 1u) << c.mode;
  }
}

TEST(RemoteStart, NewerProtocolCameraOffersLiveViewAndGetsTheHostCapacity) {
  Camera cam;
  const size_t from = cam.TraceSize();
  const RemoteFuncType funcs = cam.Start();
  EXPECT_TRUE(funcs.DoSupportShootingPara);
  EXPECT_TRUE(funcs.DoSupportViewfinder);
  EXPECT_FALSE(funcs.DoSupportZoom);
  EXPECT_FALSE(funcs.ReqViewfinderOffWhenShooting);
  EXPECT_FALSE(funcs.DoSupportAfLockUnlock);
  const RemoteReleaseAvailParametersType none{};
  EXPECT_EQ(std::memcmp(&funcs.RemoteParamSupported, &none, sizeof none), 0);

  const std::vector<std::string> capacity = cam.Calls("EdsSetCapacity(", from);
  ASSERT_EQ(capacity.size(), 1u);
  EXPECT_NE(capacity[0].find(", {2147483647,4096,1}) = 0x00000000"), std::string::npos) << capacity[0];
  const std::vector<std::string> unlock = cam.Calls("EdsSendStatusCommand(", from);
  ASSERT_EQ(unlock.size(), 1u);
  EXPECT_NE(unlock[0].find(", 0x1, 0)"), std::string::npos) << unlock[0];
  // Nothing but the release target is written without probing.
  EXPECT_EQ(cam.Writes(from), std::vector<std::string>{"0xB"});
  EXPECT_TRUE(cam.remote.NotifyQueue()->empty());
}

TEST(RemoteStart, OlderProtocolCameraGetsNeitherLiveViewNorCapacity) {
  Camera cam("subtype = 0");
  const size_t from = cam.TraceSize();
  EXPECT_FALSE(cam.Start().DoSupportViewfinder);
  EXPECT_TRUE(cam.Calls("EdsSetCapacity(", from).empty());
  EXPECT_TRUE(cam.Calls("EdsGetPropertyData(#", from).empty());
  EXPECT_EQ(cam.Calls("EdsSendStatusCommand(", from).size(), 1u);
}

TEST(RemoteStart, CameraWithoutLiveViewOutputKeepsLiveViewWhiteBalanceAlone) {
  const struct {
    const char* scenario;
    bool live_view;
  } cases[] = {{"", true}, {"live_view = no", false}, {"refuse = EdsGetPropertyData:0x500 1", false}};
  for (const auto& c : cases) {
    Camera cam(c.scenario);
    EXPECT_EQ(cam.Start().DoSupportViewfinder, c.live_view) << c.scenario;
    RemoteReleaseParametersType p;
    p.WhiteBalanceSetting = RemoteFormatWBCloudy;
    const size_t from = cam.TraceSize();
    cam.remote.RemoteSetRemoteParams(p);
    const std::vector<std::string> expected =
        c.live_view ? std::vector<std::string>{"0x106", "0x502"} : std::vector<std::string>{"0x106"};
    EXPECT_EQ(cam.Writes(from), expected) << c.scenario;
    EXPECT_EQ(cam.Property(kEdsPropID_WhiteBalance), 2u);
  }
}

TEST(RemoteStart, RefusedUnlockIsTolerated) {
  Camera cam("refuse = EdsSendStatusCommand 1-");
  EXPECT_EQ(Raised([&] { cam.Start(); }), "");
  EXPECT_EQ(Raised([&] { cam.remote.RemoteGetRemoteParams(); }), "");
}

// Each checked call of remote start, refused, ends it with that call's message and
// leaves remote mode off.
TEST(RemoteStart, RefusedCheckedCallsStopItWithTheirMessage) {
  const int device_info = CallsWhileConnecting("EdsGetDeviceInfo");
  const struct {
    std::string scenario;
    std::string message;
  } cases[] = {
      {"refuse = EdsSetPropertyData:0xB 1", "EdsSetPropertyData, kEdsPropID_SaveTo "},
      {"refuse = EdsGetDeviceInfo " + std::to_string(device_info + 1), "EdsGetDeviceInfo "},
      {"refuse = EdsSetCapacity 1", "EdsSetCapacity "},
      {"refuse = EdsGetPropertyDesc:0x100 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x400 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x405 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x406 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x407 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x403 1", "EdsGetPropertyDesc "},
      {"refuse = EdsGetPropertyDesc:0x402 1", "EdsGetPropertyDesc "},
  };
  for (const auto& c : cases) {
    Camera cam(c.scenario);
    EXPECT_EQ(Raised([&] { cam.Start(true); }), c.message + kBusy) << c.scenario;
    EXPECT_EQ(Raised([&] { cam.remote.RemoteGetRemoteParams(); }), "Camera not in remote mode") << c.scenario;
  }
}

// ---------------------------------------------------------------------------------------
// Probing
// ---------------------------------------------------------------------------------------

TEST(Probe, ProgressArrivesThroughTheComponentInOrder) {
  const struct {
    const char* scenario;
    std::vector<int> progress;
  } cases[] = {
      {"", {6, 24, 29, 35, 41, 47, 53, 59, 65, 71, 76, 82, 88, 94, 100}},
      {"subtype = 0", {6, 18, 24, 29, 35, 41, 47, 53, 59, 65, 71, 76, 82, 88, 94, 100}},
  };
  for (const auto& c : cases) {
    Camera cam(c.scenario);
    std::vector<int> progress;
    cam.remote.OnRemoteProbeParamEvent = [&](std::int32_t percent) { progress.push_back(percent); };
    cam.Start(true);
    // Queued while probing, delivered by the component's notify timer afterwards.
    EXPECT_TRUE(progress.empty());
    EXPECT_TRUE(PumpUntil([&] { return progress.size() >= c.progress.size(); }));
    win::PumpMessagesFor(100);
    EXPECT_EQ(progress, c.progress) << c.scenario;
  }
}

TEST(Probe, NoProgressIsQueuedWithoutAListener) {
  Camera cam;
  cam.Start(true);
  EXPECT_TRUE(cam.remote.NotifyQueue()->empty());
}

TEST(Probe, OfferedValuesMatchTheCamera) {
  Camera cam;
  const RemoteReleaseAvailParametersType a = cam.Start(true).RemoteParamSupported;
  // The camera's image qualities: Large, Medium and Small JPEG in Fine and Normal, RAW,
  // and RAW with a Large Fine JPEG.
  EXPECT_EQ(Marked(a.CompQuality),
            (std::vector<int>{RemoteFormatQualityNormal, RemoteFormatQualityFine, RemoteFormatQualityRAW}));
  EXPECT_EQ(Marked(a.ImageSize),
            (std::vector<int>{RemoteFormatSizeLarge, RemoteFormatSizeMedium, RemoteFormatSizeSmall}));
  EXPECT_EQ(Marked(a.CompQualityPic2RAW), (std::vector<int>{RemoteFormatQualityNotUsed, RemoteFormatQualityFine}));
  EXPECT_EQ(Marked(a.ImageSizePic2RAW), (std::vector<int>{RemoteFormatSizeNotUsed, RemoteFormatSizeLarge}));
  EXPECT_EQ(Marked(a.ImageMode),
            (std::vector<int>{RemoteFormatShootingModeManual, RemoteFormatShootingModeProgram,
                              RemoteFormatShootingModeTV, RemoteFormatShootingModeAV, RemoteFormatShootingModeBulb,
                              RemoteFormatShootingModeSceneIntelligentAuto}));
  EXPECT_EQ(Marked(a.Av), Range(RemoteFormatAV2_8, RemoteFormatAV32_0));
  EXPECT_EQ(Marked(a.Tv), Range(RemoteFormatTV30sec, RemoteFormatTV1_2000));
  EXPECT_EQ(Marked(a.ExposureCompensation), Range(RemoteFormatExposureComp500Plus, RemoteFormatExposureComp500Minus));
  EXPECT_EQ(Marked(a.WhiteBalanceSetting),
            (std::vector<int>{RemoteFormatWBAuto, RemoteFormatWBDaylight, RemoteFormatWBCloudy, RemoteFormatWBTungsten,
                              RemoteFormatWBFluorscent, RemoteFormatWBFlash, RemoteFormatWBFluorescentLight,
                              RemoteFormatWBShade, RemoteFormatWBKelvin}));
  EXPECT_TRUE(a.WhiteBalanceShift);
  EXPECT_TRUE(a.PictureStyle);
  EXPECT_EQ(Marked(a.AFMode), Range(RemoteFormatAFModeOneShot, RemoteFormatAFModeManual));
  EXPECT_EQ(Marked(a.DriveMode),
            (std::vector<int>{RemoteFormatDriveModeSingleFrame, RemoteFormatDriveModeContinous,
                              RemoteFormatDriveModeHighSpeedContinous, RemoteFormatDriveModeLowSpeedContinous,
                              RemoteFormatDriveMode10SecSelfTimer, RemoteFormatDriveMode2SecSelfTimer}));
  EXPECT_EQ(Marked(a.MLWeiMode),
            (std::vector<int>{RemoteFormatMLWeiSpot, RemoteFormatMLWeiEvaluative, RemoteFormatMLWeiPartial,
                              RemoteFormatMLWeiCenterwWeightedAveraging}));
  EXPECT_EQ(Marked(a.ColorSpace), Range(RemoteFormatColorSpaceSRGB, RemoteFormatColorSpaceAdobeRGB));
  std::vector<int> iso = Range(RemoteFormatISO100, RemoteFormatISO12800);
  iso.insert(iso.begin(), RemoteFormatISOAuto);
  EXPECT_EQ(Marked(a.ISO), iso);
  EXPECT_EQ(Marked(a.PhotoEffect), (std::vector<int>{RemoteFormatPhotoEffectOff, RemoteFormatPhotoEffectBW}));
  const std::vector<int> only_not_used{0};
  EXPECT_EQ(Marked(a.Contrast), only_not_used);
  EXPECT_EQ(Marked(a.ColorGain), only_not_used);
  EXPECT_EQ(Marked(a.Sharpness), only_not_used);
  EXPECT_EQ(Marked(a.AFDistance), only_not_used);
  EXPECT_EQ(Marked(a.AFFocusingPoint), only_not_used);
  EXPECT_EQ(Marked(a.AFAssistLight), only_not_used);
  EXPECT_EQ(Marked(a.StrobeSetting), only_not_used);
  EXPECT_EQ(Marked(a.StrobeCompSetting), only_not_used);
  EXPECT_EQ(Marked(a.Beep), only_not_used);
}

TEST(Probe, OlderProtocolImageQualitiesAreFoundByTrying) {
  Camera cam("subtype = 0");
  const size_t from = cam.TraceSize();
  const RemoteReleaseAvailParametersType a = cam.Start(true).RemoteParamSupported;
  EXPECT_EQ(Marked(a.CompQuality),
            (std::vector<int>{RemoteFormatQualityNormal, RemoteFormatQualityFine, RemoteFormatQualityRAW}));
  EXPECT_EQ(Marked(a.ImageSize),
            (std::vector<int>{RemoteFormatSizeLarge, RemoteFormatSizeMedium, RemoteFormatSizeSmall}));
  EXPECT_EQ(Marked(a.CompQualityPic2RAW), (std::vector<int>{RemoteFormatQualityFine}));
  EXPECT_EQ(Marked(a.ImageSizePic2RAW), (std::vector<int>{RemoteFormatSizeLarge}));
  // 30 JPEG or RAW codes and 24 RAW-plus-JPEG codes tried, no list asked for.
  size_t tried = 0;
  for (const std::string& w : cam.Writes(from)) tried += StartsWith(w, "0x100") ? 1 : 0;
  EXPECT_EQ(tried, 30u + 24u + 1u);  // and the restoring write at the end
  for (const std::string& line : cam.Calls("EdsGetPropertyDesc(", from))
    EXPECT_EQ(line.find(", 0x100,"), std::string::npos) << line;
}

TEST(Probe, CameraSettingsAreRestoredAfterTrying) {
  for (const char* scenario : {"", "subtype = 0"}) {
    Camera cam(scenario);
    cam.Start();
    RemoteReleaseParametersType before = cam.remote.RemoteGetRemoteParams();
    before.WhiteBalanceSetting = RemoteFormatWBCloudy;
    before.ColorSpace = RemoteFormatColorSpaceAdobeRGB;
    before.AFMode = RemoteFormatAFModeAIServo;
    before.DriveMode = RemoteFormatDriveModeContinous;
    before.CompQuality = RemoteFormatQualityNormal;
    before.ImageSize = RemoteFormatSizeSmall;
    cam.remote.RemoteSetRemoteParams(before);
    before = cam.remote.RemoteGetRemoteParams();
    cam.Start(true);
    EXPECT_TRUE(SameRecord(cam.remote.RemoteGetRemoteParams(), before)) << scenario;
  }
}

TEST(Probe, TryingStepsTolerateRefusals) {
  // Every white-balance write refused: no balance offered, the current one left alone.
  Camera cam("refuse = EdsSetPropertyData:0x106 1-");
  const RemoteReleaseAvailParametersType a = cam.Start(true).RemoteParamSupported;
  EXPECT_EQ(Marked(a.WhiteBalanceSetting), std::vector<int>{RemoteFormatWBNotUsed});
  EXPECT_EQ(Marked(a.ColorSpace), Range(RemoteFormatColorSpaceSRGB, RemoteFormatColorSpaceAdobeRGB));
}

// ---------------------------------------------------------------------------------------
// The parameter cache
// ---------------------------------------------------------------------------------------

TEST(Cache, WrittenThenReadWithoutProbingInTheSameMode) {
  Camera cam;
  const Text folder = cam.folder() + u"cache\\nested";
  const RemoteReleaseAvailParametersType probed = cam.Start(true, folder).RemoteParamSupported;
  // Manual mode is ordinal 2.
  const Text file = folder + u"\\Canon EOS 5D Mark III Mode2";
  EXPECT_EQ(ReadFileBytes(file), Stored(317, probed));

  const size_t from = cam.TraceSize();
  const RemoteReleaseAvailParametersType cached = cam.Start(true, folder).RemoteParamSupported;
  EXPECT_EQ(std::memcmp(&cached, &probed, sizeof probed), 0);
  EXPECT_EQ(cam.Writes(from), std::vector<std::string>{"0xB"});
  EXPECT_TRUE(cam.Calls("EdsGetPropertyDesc(", from).empty());

  // Another shooting mode has a file of its own, so it probes again.
  cam.SetProperty(kEdsPropID_AEMode, 0x01);  // Tv, ordinal 17
  const size_t again = cam.TraceSize();
  cam.Start(true, folder);
  EXPECT_FALSE(cam.Calls("EdsGetPropertyDesc(", again).empty());
  EXPECT_TRUE(FileExists(folder + u"\\Canon EOS 5D Mark III Mode17"));
}

TEST(Cache, FilesThatCannotServeMeanProbing) {
  RemoteReleaseAvailParametersType marked{};
  marked.Beep[2] = 1;
  marked.CompQuality[1] = 1;
  const struct {
    const char* what;
    std::string bytes;
    bool probes;
  } cases[] = {
      {"wrong version", Stored(316, marked), true},
      {"too short for a version", std::string("\x3D\x01", 2), true},
      {"empty", "", true},
      {"short: only the bytes it has", Stored(317, marked, 10), false},
      {"whole", Stored(317, marked), false},
  };
  for (const auto& c : cases) {
    Camera cam;
    const Text folder = cam.folder() + u"cache";
    CreateDirectoryW(win::W(folder), nullptr);
    WriteFileBytes(folder + u"\\Canon EOS 5D Mark III Mode2", c.bytes);
    const size_t from = cam.TraceSize();
    const RemoteReleaseAvailParametersType a = cam.Start(true, folder).RemoteParamSupported;
    EXPECT_EQ(!cam.Calls("EdsGetPropertyDesc(", from).empty(), c.probes) << c.what;
    if (c.probes) {
      EXPECT_EQ(ReadFileBytes(folder + u"\\Canon EOS 5D Mark III Mode2"), Stored(317, a)) << c.what;
    } else {
      EXPECT_EQ(a.CompQuality[1], 1) << c.what;
      EXPECT_EQ(a.Beep[2], c.bytes.size() == 344 ? 1 : 0) << c.what;
    }
  }
}

TEST(Cache, ModelNameCannotLeaveTheFolder) {
  Camera cam("camera = ..\\EOS 1/2:3");
  const Text folder = cam.folder() + u"cache";
  cam.Start(true, folder);
  EXPECT_TRUE(FileExists(folder + u"\\.._EOS 1_2_3 Mode2"));
}

TEST(Cache, UnreadableShootingModeCachesAsModeZero) {
  Camera cam("refuse = EdsGetPropertyData:0x400 1");
  const Text folder = cam.folder() + u"cache";
  cam.Start(true, folder);
  EXPECT_TRUE(FileExists(folder + u"\\Canon EOS 5D Mark III Mode0"));
}

TEST(Cache, WriteFailureSurfacesAfterTheCameraIsRestored) {
  Camera cam;
  WriteFileBytes(cam.folder() + u"blocker", "a file, not a folder");
  const Text folder = cam.folder() + u"blocker\\cache";
  cam.Start();
  RemoteReleaseParametersType before = cam.remote.RemoteGetRemoteParams();
  cam.remote.RemoteEnd();
  const std::string message = Raised([&] { cam.Start(true, folder); });
  EXPECT_TRUE(StartsWith(message, "Cannot create folder \"" + win::ToAnsi(folder) + "\".")) << message;
  EXPECT_TRUE(SameRecord(cam.remote.EDSDK().RemoteGetRemoteParams(), before));
  EXPECT_EQ(Raised([&] { cam.remote.RemoteGetRemoteParams(); }), "Camera not in remote mode");
}

// ---------------------------------------------------------------------------------------
// Reading and writing shooting parameters
// ---------------------------------------------------------------------------------------

TEST(Params, CameraValuesAreReadAndNothingElse) {
  Camera cam;
  cam.Start();
  // The stand-in's values as it starts; the fields no property backs stay NotUsed.
  const RemoteReleaseParametersType e{
      .CompQuality = RemoteFormatQualityFine,
      .ImageSize = RemoteFormatSizeLarge,
      .ImageMode = RemoteFormatShootingModeManual,
      .DriveMode = RemoteFormatDriveModeSingleFrame,
      .MLWeiMode = RemoteFormatMLWeiEvaluative,
      .AFMode = RemoteFormatAFModeOneShot,
      .WhiteBalanceSetting = RemoteFormatWBAuto,
      .WhiteBalanceShift = {1, 0, 0},
      .PictureStyle = {1, PictureStyleStandard, 0, 3, 0, 1, 0, 1, MonochromeFilterNone, 0, MonochromeToneNone, 0},
      .ColorSpace = RemoteFormatColorSpaceSRGB,
      .ISO = RemoteFormatISO100,
      .Av = RemoteFormatAV5_6,
      .Tv = RemoteFormatTV1_60,
      .ExposureCompensation = RemoteFormatExposureComp0,
      .PhotoEffect = RemoteFormatPhotoEffectOff,
  };
  EXPECT_TRUE(SameRecord(cam.remote.RemoteGetRemoteParams(), e));
}

TEST(Params, RefusedReadsGiveNotUsed) {
  Camera cam(
      "refuse = EdsGetPropertyData:0x405 1\n"
      "refuse = EdsGetPropertyData:0x108 1\n"
      "refuse = EdsGetPropertyData:0x114 1\n"
      "refuse = EdsGetPropertyData:0x115 1\n"
      "refuse = EdsGetPropertyData:0x100 1\n");
  cam.Start();
  const RemoteReleaseParametersType p = cam.remote.RemoteGetRemoteParams();
  EXPECT_EQ(p.Av, RemoteFormatAVNotUsed);
  EXPECT_EQ(p.CompQuality, RemoteFormatQualityNotUsed);
  EXPECT_EQ(p.ImageSize, RemoteFormatSizeNotUsed);
  EXPECT_EQ(p.WhiteBalanceShift.WBShiftEnabled, 0);
  EXPECT_EQ(p.PictureStyle.PictureStyleEnabled, 0);
  EXPECT_EQ(p.Tv, RemoteFormatTV1_60);
  EXPECT_EQ(p.ISO, RemoteFormatISO100);
}

RemoteReleaseParametersType EverythingChanged() {
  return {
      .CompQuality = RemoteFormatQualityRAW,
      .CompQualityPic2RAW = RemoteFormatQualityFine,
      .ImageSize = RemoteFormatSizeLarge,
      .ImageSizePic2RAW = RemoteFormatSizeLarge,
      .ImageMode = RemoteFormatShootingModeAV,
      .DriveMode = RemoteFormatDriveModeContinous,
      .MLWeiMode = RemoteFormatMLWeiSpot,
      .AFMode = RemoteFormatAFModeAIServo,
      .WhiteBalanceSetting = RemoteFormatWBKelvin,
      .WhiteBalanceKelvin = 5650,
      .WhiteBalanceShift = {1, -3, 4},
      .PictureStyle = {1, PictureStyleLandscape, -2, 5, 1, 1, 0, 0, MonochromeFilterRed, 1, MonochromeToneNone, 0},
      .ColorSpace = RemoteFormatColorSpaceAdobeRGB,
      .ISO = RemoteFormatISO400,
      .Av = RemoteFormatAV8_0,
      .Tv = RemoteFormatTV1_250,
      .ExposureCompensation = RemoteFormatExposureComp033Minus,
      .PhotoEffect = RemoteFormatPhotoEffectBW,
  };
}

TEST(Params, WrittenInOrderAndReadBackOnBothProtocols) {
  for (const char* scenario : {"", "subtype = 0"}) {
    Camera cam(scenario);
    cam.Start();
    const RemoteReleaseParametersType p = EverythingChanged();
    const size_t from = cam.TraceSize();
    cam.remote.RemoteSetRemoteParams(p);
    std::vector<std::string> order = {"0x100", "0x400", "0x405", "0x406", "0x407", "0x106", "0x502", "0x107", "0x108",
                                      "0x404", "0x401", "0x403", "0x10D", "0x402", "0x114", "0x115", "0x10F"};
    if (*scenario != '\0') order.erase(order.begin() + 6);  // no live view on the older protocol
    EXPECT_EQ(cam.Writes(from), order) << scenario;

    RemoteReleaseParametersType expected = p;
    expected.WhiteBalanceKelvin = 5600;  // written in hundreds
    EXPECT_TRUE(SameRecord(cam.remote.RemoteGetRemoteParams(), expected)) << scenario;
    EXPECT_EQ(cam.Property(kEdsPropID_ImageQuality), *scenario ? 0x00240013u : 0x00640013u);
  }
}

// A refused write is tried once more after 100 ms; refused again, it is dropped without
// a word and the writes after it go ahead.
TEST(Params, RefusedWriteIsRetriedOnceAfter100Ms) {
  const struct {
    const char* refusal;
    std::vector<std::string> writes;
    RemoteFormatAVType av;
  } cases[] = {
      {"1", {"0x405!", "0x405", "0x402"}, RemoteFormatAV8_0},
      {"1-2", {"0x405!", "0x405!", "0x402"}, RemoteFormatAV5_6},
  };
  for (const auto& c : cases) {
    Camera cam(std::string("refuse = EdsSetPropertyData:0x405 ") + c.refusal);
    cam.Start();
    RemoteReleaseParametersType p;
    p.Av = RemoteFormatAV8_0;
    p.ISO = RemoteFormatISO400;
    const size_t from = cam.TraceSize();
    const DWORD start = GetTickCount();
    EXPECT_EQ(Raised([&] { cam.remote.RemoteSetRemoteParams(p); }), "") << c.refusal;
    EXPECT_GE(GetTickCount() - start, 90u) << c.refusal;
    EXPECT_EQ(cam.Writes(from), c.writes) << c.refusal;
    const RemoteReleaseParametersType read = cam.remote.RemoteGetRemoteParams();
    EXPECT_EQ(read.Av, c.av) << c.refusal;
    EXPECT_EQ(read.ISO, RemoteFormatISO400) << c.refusal;
  }
}

TEST(Params, WhatIsWrittenForEachKindOfRecord) {
  const auto with = [](auto change) {
    RemoteReleaseParametersType p;
    change(p);
    return p;
  };
  const struct {
    const char* what;
    RemoteReleaseParametersType params;
    std::vector<std::string> writes;
  } cases[] = {
      {"nothing set", {}, {}},
      {"JPEG quality without a size", with([](auto& p) { p.CompQuality = RemoteFormatQualityFine; }), {}},
      {"RAW alone", with([](auto& p) { p.CompQuality = RemoteFormatQualityRAW; }), {"0x100"}},
      {"values without a code",
       with([](auto& p) {
         p.MLWeiMode = RemoteFormatMLWeiCenterWeighted;
         p.PhotoEffect = RemoteFormatPhotoEffectVivid;
         p.WhiteBalanceSetting = RemoteFormatWBCustom;
         p.ImageMode = RemoteFormatShootingModeSepia;
       }),
       {}},
      {"bytes outside their enumerations",
       with([](auto& p) {
         std::memset(&p.Av, 0xEE, 1);
         std::memset(&p.ISO, 0xEE, 1);
       }),
       {}},
      {"Kelvin without the Kelvin balance", with([](auto& p) { p.WhiteBalanceKelvin = 5000; }), {}},
      {"unused fields only",
       with([](auto& p) {
         p.StrobeSetting = RemoteFormatFlashOn;
         p.Beep = RemoteFormatBeepOn;
         p.Contrast = RemoteFormatLevelHigh;
         p.AFDistance = RemoteFormatAFDistAuto;
       }),
       {}},
      {"standard picture style", with([](auto& p) { p.PictureStyle.PictureStyleEnabled = 1; }), {"0x114", "0x115"}},
  };
  for (const auto& c : cases) {
    Camera cam;
    cam.Start();
    const size_t from = cam.TraceSize();
    cam.remote.RemoteSetRemoteParams(c.params);
    EXPECT_EQ(cam.Writes(from), c.writes) << c.what;
  }
}

TEST(Params, RawAloneIsWrittenWithoutASecondImage) {
  Camera cam;
  cam.Start();
  RemoteReleaseParametersType p;
  p.CompQuality = RemoteFormatQualityRAW;
  cam.remote.RemoteSetRemoteParams(p);
  EXPECT_EQ(cam.Property(kEdsPropID_ImageQuality), 0x0064FF0Fu);
  const RemoteReleaseParametersType read = cam.remote.RemoteGetRemoteParams();
  EXPECT_EQ(read.CompQuality, RemoteFormatQualityRAW);
  EXPECT_EQ(read.CompQualityPic2RAW, RemoteFormatQualityNotUsed);
  EXPECT_EQ(read.ImageSizePic2RAW, RemoteFormatSizeNotUsed);
}

TEST(Params, KelvinIsWrittenInHundreds) {
  Camera cam;
  cam.Start();
  RemoteReleaseParametersType p;
  p.WhiteBalanceSetting = RemoteFormatWBKelvin;
  p.WhiteBalanceKelvin = 5650;
  cam.remote.RemoteSetRemoteParams(p);
  EXPECT_EQ(cam.Property(kEdsPropID_ColorTemperature), 5600u);
  EXPECT_EQ(cam.remote.RemoteGetRemoteParams().WhiteBalanceKelvin, 5600);
}

TEST(Params, RefusedDeviceInfoSurfacesFromReadAndImageQualityWrite) {
  const int device_info = CallsWhileConnecting("EdsGetDeviceInfo");
  // Remote start reads the device information once more; the next call is refused.
  Camera cam("refuse = EdsGetDeviceInfo " + std::to_string(device_info + 2) + "-");
  cam.Start();
  EXPECT_EQ(Raised([&] { cam.remote.RemoteGetRemoteParams(); }), std::string("EdsGetDeviceInfo ") + kBusy);
  RemoteReleaseParametersType p;
  p.CompQuality = RemoteFormatQualityRAW;
  EXPECT_EQ(Raised([&] { cam.remote.RemoteSetRemoteParams(p); }), std::string("EdsGetDeviceInfo ") + kBusy);
  // Without image quality the flag is not needed.
  p.CompQuality = RemoteFormatQualityNotUsed;
  p.ISO = RemoteFormatISO200;
  EXPECT_EQ(Raised([&] { cam.remote.RemoteSetRemoteParams(p); }), "");
}

TEST(Shots, NumberOfAvailableShotsAndItsRefusal) {
  {
    Camera cam("shots = 123");
    cam.Start();
    EXPECT_EQ(cam.remote.RemoteGetNumberOfAvailableShots(), 123);
  }
  Camera cam("refuse = EdsGetPropertyData:0x40A 1");
  cam.Start();
  EXPECT_EQ(Raised([&] { cam.remote.RemoteGetNumberOfAvailableShots(); }),
            std::string("EdsGetPropertyData, kEdsPropID_AvailableShots ") + kBusy);
}

// ---------------------------------------------------------------------------------------
// Remote parameter files
// ---------------------------------------------------------------------------------------

TEST(ParamFiles, SavedFileHoldsTheSizeAndTheRecord) {
  Camera cam;
  cam.Start();
  const Text file = cam.folder() + u"params.bin";
  WriteFileBytes(file, std::string(100, 'x'));  // replaced, not appended to
  cam.remote.RemoteSaveCameraRemoteParams(file);
  const std::string bytes = ReadFileBytes(file);
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x30\x00\x00\x00", 4));
  EXPECT_EQ(bytes, Stored(48, cam.remote.RemoteGetRemoteParams()));
}

TEST(ParamFiles, LoadingSendsBackWhatWasSaved) {
  Camera cam;
  cam.Start();
  const Text file = cam.folder() + u"params.bin";
  const RemoteReleaseParametersType saved = cam.remote.RemoteGetRemoteParams();
  cam.remote.RemoteSaveCameraRemoteParams(file);
  cam.remote.RemoteSetRemoteParams(EverythingChanged());
  ASSERT_FALSE(SameRecord(cam.remote.RemoteGetRemoteParams(), saved));
  cam.remote.RemoteLoadCameraRemoteParams(file);
  EXPECT_TRUE(SameRecord(cam.remote.RemoteGetRemoteParams(), saved));
}

TEST(ParamFiles, RecordOfNothingChangesNothing) {
  Camera cam;
  cam.Start();
  const Text file = cam.folder() + u"params.bin";
  WriteFileBytes(file, Stored(48, RemoteReleaseParametersType{}));
  const size_t from = cam.TraceSize();
  cam.remote.RemoteLoadCameraRemoteParams(file);
  EXPECT_TRUE(cam.Writes(from).empty());
}

// Every byte of a file record may hold anything: values outside their enumerations are
// not sent, the rest reach the camera, which judges them.
TEST(ParamFiles, RecordOfArbitraryBytesIsHandledSafely) {
  Camera cam;
  cam.Start();
  const Text file = cam.folder() + u"params.bin";
  WriteFileBytes(file, std::string("\x30\0\0\0", 4) + std::string(48, '\xFF'));
  const size_t from = cam.TraceSize();
  EXPECT_EQ(Raised([&] { cam.remote.RemoteLoadCameraRemoteParams(file); }), "");
  const std::vector<std::string> writes = cam.Writes(from);
  for (const char* id : {"0x400", "0x405", "0x406", "0x407", "0x402", "0x403", "0x10D", "0x10F", "0x114"})
    EXPECT_EQ(std::count(writes.begin(), writes.end(), id), 0) << id;
  EXPECT_EQ(cam.remote.RemoteGetRemoteParams().ISO, RemoteFormatISO100);
}

TEST(ParamFiles, FilesOfAnotherFormatAreRefusedAndSendNothing) {
  const RemoteReleaseParametersType p = EverythingChanged();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"size 47", Stored(47, p)},
      {"size 52", Stored(52, p)},
      {"record cut short", Stored(48, p, 30)},
      {"no whole size field", std::string("\x30\x00", 2)},
      {"empty", ""},
  };
  for (const auto& c : cases) {
    Camera cam;
    cam.Start();
    const Text file = cam.folder() + u"old params.bin";
    WriteFileBytes(file, c.bytes);
    const size_t from = cam.TraceSize();
    EXPECT_EQ(
        Raised([&] { cam.remote.RemoteLoadCameraRemoteParams(file); }),
        "Camera remote parameters file " + win::ToAnsi(file) + " is of invalid data format. Please create a new file.")
        << c.what;
    EXPECT_TRUE(cam.Writes(from).empty()) << c.what;
  }
}

TEST(ParamFiles, RefusedOutsideRemoteModeBeforeTouchingTheFile) {
  Camera cam;
  const Text file = cam.folder() + u"params.bin";
  EXPECT_EQ(Raised([&] { cam.remote.RemoteSaveCameraRemoteParams(file); }), "Camera not in remote mode");
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(Raised([&] { cam.remote.RemoteLoadCameraRemoteParams(file); }), "Camera not in remote mode");
}

TEST(ParamFiles, FileSystemErrorsNameTheFile) {
  Camera cam;
  cam.Start();
  const Text missing = cam.folder() + u"missing.bin";
  const std::string load = Raised([&] { cam.remote.RemoteLoadCameraRemoteParams(missing); });
  EXPECT_TRUE(StartsWith(load, "Cannot open file \"" + win::ToAnsi(missing) + "\".")) << load;
  const Text nowhere = cam.folder() + u"no folder\\params.bin";
  const std::string save = Raised([&] { cam.remote.RemoteSaveCameraRemoteParams(nowhere); });
  EXPECT_TRUE(StartsWith(save, "Cannot create file \"" + win::ToAnsi(nowhere) + "\".")) << save;
}

TEST(ParamFiles, SavingWithoutACameraLeavesAnExistingFileAlone) {
  Camera cam;
  cam.Start();
  const Text file = cam.folder() + u"params.bin";
  const std::string earlier = Stored(48, EverythingChanged());
  WriteFileBytes(file, earlier);
  cam.remote.Disconnect();  // remote mode stays on
  EXPECT_EQ(Raised([&] { cam.remote.RemoteSaveCameraRemoteParams(file); }), "No camera is connected");
  EXPECT_EQ(ReadFileBytes(file), earlier);
  EXPECT_EQ(Raised([&] { cam.remote.RemoteLoadCameraRemoteParams(file); }), "No camera is connected");
}

}  // namespace
}  // namespace eos::test
