// Where the rotating image control draws: image rectangles and the clip polygon.
#include <gtest/gtest.h>

#include <climits>

#include "imaging/core/image_rect.h"

namespace eos::imaging {
namespace {

TEST(MulDiv, RoundsHalfAwayFromZeroAndAnswersMinusOneWhenItCannot) {
  EXPECT_EQ(MulDiv(5, 1, 2), 3);
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, -1, 2), -3);
  EXPECT_EQ(MulDiv(7, 3, 4), 5);  // 5.25
  EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1);
}

TEST(DiagonalSize, IsTheRoundedDiagonal) {
  EXPECT_EQ(DiagonalSize(300, 400), 500);
  EXPECT_EQ(DiagonalSize(1, 1), 1);
  EXPECT_EQ(DiagonalSize(100, 100), 141);
  EXPECT_EQ(DiagonalSize(0, 0), 0);
}

TEST(ComputeImageRect, LayoutsOfTheOptions) {
  struct Case {
    const char* what;
    ImageOptions options;
    int client_w, client_h, turned_w, turned_h, max_size;
    EdgeRect expected;
  } cases[] = {
      {"capture dialog: stretched over the client whatever the ratio",
       {true, false, false, false},
       608,
       405,
       640,
       960,
       1154,
       {0, 0, 608, 405}},
      {"plain: own size at the top left", {false, false, false, false}, 200, 200, 100, 50, 112, {0, 0, 100, 50}},
      {"proportional, smaller than the client: own size",
       {false, true, false, false},
       200,
       200,
       100,
       50,
       112,
       {0, 0, 100, 50}},
      {"centred", {false, true, true, false}, 200, 200, 100, 50, 112, {50, 75, 150, 125}},
      {"proportional, too wide: fits the width", {false, true, false, false}, 200, 100, 400, 100, 412, {0, 0, 200, 50}},
      {"stretched proportionally, tall: fits the height",
       {true, true, true, false},
       200,
       100,
       100,
       400,
       412,
       {87, 0, 112, 100}},
      {"unique size: the picture inside its diagonal square",
       {false, false, false, true},
       500,
       500,
       300,
       400,
       500,
       {100, 50, 400, 450}},
      {"unique size stretched: the square scaled to the client",
       {true, false, false, true},
       250,
       250,
       300,
       400,
       500,
       {50, 25, 200, 225}},
      {"unique size turned: the square stays, the picture turns in it",
       {true, false, false, true},
       250,
       250,
       400,
       300,
       500,
       {25, 50, 225, 200}},
      {"no picture, stretched: the whole client", {true, true, true, true}, 100, 100, 0, 0, 0, {0, 0, 100, 100}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ComputeImageRect(c.options, c.client_w, c.client_h, c.turned_w, c.turned_h, c.max_size), c.expected)
        << c.what;
}

TEST(ImageCorners, QuarterTurnsGiveTheImageRectangleAndFortyFiveADiamond) {
  const EdgeRect r{5, 5, 105, 55};
  const Point origin{10, 20};
  using Corners = std::array<Point, 4>;
  EXPECT_EQ(ImageCorners(100, 50, 100, 50, 0, r, origin), (Corners{{{15, 25}, {115, 25}, {115, 75}, {15, 75}}}));
  // Counter-clockwise: the top-left corner goes to the bottom left.
  EXPECT_EQ(ImageCorners(50, 100, 100, 50, 90, r, origin), (Corners{{{15, 75}, {15, 25}, {115, 25}, {115, 75}}}));
  EXPECT_EQ(ImageCorners(100, 50, 100, 50, 180, r, origin), (Corners{{{115, 75}, {15, 75}, {15, 25}, {115, 25}}}));
  // Drawn at twice its size, the 100 x 100 picture's turned corners sit at the middles
  // of the 282 x 282 rectangle's sides.
  EXPECT_EQ(ImageCorners(100, 100, 141, 141, 45, {0, 0, 282, 282}, {0, 0}),
            (Corners{{{0, 141}, {141, 0}, {282, 141}, {141, 282}}}));
}

}  // namespace
}  // namespace eos::imaging
