#include "photos.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/planes.h"
#include "simulator/core/jpeg.h"

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
