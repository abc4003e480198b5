#include "photos.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>

#include "face/guide.h"
#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/pixels.h"
#include "imaging/core/planes.h"
#include "simulator/core/jpeg.h"
#include "tests/native/imaging/fixtures.h"

namespace eos::face::test {

std::string PhotoPath(const std::string& name) { return std::string(EOS_FACE_PHOTOS) + "/" + name; }
std::string ModelPath() { return EOS_FACE_MODEL_FILE; }

std::string MissingSetUp() {
  for (const std::string& path : {PhotoPath("Tom_Cruise_avp_2014_4.jpg"), ModelPath()})
    if (!std::filesystem::exists(path)) return path;
  return {};
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

GreyImage LoadPhoto(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadFile(PhotoPath(name));
  imaging::JpegDecoder decoder;
  imaging::Planes planes;
  std::string error;
  GreyImage out;
  if (!decoder.Begin(bytes, error) || !decoder.FinishPlanes(1, planes, error)) {
    ADD_FAILURE() << name << ": " << error;
    return out;
  }
  const imaging::Plane& luma = planes.planes[0];
  out.Resize(luma.width, luma.height);
  for (int y = 0; y < luma.height; ++y) std::copy_n(luma.row(y), luma.width, &out.at(0, y));
  return out;
}

std::vector<uint8_t> PictureOf(const GreyImage& photo, int factor, int angle_cw) {
  const bool sideways = angle_cw % 180 != 0;
  const int width = (sideways ? photo.height : photo.width) * factor;
  const int height = (sideways ? photo.width : photo.height) * factor;
  // The photo upright at the enlarged size, then turned back in one pass.
  GreyImage upright;
  upright.Resize(photo.width * factor, photo.height * factor);
  for (int y = 0; y < upright.height; ++y) {
    const uint8_t* from = ViewOf(photo).row(y / factor);
    uint8_t* to = &upright.at(0, y);
    for (int x = 0; x < upright.width; ++x) to[x] = from[x / factor];
  }
  GreyImage stored;
  Orient(ViewOf(upright), {(360 - angle_cw) % 360, false}, stored);
  sim::Image picture{width, height, std::vector<uint8_t>(stored.data.size() * 3)};
  uint8_t* rgb = picture.rgb.data();
  for (const uint8_t v : stored.data) {
    rgb[0] = rgb[1] = rgb[2] = v;
    rgb += 3;
  }
  return sim::EncodeJpeg(picture, 90);
}

sim::Placement PlaceFace(const PictureFace& face, int width, int height, const Framing& at, double frame_w,
                         double frame_h) {
  const FaceTemplate t;
  const bool sideways = at.angle == 90 || at.angle == 270;
  const double shown_w = sideways ? frame_h : frame_w, shown_h = sideways ? frame_w : frame_h;
  const Box crop = TemplateCrop(shown_w, shown_h, t);
  const double eye_distance = crop.height * at.head / kHeadPerEyeDistance;
  const double photo_eyes = std::hypot(face.eyes[1].x - face.eyes[0].x, face.eyes[1].y - face.eyes[0].y);
  const double scale = eye_distance * height / (frame_h * photo_eyes);
  const double k = scale * frame_h / height;  // frame pixels a photo pixel
  // The head's centre where the view shows it, in the frame the camera sends; the photo
  // turned back by the view's angle so that the view shows it upright.
  const PointF centre =
      FromShown(PointF{crop.left + crop.width * (t.centre_x + at.dx), crop.top + crop.height * (t.centre_y + at.dy)},
                static_cast<int>(frame_w), static_cast<int>(frame_h), Orientation{at.angle, false});
  const double own_roll =
      std::atan2(face.eyes[1].y - face.eyes[0].y, face.eyes[1].x - face.eyes[0].x) * 180 / std::numbers::pi;
  const double roll = at.roll - own_roll - at.angle;
  // The eyes' midpoint from the photo's centre, turned with the photo.
  const double mx = ((face.eyes[0].x + face.eyes[1].x) / 2.0 - width / 2.0) * k;
  const double my = ((face.eyes[0].y + face.eyes[1].y) / 2.0 - height / 2.0) * k;
  const double a = roll * std::numbers::pi / 180;
  const double rx = mx * std::cos(a) - my * std::sin(a), ry = mx * std::sin(a) + my * std::cos(a);
  sim::Placement p;
  p.x = (centre.x - rx) / frame_w;
  p.y = (centre.y - ry) / frame_h;
  p.scale = scale;
  p.roll = roll;
  return p;
}

Portrait CutOutPortrait(const std::vector<uint8_t>& jpeg, FaceFinder& finder) {
  Portrait out;
  std::optional<PictureFace> face;
  std::string error;
  const std::optional<sim::Image> rgb = sim::DecodeJpeg(jpeg.data(), jpeg.size());
  if (!rgb || !FindPictureFace(finder, jpeg, 0, face, error) || !face) {
    ADD_FAILURE() << "no face on the photo to cut out " << error;
    return out;
  }
  out.width = rgb->width;
  out.height = rgb->height;
  out.face = *face;
  // The guide's head oval (0.37 and 0.5 of the head's height as half axes, about the
  // eyes' midpoint), 10 % larger, its edge soft over 2 % of the head.
  const double head =
      kHeadPerEyeDistance * std::hypot(face->eyes[1].x - face->eyes[0].x, face->eyes[1].y - face->eyes[0].y);
  const double cx = (face->eyes[0].x + face->eyes[1].x + 1) / 2.0, cy = (face->eyes[0].y + face->eyes[1].y + 1) / 2.0;
  const double ax = head * 0.37 * 1.1, ay = head * 0.5 * 1.1, soft = 0.02 * head;
  imaging::Pixels cut;
  cut.Resize(out.width, out.height);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const double dx = (x + 0.5 - cx) / ax, dy = (y + 0.5 - cy) / ay;
      const double outside = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(ax, ay) / soft;  // in soft widths
      const uint8_t* p =
          &rgb->rgb[(static_cast<size_t>(y) * static_cast<size_t>(out.width) + static_cast<size_t>(x)) * 3];
      cut.at(x, y) = imaging::MakePixel(p[0], p[1], p[2],
                                        static_cast<uint8_t>(std::lround(255 * std::clamp(0.5 - outside, 0.0, 1.0))));
    }
  out.png = imaging::test::EncodePng(cut);
  return out;
}

std::shared_ptr<const FaceModel> SharedModel() {
  static const std::shared_ptr<const FaceModel> model = [] {
    std::string error;
    auto loaded = FaceModel::FromFile(ModelPath(), error);
    EXPECT_TRUE(loaded) << error;
    return loaded;
  }();
  return model;
}

}  // namespace eos::face::test
