// Turning by any angle in 16.16 fixed point: sizes, exact quarter turns, corners, refusals.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "imaging/core/rotation.h"
#include "tests/native/imaging/fixtures.h"

namespace eos::imaging {
namespace {

using test::FromLetters;
using test::ToLetters;

constexpr Pixel kBackground = MakePixel(255, 255, 255);  // 'g'

TEST(BuildRotated, QuarterAndWholeTurnsOfSixPixels) {
  // Positive angles turn counter-clockwise: the right edge becomes the top. 270 is the
  // same turn as -90 and must not shift the picture by a pixel.
  const struct {
    double angle;
    std::vector<std::string> expected;
  } cases[] = {
      {0, {"abc", "def"}},       {360, {"abc", "def"}},      {-720, {"abc", "def"}},
      {90, {"cf", "be", "ad"}},  {-270, {"cf", "be", "ad"}}, {-90, {"da", "eb", "fc"}},
      {270, {"da", "eb", "fc"}}, {180, {"fed", "cba"}},      {-180, {"fed", "cba"}},
  };
  const Pixels src = FromLetters({"abc", "def"});
  for (const auto& c : cases) EXPECT_EQ(ToLetters(BuildRotated(src, kBackground, c.angle)), c.expected) << c.angle;
}

TEST(BuildRotated, QuarterTurnsUseEverySourcePixelOnceAtEvenAndOddSizes) {
  for (const auto& [w, h] : {std::pair{6, 4}, std::pair{5, 3}, std::pair{4, 7}, std::pair{1, 1}})
    for (double angle : {90.0, -90.0, 180.0, -180.0, 270.0, -270.0}) {
      const Pixels src = test::Numbered(w, h);
      const Pixels out = BuildRotated(src, 0, angle);
      const bool sideways = angle == 90 || angle == -90 || angle == 270 || angle == -270;
      EXPECT_EQ(out.width, sideways ? h : w);
      EXPECT_EQ(out.height, sideways ? w : h);
      const std::set<Pixel> values(out.data.begin(), out.data.end());
      EXPECT_EQ(values.size(), out.data.size()) << w << "x" << h << " at " << angle;
      EXPECT_FALSE(values.count(0)) << w << "x" << h << " at " << angle;
    }
}

TEST(BuildRotated, FortyFiveDegreesFillsTheBoundingBoxWithCornerTriangles) {
  Pixels src;
  src.Resize(100, 100);
  for (Pixel& p : src.data) p = MakePixel(20, 200, 20);
  const Pixels out = BuildRotated(src, kBackground, 45);
  ASSERT_EQ(out.width, 141);  // (46340 * 100 + 46340 * 100) >> 16
  ASSERT_EQ(out.height, 141);
  int covered = 0;
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      // Inside the diamond |x - c| + |y - c| <= 70 the picture, outside the background;
      // a pixel's slack on the diamond's edge.
      const int d = std::abs(x - 70) + std::abs(y - 70);
      const Pixel p = out.at(x, y);
      if (d < 69) EXPECT_EQ(p, src.data[0]) << x << "," << y;
      if (d > 71) EXPECT_EQ(p, kBackground) << x << "," << y;
      covered += p != kBackground;
    }
  EXPECT_NEAR(covered, 10000, 300);

  // The six-pixel picture: a 3 x 3 box (the integer part of 3.54) around the centre
  // pixel 'b', three corners uncovered.
  EXPECT_EQ(ToLetters(BuildRotated(FromLetters({"abc", "def"}), kBackground, 45)),
            (std::vector<std::string>{"gbc", "abe", "gdg"}));
}

TEST(PlanRotation, RefusesSizesWhoseArithmeticWouldOverflow) {
  EXPECT_FALSE(PlanRotation(32768, 1, 90));
  EXPECT_TRUE(PlanRotation(32767, 1, 90));
  EXPECT_FALSE(PlanRotation(46341, 1, 45));  // width plus height 46342
  EXPECT_TRUE(PlanRotation(1000, 1000, 45));
  EXPECT_FALSE(PlanRotation(30000, 20000, 0));  // 2.4 GB of pixels
  EXPECT_THROW(BuildRotated(Pixels{32768, 1, std::vector<Pixel>(32768)}, 0, 90), std::overflow_error);
}

TEST(RotatedPoint, LandsWhereBuildRotatedPutsThePixel) {
  const Pixels src = test::Numbered(6, 4);
  for (double angle : {0.0, 90.0, -90.0, 180.0, -180.0, 270.0, -270.0}) {
    const Pixels out = BuildRotated(src, 0, angle);
    for (int y = 0; y < src.height; ++y)
      for (int x = 0; x < src.width; ++x) {
        const Point p = RotatedPoint({x, y}, src.width, src.height, out.width, out.height, angle);
        ASSERT_TRUE(p.x >= 0 && p.x < out.width && p.y >= 0 && p.y < out.height) << angle << ": " << x << "," << y;
        EXPECT_EQ(out.at(p.x, p.y), src.at(x, y)) << angle << ": " << x << "," << y;
      }
  }
  // Counter-clockwise: the top-right pixel of a 6 x 4 picture at 90 degrees is top-left.
  EXPECT_EQ(RotatedPoint({5, 0}, 6, 4, 4, 6, 90), (Point{0, 0}));
}

}  // namespace
}  // namespace eos::imaging
