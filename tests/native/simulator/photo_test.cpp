#include "simulator/core/photo.h"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "simulator/core/jpeg.h"

namespace eos::sim {
namespace {

constexpr Rgb kRed{220, 30, 30}, kGreen{30, 200, 40}, kBlue{30, 60, 220}, kYellow{230, 210, 30};
constexpr Rgb kGrey{kPhotoBackground, kPhotoBackground, kPhotoBackground};

// A photo of four coloured quarters: red top left, green top right, blue bottom left,
// yellow bottom right, so that where each lands tells the turn.
Image Quarters(int width, int height) {
  Image img;
  img.width = width;
  img.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgb c = y < height / 2 ? (x < width / 2 ? kRed : kGreen) : (x < width / 2 ? kBlue : kYellow);
      img.rgb.insert(img.rgb.end(), {c.r, c.g, c.b});
    }
  return img;
}

std::vector<uint8_t> Png(const Image& img, bool alpha = false) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(img.width);
  png.height = static_cast<png_uint_32>(img.height);
  png.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels = img.rgb;
  if (alpha) {  // the top half transparent
    pixels.clear();
    for (size_t i = 0; i < img.rgb.size(); i += 3) {
      const bool top = i / 3 / static_cast<size_t>(img.width) < static_cast<size_t>(img.height / 2);
      pixels.insert(pixels.end(), {img.rgb[i], img.rgb[i + 1], img.rgb[i + 2], static_cast<uint8_t>(top ? 0 : 255)});
    }
  }
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::vector<uint8_t> out(size);
  EXPECT_TRUE(png_image_write_to_memory(&png, out.data(), &size, 0, pixels.data(), 0, nullptr)) << png.message;
  out.resize(size);
  return out;
}

Photo PhotoOf(const Image& img) {
  const std::vector<uint8_t> png = Png(img);
  std::string error;
  std::optional<Photo> photo = Photo::Decode(png.data(), png.size(), &error);
  EXPECT_TRUE(photo) << error;
  return std::move(*photo);
}

Image Grey(int width, int height) {
  Image img;
  img.width = width;
  img.height = height;
  img.rgb.assign(static_cast<size_t>(width) * height * 3, kPhotoBackground);
  return img;
}

Rgb At(const Image& img, int x, int y) {
  const uint8_t* p = &img.rgb[(static_cast<size_t>(y) * img.width + x) * 3];
  return {p[0], p[1], p[2]};
}

testing::AssertionResult Near(const Image& img, int x, int y, Rgb want, int tolerance = 12) {
  const Rgb got = At(img, x, y);
  if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
      std::abs(got.b - want.b) <= tolerance)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "(" << x << ", " << y << ") is " << int{got.r} << "," << int{got.g} << ","
                                     << int{got.b} << ", not " << int{want.r} << "," << int{want.g} << ","
                                     << int{want.b};
}

struct Probe {
  int x, y;
  Rgb colour;
};

// A 200 x 100 photo in a 400 x 400 picture; at scale 0.25 it stands 200 x 100 pixels
// large, so its quarters' centres lie 50 and 25 pixels from its own.
TEST(Photo, PlacementsPutTheQuartersWhereTheyBelong) {
  const Photo photo = PhotoOf(Quarters(200, 100));
  const struct {
    const char* what;
    Placement at;
    std::vector<Probe> probes;
  } cases[] = {
      {"centred",
       {0.5, 0.5, 0.25, 0},
       {{150, 175, kRed},
        {250, 175, kGreen},
        {150, 225, kBlue},
        {250, 225, kYellow},
        {200, 140, kGrey},
        {90, 200, kGrey},
        {5, 5, kGrey}}},
      {"turned clockwise: the top left corner goes to the top right",
       {0.5, 0.5, 0.25, 90},
       {{225, 150, kRed},
        {225, 250, kGreen},
        {175, 150, kBlue},
        {175, 250, kYellow},
        {140, 200, kGrey},
        {190, 110, kBlue}}},
      {"turned counter-clockwise",
       {0.5, 0.5, 0.25, -90},
       {{175, 250, kRed}, {175, 150, kGreen}, {225, 250, kBlue}, {225, 150, kYellow}}},
      {"upside down", {0.5, 0.5, 0.25, 180}, {{250, 225, kRed}, {150, 225, kGreen}, {250, 175, kBlue}}},
      // Three quarters the other way round: the same picture as one quarter, from angles
      // whose cosine is a rounding error from 0.
      {"turned back by three quarters",
       {0.5, 0.5, 0.25, -270},
       {{225, 150, kRed}, {225, 250, kGreen}, {175, 150, kBlue}, {175, 250, kYellow}, {140, 200, kGrey}}},
      {"turned by three quarters",
       {0.5, 0.5, 0.25, 270},
       {{175, 250, kRed}, {175, 150, kGreen}, {225, 250, kBlue}, {225, 150, kYellow}}},
      {"turned by 30 degrees",
       {0.5, 0.5, 0.25, 30},
       {{169, 153, kRed}, {256, 203, kGreen}, {144, 197, kBlue}, {231, 247, kYellow}, {300, 150, kGrey}}},
      {"twice as large, its left part cut off",
       {0.25, 0.5, 0.5, 0},
       {{40, 150, kRed},
        {200, 150, kGreen},
        {40, 250, kBlue},
        {200, 250, kYellow},
        {350, 200, kGrey},
        {200, 50, kGrey}}},
      {"centred on the bottom edge", {0.5, 1, 0.25, 0}, {{150, 375, kRed}, {250, 375, kGreen}, {200, 330, kGrey}}},
      {"wholly outside", {-0.5, 0.5, 0.25, 0}, {{0, 200, kGrey}, {200, 200, kGrey}}},
  };
  for (const auto& c : cases) {
    Image img = Grey(400, 400);
    photo.Draw(img, c.at);
    for (const Probe& p : c.probes) EXPECT_TRUE(Near(img, p.x, p.y, p.colour)) << c.what;
  }
}

// Drawn small from a reduced size, or enlarged from a tiny photo, it stands the same.
TEST(Photo, TheSizeKeptDoesNotMoveIt) {
  for (const int width : {1600, 200, 20}) {
    const Photo photo = PhotoOf(Quarters(width, width / 2));
    Image img = Grey(400, 400);
    photo.Draw(img, {0.5, 0.5, 0.25, 0});
    for (const Probe& p : {Probe{150, 175, kRed}, Probe{250, 175, kGreen}, Probe{150, 225, kBlue},
                           Probe{250, 225, kYellow}, Probe{95, 200, kGrey}, Probe{200, 145, kGrey}})
      EXPECT_TRUE(Near(img, p.x, p.y, p.colour)) << width;
  }
}

// Without subject lines the photo fills the picture: the sides of a wide photo in a
// square picture are cut off, the top and bottom of a tall one in a wide picture.
TEST(Photo, CoverFillsThePictureCentred) {
  const struct {
    Image photo;
    int width, height;
    std::vector<Probe> probes;
  } cases[] = {
      {Quarters(200, 100), 300, 300, {{75, 75, kRed}, {225, 75, kGreen}, {75, 225, kBlue}, {225, 225, kYellow}}},
      {Quarters(100, 200), 300, 200, {{75, 50, kRed}, {225, 50, kGreen}, {75, 150, kBlue}, {225, 150, kYellow}}},
      {Quarters(300, 200), 300, 200, {{75, 50, kRed}, {225, 150, kYellow}}},
  };
  for (const auto& c : cases) {
    const Image img = RenderPhoto(PhotoOf(c.photo), {}, c.width, c.height, 0);
    for (const Probe& p : c.probes) EXPECT_TRUE(Near(img, p.x, p.y, p.colour)) << c.photo.width;
    for (const auto& [x, y] : {std::pair{0, 0}, {c.width - 1, 0}, {0, c.height - 1}, {c.width - 1, c.height - 1}})
      EXPECT_FALSE(Near(img, x, y, kGrey, 40)) << c.photo.width << ": corner " << x << "," << y;
  }
}

TEST(Photo, SubjectLinesMoveItFrameByFrame) {
  const Photo photo = PhotoOf(Quarters(200, 100));
  const std::vector<Placement> path = {{0.25, 0.5, 0.25, 0, 5}, {0.75, 0.5, 0.25, 0, 10}};
  const Image before = RenderPhoto(photo, path, 400, 400, 4);
  EXPECT_EQ(before.rgb, Grey(400, 400).rgb) << "nothing before the first line's frame";
  const Image left = RenderPhoto(photo, path, 400, 400, 9);
  EXPECT_TRUE(Near(left, 50, 175, kRed));
  EXPECT_TRUE(Near(left, 300, 200, kGrey));
  const Image right = RenderPhoto(photo, path, 400, 400, 10);
  EXPECT_TRUE(Near(right, 250, 175, kRed));
  EXPECT_TRUE(Near(right, 100, 200, kGrey));
}

TEST(Photo, ATransparentPartShowsTheGreyBehind) {
  const std::vector<uint8_t> png = Png(Quarters(200, 100), true);
  std::string error;
  const auto photo = Photo::Decode(png.data(), png.size(), &error);
  ASSERT_TRUE(photo) << error;
  Image img = Grey(400, 400);
  photo->Draw(img, {0.5, 0.5, 0.25, 0});
  EXPECT_TRUE(Near(img, 150, 175, kGrey, 2));
  EXPECT_TRUE(Near(img, 150, 225, kBlue));
}

// The backdrop is a ramp from the picture's left edge to its right one; it shows around the
// photo and through its transparent parts, which stay transparent at every size kept.
TEST(Photo, TheBackdropShowsAroundThePhotoAndThroughItsTransparentParts) {
  const std::vector<uint8_t> png = Png(Quarters(200, 100), true);
  std::string error;
  const auto photo = Photo::Decode(png.data(), png.size(), &error);
  ASSERT_TRUE(photo) << error;
  const PhotoLook ramp{.backdrop_left = 0, .backdrop_right = 200};
  for (const double scale : {0.25, 0.05}) {  // drawn from the full size and from a halved one
    SCOPED_TRACE(scale);
    const Image img = RenderPhoto(*photo, {{0.5, 0.5, scale, 0}}, 400, 400, 0, ramp);
    EXPECT_TRUE(Near(img, 0, 0, {0, 0, 0}, 1));
    EXPECT_TRUE(Near(img, 399, 399, {200, 200, 200}, 1));
    EXPECT_TRUE(Near(img, 190, 198, {95, 95, 95}, 2)) << "the top half is transparent";
    EXPECT_TRUE(Near(img, 190, 202, kBlue)) << "the bottom half is not";
  }
}

// Exposure scales every sample by 2^stops, clipping at white; blur spreads an edge over
// about its radius on either side and leaves flat parts as they are.
TEST(Photo, ExposureAndBlurActOnTheWholePicture) {
  const Photo photo = PhotoOf(Quarters(200, 100));
  const Placement centred{0.5, 0.5, 0.25, 0};
  const Image darker = RenderPhoto(photo, {centred}, 400, 400, 0, {.exposure = -1});
  EXPECT_TRUE(Near(darker, 5, 5, {64, 64, 64}, 1));
  EXPECT_TRUE(Near(darker, 150, 225, {15, 30, 110}, 2));
  const Image brighter = RenderPhoto(photo, {centred}, 400, 400, 0, {.exposure = 1});
  EXPECT_TRUE(Near(brighter, 150, 225, {60, 120, 255}, 2)) << "clipped at white";

  const Image sharp = RenderPhoto(photo, {centred}, 400, 400, 0);
  const Image blurred = RenderPhoto(photo, {centred}, 400, 400, 0, {.blur = 0.01});  // 4 pixels
  EXPECT_TRUE(Near(blurred, 150, 225, kBlue, 1)) << "flat";
  EXPECT_TRUE(Near(blurred, 5, 5, kGrey, 0)) << "flat";
  // Across the red quarter's left edge at x = 100: sharp, one step; blurred, a ramp.
  EXPECT_TRUE(Near(sharp, 98, 175, kGrey, 2));
  EXPECT_TRUE(Near(sharp, 101, 175, kRed, 2));
  const Rgb edge = At(blurred, 100, 175);
  EXPECT_GT(edge.r, kGrey.r + 20);
  EXPECT_LT(edge.r, kRed.r - 20);
  EXPECT_TRUE(Near(blurred, 86, 175, kGrey, 2)) << "beyond the blur's reach (three passes of 4 pixels)";
  EXPECT_TRUE(Near(blurred, 114, 175, kRed, 2)) << "beyond the blur's reach";
}

// A photo wider than the size kept is reduced while it is read: a JPEG by libjpeg's
// scaling, a PNG by halving.
TEST(Photo, ALargePhotoIsKeptReduced) {
  const Image wide = Quarters(5000, 100);
  for (const std::vector<uint8_t>& bytes : {EncodeJpeg(wide, 90), Png(wide)}) {
    std::string error;
    const auto photo = Photo::Decode(bytes.data(), bytes.size(), &error);
    ASSERT_TRUE(photo) << error;
    EXPECT_EQ(photo->width(), 2500);
    EXPECT_EQ(photo->height(), 50);
  }
}

// Sets the size a JPEG's frame header declares, the way a damaged or hostile file might.
std::vector<uint8_t> JpegDeclaring(int width, int height) {
  std::vector<uint8_t> jpeg = EncodeJpeg(Quarters(16, 16), 80);
  for (size_t i = 2; i + 8 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  return jpeg;
}

// The same for a PNG's header chunk, with its checksum made right again.
std::vector<uint8_t> PngDeclaring(uint32_t width, uint32_t height) {
  std::vector<uint8_t> png = Png(Quarters(16, 16));
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return png;
}

TEST(Photo, WhatCannotBeAPhotoIsRefusedWithItsReason) {
  const std::vector<uint8_t> png = Png(Quarters(16, 16));
  const std::vector<uint8_t> jpeg = EncodeJpeg(Quarters(16, 16), 80);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"nothing", {}, "neither a JPEG nor a PNG file"},
      {"text", {'h', 'e', 'l', 'l', 'o'}, "neither a JPEG nor a PNG file"},
      {"a PNG's start", {png.begin(), png.begin() + 12}, "not a PNG that can be read"},
      {"a JPEG's start", {jpeg.begin(), jpeg.begin() + 20}, "not a JPEG that can be read"},
      {"a JPEG too wide", JpegDeclaring(20000, 100), "the picture is 20000x100, more than 16384 pixels a side"},
      {"a JPEG of 48 megapixels", JpegDeclaring(8000, 6000), "40 megapixels"},
      {"a PNG too tall", PngDeclaring(100, 16385), "the picture is 100x16385"},
      {"a PNG of 2^62 pixels", PngDeclaring(0x7FFFFFFF, 0x7FFFFFFF), "not a PNG that can be read"},
      {"a PNG's pixels cut off", {png.begin(), png.end() - 20}, "the PNG's data cannot be decoded"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Photo::Decode(c.bytes.data(), c.bytes.size(), &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

TEST(Photo, FilesAreReadWhole) {
  const auto folder = std::filesystem::temp_directory_path() / ("sim_photo_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string good = (folder / "quarters.png").string(), large = (folder / "large.jpg").string();
  const std::vector<uint8_t> png = Png(Quarters(40, 20));
  std::ofstream(good, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  {
    std::ofstream out(large, std::ios::binary);
    out.write("\xFF\xD8", 2);
    out.seekp(std::streamoff{kPhotoMaxFileBytes});
    out.write("\xFF\xD9", 2);
  }
  std::string error;
  const auto photo = Photo::Load(good, &error);
  ASSERT_TRUE(photo) << error;
  EXPECT_EQ(photo->width(), 40);
  EXPECT_FALSE(Photo::Load(large, &error));
  EXPECT_EQ(error, "the file is larger than 64 MB");
  EXPECT_FALSE(Photo::Load((folder / "missing.png").string(), &error));
  EXPECT_EQ(error, "cannot open the file");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace eos::sim
