// The fused scale-turn-mirror pass and the live view's frame path built on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/live_view.h"
#include "imaging/core/resample.h"
#include "simulator/core/jpeg.h"
#include "tests/native/imaging/fixtures.h"

namespace eos::imaging {
namespace {

using test::FromLetters;
using test::ToLetters;

const std::vector<std::string> kSix = {"abc", "def"};

struct Turn {
  int angle;  // clockwise, as the viewer sees it
  bool mirror;
  std::vector<std::string> expected;
};

// Worked out by hand: a clockwise quarter turn puts the left column on top, read
// bottom to top; the mirror is left to right on screen at every angle.
const Turn kTurns[] = {
    {0, false, {"abc", "def"}},       {0, true, {"cba", "fed"}},       {90, false, {"da", "eb", "fc"}},
    {90, true, {"ad", "be", "cf"}},   {180, false, {"fed", "cba"}},    {180, true, {"def", "abc"}},
    {270, false, {"cf", "be", "ad"}}, {270, true, {"fc", "eb", "da"}},
};

TEST(Resampler, QuarterTurnsAndMirrorsAtTheTurnedSizeMoveEveryPixelExactly) {
  const Pixels src = FromLetters(kSix);
  for (const Turn& t : kTurns) {
    Pixels out;
    const int w = static_cast<int>(t.expected[0].size()), h = static_cast<int>(t.expected.size());
    Resampler().Run(src, w, h, t.angle, t.mirror, out);
    EXPECT_EQ(ToLetters(out), t.expected) << t.angle << (t.mirror ? " mirrored" : "");
  }
}

// The largest difference of one colour channel; the pictures have the same size.
int ChannelDistance(const Pixels& a, const Pixels& b) {
  int worst = 0;
  for (size_t i = 0; i < a.data.size(); ++i)
    for (int shift : {0, 8, 16, 24})
      worst = std::max(
          worst, std::abs(static_cast<int>((a.data[i] >> shift) & 255) - static_cast<int>((b.data[i] >> shift) & 255)));
  return worst;
}

TEST(LiveViewRenderer, JpegFrameAtDisplaySizeComesOutTurnedAndMirroredPixelForPixel) {
  const Pixels drawn = FromLetters(kSix);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(drawn);
  // JPEG is lossy: the frame path's own upright pixels are the reference, and they must
  // still tell the six colours apart. (How close its colours come to a full decode is
  // tested below on pictures large enough for libjpeg's smooth colour upsampling.)
  LiveViewRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Render(jpeg, 3, 2, 0, false, error)) << error;
  const Pixels upright = renderer.view();
  ASSERT_EQ(ToLetters(upright, upright, kSix), kSix);
  for (const Turn& t : kTurns) {
    const int w = static_cast<int>(t.expected[0].size()), h = static_cast<int>(t.expected.size());
    ASSERT_TRUE(renderer.Render(jpeg, w, h, t.angle, t.mirror, error)) << error;
    EXPECT_EQ(ToLetters(renderer.view(), upright, kSix), t.expected) << t.angle << (t.mirror ? " mirrored" : "");
    EXPECT_EQ(renderer.scale_denom(), 1);
  }
}

TEST(Resampler, AnglesAreTakenModuloAWholeTurn) {
  const Pixels src = FromLetters(kSix);
  EXPECT_EQ(ToLetters(TurnedClockwise(src, -90)), ToLetters(TurnedClockwise(src, 270)));
  EXPECT_EQ(ToLetters(TurnedClockwise(src, 450)), (std::vector<std::string>{"da", "eb", "fc"}));
  EXPECT_EQ(ToLetters(TurnedClockwise(src, 360)), kSix);
}

TEST(Resampler, MirrorsFlipTheNamedAxis) {
  const Pixels src = FromLetters(kSix);
  EXPECT_EQ(ToLetters(Mirrored(src, false)), (std::vector<std::string>{"cba", "fed"}));
  EXPECT_EQ(ToLetters(Mirrored(src, true)), (std::vector<std::string>{"def", "abc"}));
}

Pixels Grey(std::vector<std::vector<uint8_t>> rows) {
  Pixels p;
  p.Resize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t v = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      p.at(x, y) = MakePixel(v, v, v, v);
    }
  return p;
}

TEST(Resampler, BilinearWeightsSampleCentresAndClampAtTheEdges) {
  // Halving averages neighbour pairs; doubling puts samples at a quarter and three
  // quarters between pixels and repeats the edge pixels. All four channels alike.
  EXPECT_EQ(Scaled(Grey({{0, 100, 200, 44}}), 2, 1), Grey({{50, 122}}));
  EXPECT_EQ(Scaled(Grey({{0, 200}}), 4, 1), Grey({{0, 50, 150, 200}}));
  EXPECT_EQ(Scaled(Grey({{0}, {200}}), 1, 4), Grey({{0}, {50}, {150}, {200}}));
  EXPECT_EQ(Scaled(Grey({{0, 200}, {100, 40}}), 1, 1), Grey({{85}}));
}

TEST(Resampler, ScalingWhileTurningEqualsScalingTheTurnedPicture) {
  std::mt19937 random(7);
  Pixels src;
  src.Resize(13, 7);
  for (Pixel& p : src.data) p = static_cast<Pixel>(random());
  for (const Turn& t : kTurns)
    for (const auto& [w, h] : {std::pair{5, 9}, std::pair{20, 11}, std::pair{1, 1}}) {
      Pixels fused, turned;
      Resampler().Run(src, w, h, t.angle, t.mirror, fused);
      Resampler().Run(TurnedClockwise(src, t.angle), w, h, 0, t.mirror, turned);
      EXPECT_EQ(fused, turned) << t.angle << " " << t.mirror << " " << w << "x" << h;
    }
}

TEST(Resampler, BothKernelsGiveTheSamePixels) {
  // Widths on either side of the four-pixel steps, down- and up-scales, every angle.
  std::mt19937 random(11);
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {{13, 7, 5, 9}, {13, 7, 20, 11}, {16, 9, 16, 9}, {17, 12, 11, 8}, {1, 5, 6, 3}, {33, 2, 4, 1}};
  for (const Case& c : cases) {
    Pixels src;
    src.Resize(c.sw, c.sh);
    for (Pixel& p : src.data) p = static_cast<Pixel>(random());
    for (const Turn& t : kTurns) {
      Pixels fast, portable;
      Resampler(Resampler::Kernel::kFastest).Run(src, c.dw, c.dh, t.angle, t.mirror, fast);
      Resampler(Resampler::Kernel::kPortable).Run(src, c.dw, c.dh, t.angle, t.mirror, portable);
      EXPECT_EQ(fast, portable) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh << " at " << t.angle
                                << (t.mirror ? " mirrored" : "");
    }
  }
}

TEST(Resampler, ExtremeChannelValuesNeitherWrapNorClip) {
  // The blended lines run close to the ends of their 16-bit lanes.
  struct Case {
    std::vector<std::vector<uint8_t>> src;
    int w, h;
    std::vector<std::vector<uint8_t>> expected;
  } cases[] = {
      {{{255, 255, 255}, {255, 255, 255}, {255, 255, 255}}, 2, 2, {{255, 255}, {255, 255}}},
      {{{0, 0, 0}, {0, 0, 0}}, 2, 1, {{0, 0}}},
      // Columns at 0.75 and 3.25, rows half and half: both come to 127.5, rounded up.
      {{{0, 255, 255, 0, 255}, {255, 0, 255, 255, 0}}, 2, 1, {{128, 128}}},
      {{{0, 255, 255, 0, 255}, {255, 0, 255, 255, 0}}, 5, 2, {{0, 255, 255, 0, 255}, {255, 0, 255, 255, 0}}},
  };
  for (const Case& c : cases)
    for (auto kernel : {Resampler::Kernel::kFastest, Resampler::Kernel::kPortable}) {
      Pixels out;
      Resampler(kernel).Run(Grey(c.src), c.w, c.h, 0, false, out);
      EXPECT_EQ(out, Grey(c.expected)) << c.w << "x" << c.h;
    }
}

TEST(Resampler, ReusedTablesFollowAChangeOfAngleOrSize) {
  const Pixels src = FromLetters(kSix);
  Resampler r;
  Pixels out;
  r.Run(src, 3, 2, 0, false, out);
  r.Run(src, 2, 3, 90, false, out);
  EXPECT_EQ(ToLetters(out), (std::vector<std::string>{"da", "eb", "fc"}));
  r.Run(src, 2, 3, 90, true, out);
  EXPECT_EQ(ToLetters(out), (std::vector<std::string>{"ad", "be", "cf"}));
  r.Run(FromLetters({"ab"}), 1, 2, 90, true, out);
  EXPECT_EQ(ToLetters(out), (std::vector<std::string>{"a", "b"}));
}

// A smooth picture with every colour changing in both directions, so that colour planes
// of lower resolution are sampled between their samples.
Pixels Colourful(int w, int h) {
  Pixels p;
  p.Resize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p.at(x, y) = MakePixel(static_cast<uint8_t>(40 + 170 * x / w), static_cast<uint8_t>(200 - 150 * y / h),
                             static_cast<uint8_t>(60 + 60 * (x + y) / (w + h)));
  return p;
}

TEST(LiveViewRenderer, MatchesAFullDecodeForEveryWayAJpegStoresItsColours) {
  // Colour planes at half width and height, half width, full size, half height; grey;
  // RGB; progressive. Odd sizes leave a colour sample only partly inside the picture.
  struct Case {
    const char* name;
    test::JpegForm form;
  } cases[] = {
      {"4:2:0", {2, 2, false, false, false}},
      {"4:2:2", {2, 1, false, false, false}},
      {"4:4:4", {1, 1, false, false, false}},
      {"4:4:0", {1, 2, false, false, false}},
      {"grey", {1, 1, true, false, false}},
      {"RGB", {1, 1, false, true, false}},
      {"progressive 4:2:0", {2, 2, false, false, true}},
  };
  for (const Case& c : cases)
    for (const auto& [w, h] : {std::pair{13, 7}, std::pair{40, 24}}) {
      const std::vector<uint8_t> jpeg = test::EncodeJpeg(Colourful(w, h), c.form);
      Pixels decoded;
      std::string error;
      ASSERT_TRUE(JpegDecoder().Decode(jpeg, decoded, error)) << c.name << error;
      LiveViewRenderer renderer;
      ASSERT_TRUE(renderer.Render(jpeg, w, h, 0, false, error)) << c.name << error;
      EXPECT_LE(ChannelDistance(renderer.view(), decoded), 1) << c.name << " " << w << "x" << h;
    }
}

// The stand-in camera's paced frames carry a comment segment right after the start
// marker: the full decode and the frame path skip it and give the pixels of the frame
// without it.
TEST(LiveViewRenderer, AFrameWithACommentGivesTheSamePixels) {
  const std::vector<uint8_t> plain = test::EncodeJpeg(Colourful(40, 24), test::JpegForm{});
  std::vector<uint8_t> marked = plain;
  sim::CommentJpeg(marked, "eos-sim frame 7 ready 123456789");
  ASSERT_NE(marked, plain);
  Pixels from_plain, from_marked;
  std::string error;
  ASSERT_TRUE(JpegDecoder().Decode(plain, from_plain, error)) << error;
  ASSERT_TRUE(JpegDecoder().Decode(marked, from_marked, error)) << error;
  EXPECT_EQ(from_marked, from_plain);
  LiveViewRenderer renderer;
  ASSERT_TRUE(renderer.Render(plain, 40, 24, 90, true, error)) << error;
  const Pixels view = renderer.view();
  ASSERT_TRUE(renderer.Render(marked, 40, 24, 90, true, error)) << error;
  EXPECT_EQ(renderer.view(), view);
}

TEST(LiveViewRenderer, AReducedDecodeMatchesLibjpegsOwnReducedDecode) {
  // At half scale libjpeg widens the colour planes' blocks to the luma's resolution.
  for (const test::JpegForm form : {test::JpegForm{2, 2}, test::JpegForm{2, 1}, test::JpegForm{1, 1}}) {
    const std::vector<uint8_t> jpeg = test::EncodeJpeg(Colourful(64, 32), form);
    JpegDecoder decoder;
    Pixels half;
    std::string error;
    ASSERT_TRUE(decoder.Begin(jpeg, error) && decoder.Finish(2, half, error)) << error;
    LiveViewRenderer renderer;
    ASSERT_TRUE(renderer.Render(jpeg, 32, 16, 0, false, error)) << error;
    EXPECT_EQ(renderer.scale_denom(), 2);
    EXPECT_LE(ChannelDistance(renderer.view(), half), 1) << form.luma_h << "x" << form.luma_v;
  }
}

// Planes of random samples (random padding too, which no kernel may use): luma w x h,
// colour planes with a divided resolution, or flat as a grey picture's.
Planes RandomPlanes(int w, int h, int div_x, int div_y, Planes::Colours colours, std::mt19937& random) {
  Planes planes;
  planes.width = w;
  planes.height = h;
  planes.colours = colours;
  for (int k = 0; k < 3; ++k) {
    Plane& plane = planes.planes[k];
    const bool flat = div_x == 0 && k > 0;
    const int dx = k == 0 ? 1 : std::max(div_x, 1), dy = k == 0 ? 1 : std::max(div_y, 1);
    plane.width = flat ? 1 : (w + dx - 1) / dx;
    plane.height = flat ? 1 : (h + dy - 1) / dy;
    plane.stride = static_cast<size_t>(plane.width) + 5;
    plane.span_x_num = flat ? 1 : w;
    plane.span_x_den = flat ? 1 : dx;
    plane.span_y_num = flat ? 1 : h;
    plane.span_y_den = flat ? 1 : dy;
    plane.samples.resize(plane.stride * static_cast<size_t>(plane.height) + 3);
    for (uint8_t& v : plane.samples) v = static_cast<uint8_t>(random());
  }
  return planes;
}

std::vector<Kernel> KernelsOfThisMachine() {
  std::vector<Kernel> kernels = {Kernel::kSse2, Kernel::kPortable};
  if (ProcessorHasAvx2()) kernels.push_back(Kernel::kAvx2);
  return kernels;
}

TEST(PlanarResampler, EveryKernelGivesTheSamePixels) {
  // Sizes on either side of the kernels' steps of 8 and 16 positions; down-scales the
  // AVX2 windows take (up to twice) and ones they cannot (more), up-scales, equal sizes.
  std::mt19937 random(5);
  struct Case {
    int w, h, div_x, div_y;
    Planes::Colours colours;
    int dw, dh;
  } cases[] = {
      {13, 7, 2, 2, Planes::Colours::kYCbCr, 5, 9},    {13, 7, 2, 2, Planes::Colours::kYCbCr, 20, 11},
      {33, 21, 2, 1, Planes::Colours::kYCbCr, 24, 17}, {33, 21, 2, 2, Planes::Colours::kYCbCr, 19, 40},
      {40, 36, 1, 1, Planes::Colours::kRgb, 40, 36},   {41, 35, 0, 0, Planes::Colours::kYCbCr, 23, 18},
      {64, 48, 2, 2, Planes::Colours::kYCbCr, 17, 20}, {50, 30, 1, 2, Planes::Colours::kYCbCr, 33, 16},
      {96, 64, 2, 2, Planes::Colours::kYCbCr, 61, 41}, {3, 2, 2, 2, Planes::Colours::kYCbCr, 1, 1},
  };
  for (const Case& c : cases) {
    const Planes src = RandomPlanes(c.w, c.h, c.div_x, c.div_y, c.colours, random);
    for (const Turn& t : kTurns) {
      Pixels reference;
      PlanarResampler(Kernel::kPortable).Run(src, c.dw, c.dh, t.angle, t.mirror, reference);
      for (Kernel kernel : KernelsOfThisMachine()) {
        Pixels out;
        PlanarResampler(kernel).Run(src, c.dw, c.dh, t.angle, t.mirror, out);
        EXPECT_EQ(out, reference) << c.w << "x" << c.h << " -> " << c.dw << "x" << c.dh << " at " << t.angle
                                  << (t.mirror ? " mirrored" : "") << " kernel " << static_cast<int>(kernel);
      }
    }
  }
}

TEST(PlanarResampler, ConvertsColoursAsJpegDefinesThemUpToTheExtremes) {
  // Flat planes wide enough for every kernel's full steps; the extremes run the 16-bit
  // lanes close to their ends.
  const int yccs[][3] = {{0, 128, 128}, {255, 128, 128}, {76, 85, 255}, {150, 44, 21}, {29, 255, 107}, {255, 0, 0},
                         {0, 255, 255}, {255, 255, 255}, {0, 0, 0},     {255, 0, 255}, {0, 255, 0},    {128, 128, 128}};
  for (const auto& ycc : yccs) {
    Planes planes;
    planes.width = 40;
    planes.height = 2;
    for (int k = 0; k < 3; ++k) {
      Plane& plane = planes.planes[k];
      plane.width = 40;
      plane.height = 2;
      plane.stride = 40;
      plane.span_x_num = 40;
      plane.span_y_num = 2;
      plane.samples.assign(80, static_cast<uint8_t>(ycc[k]));
    }
    const double y = ycc[0], cb = ycc[1] - 128.0, cr = ycc[2] - 128.0;
    const double rgb[3] = {y + 1.402 * cr, y - 0.34414 * cb - 0.71414 * cr, y + 1.772 * cb};
    for (Kernel kernel : KernelsOfThisMachine()) {
      for (const Planes::Colours colours : {Planes::Colours::kYCbCr, Planes::Colours::kRgb}) {
        planes.colours = colours;
        Pixels out;
        PlanarResampler(kernel).Run(planes, 37, 2, 0, false, out);
        for (const Pixel p : out.data) {
          EXPECT_EQ(p >> 24, 255u);
          for (int c = 0; c < 3; ++c) {
            const int got = static_cast<int>((p >> (16 - 8 * c)) & 255);
            if (colours == Planes::Colours::kRgb) {
              EXPECT_EQ(got, ycc[c]);
            } else {
              EXPECT_NEAR(got, std::clamp(rgb[c], 0.0, 255.0), 1.0)
                  << ycc[0] << "," << ycc[1] << "," << ycc[2] << " channel " << c << " kernel "
                  << static_cast<int>(kernel);
            }
          }
        }
      }
    }
  }
}

TEST(LiveViewRenderer, ReducedDecodeOnlyWhenTheFrameIsTwiceTheDisplayOnBothSides) {
  struct Case {
    int fw, fh, dw, dh, denom;
  } cases[] = {
      {960, 640, 608, 405, 1},  {1024, 680, 512, 340, 2}, {1024, 680, 512, 341, 1},
      {1024, 680, 256, 170, 4}, {1024, 680, 100, 60, 8},  {1024, 680, 513, 100, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(LiveViewRenderer::ScaleDenom(c.fw, c.fh, c.dw, c.dh), c.denom) << c.dw;
}

TEST(LiveViewRenderer, ComparesTheDisplayWithTheTurnedFrame) {
  Pixels frame;
  frame.Resize(64, 32);
  for (Pixel& p : frame.data) p = MakePixel(90, 160, 160);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(frame);
  LiveViewRenderer renderer;
  std::string error;
  // Turned, the frame is 32 x 64: four times 8 x 16, but only twice 16 x 8 across.
  ASSERT_TRUE(renderer.Render(jpeg, 8, 16, 90, false, error)) << error;
  EXPECT_EQ(renderer.scale_denom(), 4);
  ASSERT_TRUE(renderer.Render(jpeg, 16, 8, 90, false, error));
  EXPECT_EQ(renderer.scale_denom(), 2);
  ASSERT_TRUE(renderer.Render(jpeg, 16, 8, 0, false, error));
  EXPECT_EQ(renderer.scale_denom(), 4);
  EXPECT_EQ(renderer.view().width, 16);
  EXPECT_EQ(renderer.view().height, 8);
}

TEST(LiveViewRenderer, KeepsItsBuffersFromFrameToFrame) {
  Pixels frame = test::Numbered(48, 32);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(frame);
  LiveViewRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Render(jpeg, 30, 20, 0, false, error));
  const Pixel* first = renderer.view().data.data();
  ASSERT_TRUE(renderer.Render(jpeg, 30, 20, 180, true, error));
  EXPECT_EQ(renderer.view().data.data(), first);
}

TEST(LiveViewRenderer, ABadFrameFailsAndLeavesThePreviousView) {
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(FromLetters({"abcd", "efgh"}));
  LiveViewRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.Render(jpeg, 4, 2, 0, false, error));
  const Pixels before = renderer.view();
  const std::vector<uint8_t> truncated(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
  std::vector<uint8_t> not_jpeg(jpeg);
  not_jpeg[0] = 0;
  for (const auto& bad : {truncated, not_jpeg, std::vector<uint8_t>{}}) {
    error.clear();
    EXPECT_FALSE(renderer.Render(bad, 4, 2, 90, true, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(renderer.view(), before);
  }
  EXPECT_FALSE(renderer.Render(jpeg, 0, 2, 0, false, error));
  // The decoder is fit for the next frame after a failure.
  EXPECT_TRUE(renderer.Render(jpeg, 4, 2, 0, false, error)) << error;
}

}  // namespace
}  // namespace eos::imaging
