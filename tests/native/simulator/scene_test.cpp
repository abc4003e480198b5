#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "simulator/core/tiff.h"

namespace eos::sim {
namespace {

TEST(Scene, ConsecutiveFramesDifferAndTheSameFrameIsTheSame) {
  const Image a = RenderScene(320, 200, 7, kFocusSharp);
  const Image b = RenderScene(320, 200, 8, kFocusSharp);
  const Image again = RenderScene(320, 200, 7, kFocusSharp);
  EXPECT_NE(a.rgb, b.rgb);
  EXPECT_EQ(a.rgb, again.rgb);
  // The ball alone moves the picture, not only the counter: compare below the counter.
  const size_t lower = a.rgb.size() / 2;
  EXPECT_FALSE(
      std::equal(a.rgb.begin() + static_cast<long>(lower), a.rgb.end(), b.rgb.begin() + static_cast<long>(lower)));
}

TEST(Scene, FocusFigureFallsWithDistanceFromTheSharpPosition) {
  double previous = 1e9;
  for (int distance : {0, 50, 150, 300, 600}) {
    const double figure = FocusFigure(RenderScene(960, 640, 1, kFocusSharp - distance));
    EXPECT_LT(figure, previous) << "distance " << distance;
    previous = figure;
  }
  // Near and far of the sharp position blur alike.
  EXPECT_DOUBLE_EQ(FocusFigure(RenderScene(960, 640, 1, kFocusSharp - 200)),
                   FocusFigure(RenderScene(960, 640, 1, kFocusSharp + 200)));
  EXPECT_EQ(BlurRadius(kFocusSharp, 5184), 0);
  EXPECT_EQ(BlurRadius(kFocusFar + 500, 960), BlurRadius(kFocusFar, 960));  // clamped
}

TEST(Scene, TinyAndOddSizesRender) {
  for (auto [w, h] : {std::pair{1, 1}, {3, 7}, {17, 2}, {0, -5}}) {
    const Image img = RenderScene(w, h, 123456, kFocusNear);
    EXPECT_EQ(img.rgb.size(), static_cast<size_t>(img.width) * img.height * 3);
    EXPECT_GE(img.width, 1);
  }
}

TEST(Jpeg, RoundTripKeepsSizeAndPicture) {
  const Image img = RenderScene(960, 640, 42, kFocusSharp);
  const std::vector<uint8_t> jpeg = EncodeJpeg(img, 75);
  ASSERT_GT(jpeg.size(), 1000u);
  EXPECT_LT(jpeg.size(), 400u * 1024);
  const auto back = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 960);
  EXPECT_EQ(back->height, 640);
  long diff = 0;
  for (size_t i = 0; i < img.rgb.size(); ++i) diff += std::abs(int{img.rgb[i]} - int{back->rgb[i]});
  EXPECT_LT(static_cast<double>(diff) / static_cast<double>(img.rgb.size()), 12.0);
  // Sharp and soft stay apart through the compression.
  const std::vector<uint8_t> soft = EncodeJpeg(RenderScene(960, 640, 42, kFocusNear), 75);
  EXPECT_GT(FocusFigure(*back), 2 * FocusFigure(*DecodeJpeg(soft.data(), soft.size())));
}

TEST(Jpeg, DecodingRefusesDamagedData) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(RenderScene(64, 48, 1, kFocusSharp), 80);
  EXPECT_FALSE(DecodeJpeg(nullptr, 10));
  EXPECT_FALSE(DecodeJpeg(jpeg.data(), 0));
  EXPECT_FALSE(DecodeJpeg(jpeg.data(), 100));  // cut inside the headers
  const std::vector<uint8_t> text(500, 'x');
  EXPECT_FALSE(DecodeJpeg(text.data(), text.size()));
  EXPECT_TRUE(EncodeJpeg(Image{10, 10, {}}, 80).empty());  // pixels missing
}

// Padding makes a picture of a camera's file size that still decodes to the same pixels,
// its segment lengths exactly right at the borders of one and two segments.
TEST(Jpeg, PaddingReachesTheSizeAndKeepsThePicture) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(RenderScene(64, 48, 1, kFocusSharp), 80);
  const auto original = DecodeJpeg(jpeg.data(), jpeg.size());
  ASSERT_TRUE(original);
  const size_t n = jpeg.size();
  const struct {
    size_t asked;
    size_t got;
  } cases[] = {
      {0, n},
      {n - 1, n},
      {n + 3, n},  // too short for a segment: unchanged
      {n + 4, n + 4},
      {n + 65537, n + 65537},
      {n + 65538, n + 65538},
      {n + 65541, n + 65541},
      {n + 3000000, n + 3000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    std::vector<uint8_t> padded = jpeg;
    PadJpeg(padded, c.asked);
    ASSERT_EQ(padded.size(), c.got);
    const auto back = DecodeJpeg(padded.data(), padded.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgb, original->rgb);
    EXPECT_TRUE(std::equal(jpeg.begin() + 2, jpeg.end(), padded.end() - static_cast<std::ptrdiff_t>(n - 2)));
  }
  std::vector<uint8_t> text(500, 'x');
  PadJpeg(text, 100000);
  EXPECT_EQ(text.size(), 500u) << "only a JPEG is padded";
}

// A comment goes right after the start marker with its length; one too long for a
// segment, or data that is no JPEG, is left as it is.
TEST(Jpeg, ACommentGoesRightAfterTheStartMarker) {
  const std::vector<uint8_t> jpeg = EncodeJpeg(RenderScene(16, 8, 1, kFocusSharp), 80);
  std::vector<uint8_t> marked = jpeg;
  CommentJpeg(marked, "abc");
  std::vector<uint8_t> expected = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x05, 'a', 'b', 'c'};
  expected.insert(expected.end(), jpeg.begin() + 2, jpeg.end());
  EXPECT_EQ(marked, expected);

  marked = jpeg;
  CommentJpeg(marked, std::string(65533, 'x'));
  ASSERT_EQ(marked.size(), jpeg.size() + 65537);
  EXPECT_EQ(marked[4], 0xFF);
  EXPECT_EQ(marked[5], 0xFF);
  EXPECT_TRUE(DecodeJpeg(marked.data(), marked.size()));
  marked = jpeg;
  CommentJpeg(marked, std::string(65534, 'x'));
  EXPECT_EQ(marked, jpeg);
  std::vector<uint8_t> text(500, 'x');
  CommentJpeg(text, "abc");
  EXPECT_EQ(text.size(), 500u) << "only a JPEG takes a comment";
}

TEST(Tiff, HeaderAndDirectoryDescribeThePixels) {
  const Image img = RenderScene(16, 8, 1, kFocusSharp);
  for (bool sixteen : {false, true}) {
    const std::vector<uint8_t> tiff = EncodeTiff(img, sixteen);
    ASSERT_GE(tiff.size(), img.rgb.size() * (sixteen ? 2 : 1) + 8);
    EXPECT_EQ(tiff[0], 'I');
    EXPECT_EQ(tiff[2], 42);
    const uint32_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | uint32_t{tiff[7]} << 24;
    ASSERT_LT(ifd + 2, tiff.size());
    EXPECT_EQ(tiff[ifd], 10);  // entries
    EXPECT_EQ(tiff.size(), ifd + 2 + 10 * 12 + 4);
    EXPECT_EQ(tiff[8], img.rgb[0]);
  }
}

}  // namespace
}  // namespace eos::sim
