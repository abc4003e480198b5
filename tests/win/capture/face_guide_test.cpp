// The ID-photo guide through the real export: dlib's test photos shown by the stand-in
// camera at placements chosen against the guide's template, the state the dialog finds
// for each, the host's automatic release that waits for a framed face, and the face's
// geometry in the answer. With the guide off a run is today's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "base/lumutils.h"
#include "base/paramtext.h"
#include "face/detector.h"
#include "face/find.h"
#include "face/guide.h"
#include "imaging/core/jpeg_decoder.h"
#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/wait.h"
#include "win/files.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// The stand-in's live-view frames.
constexpr double kFrameW = 960, kFrameH = 640;

Text PhotoPath(const char* name) { return Ascii(EOS_FACE_PHOTOS) + u"\\" + Ascii(name); }

// A photo's face as the detector finds it on the photo itself, in its pixels.
struct PhotoFace {
  int width = 0, height = 0;
  face::PictureFace face;
};

std::shared_ptr<const face::FaceModel> Model() {
  static const std::shared_ptr<const face::FaceModel> model = [] {
    std::string error;
    auto m = face::FaceModel::FromFile(
        win::FileSystemPath(ProgramFolder() + u"Canon_EOS_SDK_Face\\" + Ascii(face::kModelFileName)), error);
    EXPECT_TRUE(m) << error;
    return m;
  }();
  return model;
}

PhotoFace FindOnPhoto(const char* name) {
  PhotoFace p;
  const std::string bytes = ReadFileBytes(PhotoPath(name));
  const std::span<const uint8_t> jpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  face::FaceFinder finder(Model());
  std::optional<face::PictureFace> found;
  std::string error;
  EXPECT_TRUE(face::FindPictureFace(finder, jpeg, 0, found, error)) << error;
  EXPECT_TRUE(found.has_value()) << name;
  if (found) p.face = *found;
  imaging::JpegDecoder header;
  EXPECT_TRUE(header.Begin(jpeg, error)) << error;
  p.width = header.width();
  p.height = header.height();
  return p;
}

// A placement against the guide's template in the view as shown: the head's height as a
// fraction of the template's crop, its centre moved by fractions of the crop's sides, the
// head rolled by degrees clockwise; the view turned by `angle` (a camera on its side).
struct Placement {
  double head = 0.75;
  double dx = 0, dy = 0;
  double roll = 0;
  int angle = 0;
};

// The stand-in's subject line that shows `photo` so.
std::string SubjectFor(const PhotoFace& photo, const Placement& at) {
  const face::FaceTemplate t;
  const bool sideways = at.angle == 90 || at.angle == 270;
  const double shown_w = sideways ? kFrameH : kFrameW, shown_h = sideways ? kFrameW : kFrameH;
  const face::Box crop = face::TemplateCrop(shown_w, shown_h, t);
  const double eye_distance = crop.height * at.head / face::kHeadPerEyeDistance;
  const face::PictureFace& f = photo.face;
  const double photo_eyes = std::hypot(f.eyes[1].x - f.eyes[0].x, f.eyes[1].y - f.eyes[0].y);
  const double scale = eye_distance * photo.height / (kFrameH * photo_eyes);
  const double k = scale * kFrameH / photo.height;  // frame pixels a photo pixel
  // The head's centre where the view shows it, in the frame the camera sends; the photo
  // turned back by the view's angle so that the view shows it upright.
  const face::PointF centre = face::FromShown(
      face::PointF{crop.left + crop.width * (t.centre_x + at.dx), crop.top + crop.height * (t.centre_y + at.dy)},
      static_cast<int>(kFrameW), static_cast<int>(kFrameH), face::Orientation{at.angle, false});
  // Level first: the photo's own eye line tilts a little.
  const double own_roll = std::atan2(f.eyes[1].y - f.eyes[0].y, f.eyes[1].x - f.eyes[0].x) * 180 / std::numbers::pi;
  const double roll = at.roll - own_roll - at.angle;
  // The eyes' midpoint from the photo's centre, turned with the photo.
  const double mx = ((f.eyes[0].x + f.eyes[1].x) / 2.0 - photo.width / 2.0) * k;
  const double my = ((f.eyes[0].y + f.eyes[1].y) / 2.0 - photo.height / 2.0) * k;
  const double a = roll * std::numbers::pi / 180;
  const double rx = mx * std::cos(a) - my * std::sin(a), ry = mx * std::sin(a) + my * std::cos(a);
  char line[160];
  std::snprintf(line, sizeof line, "subject = %.4f %.4f %.4f %.2f\n", (centre.x - rx) / kFrameW,
                (centre.y - ry) / kFrameH, scale, roll);
  return line;
}

std::string PhotoScenario(const char* name) { return "live_view_picture = " + ToUtf8(PhotoPath(name)) + "\n"; }

class FaceGuide : public CaptureTest {
 protected:
  void SetUp() override {
    const Text folder = plugin_.folder() + u"Canon_EOS_SDK_Face\\";
    CreateDirectoryW(win::W(folder), nullptr);
    const Text model = Ascii(face::kModelFileName);
    WriteFileBytes(folder + model, ReadFileBytes(ProgramFolder() + u"Canon_EOS_SDK_Face\\" + model));
    WriteFileBytes(log_, "");  // the plug-in's log, where the guide's states are written
  }
  // The guide's states in the order the log tells them.
  std::vector<std::string> States() const {
    std::vector<std::string> states;
    std::string log;
    try {
      log = ReadFileBytes(log_);
    } catch (const std::exception&) {
      return states;  // the plug-in is writing it: asked again later
    }
    constexpr std::string_view kMark = "Face guide: ";
    for (size_t at = log.find(kMark); at != std::string::npos; at = log.find(kMark, at + 1)) {
      const size_t end = log.find('\r', at);
      states.push_back(log.substr(at + kMark.size(), end - at - kMark.size()));
    }
    return states;
  }
  // An automatic capture with the host's guide, which cannot run: the picture as always,
  // without a face, and the guide's words said once. The log, for what else a case reads.
  std::string ExpectCaptureWithoutGuide(const Text& file) {
    Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg"));
    const CallResult r =
        Run(kCaptureAuto, u"File=" + file + u"\tFaceGuide=1\tFace=1", [] { WaitGone(WaitForCaptureDialog()); });
    ExpectPictureAnswer(r, file);
    EXPECT_EQ(GetParamValue(u"Face", r.text), u"") << "no model, no face";
    const std::string log = ReadFileBytes(log_);
    const size_t said = log.find("Face guide unavailable\r");
    EXPECT_NE(said, std::string::npos);
    EXPECT_EQ(log.find("Face guide unavailable\r", said + 1), std::string::npos) << "said once";
    return log;
  }
  bool Seen(const std::string& state) const {
    for (const std::string& s : States())
      if (s == state) return true;
    return false;
  }
  const Text log_ = plugin_.folder() + u"eoslog.txt";
};

TEST_F(FaceGuide, EachPlacementGivesItsState) {
  const PhotoFace tom = FindOnPhoto("Tom_Cruise_avp_2014_4.jpg");
  struct Case {
    const char* name;
    std::string scenario;
    const char* state;  // the words the operator reads
    int angle = 0;      // the view's
  };
  const Case cases[] = {
      {"framed", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {}), "Framed"},
      {"to the right", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.dx = 0.2}), "Move left"},
      {"to the left", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.dx = -0.2}), "Move right"},
      {"too low", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.dy = 0.15}), "Move up"},
      {"small", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.head = 0.55}), "Move closer"},
      {"large", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.head = 0.95}), "Move farther away"},
      {"rolled", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.roll = 15}), "Level the head"},
      {"no face", "", "No face found"},
      {"two faces", PhotoScenario("2008_002506.jpg") + "subject = 0.5 0.5 1.7\n", "More than one face"},
      // A portrait framing: the camera on its side, the view turned back to upright.
      {"camera turned", PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + SubjectFor(tom, {.angle = 270}), "Framed", 270},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Camera(c.scenario);
    ASSERT_EQ(plugin_.Call(kSetSettings, u"FaceGuide=1\tAngle=" + IntToText(c.angle)).result, 0);
    WriteFileBytes(log_, "");
    std::vector<std::string> states;
    const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      WaitUntil([&] { return Seen(c.state); }, 10000, c.state);
      PostKey(dialog, VK_ESCAPE);
      EXPECT_TRUE(WaitGone(dialog));
    });
    states = States();
    EXPECT_TRUE(Seen(c.state)) << "states seen: " << testing::PrintToString(states) << " " << ToUtf8(r.text);
  }
}

// The longest the thread of `dialog` took to answer a message, in milliseconds, asked every
// 20 ms while `go_on` says so.
DWORD LongestSilence(HWND dialog, const std::function<bool()>& go_on) {
  DWORD longest = 0;
  while (go_on()) {
    const DWORD start = GetTickCount();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    longest = std::max(longest, GetTickCount() - start);
    Sleep(20);
  }
  return longest;
}

// The capture dialog once the run has named it, shown or not yet shown (its caption read
// without a message, which its busy thread would hold up).
HWND CaptureDialogMadeOrNull() {
  for (HWND w : TopWindowsOfClass(u"EosForm"))
    if (FormCaption(w).starts_with(u"Canon plugin EOS")) return w;
  return nullptr;
}

// The face model (9 MB, checked and read) loads off the dialog's thread: the dialog keeps
// answering while it loads, whether the guide starts with the dialog or is switched on in
// the settings, and live view goes on meanwhile.
TEST_F(FaceGuide, TheModelLoadsWithoutHoldingUpTheDialog) {
  constexpr DWORD kAnswersWithin = 250;  // ms; reading the model takes longer
  struct Case {
    const char* name;
    const char16_t* input;
    std::optional<DWORD> (*drive)();  // the longest silence of the dialog's thread, if it was there
  };
  const Case cases[] = {
      {"the host's guide from the start", u"\tFaceGuide=1",
       [] {
         HWND dialog = nullptr;
         WaitUntil([&] { return (dialog = CaptureDialogMadeOrNull()) != nullptr; }, 20000, "the capture dialog made",
                   5);
         if (!dialog) return std::optional<DWORD>();
         DWORD shown_at = 0;
         const DWORD longest = LongestSilence(dialog, [&] {
           if (!shown_at && IsWindowVisible(dialog)) shown_at = GetTickCount();
           return !shown_at || GetTickCount() - shown_at < 2000;
         });
         PostKey(dialog, VK_ESCAPE);
         WaitGone(dialog);
         return std::optional<DWORD>(longest);
       }},
      {"switched on in the settings", u"",
       [] {
         HWND dialog = WaitForCaptureDialog();
         HWND settings = dialog ? OpenSettings(dialog) : nullptr;
         if (!settings) return std::optional<DWORD>();
         PostClick(FindControl(settings, u"Button", u"Ansiktsguide"));
         const DWORD start = GetTickCount();
         const DWORD longest = LongestSilence(dialog, [&] { return GetTickCount() - start < 2000; });
         PostClick(ButtonOf(settings, u"OK"));
         WaitHidden(settings);
         PostKey(dialog, VK_ESCAPE);
         WaitGone(dialog);
         return std::optional<DWORD>(longest);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg"));
    std::optional<DWORD> longest;
    const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg" + c.input, [&] { longest = c.drive(); });
    EXPECT_EQ(r.result, -1) << "cancelled";
    ASSERT_TRUE(longest.has_value()) << "the dialog was there to ask";
    EXPECT_LT(*longest, kAnswersWithin);
  }
}

// Comma-separated whole numbers of an answer's value.
std::vector<int> Numbers(const Text& value) {
  std::vector<int> out;
  const std::string text = ToUtf8(value);
  for (size_t at = 0; at < text.size();) {
    const size_t comma = std::min(text.find(',', at), text.size());
    out.push_back(std::stoi(text.substr(at, comma - at)));
    at = comma + 1;
  }
  return out;
}

// The answer's face and eyes are where `subject` put the photo in a picture of 1920 x 1280.
void ExpectFaceOfPlacement(const CallResult& r, const PhotoFace& photo, const std::string& subject) {
  const std::vector<int> box = Numbers(GetParamValue(u"Face", r.text)), eyes = Numbers(GetParamValue(u"Eyes", r.text));
  ASSERT_EQ(box.size(), 4u);
  ASSERT_EQ(eyes.size(), 4u);
  double x = 0, y = 0, scale = 0, roll = 0;
  ASSERT_EQ(std::sscanf(subject.c_str(), "subject = %lf %lf %lf %lf", &x, &y, &scale, &roll), 4);
  const double k = scale * 1280 / photo.height;
  const auto in_picture = [&](face::PixelPoint p) {
    return std::pair{x * 1920 + (p.x + 0.5 - photo.width / 2.0) * k, y * 1280 + (p.y + 0.5 - photo.height / 2.0) * k};
  };
  const double size = photo.face.width * k;
  for (int i = 0; i < 2; ++i) {
    const auto [ex, ey] = in_picture(photo.face.eyes[i]);
    EXPECT_NEAR(eyes[2 * i], ex, 0.05 * size) << "eye " << i;
    EXPECT_NEAR(eyes[2 * i + 1], ey, 0.05 * size) << "eye " << i;
  }
  EXPECT_NEAR(box[2], size, 0.05 * size);
}

TEST_F(FaceGuide, TheHostsAutomaticReleaseWaitsForAFramedFaceAndAnswersItsGeometry) {
  const PhotoFace tom = FindOnPhoto("Tom_Cruise_avp_2014_4.jpg");
  // Off to the side for the first 20 frames, then framed; pictures of 1920 x 1280.
  const std::string aside = SubjectFor(tom, {.dx = 0.2});
  const std::string framed = SubjectFor(tom, {});
  Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + aside + framed.substr(0, framed.size() - 1) +
         " after 20\npicture_size = 1920x1280\n");
  const Text file = dir_.path() + u"framed.jpg";
  const CallResult r = Run(kCaptureAuto, u"File=" + file + u"\tFaceGuide=1\tFace=1", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Shown(ButtonOf(dialog, u"Take picture"))) << "the operator can always release by hand";
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file);
  const std::vector<std::string> states = States();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), "Move left");
  EXPECT_EQ(states.back(), "Framed");
  // The shot came once the framed placement was in the frames.
  const std::string trace = Trace();
  std::smatch shot;
  ASSERT_TRUE(std::regex_search(trace, shot, std::regex(R"(EdsSendCommand\(#\d+, 0x0,)")));
  size_t frames = 0;
  const std::string before = trace.substr(0, static_cast<size_t>(shot.position(0)));
  for (size_t at = before.find("EdsDownloadEvfImage("); at != std::string::npos;
       at = before.find("EdsDownloadEvfImage(", at + 1))
    ++frames;
  EXPECT_GE(frames, 20u);
  EXPECT_EQ(KeysOf(r.text), (std::vector<Text>{u"Fil", u"SettingsChanged", u"Face", u"Eyes", u"Base64"}));

  ExpectFaceOfPlacement(r, tom, framed);
  ExpectBooksBalanced();
}

// The guide's state from before the camera went is not the state after its return: an
// automatic release that waits for a framed face waits for one that the camera shows
// after it came back.
TEST_F(FaceGuide, AfterTheCamerasReturnTheReleaseWaitsForAFaceFramedAgain) {
  const PhotoFace tom = FindOnPhoto("Tom_Cruise_avp_2014_4.jpg");
  const std::string aside = SubjectFor(tom, {.dx = 0.2});
  const std::string framed = SubjectFor(tom, {});
  // Aside for the first 8 frames, then framed. The first shot fails to focus, so the guide
  // stays framed until the cable is pulled; the camera comes back as another model, whose
  // frames count afresh: aside again for 8 frames, then framed.
  Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg") + aside + framed.substr(0, framed.size() - 1) +
         " after 8\nrefuse = EdsSendCommand:0x0 1 0x00008D01\n"
         "unplug = after EdsDownloadEvfImage 60 back after 1000\nback_as = Canon EOS 90D\n"
         "picture_size = 1920x1280\n");
  const Text file = dir_.path() + u"framed-again.jpg";
  const CallResult r = Run(kCaptureAuto, u"File=" + file + u"\tFaceGuide=1\tFace=1", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitGone(dialog, 30000));
  });
  ExpectPictureAnswer(r, file);
  EXPECT_EQ(Shots(), 2) << "the refused shot and the one after the return";
  ExpectFaceOfPlacement(r, tom, framed);
  ExpectBooksBalanced();
}

TEST_F(FaceGuide, OffTheRunIsTodays) {
  Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg"));
  const Text file = dir_.path() + u"plain.jpg";
  const CallResult r = Run(kCaptureAuto, u"File=" + file, [] { WaitGone(WaitForCaptureDialog()); });
  ExpectPictureAnswer(r, file);
  EXPECT_EQ(KeysOf(r.text), (std::vector<Text>{u"Fil", u"SettingsChanged", u"Base64"}));
  EXPECT_TRUE(States().empty()) << "no guide ran";
  EXPECT_EQ(ReadFileBytes(log_).find("Face guide"), std::string::npos);
  EXPECT_EQ(GetParamValue(u"FaceGuide", plugin_.Call(kGetSettings, u"").text), u"") << "the stored text as today";
}

TEST_F(FaceGuide, WithoutItsModelTheGuideSaysSoOnceAndTheCaptureGoesOn) {
  DeleteFileW(win::W(plugin_.folder() + u"Canon_EOS_SDK_Face\\" + Ascii(face::kModelFileName)));
  // The host's guide cannot run: its automatic release comes at the first frame as always.
  ExpectCaptureWithoutGuide(dir_.path() + u"unguided.jpg");
}

// A damaged model is found out by the worker that reads it, after live view began: the
// guide says so once and the host's automatic release comes at the next frame.
TEST_F(FaceGuide, ADamagedModelIsToldOnceAndTheCaptureGoesOn) {
  const Text model = plugin_.folder() + u"Canon_EOS_SDK_Face\\" + Ascii(face::kModelFileName);
  WriteFileBytes(model, ReadFileBytes(model).substr(0, 1000));
  const std::string log = ExpectCaptureWithoutGuide(dir_.path() + u"damaged.jpg");
  EXPECT_NE(log.find("face model of 1000 bytes"), std::string::npos) << "why, in the log";
}

}  // namespace
}  // namespace eos::test
