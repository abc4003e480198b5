// Figures of the plug-in in its own process under Wine, printed and never asserted. One
// measurement a process, so each starts from a fresh plug-in state:
//
//   plugin_bench answer [MB]  the answer of a confirmed capture for a picture of MB
//                             megabytes (default 60): private bytes of the process around
//                             writing it into the host's string
//   plugin_bench capture [MB] a command-11 capture against the stand-in with a picture of
//                             MB megabytes (default 0.5): from the camera's picture-ready
//                             notice to the command's return with the host's string, less the
//                             stand-in's download, against reading and encoding the picture;
//                             its stages and SDK calls
//   plugin_bench reconnect [CYCLES]
//                             a camera pulled during live view and back 1.5 s later, CYCLES
//                             times (default 100) in one dialog: from its return to the first
//                             new frame shown
//   plugin_bench liveview [ANGLE] [mirror] [face PHOTO] [rate N]
//                             five seconds of the capture dialog's live view at N frames a
//                             second (default 10) against the stand-in making 30, with the
//                             face guide on PHOTO: frames per second shown, the dialog's cost
//                             from the frame event to its pixels painted against a bare
//                             decode of the same frame, the share of the thread's time it
//                             takes, the camera's frame ready to painted, face results
//   plugin_bench firstframe [RUNS]
//                             RUNS captures (default 20) to their first live-view frame: the
//                             time of each step from the host's call, and the stand-in's
//                             first frame ready to painted
#include <windows.h>

#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Sources/EDSDKBinding.h"
#include "dialog/capture_dialog.h"
#include "dialog/core/camera_settings.h"
#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/live_view.h"
#include "plugin/capture_run.h"
#include "plugin/commands.h"
#include "plugin/host_answer.h"
#include "plugin/services/services.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/wtext.h"

using namespace eos;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double MedianMs(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point t = Clock::now();
    f();
    times.push_back(Ms(Clock::now() - t));
  }
  return Median(times);
}

PROCESS_MEMORY_COUNTERS_EX Memory() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  return m;
}

// The process's private bytes. 64-bit Wine leaves PrivateUsage at 0 and counts the
// committed memory in PagefileUsage only.
double PrivateBytes(const PROCESS_MEMORY_COUNTERS_EX& m) {
  return static_cast<double>(std::max(m.PrivateUsage, m.PagefileUsage));
}

Text TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  return win::FromWide(folder, n) + win::FromWide(name, wcslen(name));
}

// The host's side of Dll_ParamsW: its variable holds the text it sent, and the answer
// replaces it as the export does.
struct HostString {
  BSTR text;
  explicit HostString(const Text& sent) : text(SysAllocStringLen(win::W(sent), static_cast<UINT>(sent.size()))) {}
  ~HostString() { SysFreeString(text); }
  HostString(const HostString&) = delete;
  HostString& operator=(const HostString&) = delete;
  bool Take(const CaptureAnswerParts& answer) { return ReplaceHostText(&text, answer); }
};

bool WriteBytes(const Text& path, const std::vector<uint8_t>& bytes) {
  win::UniqueFile f(CreateFileW(win::W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// --- The answer's memory ----------------------------------------------------------------

int AnswerMemory(int megabytes) {
  const Text file = TempFile(L"eos-bench-picture.raw");
  {
    std::vector<uint8_t> bytes(static_cast<size_t>(megabytes) << 20);
    uint32_t x = 12345;
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
    if (!WriteBytes(file, bytes)) {
      std::printf("cannot write %s\n", ToUtf8(file).c_str());
      return 1;
    }
  }
  const double file_bytes = static_cast<double>(megabytes) * (1 << 20);
  const PROCESS_MEMORY_COUNTERS_EX before = Memory();
  double answer_bytes = 0, read = 0, written = 0;
  bool ok = false;
  {
    HostString host(u"File=" + file);
    {
      const CaptureAnswerParts answer = ConfirmedAnswer(file, 0, false);
      answer_bytes = static_cast<double>(answer.Size()) * sizeof(char16_t);
      read = PrivateBytes(Memory());
      ok = host.Take(answer);
      written = PrivateBytes(Memory());
    }
  }
  const PROCESS_MEMORY_COUNTERS_EX after = Memory();
  DeleteFileW(win::W(file));
  const double base = PrivateBytes(before);
  const double peak = static_cast<double>(after.PeakPagefileUsage) - static_cast<double>(before.PagefileUsage);
  const double peak_ws = static_cast<double>(after.PeakWorkingSetSize) - static_cast<double>(before.WorkingSetSize);
  const double goal = file_bytes + 2 * answer_bytes;
  std::printf("answer for a %d MB picture: %s\n", megabytes, ok ? "written into the host's string" : "FAILED");
  std::printf("  file %.1f MiB, answer %.1f MiB (UTF-16), goal 1 x file + 2 x answer = %.1f MiB\n", MiB(file_bytes),
              MiB(answer_bytes), MiB(goal));
  std::printf("  private bytes over the start: picture read %.1f MiB, host's string written %.1f MiB\n",
              MiB(read - base), MiB(written - base));
  std::printf("  peak private (pagefile) bytes over the start: %.1f MiB = %.2f x goal\n", MiB(peak), peak / goal);
  // Wine fills the private counters from the swap the process uses; the working set is
  // then the measure of the memory the answer's buffers take.
  std::printf("  peak working set over the start: %.1f MiB = %.2f x goal\n", MiB(peak_ws), peak_ws / goal);
  return ok ? 0 : 1;
}

// --- Capture overhead -------------------------------------------------------------------

// Every SDK call from the picture-ready notice to the command's return, timed around the
// binding's pointers: the calls mark where the fixed time goes, and the stand-in's
// download is the camera's own transfer time.
struct SdkCall {
  const char* name;
  Clock::time_point start, end;
};
bool g_recording = false;
std::vector<SdkCall> g_calls;

#define TIMED_ENTRY(name, exported, ret, params, args) \
  name##Proc g_##name = nullptr;                       \
  ret EDS_STDCALL Timed##name params {                 \
    if (!g_recording) return g_##name args;            \
    const Clock::time_point start = Clock::now();      \
    const ret r = g_##name args;                       \
    g_calls.push_back({#name, start, Clock::now()});   \
    return r;                                          \
  }
EDSDK_ENTRY_POINTS(TIMED_ENTRY)
#undef TIMED_ENTRY

void TimeEverySdkCall() {
#define TIME_ENTRY(name, exported, ret, params, args) \
  g_##name = eos::name;                               \
  eos::name = Timed##name;
  EDSDK_ENTRY_POINTS(TIME_ENTRY)
#undef TIME_ENTRY
}

// One capture's way from the notice to the return, cut at the SDK calls that bound its
// stages; every stage in milliseconds.
struct CaptureStages {
  double before_download = 0;  // the ready handler up to the camera's transfer
  double download = 0;         // the stand-in's transfer (EdsDownload)
  double after_download = 0;   // the file moved, the modal loop left, the settings kept, the picture read
  double shut_down = 0;        // live view and remote mode ended, the session and the SDK closed
  double after_sdk = 0;        // the message thread ended, the windows destroyed, the host's string
  std::vector<SdkCall> calls;
  double Overhead() const { return before_download + after_download + shut_down + after_sdk; }
  // The overhead less every other call into the stand-in as well (live-view frames it
  // renders, the file it closes, the picture it forgets): the plug-in's own time.
  double Own() const {
    double inside = 0;
    for (const SdkCall& c : calls) inside += Ms(c.end - c.start);
    return Overhead() + download - inside;
  }
};

std::optional<CaptureStages> Stages(Clock::time_point notice, Clock::time_point end, std::vector<SdkCall> calls) {
  const auto named = [&](const char* name, size_t from) {
    for (size_t i = from; i < calls.size(); ++i)
      if (std::string(calls[i].name) == name) return i;
    return calls.size();
  };
  const size_t download = named("EdsDownload", 0);
  // The shut-down starts with the first call that changes the camera after the download:
  // live view off, or the session closed; what comes before only reads.
  size_t shut = download + 1;
  while (shut < calls.size() && std::string(calls[shut].name) != "EdsSetPropertyData" &&
         std::string(calls[shut].name) != "EdsSendStatusCommand" && std::string(calls[shut].name) != "EdsCloseSession")
    ++shut;
  const size_t terminate = named("EdsTerminateSDK", shut);
  if (terminate >= calls.size()) return std::nullopt;
  CaptureStages s;
  s.before_download = Ms(calls[download].start - notice);
  s.download = Ms(calls[download].end - calls[download].start);
  s.after_download = Ms(calls[shut].start - calls[download].end);
  s.shut_down = Ms(calls[terminate].end - calls[shut].start);
  s.after_sdk = Ms(end - calls[terminate].end);
  s.calls = std::move(calls);
  return s;
}

// The calls of the shut-down, merged by name: how often, how long inside the SDK, and how
// long the plug-in spent before each.
void PrintShutDownCalls(const CaptureStages& s, Clock::time_point notice) {
  struct Row {
    std::string name;
    int calls = 0;
    double inside = 0, before = 0;
  };
  std::vector<Row> rows;
  Clock::time_point last = notice;
  for (const SdkCall& c : s.calls) {
    const double before = Ms(c.start - last);
    last = c.end;
    if (rows.empty() || rows.back().name != c.name) rows.push_back({c.name});
    ++rows.back().calls;
    rows.back().inside += Ms(c.end - c.start);
    rows.back().before += before;
  }
  std::printf("    SDK calls from the notice on (runs of one entry point merged):\n");
  for (const Row& r : rows)
    std::printf("      %-28s x%-3d in the SDK %8.2f ms, before them %8.2f ms\n", r.name.c_str(), r.calls, r.inside,
                r.before);
}

int CaptureOverhead(double megabytes) {
  // A small picture padded to a camera's file size: the stand-in renders it at no cost.
  const std::string scenario =
      "picture_size = 640x427\npicture_bytes = " + std::to_string(static_cast<long long>(megabytes * 1024 * 1024)) +
      "\n";
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", win::W(Ascii(scenario)));
  PrepareSdkPath();
  LoadEDSDKLibrary();
  TimeEverySdkCall();

  const Text file = TempFile(L"eos-bench-capture.jpg");
  constexpr int kRuns = 7;
  std::vector<CaptureStages> runs;
  std::vector<Clock::time_point> notices;
  for (int run = 0; run < kRuns; ++run) {
    if (!CreateCaptureDialog()) return 1;
    Clock::time_point notice{};
    CaptureDialog()->SetProbe({.frame = {},
                               .picture_ready =
                                   [&notice] {
                                     if (notice != Clock::time_point{}) return;
                                     notice = Clock::now();
                                     g_calls.clear();
                                     g_recording = true;
                                   },
                               .camera_gone = {},
                               .first_frame = {},
                               .face_result = {}});
    const Text sent = u"File=" + file;
    HostString host(sent);
    Text text = sent;
    AnswerWriter answer;  // as the export writes it
    const int32_t result =
        CanonEosSDKParams(ctEos_CaptureAuto, text, [&](CaptureAnswerParts a) { answer.Start(std::move(a)); });
    const bool copied = answer.Started() && answer.Finish(&host.text);
    const Clock::time_point end = Clock::now();
    g_recording = false;
    const std::optional<CaptureStages> stages = Stages(notice, end, g_calls);
    if (result != 0 || !copied || !stages) {
      std::printf("capture %d failed: %s\n", run + 1, ToUtf8(text.substr(0, 200)).c_str());
      return 1;
    }
    runs.push_back(*stages);
    notices.push_back(notice);
  }

  std::vector<uint8_t> bytes;
  win::ReadWholeFile(file, bytes);
  const double read = MedianMs(5, [&] { win::ReadWholeFile(file, bytes); });
  const double read_encode = MedianMs(5, [&] { HostString(u"").Take(ConfirmedAnswer(file, 0, false)); });
  DeleteFileW(win::W(file));

  const auto median = [&](double CaptureStages::*stage) {
    std::vector<double> v;
    for (const CaptureStages& s : runs) v.push_back(s.*stage);
    return Median(v);
  };
  std::vector<double> overheads;
  for (const CaptureStages& s : runs) overheads.push_back(s.Overhead());
  const double overhead = Median(overheads);
  const size_t typical =
      static_cast<size_t>(std::find(overheads.begin(), overheads.end(), overhead) - overheads.begin());
  std::printf("capture (command 11), picture %.2f MiB; medians of %d runs\n", MiB(static_cast<double>(bytes.size())),
              kRuns);
  std::printf("  notice to download:        %8.2f ms  (ready handler: pumping, the 10 ms pause, the file)\n",
              median(&CaptureStages::before_download));
  std::printf("  the stand-in's download:   %8.2f ms  (left out of the overhead)\n", median(&CaptureStages::download));
  std::printf("  download to shut-down:     %8.2f ms  (file moved, modal loop left, settings kept, picture read)\n",
              median(&CaptureStages::after_download));
  std::printf("  shut-down:                 %8.2f ms  (live view, remote mode, session, SDK)\n",
              median(&CaptureStages::shut_down));
  std::printf("  after the SDK to return:   %8.2f ms  (message thread, windows; the host's string written meanwhile)\n",
              median(&CaptureStages::after_sdk));
  std::printf("  overhead (less the download): %.2f ms\n", overhead);
  std::printf("  reading the file %.2f ms, reading and encoding it %.2f ms\n", read, read_encode);
  std::printf("  overhead / (reading + encoding) = %.2f (goal <= 1.5)\n", overhead / read_encode);
  std::vector<double> own;
  for (const CaptureStages& s : runs) own.push_back(s.Own());
  std::printf("  the plug-in's own time (less every call into the stand-in): %.2f ms = %.2f x (reading + encoding)\n",
              Median(own), Median(own) / read_encode);
  PrintShutDownCalls(runs[typical], notices[typical]);
  return 0;
}

// --- Live view --------------------------------------------------------------------------

// The stand-in's frames made at a pace carry a comment "eos-sim frame K ready T" right
// after the start of the JPEG: T, the moment the camera had the frame, in microseconds of
// the steady clock this process shares with the stand-in.
std::optional<Clock::time_point> FrameReady(JpegBytes jpeg) {
  if (jpeg.size() < 6 || jpeg[2] != 0xFF || jpeg[3] != 0xFE) return std::nullopt;
  const size_t length = static_cast<size_t>(jpeg[4]) << 8 | jpeg[5];
  if (length < 2 || 4 + length > jpeg.size()) return std::nullopt;
  const std::string comment(reinterpret_cast<const char*>(jpeg.data()) + 6, length - 2);
  unsigned long long frame = 0, ready_us = 0;
  if (std::sscanf(comment.c_str(), "eos-sim frame %llu ready %llu", &frame, &ready_us) != 2) return std::nullopt;
  return Clock::time_point(std::chrono::microseconds(ready_us));
}

// The stand-in making `camera_rate` frames a second, the first `start_ms` after live view
// goes on; with `photo`, a face in view for the guide.
void PacedCamera(int camera_rate, int start_ms, const std::wstring& photo) {
  std::string scenario =
      "live_view_rate = " + std::to_string(camera_rate) + "\nlive_view_start = " + std::to_string(start_ms) + "\n";
  if (!photo.empty())
    scenario +=
        "live_view_picture = " + ToUtf8(win::FromWide(photo.c_str(), photo.size())) + "\nsubject = 0.5 0.45 0.8\n";
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", win::W(Ascii(scenario)));
}

struct LiveViewRun {
  int angle = 0;
  bool mirror = false;
  bool face_guide = false;
  int rate = 10;         // the dialog's frames a second
  int camera_rate = 30;  // the stand-in's
  std::wstring photo;
};

int LiveViewFigures(const LiveViewRun& run) {
  PacedCamera(run.camera_rate, 0, run.photo);
  // The view turned and mirrored by the host's settings text, as a capture applies it,
  // the face guide on every frame, and the dialog's pace.
  Text settings = u"Angle=" + IntToText(run.angle) + (run.mirror ? u"\tMirror=1" : u"") +
                  (run.face_guide ? u"\tFaceGuide=1" : u"") + u"\tFrameRate=" + IntToText(run.rate);
  CanonEosSDKParams(ctEos_SetSettings, settings);
  if (!CreateCaptureDialog()) return 1;
  constexpr auto kLength = std::chrono::seconds(5);
  std::vector<double> costs, paths, arriving, ready_to_painted;
  std::vector<uint8_t> last;
  Clock::time_point first{}, latest{};
  int face_results = 0;
  SIZE shown{};  // the size the frame was painted at; the dialog is gone when the run returns
  // The fair baseline is a bare decode of the same frame at the same moment, under the
  // same load (the face worker on the other core), taken before the dialog's work on
  // every other frame and after it on the rest, so neither side always finds it warm.
  imaging::JpegDecoder arriving_decoder;
  imaging::Pixels arriving_pixels;
  auto decode_arriving = [&](JpegBytes jpeg) {
    std::string ignored;
    const Clock::time_point t = Clock::now();
    arriving_decoder.Decode(jpeg, arriving_pixels, ignored);
    arriving.push_back(Ms(Clock::now() - t));
  };
  CaptureDialog()->SetProbe({.frame =
                                 [&](JpegBytes jpeg, const TdlgCanonEosSDK::Probe::Handle& handle,
                                     const TdlgCanonEosSDK::Probe::Paint& paint) {
                                   const bool decode_first = costs.size() % 2 == 0;
                                   if (decode_first) decode_arriving(jpeg);
                                   const Clock::time_point t = Clock::now();
                                   shown = handle();
                                   paths.push_back(Ms(Clock::now() - t));
                                   paint();
                                   GdiFlush();
                                   latest = Clock::now();
                                   if (first == Clock::time_point{}) first = t;
                                   costs.push_back(Ms(latest - t));
                                   if (const std::optional<Clock::time_point> ready = FrameReady(jpeg))
                                     ready_to_painted.push_back(Ms(latest - *ready));
                                   if (!decode_first) decode_arriving(jpeg);
                                   last.assign(jpeg.begin(), jpeg.end());
                                   return latest - first < kLength;
                                 },
                             .picture_ready = {},
                             .camera_gone = {},
                             .first_frame = {},
                             .face_result = [&] { ++face_results; }});
  Text text = u"File=" + TempFile(L"eos-bench-liveview.jpg");
  CanonEosSDKParams(ctEos_Capture, text);
  if (costs.size() < 2) {
    std::printf("live view: no frames (%s)\n", ToUtf8(text).c_str());
    return 1;
  }

  std::string error;
  imaging::JpegDecoder decoder;
  imaging::Pixels pixels;
  const double decode = MedianMs(50, [&] { decoder.Decode(last, pixels, error); });
  imaging::LiveViewRenderer renderer;
  const double path = MedianMs(50, [&] { renderer.Render(last, shown.cx, shown.cy, run.angle, run.mirror, error); });
  const double seconds = Ms(latest - first) / 1000.0;
  const double cost = Median(costs);
  double busy = 0;
  for (const double c : costs) busy += c;
  std::printf(
      "live view in the dialog at %d frames a second, the stand-in making %d, angle %d%s%s, frames %dx%d "
      "(%.0f KB), %zu frames\n",
      run.rate, run.camera_rate, run.angle, run.mirror ? " mirrored" : "", run.face_guide ? ", the face guide on" : "",
      pixels.width, pixels.height, static_cast<double>(last.size()) / 1024.0, costs.size());
  std::printf("  frames per second shown: %.1f (the camera is polled every %d ms)\n",
              static_cast<double>(costs.size() - 1) / seconds, FrameIntervalMs(run.rate));
  std::printf(
      "  frame event to pixels painted: median %.2f ms, of which the frame path (decode, turn, scale) "
      "%.2f ms\n",
      cost, Median(paths));
  std::printf("  bare decode of the same frame: median %.2f ms; the frame path alone on it: %.2f ms\n", decode, path);
  std::printf("  bare decode of each frame as it arrives: median %.2f ms\n", Median(arriving));
  std::printf("  dialog / bare decode = %.2f warm, %.2f as frames arrive (goal <= 1.3)\n", cost / decode,
              cost / Median(arriving));
  std::printf("  the user-interface thread's time on frames: %.1f %%\n", 100.0 * busy / 1000.0 / seconds);
  if (!ready_to_painted.empty())
    std::printf("  the stand-in's frame ready to painted: median %.1f ms\n", Median(ready_to_painted));
  if (run.face_guide)
    std::printf("  face results per second: %.1f (goal >= 10)\n", static_cast<double>(face_results) / seconds);
  return 0;
}

// From the host's call to the first live-view frame painted, `runs` times, against a
// stand-in whose first frame comes `start_ms` after live view goes on.
int FirstFrame(int runs) {
  constexpr int kStartMs = 500;
  PacedCamera(30, kStartMs, {});
  Text settings = u"FrameRate=30";
  CanonEosSDKParams(ctEos_SetSettings, settings);
  std::vector<double> late;                               // the stand-in's first frame ready to painted
  std::array<std::vector<double>, kStartupStepCount> at;  // the call to each step
  for (int i = 0; i < runs; ++i) {
    if (!CreateCaptureDialog()) return 1;
    std::optional<Clock::time_point> ready;
    CaptureDialog()->SetProbe(
        {.frame =
             [&](JpegBytes jpeg, const TdlgCanonEosSDK::Probe::Handle& handle, const TdlgCanonEosSDK::Probe::Paint&) {
               if (!ready) ready = FrameReady(jpeg);
               handle();
               return false;  // one frame is all this run waits for
             },
         .picture_ready = {},
         .camera_gone = {},
         .first_frame =
             [&](const StartupTimes& steps) {
               const Clock::time_point painted = Clock::now();
               if (ready) late.push_back(Ms(painted - *ready));
               for (size_t s = 0; s < kStartupStepCount; ++s)
                 if (const std::optional<double> ms = steps.MsToStep(static_cast<StartupStep>(s))) at[s].push_back(*ms);
             },
         .face_result = {}});
    Text text = u"File=" + TempFile(L"eos-bench-first.jpg");
    CanonEosSDKParams(ctEos_Capture, text);
  }
  if (late.empty()) {
    std::printf("first frame: none painted\n");
    return 1;
  }
  std::printf("the first live-view frame, %zu runs, the stand-in's first frame %d ms after live view goes on\n",
              late.size(), kStartMs);
  std::printf("  painted after the stand-in had it: median %.1f ms, worst %.1f ms (goal <= 40 ms)\n", Median(late),
              *std::max_element(late.begin(), late.end()));
  std::printf("  from the host's call, median of each step (its own time in brackets):\n");
  double before = 0;
  for (size_t s = 0; s < kStartupStepCount; ++s) {
    if (at[s].empty()) continue;
    const double ms = Median(at[s]);
    std::printf("    %-18s %7.1f ms (%6.1f)\n", ToUtf8(StartupStepName(static_cast<StartupStep>(s))).c_str(), ms,
                ms - before);
    before = ms;
  }
  return 0;
}

// --- A camera that comes back -------------------------------------------------------------

int Reconnection(int cycles) {
  // Pulled every tenth frame and back 1.5 s later: the dialog looks once a second.
  constexpr int kBackAfterMs = 1500;
  const std::string scenario = "unplug = after EdsDownloadEvfImage 10 back after " + std::to_string(kBackAfterMs) +
                               " repeat " + std::to_string(cycles - 1) + "\n";
  SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", win::W(Ascii(scenario)));
  if (!CreateCaptureDialog()) return 1;
  std::vector<double> returns;  // the camera's return to the first new frame shown, ms
  Clock::time_point gone{};
  CaptureDialog()->SetProbe(
      {.frame =
           [&](JpegBytes, const TdlgCanonEosSDK::Probe::Handle& handle, const TdlgCanonEosSDK::Probe::Paint& paint) {
             handle();
             paint();
             if (gone != Clock::time_point{}) {
               // The camera came back kBackAfterMs after the pull the
               // dialog noticed at once.
               returns.push_back(Ms(Clock::now() - gone) - kBackAfterMs);
               gone = {};
             }
             return static_cast<int>(returns.size()) < cycles;
           },
       .picture_ready = {},
       .camera_gone = [&] { gone = Clock::now(); },
       .first_frame = {},
       .face_result = {}});
  Text text = u"File=" + TempFile(L"eos-bench-reconnect.jpg");
  CanonEosSDKParams(ctEos_Capture, text);
  if (returns.empty()) {
    std::printf("reconnection: the camera never came back (%s)\n", ToUtf8(text).c_str());
    return 1;
  }
  const double worst = *std::max_element(returns.begin(), returns.end());
  std::printf("a camera pulled during live view and back %d ms later, %zu times in one dialog\n", kBackAfterMs,
              returns.size());
  std::printf("  its return to the first new frame shown: median %.0f ms, worst %.0f ms (goal <= 1500 ms)\n",
              Median(returns), worst);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"answer") return AnswerMemory(argc > 2 ? _wtoi(argv[2]) : 60);
  if (mode == L"capture") return CaptureOverhead(argc > 2 ? _wtof(argv[2]) : 0.5);
  if (mode == L"reconnect") return Reconnection(argc > 2 ? _wtoi(argv[2]) : 100);
  if (mode == L"liveview") {
    // liveview [ANGLE] [mirror] [face PHOTO] [rate N]
    LiveViewRun run;
    run.angle = argc > 2 ? _wtoi(argv[2]) : 0;
    for (int i = 3; i < argc; ++i) {
      const std::wstring word = argv[i];
      if (word == L"mirror") run.mirror = true;
      if (word == L"face" && i + 1 < argc) {
        run.face_guide = true;
        run.photo = argv[++i];
      }
      if (word == L"rate" && i + 1 < argc) run.rate = _wtoi(argv[++i]);
    }
    return LiveViewFigures(run);
  }
  if (mode == L"firstframe") return FirstFrame(argc > 2 ? _wtoi(argv[2]) : 20);
  std::printf(
      "usage: plugin_bench answer [MB] | capture [MB] | liveview [ANGLE] [mirror] [face PHOTO] [rate N] | firstframe "
      "[RUNS] | reconnect [CYCLES]\n");
  return 2;
}
