// Skins in the capture dialog through the real export: each shipped skin shapes the
// window by its mask, its click areas do what their buttons do, turning the view turns
// the skin, the Passport skin stands tall and upright for a camera on its side with the
// face guide's template as its one head mark, and broken skins bring the standard look
// back with their message.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "base/lumutils.h"
#include "dialog/core/skin_shape.h"
#include "face/detector.h"
#include "face/guide.h"
#include "imaging/core/picture.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_keys.h"
#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// A shipped skin as the build made it: its lines and its mask picture.
struct SkinFile {
  std::vector<Text> lines;
  layout::EmbeddedFiles embedded;
  imaging::Pixels mask;
  int width = 0, height = 0;
};

Text ShippedSkinPath(const Text& name) { return ProgramFolder() + u"Canon_EOS_SDK_Skin\\" + name + u".qzb"; }

SkinFile ReadSkin(const Text& name) {
  SkinFile skin;
  const std::string bytes = ReadFileBytes(ShippedSkinPath(name));
  layout::LayoutDocument doc;
  Text error;
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_TRUE(layout::ReadLayoutBytes(data, u"qzb", doc, error)) << ToAsciiLossy(error);
  skin.lines = doc.lines;
  skin.embedded = doc.embedded;
  if (const auto page = layout::ParseLayoutPage(doc.lines.at(0), error)) {
    skin.width = page->width;
    skin.height = page->height;
  }
  for (const Text& line : doc.lines)
    if (ClassifySkinItem(line) == SkinPart::Mask) {
      const auto png = doc.embedded.Find(layout::GetLayoutKey(u"dat", line));
      std::string why;
      EXPECT_TRUE(png && imaging::DecodeByExtension(*png, "png", skin.mask, why));
    }
  return skin;
}

// The centre of the first item of that part, in the skin's pixels.
POINT CentreOf(const SkinFile& skin, SkinPart part) {
  for (const Text& line : skin.lines) {
    Text error;
    const auto item = layout::ParseLayoutItem(line, error);
    if (item && item->kind != layout::ItemKind::Skipped && ClassifySkinItem(line) == part)
      return {item->bounds.left + item->bounds.width / 2, item->bounds.top + item->bounds.height / 2};
  }
  ADD_FAILURE() << "the skin has no such part";
  return {};
}

// The skin's panel: the capture dialog's visible child panel that fills it.
HWND SkinPanel(HWND dialog) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (WindowClass(c) == u"EosPanel" && IsWindowVisible(c)) return c;
  return nullptr;
}

void ClickAt(HWND panel, POINT p) {
  PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  Sleep(50);
  PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

SIZE WindowSize(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// Points of the window whose place in the region differs from what the mask says
// there, on a grid; `turn` is the skin's clockwise turn from its mask as drawn.
int RegionMismatches(HWND dialog, const imaging::Pixels& mask, int turn) {
  const win::Gdi<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(dialog, region.get()) == ERROR) return -1;
  const SIZE size = WindowSize(dialog);
  int mismatches = 0;
  for (int y = 0; y < size.cy; y += 3)
    for (int x = 0; x < size.cx; x += 3) {
      const POINT source = turn == 90 ? POINT{y, mask.height - 1 - x} : POINT{x, y};
      // While the window is still being turned it may be larger than the turned mask.
      if (source.x < 0 || source.y < 0 || source.x >= mask.width || source.y >= mask.height) {
        ++mismatches;
        continue;
      }
      const imaging::Pixel p = mask.at(source.x, source.y);
      const uint32_t a = p >> 24;
      const auto over_white = [a](uint32_t c) { return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255); };
      const bool drawn = ClassifyMaskPixel(over_white(p >> 16 & 0xFF), over_white(p >> 8 & 0xFF),
                                           over_white(p & 0xFF)) != MaskClass::White;
      if (drawn != (PtInRegion(region.get(), x, y) != FALSE)) ++mismatches;
    }
  return mismatches;
}

class Skins : public CaptureTest {
 protected:
  void SetUp() override {
    Camera();
    const Text folder = plugin_.folder() + u"Canon_EOS_SDK_Skin\\";
    CreateDirectoryW(win::W(folder), nullptr);
    for (const char16_t* name : {u"Studio", u"Passport"})
      WriteFileBytes(folder + name + u".qzb", ReadFileBytes(ShippedSkinPath(name)));
  }
  // The skin, with the view at `angle` and any more of the settings text.
  void UseSkin(const Text& name, int angle = 0, const Text& more = Text()) {
    ASSERT_EQ(plugin_.Call(kSetSettings, u"Skin=" + name + u"\tAngle=" + IntToText(angle) + more).result, 0);
  }
};

// The shipped skins, each with the view's angle at which it stands as drawn.
struct ShippedSkin {
  const char16_t* name;
  int angle;
};
constexpr ShippedSkin kShippedSkins[] = {{u"Studio", 0}, {u"Passport", 90}};

TEST_F(Skins, EachShippedSkinShapesTheWindowByItsMaskAndShowsTheLiveViewInIt) {
  for (const ShippedSkin& c : kShippedSkins) {
    SCOPED_TRACE(ToAsciiLossy(c.name));
    const SkinFile skin = ReadSkin(c.name);
    ASSERT_FALSE(skin.mask.empty());
    UseSkin(c.name, c.angle);
    const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      Sleep(500);  // live view frames
      const SIZE size = WindowSize(dialog);
      EXPECT_EQ(size.cx, skin.width);
      EXPECT_EQ(size.cy, skin.height);
      EXPECT_EQ(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CAPTION, 0) << "a skin has no frame";
      EXPECT_EQ(RegionMismatches(dialog, skin.mask, 0), 0);
      HWND panel = SkinPanel(dialog);
      ASSERT_NE(panel, nullptr);
      // Inside the photo place the live view shows, not the mask's dark place.
      const POINT view = CentreOf(skin, SkinPart::View);
      const Picture p = CaptureClient(panel);
      ASSERT_GT(p.width, view.x);
      const uint32_t seen = p.At(view.x, view.y);
      EXPECT_GT((seen >> 16 & 0xFF) + (seen >> 8 & 0xFF) + (seen & 0xFF), 120u) << std::hex << seen;
      ClickAt(panel, CentreOf(skin, SkinPart::Cancel));
    });
    EXPECT_EQ(r.result, -1) << "the cancel area cancels";
  }
}

TEST_F(Skins, ClickAreasOpenTheSettingsAndTakeThePicture) {
  const SkinFile skin = ReadSkin(u"Studio");
  UseSkin(u"Studio");
  const Text file = dir_.path() + u"skinned.jpg";
  const CallResult r = Run(kCapture, u"File=" + file, [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND panel = SkinPanel(dialog);
    ASSERT_NE(panel, nullptr);
    ClickAt(panel, CentreOf(skin, SkinPart::Settings));
    HWND settings = WaitForDialog(u"Inställningar", 10000);
    ASSERT_NE(settings, nullptr) << "the settings area opens the settings";
    PostClick(ButtonOf(settings, u"Avbryt"));
    ASSERT_TRUE(WaitHidden(settings));
    Sleep(300);
    ClickAt(panel, CentreOf(skin, SkinPart::TakePicture));
    EXPECT_TRUE(WaitForShots(1)) << "the take-picture area takes the picture";
  });
  EXPECT_EQ(r.result, 0);
  EXPECT_TRUE(FileExists(file));
}

TEST_F(Skins, TurningTheViewTurnsTheSkinThroughASquare) {
  const SkinFile skin = ReadSkin(u"Studio");
  ASSERT_EQ(skin.width, 640);
  ASSERT_EQ(skin.height, 540);
  UseSkin(u"Studio");
  std::vector<SIZE> sizes;
  std::atomic<HWND> watched{nullptr};
  const SentMessageHook hook([&](const CWPSTRUCT& m) {
    if (m.message == WM_WINDOWPOSCHANGED && m.hwnd == watched.load()) {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.lParam);
      if (!(pos->flags & SWP_NOSIZE)) sizes.push_back({pos->cx, pos->cy});
    }
  });
  // The size comes first and the region after it: both are waited for.
  const auto wait_for = [](HWND dialog, const imaging::Pixels& mask, int turn, LONG width) {
    WaitUntil([&] { return WindowSize(dialog).cx == width && RegionMismatches(dialog, mask, turn) == 0; }, 5000,
              "the skin's size and region", 50);
  };
  const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    HWND panel = SkinPanel(dialog);
    ASSERT_NE(panel, nullptr);
    watched = dialog;
    ClickAt(panel, CentreOf(skin, SkinPart::Settings));
    HWND settings = WaitForDialog(u"Inställningar", 10000);
    ASSERT_NE(settings, nullptr);
    PostClick(ButtonOf(settings, u"\u21B7"));
    wait_for(dialog, skin.mask, 90, 540);
    watched = nullptr;
    EXPECT_EQ(WindowSize(dialog).cx, 540);
    EXPECT_EQ(WindowSize(dialog).cy, 640);
    EXPECT_EQ(RegionMismatches(dialog, skin.mask, 90), 0) << "the region is the turned mask's";
    // Avbryt gives the view its angle back, and the skin turns back with it.
    PostClick(ButtonOf(settings, u"Avbryt"));
    EXPECT_TRUE(WaitHidden(settings));
    wait_for(dialog, skin.mask, 0, 640);
    EXPECT_EQ(WindowSize(dialog).cy, 540);
    EXPECT_EQ(RegionMismatches(dialog, skin.mask, 0), 0);
    ClickAt(panel, CentreOf(skin, SkinPart::Cancel));
  });
  EXPECT_EQ(r.result, -1);
  ASSERT_GE(sizes.size(), 2u);
  const auto square = std::find_if(sizes.begin(), sizes.end(), [](SIZE s) { return s.cx == 640 && s.cy == 640; });
  EXPECT_NE(square, sizes.end()) << "the window is square while the skin turns";
  EXPECT_EQ(sizes.back().cx, 540);
  EXPECT_EQ(sizes.back().cy, 640);
}

// A container of the lines (CR LF) and files, as the build packs a skin.
std::string Pack(const std::vector<Text>& lines, const std::vector<std::string>& files) {
  std::string text;
  for (const Text& l : lines) text += ToUtf8(l) + "\r\n";  // ASCII lines: UTF-8 is Windows-1252 here
  std::string header = std::to_string(text.size());
  for (const std::string& f : files) header += "\t" + std::to_string(f.size());
  std::string out = header + char(254) + text;
  for (const std::string& f : files) out += f;
  return out;
}

// A white 24-bit BMP.
std::string WhiteBmp(int w, int h) {
  const int row = (w * 3 + 3) & ~3;
  const uint32_t size = 54 + static_cast<uint32_t>(row * h);
  std::string b = "BM";
  const auto le32 = [&b](uint32_t v) { b += {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  le32(size);
  le32(0);
  le32(54);
  le32(40);
  le32(static_cast<uint32_t>(w));
  le32(static_cast<uint32_t>(h));
  b += {1, 0, 24, 0};
  for (int i = 0; i < 6; ++i) le32(0);
  b += std::string(static_cast<size_t>(row * h), char(0xFF));
  return b;
}

TEST_F(Skins, BrokenSkinsBringTheStandardLookBackWithTheirMessage) {
  const SkinFile studio = ReadSkin(u"Studio");
  std::vector<std::string> files;
  for (const layout::EmbeddedFile& f : studio.embedded.Index()) {
    const auto data = *studio.embedded.Find(f.name);
    files.emplace_back(data.begin(), data.end());
  }
  const auto without = [&](SkinPart part) {
    std::vector<Text> lines;
    for (const Text& l : studio.lines)
      if (ClassifySkinItem(l) != part) lines.push_back(l);
    return lines;
  };
  // Lines without a picture item keep the pictures' order; a dropped picture goes too.
  const auto without_picture = [&](std::initializer_list<SkinPart> parts) {
    std::vector<Text> lines;
    std::vector<std::string> kept;
    size_t next = 0;
    for (const Text& l : studio.lines) {
      const bool picture = layout::GetLayoutKey(u"typ", l) == u"fim";
      if (std::find(parts.begin(), parts.end(), ClassifySkinItem(l)) != parts.end()) {
        next += picture;
        continue;
      }
      lines.push_back(l);
      if (picture) kept.push_back(files[next++]);
    }
    return Pack(lines, kept);
  };
  std::vector<Text> white_lines = {studio.lines[0], u"typfim\tlft0\ttop0\twid160\thei135\tdatbgb_white.bmp"};
  for (const Text& l : studio.lines)
    if (ClassifySkinItem(l) != SkinPart::Mask && &l != &studio.lines[0]) white_lines.push_back(l);
  std::vector<std::string> white_files = {WhiteBmp(8, 8)};
  white_files.insert(white_files.end(), files.begin() + 1, files.end());

  struct Case {
    const char16_t* name;
    std::string bytes;        // written to the "skin" folder beside the plug-in; empty for none
    const char16_t* message;  // empty: the standard look comes back without one
  };
  const Case cases[] = {
      {u"NoView", Pack(without(SkinPart::View), files), u"Control missing. (VF)"},
      {u"NoCancel", without_picture({SkinPart::Cancel, SkinPart::CancelDown, SkinPart::CancelOver}),
       u"Control missing. (Cancel)"},
      {u"BadHeader", "12\t-4" + std::string(1, char(254)) + "typcsz", u"Failed to open "},
      {u"WordsInHeader", "12\tfour" + std::string(1, char(254)) + "typcsz", u"Fel: Ladda skal 5"},
      {u"WhiteMask", Pack(white_lines, white_files), u"The skin's mask leaves no window."},
      {u"NoMask", without_picture({SkinPart::Mask}), u""},
      {u"..\\..\\Studio", "", u""},
      {u"Missing", "", u""},
  };
  const Text folder = plugin_.folder() + u"skin\\";
  CreateDirectoryW(win::W(folder), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(ToAsciiLossy(c.name));
    if (!c.bytes.empty()) WriteFileBytes(folder + c.name + u".qzb", c.bytes);
    UseSkin(c.name);
    std::optional<BoxAnswerer> box;
    if (*c.message) box.emplace(u"CanonEosPlugin", IDOK, 20000);
    Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      EXPECT_NE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_CAPTION, 0) << "the standard look";
      EXPECT_TRUE(Shown(ButtonOf(dialog, u"Take picture")));
      const win::Gdi<HRGN> region(CreateRectRgn(0, 0, 0, 0));
      EXPECT_EQ(GetWindowRgn(dialog, region.get()), ERROR) << "no region is left";
      PostKey(dialog, VK_ESCAPE);
    });
    if (box) {
      EXPECT_TRUE(box->Finish());
      EXPECT_NE(box->text().find(c.message), Text::npos) << ToAsciiLossy(box->text());
    }
  }
}

// The bounds of the first item of that part, in the skin's pixels, as the skin shows them
// turned clockwise by `turn`.
Rect PartBounds(const SkinFile& skin, SkinPart part, int turn) {
  for (const Text& line : skin.lines) {
    Text error;
    const auto item = layout::ParseLayoutItem(line, error);
    if (item && item->kind != layout::ItemKind::Skipped && ClassifySkinItem(line) == part)
      return TurnSkinRect(turn, skin.width, skin.height, item->bounds);
  }
  ADD_FAILURE() << "the skin has no such part";
  return {};
}

Picture Crop(const Picture& p, const Rect& r) {
  Picture out;
  if (r.left < 0 || r.top < 0 || r.right() > p.width || r.bottom() > p.height) return out;
  out.width = r.width;
  out.height = r.height;
  for (int y = r.top; y < r.bottom(); ++y)
    for (int x = r.left; x < r.right(); ++x) out.pixels.push_back(p.At(x, y));
  return out;
}

// The stand-in's live-view frames.
constexpr int kFrameWidth = 960, kFrameHeight = 640;

// Where the frame's corner marks are, read with room for what a skin may lay over the
// photo place: "red TL green TR" for the frame as the camera sends it.
std::string FrameMarks(const Picture& p) {
  if (p.width < 40 || p.height < 40) return "no picture";
  const int in = 4;
  const struct {
    const char* name;
    int x, y;
  } corners[] = {{"TL", in, in},
                 {"TR", p.width - 1 - in, in},
                 {"BR", p.width - 1 - in, p.height - 1 - in},
                 {"BL", in, p.height - 1 - in}};
  std::string red = "?", green = "?";
  for (const auto& c : corners) {
    const uint32_t v = p.At(c.x, c.y);
    const int r = static_cast<int>(v >> 16 & 0xFF), g = static_cast<int>(v >> 8 & 0xFF), b = static_cast<int>(v & 0xFF);
    if (r > 100 && r > 3 * g && r > 3 * b) red = c.name;
    if (g > 90 && g > 2 * r && g > 2 * b) green = c.name;
  }
  return "red " + red + " green " + green;
}

TEST_F(Skins, TheWholeFrameShowsInThePhotoPlaceAtItsProportions) {
  struct Case {
    const char16_t* skin;
    int angle;          // the view's
    int turn;           // the skin's, from its drawing
    const char* marks;  // the frame's corner marks, all four corners of it in view
  };
  const Case cases[] = {
      {u"Studio", 0, 0, "red TL green TR"},
      // Drawn for a camera on its side, the Passport skin turns so that its photo place
      // always has the view's sides, and never stands on its head.
      {u"Passport", 90, 0, "red TR green BR"},
      {u"Passport", 270, 0, "red BL green TL"},
      {u"Passport", 0, 90, "red TL green TR"},
      {u"Passport", 180, 90, "red BR green BL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToAsciiLossy(c.skin) + " " + std::to_string(c.angle));
    const SkinFile skin = ReadSkin(c.skin);
    UseSkin(c.skin, c.angle);
    // The skin turns with the view: its photo place too.
    const Rect place = PartBounds(skin, SkinPart::View, c.turn);
    const bool sideways = c.angle == 90 || c.angle == 270;
    const Rect fit = FitRect(place.width, place.height, sideways ? kFrameHeight : kFrameWidth,
                             sideways ? kFrameWidth : kFrameHeight);
    EXPECT_EQ(fit, (Rect{0, 0, place.width, place.height})) << "the shipped skins' places have the frame's sides";
    const Rect frame{place.left + fit.left, place.top + fit.top, fit.width, fit.height};
    std::string seen;
    Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      HWND panel = SkinPanel(dialog);
      ASSERT_NE(panel, nullptr);
      WaitUntil([&] { return (seen = FrameMarks(Crop(CaptureClient(panel), frame))) == c.marks; }, 5000,
                "the frame's marks at the corners of its fitted place");
      PostKey(dialog, VK_ESCAPE);
    });
    EXPECT_EQ(seen, c.marks);
  }
}

// The rows of the photo place's middle column, down to where the guide's words may
// begin, where the guide's yellow lines cross it: a line's rows count once, at its middle.
std::vector<int> YellowCrossings(const Picture& place) {
  std::vector<int> rows;
  const int x = place.width / 2;
  int run = -1;
  for (int y = 0; y <= place.height - place.height / 8; ++y) {
    bool yellow = false;
    if (y < place.height - place.height / 8) {
      const uint32_t v = place.At(x, y);
      const int r = static_cast<int>(v >> 16 & 0xFF), g = static_cast<int>(v >> 8 & 0xFF),
                b = static_cast<int>(v & 0xFF);
      yellow = r > 200 && g > 150 && g < 240 && b < 90;
    }
    if (yellow && run < 0) run = y;
    if (!yellow && run >= 0) {
      rows.push_back((run + y - 1) / 2);
      run = -1;
    }
  }
  return rows;
}

// With the camera on its side the Passport skin stands as drawn, tall, its click areas
// where its pictures are and the whole view in its photo place. Its one head mark is the
// face guide's template: its crop and head oval, in the same place whether the guide runs
// or not, where the template puts them in the view.
TEST_F(Skins, PassportStandsTallForACameraOnItsSideWithTheGuidesOvalAsItsOneHeadMark) {
  const Text models = plugin_.folder() + u"Canon_EOS_SDK_Face\\";
  CreateDirectoryW(win::W(models), nullptr);
  const Text model = Ascii(face::kModelFileName);
  WriteFileBytes(models + model, ReadFileBytes(ProgramFolder() + u"Canon_EOS_SDK_Face\\" + model));
  // A photo placed from a frame that never comes: plain grey frames, on which the
  // guide's lines stand out.
  Camera("live_view_picture = " + ToUtf8(Ascii(EOS_FACE_PHOTOS)) +
         "\\Tom_Cruise_avp_2014_4.jpg\nsubject = 0.5 0.5 0.5 0 after 1000000\n");
  const SkinFile skin = ReadSkin(u"Passport");
  ASSERT_LT(skin.width, skin.height) << "drawn tall";
  const Rect place = PartBounds(skin, SkinPart::View, 0);
  for (SkinPart part : {SkinPart::Settings, SkinPart::TakePicture, SkinPart::Cancel})
    EXPECT_GE(PartBounds(skin, part, 0).top, place.bottom()) << "the buttons below the view";

  // The template in the view of a frame on its side, scaled to the place: the crop's top
  // edge, the oval's top and bottom (the crop's bottom edge lies where the words may be).
  const face::FaceTemplate t;
  const face::Box crop = face::TemplateCrop(kFrameHeight, kFrameWidth, t);
  const double head = crop.height * (t.head_min + t.head_max) / 2, centre = crop.top + crop.height * t.centre_y;
  const double scale = static_cast<double>(place.height) / kFrameWidth;
  const std::vector<double> want = {crop.top * scale, (centre - head / 2) * scale, (centre + head / 2) * scale};

  struct Case {
    int angle;
    const char16_t* guide;  // the settings text's
  };
  for (const Case& c : {Case{90, u""}, Case{270, u""}, Case{90, u"\tFaceGuide=1"}}) {
    SCOPED_TRACE(std::to_string(c.angle) + (*c.guide ? " guided" : ""));
    UseSkin(u"Passport", c.angle, c.guide);
    std::vector<int> seen;
    const CallResult r = Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      HWND panel = SkinPanel(dialog);
      ASSERT_NE(panel, nullptr);
      WaitUntil([&] { return WindowSize(dialog).cx == skin.width && RegionMismatches(dialog, skin.mask, 0) == 0; },
                5000, "the skin as drawn");
      EXPECT_EQ(WindowSize(dialog).cy, skin.height);
      WaitUntil([&] { return (seen = YellowCrossings(Crop(CaptureClient(panel), place))).size() == want.size(); }, 5000,
                "the template's lines");
      ClickAt(panel, CentreOf(skin, SkinPart::Cancel));
    });
    EXPECT_EQ(r.result, -1) << "the cancel area cancels";
    ASSERT_EQ(seen.size(), want.size()) << testing::PrintToString(seen) << ": one crop and one oval";
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(seen[i], want[i], 3) << i;
  }
}

TEST_F(Skins, ARefusedShotShowsTheCamerasWordsInTheSkin) {
  // A skin needs live view; its frames' own green stays put, the words come on top.
  Camera("focus = fails\n");
  for (const ShippedSkin& c : kShippedSkins) {
    SCOPED_TRACE(ToAsciiLossy(c.name));
    const SkinFile skin = ReadSkin(c.name);
    UseSkin(c.name, c.angle);
    const Rect place = PartBounds(skin, SkinPart::View, 0);
    int before = -1, shown = -1, after = -1;
    Run(kCapture, u"File=" + dir_.path() + u"x.jpg", [&] {
      HWND dialog = WaitForCaptureDialog();
      ASSERT_NE(dialog, nullptr);
      HWND panel = SkinPanel(dialog);
      ASSERT_NE(panel, nullptr);
      const auto ink = [&] { return GreenInk(Crop(CaptureClient(panel), place)); };
      Sleep(500);  // live view frames
      before = ink();
      ClickAt(panel, CentreOf(skin, SkinPart::TakePicture));
      WaitUntil([&] { return (shown = ink()) > before + 3 * 400; }, 5000, "the camera's words in the photo place");
      WaitUntil([&] { return (after = ink()) < before + 400; }, 6000, "the words gone after their two seconds");
      PostKey(dialog, VK_ESCAPE);
    });
    EXPECT_GT(shown, before + 3 * 400) << "words, far more ink than the frame's own green";
    EXPECT_LT(after, before + 400);
  }
}

TEST_F(Skins, TheHostsRestrictionsHoldInTheSkin) {
  struct Case {
    const char* name;
    const char16_t* capabilities;  // command 6
    const char16_t* input;         // added to the capture's text
    SkinPart part;                 // the area that must be inert and its picture not drawn
  };
  const Case cases[] = {
      {"HideSettings", u"", u"\tHideSettings=1", SkinPart::Settings},
      {"CanSettings=0", u"CanSettings=0", u"", SkinPart::Settings},
      {"HideTakePicture", u"", u"\tHideTakePicture=1", SkinPart::TakePicture},
  };
  const SkinFile skin = ReadSkin(u"Studio");
  UseSkin(u"Studio");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Rect area = PartBounds(skin, c.part, 0);
    // What the skin draws there with nothing forbidden, then with the restriction.
    const auto shown = [&](const Text& capabilities, const Text& input, bool click) {
      Picture seen;
      EXPECT_EQ(plugin_.Call(6, capabilities).result, 0);
      Run(kCapture, u"File=" + dir_.path() + u"x.jpg" + input, [&] {
        HWND dialog = WaitForCaptureDialog();
        ASSERT_NE(dialog, nullptr);
        HWND panel = SkinPanel(dialog);
        ASSERT_NE(panel, nullptr);
        Sleep(300);
        seen = Crop(CaptureClient(panel), area);
        if (click) {
          ClickAt(panel, CentreOf(skin, c.part));
          Sleep(500);
          EXPECT_EQ(WaitForDialog(u"Inställningar", 0), nullptr) << "no settings dialog opens";
          EXPECT_TRUE(IsWindowVisible(dialog)) << "no picture taken: the dialog stays";
        }
        PostKey(dialog, VK_ESCAPE);
        EXPECT_TRUE(WaitGone(dialog));
      });
      return seen;
    };
    ClearTrace();
    const Picture allowed = shown(u"", u"", false);
    const Picture restricted = shown(c.capabilities, c.input, true);
    EXPECT_EQ(Shots(), 0);
    EXPECT_FALSE(restricted.pixels.empty());
    EXPECT_NE(allowed.pixels, restricted.pixels) << "the button's picture is not drawn";
  }
  EXPECT_EQ(plugin_.Call(6, u"").result, 0);
}

TEST_F(Skins, EnterEscapeAndTheAutomaticReleaseWorkInASkin) {
  UseSkin(u"Passport");
  const Text entered = dir_.path() + u"entered.jpg";
  // Enter takes the picture even with the take-picture button hidden.
  const CallResult by_enter = Run(kCapture, u"File=" + entered + u"\tHideTakePicture=1", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PostKey(dialog, VK_RETURN);
    EXPECT_TRUE(WaitGone(dialog));
  });
  ExpectPictureAnswer(by_enter, entered);
  const CallResult by_escape = Run(kCapture, u"File=" + dir_.path() + u"escaped.jpg", [&] {
    HWND dialog = WaitForCaptureDialog();
    ASSERT_NE(dialog, nullptr);
    PostKey(dialog, VK_ESCAPE);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(by_escape.result, -1);
  EXPECT_EQ(by_escape.text, dir_.path() + u"escaped.jpg");
  const Text automatic = dir_.path() + u"auto.jpg";
  const CallResult by_itself = Run(kCaptureAuto, u"File=" + automatic, [] { WaitGone(WaitForCaptureDialog()); });
  ExpectPictureAnswer(by_itself, automatic);
  ExpectBooksBalanced();
}

}  // namespace
}  // namespace eos::test
