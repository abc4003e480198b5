#include "photos.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
// clang-format on

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/planes.h"

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
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // a fixture fault may end the test run
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 1;
  cinfo.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const PointF p = ToShown(PointF{x + 0.5, y + 0.5}, width, height, {angle_cw, false});
      row[static_cast<size_t>(x)] = photo.view().row(static_cast<int>(p.y) / factor)[static_cast<int>(p.x) / factor];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
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
