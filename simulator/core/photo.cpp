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

std::optional<Image> ReadPng(const uint8_t* data, size_t size, std::vector<uint8_t>* alpha, std::string* error) {
  PngReader reader;
  png_image& png = reader.image;
  if (!png_image_begin_read_from_memory(&png, data, size)) {
    *error = std::string("not a PNG that can be read: ") + png.message;
    return std::nullopt;
  }
  if (*error = CheckSize(png.width, png.height); !error->empty()) return std::nullopt;
  // Transparent parts are kept apart, for the backdrop to show through them.
  const bool transparent = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  png.format = transparent ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  Image img;
  img.width = static_cast<int>(png.width);
  img.height = static_cast<int>(png.height);
  const size_t pixels = static_cast<size_t>(img.width) * static_cast<size_t>(img.height);
  std::vector<uint8_t> samples(pixels * (transparent ? 4 : 3));
  if (!png_image_finish_read(&png, nullptr, samples.data(), 0, nullptr)) {
    *error = std::string("the PNG's data cannot be decoded: ") + png.message;
    return std::nullopt;
  }
  if (!transparent) {
    img.rgb = std::move(samples);
    return img;
  }
  img.rgb.resize(pixels * 3);
  alpha->resize(pixels);
  for (size_t i = 0; i < pixels; ++i) {
    std::copy_n(samples.data() + i * 4, 3, img.rgb.data() + i * 3);
    (*alpha)[i] = samples[i * 4 + 3];
  }
  return img;
}

// Half the size, each pixel the mean of four; an odd last row or column is left out,
// so that pixel i of the half covers pixels 2i and 2i+1 exactly. `channels` samples a
// pixel.
std::vector<uint8_t> Half(const std::vector<uint8_t>& src, int width, int height, size_t channels) {
  const int half_w = std::max(width / 2, 1), half_h = std::max(height / 2, 1);
  std::vector<uint8_t> out(static_cast<size_t>(half_w) * static_cast<size_t>(half_h) * channels);
  const size_t stride = static_cast<size_t>(width) * channels;
  uint8_t* o = out.data();
  for (int y = 0; y < half_h; ++y) {
    const uint8_t* a = src.data() + static_cast<size_t>(std::min(2 * y, height - 1)) * stride;
    const uint8_t* b = src.data() + static_cast<size_t>(std::min(2 * y + 1, height - 1)) * stride;
    for (int x = 0; x < half_w; ++x) {
      const size_t l = static_cast<size_t>(std::min(2 * x, width - 1)) * channels;
      const size_t r = static_cast<size_t>(std::min(2 * x + 1, width - 1)) * channels;
      for (size_t c = 0; c < channels; ++c)
        *o++ = static_cast<uint8_t>((a[l + c] + a[r + c] + b[l + c] + b[r + c] + 2) >> 2);
    }
  }
  return out;
}

Image Half(const Image& src) {
  return {std::max(src.width / 2, 1), std::max(src.height / 2, 1), Half(src.rgb, src.width, src.height, 3)};
}

// The picture blurred by three passes of a running mean of 2 * radius + 1 samples along
// each axis (close to a Gaussian of that radius), the edges repeated beyond the picture.
void Blur(Image& image, int radius) {
  if (radius <= 0) return;
  const auto pass = [&](int count, int length, size_t step, size_t line_step) {
    std::vector<uint8_t> line(static_cast<size_t>(length) * 3);
    const int window = 2 * radius + 1;
    for (int l = 0; l < count; ++l) {
      uint8_t* first = image.rgb.data() + static_cast<size_t>(l) * line_step;
      for (int i = 0; i < length; ++i)
        std::copy_n(first + static_cast<size_t>(i) * step, 3, &line[static_cast<size_t>(i) * 3]);
      const auto at = [&](int i, size_t c) { return line[static_cast<size_t>(std::clamp(i, 0, length - 1)) * 3 + c]; };
      for (size_t c = 0; c < 3; ++c) {
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) sum += at(i, c);
        for (int i = 0; i < length; ++i) {
          first[static_cast<size_t>(i) * step + c] = static_cast<uint8_t>((sum + window / 2) / window);
          sum += at(i + radius + 1, c) - at(i - radius, c);
        }
      }
    }
  };
  const size_t row = static_cast<size_t>(image.width) * 3;
  for (int k = 0; k < 3; ++k) {
    pass(image.height, image.width, 3, row);
    pass(image.width, image.height, row, 3);
  }
}

// Each sample times 2^stops, clipped to white.
void Expose(Image& image, double stops) {
  if (stops == 0) return;
  uint8_t table[256];
  const double gain = std::exp2(stops);
  for (int v = 0; v < 256; ++v) table[v] = static_cast<uint8_t>(std::min(255.0, std::round(v * gain)));
  for (uint8_t& v : image.rgb) v = table[v];
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

Photo::Photo(Image full, std::vector<uint8_t> alpha) {
  while (std::max(full.width, full.height) > kPhotoKeptSide) {
    if (!alpha.empty()) alpha = Half(alpha, full.width, full.height, 1);
    full = Half(full);
  }
  levels_.push_back(std::move(full));
  if (!alpha.empty()) alpha_.push_back(std::move(alpha));
  while (std::max(levels_.back().width, levels_.back().height) > 8 &&
         std::min(levels_.back().width, levels_.back().height) >= 2) {
    const Image& last = levels_.back();
    if (!alpha_.empty()) alpha_.push_back(Half(alpha_.back(), last.width, last.height, 1));
    Image half = Half(last);
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
  std::vector<uint8_t> alpha;
  if (size >= sizeof kJpeg && std::memcmp(data, kJpeg, sizeof kJpeg) == 0) {
    img = ReadJpeg(data, size, error);
  } else if (size >= sizeof kPng && std::memcmp(data, kPng, sizeof kPng) == 0) {
    img = ReadPng(data, size, &alpha, error);
  } else {
    *error = "neither a JPEG nor a PNG file";
  }
  if (!img) return std::nullopt;
  return Photo(std::move(*img), std::move(alpha));
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
  const uint8_t* alpha_plane = alpha_.empty() ? nullptr : alpha_[k].data();
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
    // Compared before they become whole numbers: for a turn of a quarter the sine or the
    // cosine is a rounding error from 0, and its bound far beyond any int.
    if (!(lo < hi)) continue;
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
      // The opacity of a transparent photo, bilinear like its colours, over the backdrop.
      uint32_t opacity = 65536;
      if (alpha_plane) {
        const uint8_t* a =
            alpha_plane + static_cast<size_t>(iv) * static_cast<size_t>(src.width) + static_cast<size_t>(iu);
        const uint8_t* a_below = wv != 0 ? a + src.width : a;
        const size_t a_right = right / 3;
        const uint32_t top = a[0] * (256 - wu) + a[a_right] * wu,
                       bottom = a_below[0] * (256 - wu) + a_below[a_right] * wu;
        opacity = ((top * (256 - wv) + bottom * wv) * 257 + 32768) >> 16;
        if (opacity == 0) continue;
      }
      for (size_t c = 0; c < 3; ++c) {
        const uint32_t top = p[c] * (256 - wu) + p[c + right] * wu;
        const uint32_t bottom = below[c] * (256 - wu) + below[c + right] * wu;
        const uint32_t colour = (top * (256 - wv) + bottom * wv + 32768) >> 16;
        out[c] = static_cast<uint8_t>((colour * opacity + out[c] * (65536 - opacity) + 32768) >> 16);
      }
    }
  }
}

Image RenderPhoto(const Photo& photo, const std::vector<Placement>& subjects, int width, int height, uint32_t frame,
                  const PhotoLook& look) {
  Image img;
  img.width = std::max(width, 1);
  img.height = std::max(height, 1);
  img.rgb.resize(static_cast<size_t>(img.width) * static_cast<size_t>(img.height) * 3);
  const size_t row = static_cast<size_t>(img.width) * 3;
  for (int x = 0; x < img.width; ++x) {
    const double along = (x + 0.5) / img.width;
    const auto grey =
        static_cast<uint8_t>(std::lround(look.backdrop_left + (look.backdrop_right - look.backdrop_left) * along));
    std::fill_n(img.rgb.data() + static_cast<size_t>(x) * 3, 3, grey);
  }
  for (int y = 1; y < img.height; ++y) std::copy_n(img.rgb.data(), row, img.rgb.data() + static_cast<size_t>(y) * row);
  if (subjects.empty()) {
    photo.Draw(img, photo.Cover(img.width, img.height));
  } else if (const Placement* p = PlacementAt(subjects, frame)) {
    photo.Draw(img, *p);
  }
  Blur(img, static_cast<int>(std::lround(look.blur * img.height)));
  Expose(img, look.exposure);
  return img;
}

}  // namespace eos::sim
