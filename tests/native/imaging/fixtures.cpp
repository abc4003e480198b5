#include "tests/native/imaging/fixtures.h"

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <jpeglib.h>
// clang-format on
#include <png.h>

#include <cstdlib>

#include <map>
#include <stdexcept>

#include "simulator/core/jpeg.h"

namespace eos::imaging::test {
namespace {

const std::map<char, Pixel>& Palette() {
  static const std::map<char, Pixel> colours = {
      {'a', MakePixel(250, 20, 20)},   {'b', MakePixel(20, 200, 20)},  {'c', MakePixel(20, 20, 160)},
      {'d', MakePixel(250, 250, 40)},  {'e', MakePixel(120, 40, 200)}, {'f', MakePixel(10, 10, 10)},
      {'g', MakePixel(255, 255, 255)}, {'h', MakePixel(90, 160, 160)},
  };
  return colours;
}

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  v[at] = static_cast<uint8_t>(x);
  v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  Put16(v, at, x & 0xFFFF);
  Put16(v, at + 2, x >> 16);
}

}  // namespace

Pixels FromLetters(const std::vector<std::string>& rows) {
  Pixels p;
  p.Resize(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.at(x, y) = Palette().at(rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
  return p;
}

namespace {

std::vector<std::string> Spell(const Pixels& p, const std::map<Pixel, char>& names) {
  std::vector<std::string> rows;
  for (int y = 0; y < p.height; ++y) {
    std::string row;
    for (int x = 0; x < p.width; ++x) {
      const auto name = names.find(p.at(x, y));
      row += name == names.end() ? '?' : name->second;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

std::vector<std::string> ToLetters(const Pixels& p) {
  std::map<Pixel, char> names;
  for (const auto& [letter, colour] : Palette()) names[colour] = letter;
  return Spell(p, names);
}

std::vector<std::string> ToLetters(const Pixels& p, const Pixels& source, const std::vector<std::string>& source_rows) {
  std::map<Pixel, char> names;
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < source.width; ++x)
      names[source.at(x, y)] = source_rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
  return Spell(p, names);
}

Pixels Numbered(int width, int height) {
  Pixels p;
  p.Resize(width, height);
  for (size_t i = 0; i < p.data.size(); ++i) p.data[i] = static_cast<Pixel>(i + 1);
  return p;
}

std::vector<uint8_t> EncodeJpeg(const Pixels& p, int quality) {
  sim::Image image{p.width, p.height, {}};
  for (Pixel v : p.data) image.rgb.insert(image.rgb.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  return sim::EncodeJpeg(image, quality);
}

std::vector<uint8_t> EncodeJpeg(const Pixels& p, const JpegForm& form) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // a fixture fault may end the test run
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(p.width);
  cinfo.image_height = static_cast<JDIMENSION>(p.height);
  cinfo.input_components = form.grey ? 1 : 3;
  cinfo.in_color_space = form.grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (form.rgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (!form.grey && !form.rgb) {
    cinfo.comp_info[0].h_samp_factor = form.luma_h;
    cinfo.comp_info[0].v_samp_factor = form.luma_v;
  }
  if (form.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row;
  for (int y = 0; y < p.height; ++y) {
    row.clear();
    for (int x = 0; x < p.width; ++x) {
      const Pixel v = p.at(x, y);
      const auto r = static_cast<uint8_t>(v >> 16), g = static_cast<uint8_t>(v >> 8), b = static_cast<uint8_t>(v);
      if (form.grey)
        row.push_back(static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8));
      else
        row.insert(row.end(), {r, g, b});
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

std::vector<uint8_t> EncodePng(const Pixels& p) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(p.width);
  image.height = static_cast<png_uint_32>(p.height);
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, p.data.data(), 0, nullptr))
    throw std::runtime_error("PNG size");
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, p.data.data(), 0, nullptr))
    throw std::runtime_error("PNG write");
  out.resize(size);
  return out;
}

std::vector<uint8_t> EncodeBmp(const Pixels& p, int bits) {
  const size_t bytes = static_cast<size_t>(bits) / 8;
  const size_t stride = (static_cast<size_t>(p.width) * bytes + 3) / 4 * 4;
  std::vector<uint8_t> out(54 + stride * static_cast<size_t>(p.height));
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, 54);
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(p.width));
  Put32(out, 22, static_cast<uint32_t>(p.height));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<uint32_t>(bits));
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const size_t at = 54 + stride * static_cast<size_t>(p.height - 1 - y) + static_cast<size_t>(x) * bytes;
      const Pixel v = p.at(x, y);
      for (size_t i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
  return out;
}

}  // namespace eos::imaging::test
