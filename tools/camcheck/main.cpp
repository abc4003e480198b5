// camcheck: runs the whole road once against the first EOS camera, the way the capture
// dialog does, and prints each step with what it found: list the cameras, connect,
// remote start with probing, two seconds of live view, a half-press, a shot, its
// download, and the shut-down. Exit code 0 when every step went through, 1 when one
// failed (the step says why), 2 for a bad command line.
//
//   camcheck [PICTURE_FILE]      (default: camcheck.jpg in the temporary folder)
#include <windows.h>

#include <array>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "camremote/CamRemote.h"
#include "tools/camcheck/core/jpeg_info.h"
#include "win/handles.h"
#include "win/module.h"
#include "win/timer.h"
#include "win/wtext.h"

using namespace eos;

namespace {

enum Exit { kAllWell = 0, kStepFailed = 1, kBadUsage = 2 };

// The capture dialog's live-view interval, so the rate printed is the one a user sees.
constexpr std::int32_t kViewfinderIntervalMs = 100;
constexpr DWORD kLiveViewMs = 2000;
constexpr DWORD kPictureWaitMs = 10000;
constexpr DWORD kQueueWaitMs = 5000;

constexpr std::array<const char*, kEnumCount<BatterySourceType>> kBatterySources = {
    "unknown source", "mains", "lithium", "NiMH", "NiCd", "alkaline"};
constexpr std::array<const char*, kEnumCount<BatteryStatusType>> kBatteryStatuses = {"unknown", "normal", "weak",
                                                                                     "safety low"};

// The identifiers of camera events, from their one list.
#define CAMCHECK_NAME(name) #name,
constexpr std::array<const char*, kEnumCount<EventSeverityType>> kSeverityNames = {
    EOS_VALUES_EventSeverityType(CAMCHECK_NAME)};
constexpr std::array<const char*, kEnumCount<EventEnumType>> kEventNames = {EOS_VALUES_EventEnumType(CAMCHECK_NAME)};
#undef CAMCHECK_NAME

void Print(const std::string& s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

std::string Utf8(TextView t) { return ToUtf8(t); }

// A step that fails for a reason of camcheck's own, not an error of the camera stack.
class StepFailure : public std::exception {
 public:
  explicit StepFailure(std::string why) : why_(std::move(why)) {}
  const char* what() const noexcept override { return why_.c_str(); }

 private:
  std::string why_;
};

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeout_ms) return done();
    win::PumpMessagesFor(10);
  }
  return true;
}

// "12 25 ... 100": percentages as they arrived, repeats left out.
std::string Percentages(const std::vector<std::int32_t>& values) {
  std::string s;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0 && values[i] == values[i - 1]) continue;
    if (!s.empty()) s += ' ';
    s += std::to_string(values[i]);
  }
  return s.empty() ? "none reported" : s;
}

std::string Size(const camcheck::JpegDimensions& d) {
  return std::to_string(d.width) + " x " + std::to_string(d.height);
}

class CamCheck {
 public:
  explicit CamCheck(Text picture_file) : picture_file_(std::move(picture_file)) {
    // What the camera reports on its own (shutting down, a capture error) is printed
    // when it arrives, with the step it arrived in.
    cam_.OnEvent = [this](EventCallbackType e) {
      const auto name = [](const auto& names, auto v) { return v < names.size() ? names[v] : "unknown"; };
      Print(std::string("  camera event during ") + step_ + ": " + name(kSeverityNames, e.Severity) + " " +
            name(kEventNames, e.Event) + "\n");
    };
  }

  int Run() {
    const bool ready =
        Step("SDK folder", [&] { return UseSdkFolder(); }) && Step("list cameras", [&] { return ListCameras(); }) &&
        Step("connect", [&] { return Connect(); }) && Step("remote start", [&] { return RemoteStart(); });
    if (ready) {
      // Each of these is tried even when one before it failed: they do not depend on
      // each other, and the report should say as much as it can.
      Step("live view", [&] { return LiveView(); });
      Step("half-press", [&] { return HalfPress(); });
      if (Step("shot", [&] { return Shot(); })) Step("download", [&] { return Download(); });
    }
    Step("shut-down", [&] { return ShutDown(); });
    Print(failures_ == 0 ? "camcheck: every step went through\n"
                         : "camcheck: " + std::to_string(failures_) + " step(s) failed\n");
    return failures_ == 0 ? kAllWell : kStepFailed;
  }

 private:
  bool Step(const char* name, const std::function<std::string()>& body) {
    step_ = name;
    std::string line = std::string(name) + ": ";
    bool ok = false;
    try {
      line += body();
      ok = true;
    } catch (const std::exception& e) {
      line = std::string("FAILED ") + line + e.what();
      ++failures_;
    } catch (...) {
      line = std::string("FAILED ") + line + "an unknown error";
      ++failures_;
    }
    Print(line + "\n");
    return ok;
  }

  // The SDK is looked for where the plug-in looks: Canon_EOS_SDK_redist beside the
  // program, put in front of PATH.
  std::string UseSdkFolder() {
    const Text folder = win::ThisModuleFolder() + u"Canon_EOS_SDK_redist";
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (win::Wide(folder) + L";" + path).c_str());
    return Utf8(folder);
  }

  std::string ListCameras() {
    enumerated_ = true;
    const CameraConnectedType found = cam_.OpenCameraEnumeration();
    const CameraList& eos = *found.EOSCameras;
    if (eos.empty()) throw StepFailure("no EOS camera found (is it on, connected and not held by another program?)");
    std::string s = std::to_string(eos.size()) + (eos.size() == 1 ? " camera" : " cameras");
    for (size_t i = 0; i < eos.size(); ++i) s += (i == 0 ? ": " : ", ") + Utf8(eos[i]);
    return s;
  }

  std::string Connect() {
    const ConnectInfoType info = cam_.Connect(CamModEOS, 0);
    return Utf8(info.CameraModelName) + ", owner \"" + Utf8(info.OwnerName) + "\", firmware " +
           Utf8(info.FirmwareVersion) + ", battery " + kBatterySources[info.Battery.BatterySource] + " " +
           kBatteryStatuses[info.Battery.BatteryStatus];
  }

  std::string RemoteStart() {
    std::vector<std::int32_t> progress;
    cam_.OnRemoteProbeParamEvent = [&](std::int32_t p) { progress.push_back(p); };
    const RemoteFuncType funcs = cam_.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, true, u"");
    PumpUntil([&] { return cam_.NotifyQueue()->empty(); }, kQueueWaitMs);
    cam_.OnRemoteProbeParamEvent = nullptr;
    live_view_offered_ = funcs.DoSupportViewfinder;
    return std::string("probing progress ") + Percentages(progress) + "; live view " +
           (funcs.DoSupportViewfinder ? "offered" : "not offered");
  }

  std::string LiveView() {
    if (!live_view_offered_) return "skipped: the camera offers no live view";
    int frames = 0, unreadable = 0;
    std::optional<camcheck::JpegDimensions> size;
    cam_.SetEOSViewfinderRefreshInterval(kViewfinderIntervalMs);
    cam_.OnViewfinderEvent = [&](JpegBytes jpeg, const ViewfinderPositionType&) {
      ++frames;
      const auto d = camcheck::ReadJpegDimensions(jpeg);
      if (d)
        size = d;
      else
        ++unreadable;
    };
    cam_.RemoteStartViewfinder(false);
    const DWORD start = GetTickCount();
    win::PumpMessagesFor(kLiveViewMs);
    const DWORD elapsed = GetTickCount() - start;
    cam_.RemoteStopViewfinder();
    cam_.OnViewfinderEvent = nullptr;
    if (frames == 0) throw StepFailure("no frame arrived in " + std::to_string(elapsed) + " ms");
    if (!size) throw StepFailure(std::to_string(frames) + " frames arrived, none of them a readable JPEG");
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", frames * 1000.0 / (elapsed ? elapsed : 1));
    std::string s = std::to_string(frames) + " frames in " + std::to_string(elapsed) + " ms, " + rate +
                    " frames per second (polled every " + std::to_string(kViewfinderIntervalMs) + " ms), " +
                    Size(*size);
    if (unreadable) s += ", " + std::to_string(unreadable) + " frames unreadable";
    return s;
  }

  std::string HalfPress() {
    cam_.RemotePressShutter(RemoteShutterButtonHalfPressed);
    cam_.RemotePressShutter(RemoteShutterButtonOff);
    return "pressed and let go";
  }

  std::string Shot() {
    bool announced = false;
    cam_.OnRemoteEvent = [&](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType&) {
      announced = announced || e == RemoteEventCallbackReleaseImageReady;
    };
    const DWORD start = GetTickCount();
    cam_.RemoteTakePicture();
    if (!PumpUntil([&] { return announced; }, kPictureWaitMs))
      throw StepFailure("the camera announced no picture for the host within " + std::to_string(kPictureWaitMs) +
                        " ms");
    return "picture announced after " + std::to_string(GetTickCount() - start) + " ms";
  }

  std::string Download() {
    std::vector<std::int32_t> progress;
    cam_.OnRemoteTakePictureEvent = [&](std::int32_t p) { progress.push_back(p); };
    cam_.RemoteGetPicture(picture_file_, PictureTypeFull);
    PumpUntil([&] { return cam_.NotifyQueue()->empty(); }, kQueueWaitMs);
    cam_.OnRemoteTakePictureEvent = nullptr;
    std::vector<std::uint8_t> bytes;
    {
      win::UniqueFile f(
          CreateFileW(win::W(picture_file_), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      if (!f) throw StepFailure("the picture file " + Utf8(picture_file_) + " cannot be opened");
      bytes.resize(GetFileSize(f.get(), nullptr));
      DWORD got = 0;
      ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
      bytes.resize(got);
    }
    const auto size = camcheck::ReadJpegDimensions(bytes);
    if (!size) throw StepFailure(Utf8(picture_file_) + " holds " + std::to_string(bytes.size()) + " bytes, not a JPEG");
    return Utf8(picture_file_) + ", " + std::to_string(bytes.size()) + " bytes, " + Size(*size) + ", progress " +
           Percentages(progress);
  }

  // The dialog's order: live view, remote mode, the session, the enumeration; each tried.
  std::string ShutDown() {
    std::string refused;
    const auto attempt = [&](const char* what, const std::function<void()>& f) {
      try {
        f();
      } catch (const std::exception& e) {
        refused += std::string(refused.empty() ? "" : "; ") + what + ": " + e.what();
      }
    };
    attempt("stop live view", [&] { cam_.RemoteStopViewfinder(); });
    attempt("end remote mode", [&] { cam_.RemoteEnd(); });
    attempt("disconnect", [&] { cam_.Disconnect(); });
    if (enumerated_) attempt("close the enumeration", [&] { cam_.CloseCameraEnumeration(); });
    if (!refused.empty()) throw StepFailure(refused);
    return "live view stopped, remote mode ended, disconnected, SDK stopped";
  }

  Text picture_file_;
  TCamRemote cam_;
  bool enumerated_ = false;
  bool live_view_offered_ = false;
  int failures_ = 0;
  const char* step_ = "";
};

Text DefaultPictureFile() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH, folder);
  return win::FromWide(folder, n <= MAX_PATH ? n : 0) + u"camcheck.jpg";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 2 || (argc == 2 && (std::wstring(argv[1]) == L"-h" || std::wstring(argv[1]) == L"--help"))) {
    Print("usage: camcheck [PICTURE_FILE]\n");
    return kBadUsage;
  }
  try {
    CamCheck check(argc == 2 ? win::FromWide(argv[1], wcslen(argv[1])) : DefaultPictureFile());
    return check.Run();
  } catch (const std::exception& e) {
    Print(std::string("camcheck: ") + e.what() + "\n");
    return kStepFailed;
  }
}
