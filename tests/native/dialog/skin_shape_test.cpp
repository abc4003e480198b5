// The skin's pure logic as tables: item recognition, the quarter turns of item bounds,
// the mask's colour classes and region runs, skin names and the module list.
#include "dialog/core/skin_shape.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

TEST(SkinShape, ItemsAreRecognisedByTheFirstRuleTheirLineMatches) {
  struct Case {
    const char16_t* line;
    SkinPart part;
  };
  const Case cases[] = {
      {u"typfim\tlft0\tdatbgb_studio.png", SkinPart::Mask},
      {u"typfim\tdatBGB_Mask.PNG", SkinPart::Mask},
      {u"datbgb_first.png\ttypfim", SkinPart::DragArea},  // no TAB before "dat"
      {u"typpho\tlft5\twid10", SkinPart::View},
      {u"typPHO\twid10", SkinPart::View},
      {u"wid10\ttyppho", SkinPart::DragArea},  // no TAB after the type
      {u"typfim\tdatTakePicture.png", SkinPart::TakePicture},
      {u"typfim\tdattakepicture_down.jpg", SkinPart::TakePictureDown},
      {u"typfim\tdattakepicture_over.bmp", SkinPart::TakePictureOver},
      {u"typfim\tdatsettings.png", SkinPart::Settings},
      {u"typfim\tdatsettings_down.png", SkinPart::SettingsDown},
      {u"typfim\tdatsettings_over.png", SkinPart::SettingsOver},
      {u"typfim\tdatcancel.png", SkinPart::Cancel},
      {u"typfim\tdatcancel_down.png", SkinPart::CancelDown},
      {u"typfim\tdatcancel_over.png", SkinPart::CancelOver},
      {u"typdtx\tdatTakePicture[DB]", SkinPart::DragArea},
      {u"typdtx\tdatCancel[DB]", SkinPart::DragArea},
      {u"typfim\tdatbgb_takepicture.png", SkinPart::Mask},  // the mask rule comes first
      {u"typftx\tdatHello", SkinPart::DragArea},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifySkinItem(c.line), c.part) << ToAsciiLossy(c.line);
}

TEST(SkinShape, ItemsTurnClockwiseWithTheWholeArea) {
  struct Case {
    int delta;
    Rect want;
  };
  // An item at (10, 20), 30 x 40, of a 400 x 300 skin.
  const Rect item{10, 20, 30, 40};
  const Case cases[] = {
      {0, item},
      {90, {300 - 20 - 40, 10, 40, 30}},
      {180, {400 - 10 - 30, 300 - 20 - 40, 30, 40}},
      {270, {20, 400 - 10 - 30, 40, 30}},
      {45, item},
  };
  for (const Case& c : cases) EXPECT_EQ(TurnSkinRect(c.delta, 400, 300, item), c.want) << c.delta;
  // The whole area turns onto itself: 90 then (with the sides exchanged) 270 gives it back.
  const Rect turned = TurnSkinRect(90, 400, 300, item);
  EXPECT_EQ(TurnSkinRect(270, 300, 400, turned), item);
  EXPECT_EQ(TurnSkinRect(90, 400, 300, {0, 0, 400, 300}), (Rect{0, 0, 300, 400}));
}

TEST(SkinShape, TurnsAreTakenFromTheSkinsAngle) {
  struct Case {
    int angle, skin, want;
  };
  const Case cases[] = {{0, 0, 0}, {90, 0, 90}, {0, 90, 270}, {270, 90, 180}, {180, 270, 270}, {450, 0, 90}};
  for (const Case& c : cases) EXPECT_EQ(SkinTurn(c.angle, c.skin), c.want) << c.angle << " " << c.skin;
}

TEST(SkinShape, ASkinTurnsWithTheViewAndOneDrawnForACameraOnItsSideStaysUpright) {
  struct Case {
    const char16_t* page;  // the page line
    int view;              // the view's angle
    int want;              // the skin's
  };
  const Case cases[] = {
      // Without the key, and with one that is no quarter turn, the skin takes the view's angle.
      {u"typcsz\twid160\thei135", 0, 0},
      {u"typcsz\twid160\thei135", 90, 90},
      {u"typcsz\twid160\thei135", 180, 180},
      {u"typcsz\twid160\thei135", 270, 270},
      {u"typcsz\twid160\thei135", -90, 270},
      {u"typcsz\twid160\thei135\tupr45", 180, 180},
      {u"typcsz\twid160\thei135\tupr", 270, 270},
      {u"typcsz\twid160\thei135\tUPR90", 270, 270},  // keys are case-sensitive
      // Drawn for a camera on its side: upright as drawn at 90 and 270, a quarter turn
      // over at 0 and 180, so that its photo place always has the view's sides.
      {u"typcsz\twid112\thei180\tupr90", 90, 0},
      {u"typcsz\twid112\thei180\tupr90", 270, 0},
      {u"typcsz\twid112\thei180\tupr90", 0, 90},
      {u"typcsz\twid112\thei180\tupr90", 180, 90},
      {u"typcsz\tupr270\twid112\thei180", 90, 0},
      // Drawn level: it never stands on its head either.
      {u"typcsz\twid160\thei135\tupr0", 180, 0},
      {u"typcsz\twid160\thei135\tupr0", 270, 90},
      {u"typcsz\twid160\thei135\tupr180", 90, 90},
  };
  for (const Case& c : cases) EXPECT_EQ(SkinAngle(c.view, c.page), c.want) << ToAsciiLossy(c.page) << " " << c.view;
}

TEST(SkinShape, APhotoPlaceAsksForTheIdTemplateByItsKey) {
  struct Case {
    const char16_t* line;
    bool want;
  };
  const Case cases[] = {
      {u"typpho\tlft8\ttop14\twid96\thei144\ttpl1", true},
      {u"typpho\ttpl1\tlft8", true},
      {u"typpho\tlft8\ttop14\twid96\thei144", false},
      {u"typpho\tlft8\ttpl0", false},
      {u"typpho\tlft8\ttpl", false},
      {u"typpho\tlft8\tdattpl1", false},  // a value, not the key
  };
  for (const Case& c : cases) EXPECT_EQ(ShowsIdTemplate(c.line), c.want) << ToAsciiLossy(c.line);
}

TEST(SkinShape, MaskPixelClasses) {
  struct Case {
    uint8_t r, g, b;
    MaskClass want;
  };
  const Case cases[] = {
      {150, 150, 150, MaskClass::White}, {146, 255, 255, MaskClass::Other}, {255, 255, 255, MaskClass::White},
      {148, 148, 148, MaskClass::White}, {147, 255, 255, MaskClass::Other}, {255, 200, 200, MaskClass::White},
      {255, 200, 147, MaskClass::Red},   {255, 201, 0, MaskClass::Other},   {108, 108, 148, MaskClass::Blue},
      {109, 0, 255, MaskClass::Other},   {0, 148, 108, MaskClass::Green},   {0, 0, 0, MaskClass::Other},
      {60, 70, 90, MaskClass::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyMaskPixel(c.r, c.g, c.b), c.want) << int(c.r) << "," << int(c.g);
}

constexpr uint32_t W = 0xFFFFFFFF, K = 0xFF000000, R = 0xFFFF0000, C = 0x00000000;  // C: transparent

TEST(SkinShape, RegionRunsAreTheRowsPiecesThatAreNotWhite) {
  struct Case {
    const char* what;
    std::vector<uint32_t> pixels;
    int width, height, out_width, out_height;
    std::optional<std::vector<MaskRun>> want;
  };
  const Case cases[] = {
      {"runs end at a class change and at the row's end",
       {W, K, K, R, W, K, W, W, W, K},
       5,
       2,
       5,
       2,
       std::vector<MaskRun>{{0, 1, 3}, {0, 3, 4}, {1, 0, 1}, {1, 4, 5}}},
      {"all white: no window left", {W, W, W, W}, 2, 2, 2, 2, std::vector<MaskRun>{}},
      {"transparency is white", {C, K}, 2, 1, 2, 1, std::vector<MaskRun>{{0, 1, 2}}},
      {"1 x 1 stretched to the item", {K}, 1, 1, 3, 2, std::vector<MaskRun>{{0, 0, 3}, {1, 0, 3}}},
      {"stretched by half", {K, W}, 2, 1, 4, 1, std::vector<MaskRun>{{0, 0, 2}}},
      {"pixels that do not fill the size", {K, K, K}, 2, 2, 2, 2, std::nullopt},
      {"no size", {}, 0, 0, 2, 2, std::nullopt},
      {"no target size", {K}, 1, 1, 0, 5, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MaskRuns(c.pixels, c.width, c.height, c.out_width, c.out_height), c.want) << c.what;
}

TEST(SkinShape, SkinNamesAreBareFileNames) {
  struct Case {
    const char16_t* name;
    bool ok;
  };
  const Case cases[] = {
      {u"Studio", true},
      {u"Passport 2", true},
      {u"..\\..\\something", false},
      {u"..", false},
      {u"a/b", false},
      {u"C:x", false},
      {u"\\\\server\\share", false},
      {u"", false},
      {u"name.", false},
      {u"tab\tname", false},
      {u"wild*", false},
      {u".hidden", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSkinName(c.name), c.ok) << ToAsciiLossy(c.name);
}

TEST(SkinShape, ModuleListNamesEachModuleWithItsVersion) {
  struct Case {
    const char16_t* versions;
    const char16_t* want;
  };
  const Case cases[] = {
      {u"ModuleName=EDSDK.dll\tVersion=3, 6, 1\r\nModuleName=EdsImage.dll\tVersion=3,6",
       u"EDSDK.dll: 3.6.1, EdsImage.dll: 3.6"},
      {u"2.14.0.0", u"2.14.0.0"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(SkinModuleList(c.versions), c.want) << ToAsciiLossy(c.versions);
}

TEST(SkinShape, TheWholeLiveViewFitsInThePhotoPlaceKeepingItsProportions) {
  struct Case {
    int place_w, place_h, frame_w, frame_h;
    Rect want;
  };
  const Case cases[] = {
      {420, 560, 600, 400, {0, 140, 420, 280}},  // a landscape frame in a portrait place: bars above and below
      {420, 560, 400, 600, {23, 0, 373, 560}},   // a camera turned to portrait: narrow bars at the sides
      {600, 400, 600, 400, {0, 0, 600, 400}},   {600, 400, 400, 600, {166, 0, 267, 400}},
      {600, 400, 0, 0, {0, 0, 600, 400}},  // no frame size yet
      {1, 1, 60000, 40000, {0, 0, 1, 1}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitRect(c.place_w, c.place_h, c.frame_w, c.frame_h), c.want) << c.place_w << "x" << c.place_h;
}

}  // namespace
}  // namespace eos
