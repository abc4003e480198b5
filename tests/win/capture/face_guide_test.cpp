// The ID-photo guide through the real export: dlib's test photos shown by the stand-in
// camera at placements chosen against the guide's template, the state the dialog finds
// for each, the host's automatic release that waits for a framed face, the face's
// geometry in the answer, and the check of the taken picture on each fault the stand-in
// can make. With the guide off a run is today's.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
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
#include "tests/native/face/photos.h"
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

// The stand-in's subject line that shows `photo` so.
std::string SubjectFor(const PhotoFace& photo, const face::test::Framing& at) {
  const sim::Placement p = face::test::PlaceFace(photo.face, photo.width, photo.height, at, kFrameW, kFrameH);
  char line[160];
  std::snprintf(line, sizeof line, "subject = %.4f %.4f %.4f %.2f\n", p.x, p.y, p.scale, p.roll);
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
  // without a face or a check, and the guide's words said once. The log, for what else a case reads.
  std::string ExpectCaptureWithoutGuide(const Text& file) {
    Camera(PhotoScenario("Tom_Cruise_avp_2014_4.jpg"));
    const CallResult r = Run(kCaptureAuto, u"File=" + file + u"\tFaceGuide=1\tFace=1\tCheck=1",
                             [] { WaitGone(WaitForCaptureDialog()); });
    ExpectPictureAnswer(r, file);
    EXPECT_EQ(GetParamValue(u"Face", r.text), u"") << "no model, no face";
    EXPECT_EQ(GetParamValue(u"Check", r.text), u"") << "no model, no check";
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
  const Text stored = plugin_.Call(kGetSettings, u"").text;
  EXPECT_EQ(GetParamValue(u"FaceGuide", stored), u"") << "the stored text as today";
  EXPECT_FALSE(HasParam(u"FrameRate", stored)) << "nor the default rate: " << ToUtf8(stored);
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

// --- The check of the taken picture -----------------------------------------------------

// The portrait the check is made on: dlib's photo of Tom Cruise cut out along his head, so
// that the stand-in shows it on its plain backdrop as an ID desk photographs a person.
class PictureCheck : public FaceGuide {
 protected:
  void SetUp() override {
    FaceGuide::SetUp();
    face::FaceFinder finder(Model());
    const std::string bytes = ReadFileBytes(PhotoPath("Tom_Cruise_avp_2014_4.jpg"));
    const face::test::Portrait p = face::test::CutOutPortrait({bytes.begin(), bytes.end()}, finder);
    WriteFileBytes(png_, std::string(p.png.begin(), p.png.end()));
    portrait_ = {p.width, p.height, p.face};
  }
  // The scenario of the portrait framed so, in pictures of 1920 x 1280, with `look`'s keys.
  std::string Scenario(const face::test::Framing& at, const std::string& look = {}) const {
    return "live_view_picture = " + ToUtf8(png_) + "\n" + SubjectFor(portrait_, at) + "picture_size = 1920x1280\n" +
           look;
  }
  // An automatic capture with `input`, its answer checked for the picture.
  CallResult Capture(const Text& input) {
    const Text file = dir_.path() + u"checked.jpg";
    const CallResult r =
        Run(kCaptureAuto, u"File=" + file + u"\t" + input, [] { EXPECT_TRUE(WaitGone(WaitForCaptureDialog())); });
    ExpectPictureAnswer(r, file);
    return r;
  }
  // The Passport skin beside the plug-in, chosen for the captures that follow (until the
  // next Camera()).
  void UsePassportSkin() {
    const Text folder = plugin_.folder() + u"Canon_EOS_SDK_Skin\\";
    CreateDirectoryW(win::W(folder), nullptr);
    WriteFileBytes(folder + u"Passport.qzb", ReadFileBytes(ProgramFolder() + u"Canon_EOS_SDK_Skin\\Passport.qzb"));
    ASSERT_EQ(plugin_.Call(kSetSettings, u"Skin=Passport").result, 0);
  }
  // The capture since the log began showed the skin: loaded, never given up for the
  // standard look.
  void ExpectSkinShown() const {
    const std::string log = ReadFileBytes(log_);
    EXPECT_NE(log.find("LoadSkin: Passport\r"), std::string::npos);
    EXPECT_EQ(log.find("LoadSkin: \r"), std::string::npos) << "the standard look came back";
  }
  const Text png_ = dir_.path() + u"portrait.png";
  PhotoFace portrait_;
};

// Each fault the stand-in makes, as it makes them; the good portrait passes all.
struct Fault {
  const char* name;
  face::test::Framing at;
  const char* look;   // scenario keys
  const char* check;  // the answer's Check
};
constexpr Fault kFaults[] = {
    {"good", {}, "", "OK"},
    {"darker", {}, "exposure = -2\n", "Dark"},
    {"brighter", {}, "exposure = 1.2\n", "Bright"},
    {"blurred", {}, "blur = 0.01\n", "Blurred"},
    {"turned", {.roll = 15}, "", "Roll"},
    {"too small", {.head = 0.55}, "", "HeadSize"},
    {"off to one side", {.dx = 0.2}, "", "HeadPosition"},
    {"uneven background", {}, "backdrop = 40 220\n", "Background"},
};

TEST_F(PictureCheck, EachFaultOfTheStandInFailsItsOwnMeasureAndNoOther) {
  for (const Fault& f : kFaults) {
    SCOPED_TRACE(f.name);
    Camera(Scenario(f.at, f.look));
    const CallResult r = Capture(u"Check=1");
    EXPECT_EQ(GetParamValue(u"Check", r.text), Ascii(f.check)) << ToUtf8(GetParamValue(u"CheckValues", r.text));
    EXPECT_EQ(KeysOf(r.text), (std::vector<Text>{u"Fil", u"SettingsChanged", u"Check", u"CheckValues", u"Base64"}));
    std::printf("%-18s Check=%-13s CheckValues=%s\n", f.name, ToUtf8(GetParamValue(u"Check", r.text)).c_str(),
                ToUtf8(GetParamValue(u"CheckValues", r.text)).c_str());
  }
}

// A skin changes the dialog, not the picture: the same verdicts, and the check's keys
// after the face's.
TEST_F(PictureCheck, InASkinTheVerdictsAreTheStandardLooks) {
  for (const Fault& f : kFaults) {
    SCOPED_TRACE(f.name);
    Camera(Scenario(f.at, f.look));  // the stored settings left out: the skin chosen after
    UsePassportSkin();
    WriteFileBytes(log_, "");
    const CallResult r = Capture(u"Check=1\tFace=1");
    EXPECT_EQ(GetParamValue(u"Check", r.text), Ascii(f.check)) << ToUtf8(GetParamValue(u"CheckValues", r.text));
    EXPECT_EQ(KeysOf(r.text),
              (std::vector<Text>{u"Fil", u"SettingsChanged", u"Face", u"Eyes", u"Check", u"CheckValues", u"Base64"}));
    std::printf("in the skin, %-18s Check=%s\n", f.name, ToUtf8(GetParamValue(u"Check", r.text)).c_str());
    ExpectSkinShown();
  }
}

TEST_F(PictureCheck, NoFaceAnswersFacesAndNoGeometry) {
  Camera();  // the stand-in's chart: no face in it
  const CallResult r = Capture(u"Check=1\tFace=1");
  EXPECT_EQ(GetParamValue(u"Check", r.text), u"Faces");
  EXPECT_EQ(GetParamValue(u"CheckValues", r.text), u"Faces:0");
  EXPECT_EQ(GetParamValue(u"Face", r.text), u"");
}

// --- The picture reviewed in the dialog (CheckRetake) -------------------------------------

// A portrait off to one side until the camera's third frame, framed after: the first
// picture, taken at the first live-view frame (the shot is the second), fails
// HeadPosition; one taken again passes.
class PictureReview : public PictureCheck {
 protected:
  void SetUp() override {
    PictureCheck::SetUp();
    const std::string framed = SubjectFor(portrait_, {});
    Camera(Scenario({.dx = 0.2}) + framed.substr(0, framed.size() - 1) + " after 3\n");
    WriteFileBytes(file_, "the host's older picture");
  }
  // The dialog showing the first picture for review: its "Use anyway" button shown.
  static HWND WaitForReview(Text use = u"Use anyway") {
    HWND dialog = WaitForCaptureDialog();
    if (!dialog) return nullptr;
    HWND button = nullptr;
    WaitUntil([&] { return (button = ButtonOf(dialog, use)) != nullptr && Shown(button); }, 20000, "the review");
    return button ? dialog : nullptr;
  }
  const Text file_ = dir_.path() + u"reviewed.jpg";
};

TEST_F(PictureReview, TakenAgainTheSecondPictureIsAnswered) {
  std::string during;
  const CallResult r = Run(kCaptureAuto, u"File=" + file_ + u"\tCheckRetake=1", [&] {
    HWND dialog = WaitForReview();
    ASSERT_NE(dialog, nullptr);
    during = ReadFileBytes(file_);
    EXPECT_TRUE(Shown(ButtonOf(dialog, u"Take again")));
    PostKey(dialog, VK_RETURN);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(during, "the host's older picture") << "the host's file is replaced only by a picture chosen";
  ExpectPictureAnswer(r, file_);
  EXPECT_EQ(Shots(), 2);
  EXPECT_EQ(GetParamValue(u"Check", r.text), u"OK") << ToUtf8(GetParamValue(u"CheckValues", r.text));
  ExpectBooksBalanced();
}

TEST_F(PictureReview, UsedAnywayThePictureCarriesItsFailedCheck) {
  // The review's words are built-in texts that the host translates.
  ASSERT_EQ(plugin_.Call(5, u"Use anyway=Ändå\r\nTake again=Igen\r\n").result, 0);
  const CallResult r = Run(kCaptureAuto, u"File=" + file_ + u"\tCheckRetake=1", [&] {
    HWND dialog = WaitForReview(u"Ändå");
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Shown(ButtonOf(dialog, u"Igen")));
    PostClick(ButtonOf(dialog, u"Ändå"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(r, file_);
  EXPECT_EQ(Shots(), 1);
  EXPECT_EQ(GetParamValue(u"Check", r.text), u"HeadPosition");
  ExpectBooksBalanced();
}

TEST_F(PictureReview, CancelledTheRunAnswersACancelAndTheHostsFileStays) {
  const CallResult r = Run(kCaptureAuto, u"File=" + file_ + u"\tCheckRetake=1", [&] {
    HWND dialog = WaitForReview();
    ASSERT_NE(dialog, nullptr);
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(r.result, -1);
  EXPECT_EQ(r.text, file_);
  EXPECT_EQ(ReadFileBytes(file_), "the host's older picture");
  for (const Text& name : FilesIn(dir_.path()))
    EXPECT_FALSE(name.starts_with(u"eos")) << "a temporary picture left behind: " << ToUtf8(name);
  ExpectBooksBalanced();
}

// A skin has no place for the choice: the failed picture goes to the host with its check.
TEST_F(PictureReview, InASkinAFailedPictureIsAnsweredWithItsCheck) {
  UsePassportSkin();
  const CallResult r =
      Run(kCaptureAuto, u"File=" + file_ + u"\tCheckRetake=1", [] { EXPECT_TRUE(WaitGone(WaitForCaptureDialog())); });
  ExpectPictureAnswer(r, file_);
  EXPECT_EQ(Shots(), 1);
  EXPECT_EQ(GetParamValue(u"Check", r.text), u"HeadPosition");
  ExpectSkinShown();
}

}  // namespace
}  // namespace eos::test
