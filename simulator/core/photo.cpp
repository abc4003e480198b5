#include "simulator/core/photo.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "base/cfile.h"
#include "simulator/core/jpeg.h"

namespace eos::sim {
namespace {

std::string CheckSize(long long width, long long height) {
  if (width <= kPhotoMaxSide && height <= kPhotoMaxSide && width * height <= kPhotoMaxPixels) return {};
  return "the picture is " + std::to_string(width) + "x" + std::to_string(height) + ", more than " +
         std::to_string(kPhotoMaxSide) + " pixels a side or " + std::to_string(kPhotoMaxPixels / 1000000) +
         " megapixels";
}

std::optional<Image> ReadJpeg(const uint8_t* data, size_t size, std::string* error) {
  int width = 0, height = 0;
  if (!JpegSize(data, size, &width, &height)) {
    *error = "not a JPEG that can be read";
    return std::nullopt;
  }
  if (*error = CheckSize(width, height); !error->empty()) return std::nullopt;
  // libjpeg scales by eighths while it decodes: a large photo never exists at full size.
  int denominator = 1;
  while (denominator < 8 && std::max(width, height) > kPhotoKeptSide * denominator) denominator *= 2;
  std::optional<Image> img = DecodeJpeg(data, size, denominator);
  if (!img) *error = "the JPEG's data cannot be decoded";
  return img;
}

// libpng's simplified interface keeps its own error jump; this only makes sure its
// memory goes when an allocation of ours throws in between.
struct PngReader {
  png_image image{};
  PngReader() { image.version = PNG_IMAGE_VERSION; }
  ~PngReader() { png_image_free(&image); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;
};

std::optional<Image> ReadPng(const uint8_t* data, size_t size, std::string* error) {
  PngReader reader;
  png_image& png = reader.image;
  if (!png_image_begin_read_from_memory(&png, data, size)) {
    *error = std::string("not a PNG that can be read: ") + png.message;
    return std::nullopt;
  }
  if (*error = CheckSize(png.width, png.height); !error->empty()) return std::nullopt;
  png.format = PNG_FORMAT_RGB;  // transparent parts over the grey the photo stands on
  Image img;
  img.width = static_cast<int>(png.width);
  img.height = static_cast<int>(png.height);
  img.rgb.resize(static_cast<size_t>(img.width) * static_cast<size_t>(img.height) * 3);
  const png_color background{kPhotoBackground, kPhotoBackground, kPhotoBackground};
  if (!png_image_finish_read(&png, &background, img.rgb.data(), 0, nullptr)) {
    *error = std::string("the PNG's data cannot be decoded: ") + png.message;
    return std::nullopt;
  }
  return img;
}

// Half the size, each pixel the mean of four; an odd last row or column is left out,
// so that pixel i of the half covers pixels 2i and 2i+1 exactly.
Image Half(const Image& src) {
  Image out;
  out.width = std::max(src.width / 2, 1);
  out.height = std::max(src.height / 2, 1);
  out.rgb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 3);
  const size_t stride = static_cast<size_t>(src.width) * 3;
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* a = src.rgb.data() + static_cast<size_t>(std::min(2 * y, src.height - 1)) * stride;
    const uint8_t* b = src.rgb.data() + static_cast<size_t>(std::min(2 * y + 1, src.height - 1)) * stride;
    uint8_t* o = out.rgb.data() + static_cast<size_t>(y) * out.width * 3;
    for (int x = 0; x < out.width; ++x) {
      const size_t l = static_cast<size_t>(std::min(2 * x, src.width - 1)) * 3;
      const size_t r = static_cast<size_t>(std::min(2 * x + 1, src.width - 1)) * 3;
      for (size_t c = 0; c < 3; ++c) *o++ = static_cast<uint8_t>((a[l + c] + a[r + c] + b[l + c] + b[r + c] + 2) >> 2);
    }
  }
  return out;
}

// Narrows [lo, hi) to the x where 0 <= at + step * x < end.
void Within(double at, double step, double end, double* lo, double* hi) {
  if (step == 0) {
    if (at < 0 || at >= end) *hi = *lo;
    return;
  }
  const double a = -at / step, b = (end - at) / step;
  *lo = std::max(*lo, std::min(a, b));
  *hi = std::min(*hi, std::max(a, b));
}

}  // namespace

Photo::Photo(Image full) {
  while (std::max(full.width, full.height) > kPhotoKeptSide) full = Half(full);
  levels_.push_back(std::move(full));
  while (std::max(levels_.back().width, levels_.back().height) > 8 &&
         std::min(levels_.back().width, levels_.back().height) >= 2) {
    Image half = Half(levels_.back());
    levels_.push_back(std::move(half));
  }
}

std::optional<Photo> Photo::Load(const std::string& path, std::string* error) {
  const CFile f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    *error = "cannot open the file";
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) {
    if (bytes.size() + n > kPhotoMaxFileBytes) {
      *error = "the file is larger than " + std::to_string(kPhotoMaxFileBytes >> 20) + " MB";
      return std::nullopt;
    }
    bytes.insert(bytes.end(), buf, buf + n);
  }
  if (std::ferror(f.get())) {
    *error = "cannot read the file";
    return std::nullopt;
  }
  return Decode(bytes.data(), bytes.size(), error);
}

std::optional<Photo> Photo::Decode(const uint8_t* data, size_t size, std::string* error) {
  static constexpr uint8_t kJpeg[] = {0xFF, 0xD8};
  static constexpr uint8_t kPng[] = {0x89, 'P', 'N', 'G'};
  std::optional<Image> img;
  if (size >= sizeof kJpeg && std::memcmp(data, kJpeg, sizeof kJpeg) == 0) {
    img = ReadJpeg(data, size, error);
  } else if (size >= sizeof kPng && std::memcmp(data, kPng, sizeof kPng) == 0) {
    img = ReadPng(data, size, error);
  } else {
    *error = "neither a JPEG nor a PNG file";
  }
  if (!img) return std::nullopt;
  return Photo(std::move(*img));
}

Placement Photo::Cover(int width, int height) const {
  const double picture = static_cast<double>(width) / height,
               photo = static_cast<double>(this->width()) / this->height();
  Placement p;
  p.scale = std::max(1.0, picture / photo);
  return p;
}

// Each picture pixel's centre is turned back into the photo, where four pixels of the
// kept size nearest above the need give its colour. A row's pixels inside the photo are
// found first, so the loop over them tests nothing but the edges of the kept image.
void Photo::Draw(Image& image, const Placement& placement) const {
  const double s = placement.scale * image.height / height();  // picture pixels per photo pixel
  size_t k = 0;
  while (k + 1 < levels_.size() && (2u << k) <= 1 / s) ++k;
  const Image& src = levels_[k];
  const double unit = std::ldexp(1.0, -static_cast<int>(k));  // kept pixels per photo pixel
  const double f = unit / s;                                  // kept pixels per picture pixel
  const double w = width() * unit, h = height() * unit;       // the photo's extent in kept pixels
  const double turn = placement.roll * std::numbers::pi / 180;
  const double cosine = std::cos(turn), sine = std::sin(turn);
  const double cx = placement.x * image.width, cy = placement.y * image.height;
  const double reach_y = (std::abs(sine) * width() + std::abs(cosine) * height()) * s / 2;
  const int y0 = std::max(static_cast<int>(std::floor(cy - reach_y)), 0);
  const int y1 = std::min(static_cast<int>(std::ceil(cy + reach_y)), image.height);
  const size_t stride = static_cast<size_t>(src.width) * 3;
  constexpr double kOne = 65536;  // 16.16 fixed point
  const auto du = static_cast<int64_t>(std::llround(cosine * f * kOne));
  const auto dv = static_cast<int64_t>(std::llround(-sine * f * kOne));
  for (int y = y0; y < y1; ++y) {
    // Where the row's pixel x = 0 falls in the kept image, and which x fall inside it.
    const double dx = 0.5 - cx, dy = y + 0.5 - cy;
    const double u = w / 2 + (dx * cosine + dy * sine) * f, v = h / 2 + (dy * cosine - dx * sine) * f;
    double lo = 0, hi = image.width;
    Within(u, cosine * f, w, &lo, &hi);
    Within(v, -sine * f, h, &lo, &hi);
    const int xa = static_cast<int>(std::ceil(lo)), xb = static_cast<int>(std::ceil(hi));
    if (xa >= xb) continue;
    int64_t fu = std::llround((u + cosine * f * xa - 0.5) * kOne), fv = std::llround((v - sine * f * xa - 0.5) * kOne);
    uint8_t* out = image.rgb.data() + (static_cast<size_t>(y) * image.width + xa) * 3;
    for (int x = xa; x < xb; ++x, fu += du, fv += dv, out += 3) {
      int64_t iu = fu >> 16, iv = fv >> 16;
      uint32_t wu = static_cast<uint32_t>(fu >> 8) & 255, wv = static_cast<uint32_t>(fv >> 8) & 255;
      if (iu < 0 || iu >= src.width - 1) {
        iu = std::clamp<int64_t>(iu, 0, src.width - 1);
        wu = 0;
      }
      if (iv < 0 || iv >= src.height - 1) {
        iv = std::clamp<int64_t>(iv, 0, src.height - 1);
        wv = 0;
      }
      const uint8_t* p = src.rgb.data() + static_cast<size_t>(iv) * stride + static_cast<size_t>(iu) * 3;
      const uint8_t* below = wv != 0 ? p + stride : p;
      const size_t right = wu != 0 ? 3 : 0;
      for (size_t c = 0; c < 3; ++c) {
        const uint32_t top = p[c] * (256 - wu) + p[c + right] * wu;
        const uint32_t bottom = below[c] * (256 - wu) + below[c + right] * wu;
        out[c] = static_cast<uint8_t>((top * (256 - wv) + bottom * wv + 32768) >> 16);
      }
    }
  }
}

Image RenderPhoto(const Photo& photo, const std::vector<Placement>& subjects, int width, int height, uint32_t frame) {
  Image img;
  img.width = std::max(width, 1);
  img.height = std::max(height, 1);
  img.rgb.assign(static_cast<size_t>(img.width) * static_cast<size_t>(img.height) * 3, kPhotoBackground);
  if (subjects.empty()) {
    photo.Draw(img, photo.Cover(img.width, img.height));
  } else if (const Placement* p = PlacementAt(subjects, frame)) {
    photo.Draw(img, *p);
  }
  return img;
}

}  // namespace eos::sim
