// The fused scale-turn-mirror pass and the live view's frame path built on it.
#include <gtest/gtest.h>

#include <random>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/live_view.h"
#include "imaging/core/resample.h"
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

TEST(LiveViewRenderer, JpegFrameAtDisplaySizeComesOutTurnedAndMirroredPixelForPixel) {
  const Pixels drawn = FromLetters(kSix);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(drawn);
  // JPEG is lossy: the frame's own decoded pixels are the reference, and they must
  // still tell the six colours apart.
  Pixels decoded;
  std::string error;
  ASSERT_TRUE(JpegDecoder().Decode(jpeg, decoded, error)) << error;
  ASSERT_EQ(ToLetters(decoded, decoded, kSix), kSix);
  LiveViewRenderer renderer;
  for (const Turn& t : kTurns) {
    const int w = static_cast<int>(t.expected[0].size()), h = static_cast<int>(t.expected.size());
    ASSERT_TRUE(renderer.Render(jpeg, w, h, t.angle, t.mirror, error)) << error;
    EXPECT_EQ(ToLetters(renderer.view(), decoded, kSix), t.expected) << t.angle << (t.mirror ? " mirrored" : "");
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
