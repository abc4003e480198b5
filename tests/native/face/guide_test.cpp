#include "face/guide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <string>

namespace eos::face {
namespace {

// A portrait view, as from a camera turned by 90 degrees: the 35 x 45 crop spans its
// width (320 x 411.4) and sits 34.3 pixels from the top.
constexpr double kViewWidth = 320;
constexpr double kViewHeight = 480;
const Box kCrop = TemplateCrop(kViewWidth, kViewHeight, FaceTemplate{});

// A face whose estimated head has its centre at (x, y) in fractions of the crop and the
// given height in fractions of the crop's height, rolled clockwise by `roll` degrees.
Face FaceAt(double x, double y, double head, double roll = 0) {
  const PointF centre{kCrop.left + x * kCrop.width, kCrop.top + y * kCrop.height};
  const double eyes = head * kCrop.height / kHeadPerEyeDistance;
  const double angle = roll * std::numbers::pi / 180;
  const PointF half{std::cos(angle) * eyes / 2, std::sin(angle) * eyes / 2};
  const double side = eyes * 2.5;
  const PointF left{centre.x - half.x, centre.y - half.y}, right{centre.x + half.x, centre.y + half.y};
  return {{centre.x - side / 2, centre.y - side * 0.3, side, side}, EyeBox(left, right), {left, right}};
}

ViewFaces View(std::vector<Face> faces) { return {kViewWidth, kViewHeight, 80, std::move(faces)}; }

TEST(Guide, TheCropIsTheLargestOfItsProportionsCentred) {
  EXPECT_NEAR(kCrop.width, 320, 1e-9);
  EXPECT_NEAR(kCrop.height, 320 * 45.0 / 35, 1e-9);
  EXPECT_NEAR(kCrop.top, (480 - 320 * 45.0 / 35) / 2, 1e-9);
  const Box landscape = TemplateCrop(480, 320, FaceTemplate{});
  EXPECT_NEAR(landscape.height, 320, 1e-9);
  EXPECT_NEAR(landscape.width, 320 * 35.0 / 45, 1e-9);
  EXPECT_NEAR(landscape.left, (480 - 320 * 35.0 / 45) / 2, 1e-9);
}

TEST(Guide, OneStatePerFraming) {
  // Below the 80-pixel window.
  const Face small_face{{150, 200, 79, 79}, EyeBox({170, 220}, {200, 220}), {{170, 220}, {200, 220}}};
  const Face mirrored_eyes = [] {
    Face f = FaceAt(0.5, 0.45, 0.75, 3);
    std::swap(f.eyes[0], f.eyes[1]);
    return f;
  }();
  const struct {
    const char* name;
    std::vector<Face> faces;
    Guidance expected;
  } cases[] = {
      {"none", {}, Guidance::kNoFace},
      {"only one below the window", {small_face}, Guidance::kNoFace},
      {"two", {FaceAt(0.3, 0.45, 0.4), FaceAt(0.7, 0.45, 0.4)}, Guidance::kManyFaces},
      {"one and one below the window", {FaceAt(0.5, 0.45, 0.75), small_face}, Guidance::kFramed},
      {"centred at the template's size", {FaceAt(0.5, 0.45, 0.75)}, Guidance::kFramed},
      {"at the band's lower edge", {FaceAt(0.5, 0.45, 0.705)}, Guidance::kFramed},
      {"at the band's upper edge", {FaceAt(0.5, 0.45, 0.795)}, Guidance::kFramed},
      {"below the band", {FaceAt(0.5, 0.45, 0.6)}, Guidance::kMoveCloser},
      {"above the band", {FaceAt(0.5, 0.45, 0.9)}, Guidance::kMoveFarther},
      {"small and off centre: size first", {FaceAt(0.2, 0.45, 0.3)}, Guidance::kMoveCloser},
      {"right of centre", {FaceAt(0.6, 0.45, 0.75)}, Guidance::kMoveLeft},
      {"left of centre", {FaceAt(0.4, 0.45, 0.75)}, Guidance::kMoveRight},
      {"low", {FaceAt(0.5, 0.55, 0.75)}, Guidance::kMoveUp},
      {"high", {FaceAt(0.5, 0.35, 0.75)}, Guidance::kMoveDown},
      {"just within the tolerance", {FaceAt(0.54, 0.49, 0.75)}, Guidance::kFramed},
      {"off centre and rolled: position first", {FaceAt(0.6, 0.45, 0.75, 15)}, Guidance::kMoveLeft},
      {"rolled clockwise by 15 degrees", {FaceAt(0.5, 0.45, 0.75, 15)}, Guidance::kLevelHead},
      {"rolled anticlockwise by 15 degrees", {FaceAt(0.5, 0.45, 0.75, -15)}, Guidance::kLevelHead},
      {"rolled by 4 degrees", {FaceAt(0.5, 0.45, 0.75, 4)}, Guidance::kFramed},
      {"eyes in the other order (a mirrored view)", {mirrored_eyes}, Guidance::kFramed},
  };
  for (const auto& c : cases) EXPECT_EQ(Guide(View(c.faces), FaceTemplate{}), c.expected) << c.name;
}

TEST(Guide, TheTemplateDecides) {
  FaceTemplate loose;
  loose.head_min = 0.5;
  loose.centre_tolerance = 0.2;
  loose.max_roll_degrees = 20;
  EXPECT_EQ(Guide(View({FaceAt(0.6, 0.5, 0.6, 15)}), loose), Guidance::kFramed);
  FaceTemplate low;
  low.centre_y = 0.6;
  EXPECT_EQ(Guide(View({FaceAt(0.5, 0.6, 0.75)}), low), Guidance::kFramed);
  EXPECT_EQ(Guide(View({FaceAt(0.5, 0.45, 0.75)}), low), Guidance::kMoveDown);
}

TEST(Guide, EveryStateHasItsOwnText) {
  std::set<std::string> texts;
  for (int s = static_cast<int>(Guidance::kNoFace); s <= static_cast<int>(Guidance::kFramed); ++s) {
    const std::string text(GuidanceText(static_cast<Guidance>(s)));
    EXPECT_FALSE(text.empty()) << s;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 10u);
  EXPECT_EQ(GuidanceText(Guidance::kMoveCloser), "Move closer");
}

// A frame from a camera turned by 90 degrees: the guide sees the face upright in a
// portrait view.
TEST(Guide, FramesAreSeenAsShown) {
  FrameFaces frame;
  frame.width = 480;
  frame.height = 320;
  frame.shown = {90, true};
  frame.min_face = 80;
  const Face upright = FaceAt(0.5, 0.45, 0.75);
  frame.faces.push_back(FromShown(upright, 480, 320, frame.shown));
  const ViewFaces view = InView(frame);
  EXPECT_EQ(view.width, 320);
  EXPECT_EQ(view.height, 480);
  EXPECT_EQ(view.min_face, 80);
  ASSERT_EQ(view.faces.size(), 1u);
  EXPECT_NEAR(view.faces[0].eyes[0].x, upright.eyes[0].x, 1e-9);
  EXPECT_NEAR(view.faces[0].eyes[1].y, upright.eyes[1].y, 1e-9);
  EXPECT_EQ(Guide(view, FaceTemplate{}), Guidance::kFramed);
  // Shown as it came, the frame has the face on its side.
  frame.shown = {0, false};
  EXPECT_NE(Guide(InView(frame), FaceTemplate{}), Guidance::kFramed);
}

}  // namespace
}  // namespace eos::face
