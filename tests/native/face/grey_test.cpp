#include "face/grey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "face/face.h"
#include "imaging/core/pixels.h"
#include "imaging/core/resample.h"

namespace eos::face {
namespace {

const Orientation kOrientations[] = {{0, false}, {90, false}, {180, false}, {270, false},
                                     {0, true},  {90, true},  {180, true},  {270, true}};

std::string Name(Orientation o) { return std::to_string(o.angle_cw) + (o.mirror ? " mirrored" : ""); }

// Every sample different, in rows padded beyond the width.
struct Numbered {
  Numbered(int w, int h, size_t row_bytes) : width(w), height(h), stride(row_bytes), samples(row_bytes * h, 0xEE) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) samples[y * row_bytes + x] = static_cast<uint8_t>(1 + y * w + x);
  }
  GreyView view() const { return {width, height, stride, samples.data()}; }
  int width, height;
  size_t stride;
  std::vector<uint8_t> samples;
};

TEST(Reduction, FactorBringsTheLongSideNearest) {
  const struct {
    int width, height, long_side, factor;
  } cases[] = {
      {640, 480, 480, 1},  {480, 640, 480, 1},   {719, 480, 480, 1}, {720, 480, 480, 2},    {960, 640, 480, 2},
      {1024, 680, 480, 2}, {1920, 1280, 480, 4}, {300, 200, 480, 1}, {6000, 4000, 480, 13}, {960, 640, 0, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReductionFactor(c.width, c.height, c.long_side), c.factor) << c.width << "x" << c.height;
}

TEST(Reduction, MeansOfWholeBlocks) {
  const std::vector<uint8_t> rows = {
      0,   2,   10, 20, 99, 7,  //
      4,   5,   30, 41, 99, 7,  //
      200, 201, 0,  0,  99, 7,  //
  };
  const GreyView src{5, 3, 6, rows.data()};
  GreyImage out;
  Reduce(src, 2, out);
  ASSERT_EQ(out.width, 2);
  ASSERT_EQ(out.height, 1);
  EXPECT_EQ(out.data, (std::vector<uint8_t>{3, 25}));  // 11/4 rounds up, 101/4 down
  Reduce(src, 1, out);
  EXPECT_EQ(out.data, (std::vector<uint8_t>{0, 2, 10, 20, 99, 4, 5, 30, 41, 99, 200, 201, 0, 0, 99}));
}

// The turns and mirrors give what the live view's own resampler shows at the same size.
TEST(Orientation, ShowsLikeTheLiveView) {
  const Numbered src(5, 3, 8);
  imaging::Pixels colour;
  colour.Resize(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint8_t v = src.view().row(y)[x];
      colour.at(x, y) = imaging::MakePixel(v, v, v);
    }
  imaging::Resampler resampler(imaging::Kernel::kPortable);
  for (const Orientation o : kOrientations) {
    GreyImage shown;
    Orient(src.view(), o, shown);
    const bool sideways = o.angle_cw % 180 != 0;
    imaging::Pixels expected;
    resampler.Run(colour, sideways ? 3 : 5, sideways ? 5 : 3, o.angle_cw, o.mirror, expected);
    ASSERT_EQ(shown.width, expected.width) << Name(o);
    ASSERT_EQ(shown.height, expected.height) << Name(o);
    for (int y = 0; y < shown.height; ++y)
      for (int x = 0; x < shown.width; ++x)
        EXPECT_EQ(shown.at(x, y), expected.at(x, y) & 0xFF) << Name(o) << " at " << x << "," << y;
  }
}

// A pixel's centre is mapped onto the centre of the pixel it becomes, and back.
TEST(Orientation, PointsFollowThePixels) {
  const Numbered src(5, 3, 5);
  for (const Orientation o : kOrientations) {
    GreyImage shown;
    Orient(src.view(), o, shown);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const PointF p = ToShown(PointF{x + 0.5, y + 0.5}, 5, 3, o);
        EXPECT_EQ(shown.at(static_cast<int>(p.x), static_cast<int>(p.y)), src.view().row(y)[x]) << Name(o);
        EXPECT_EQ(FromShown(p, 5, 3, o), (PointF{x + 0.5, y + 0.5})) << Name(o);
      }
    const PointF off{1.25, 2.75};
    const PointF back = FromShown(ToShown(off, 5, 3, o), 5, 3, o);
    EXPECT_DOUBLE_EQ(back.x, off.x) << Name(o);
    EXPECT_DOUBLE_EQ(back.y, off.y) << Name(o);
  }
}

TEST(Orientation, FacesKeepTheirSizeAndEyeOrder) {
  const Face face{{10, 20, 30, 40}, {12, 18, 26, 26}, {{15, 30}, {35, 32}}};
  for (const Orientation o : kOrientations) {
    const Face shown = ToShown(face, 100, 60, o);
    const bool sideways = o.angle_cw % 180 != 0;
    EXPECT_DOUBLE_EQ(shown.box.width, sideways ? 40 : 30) << Name(o);
    EXPECT_DOUBLE_EQ(shown.box.height, sideways ? 30 : 40) << Name(o);
    EXPECT_DOUBLE_EQ(shown.eye_box.width, 26) << Name(o);
    EXPECT_EQ(shown.eyes[0], ToShown(face.eyes[0], 100, 60, o)) << Name(o);
    EXPECT_EQ(shown.eyes[1], ToShown(face.eyes[1], 100, 60, o)) << Name(o);
    EXPECT_EQ(FromShown(shown, 100, 60, o), face) << Name(o);
  }
  EXPECT_EQ(ToShown(face, 100, 60, {90, false}).box, (Box{0, 10, 40, 30}));
  EXPECT_EQ(ToShown(face, 100, 60, {0, true}).box, (Box{60, 20, 30, 40}));
  // Eyes 39 apart: a 100-pixel box, centred across between them, the eye line 30 down.
  EXPECT_EQ(EyeBox({10, 30}, {49, 30}), (Box{-20.5, 0, 100, 100}));
  EXPECT_EQ(ToShown(face, 100, 60, {90, false}).eye_box, (Box{16, 12, 26, 26}));
  EXPECT_EQ(Scaled(face, 2), (Face{{20, 40, 60, 80}, {24, 36, 52, 52}, {{30, 60}, {70, 64}}}));
}

}  // namespace
}  // namespace eos::face
