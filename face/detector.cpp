#include "face/detector.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <fstream>
#include <istream>
#include <streambuf>
#include <utility>

// dlib's headers come in as system headers: the project's warnings stay on for this file.
#include <dlib/array2d.h>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/image_processing/shape_predictor.h>

namespace eos::face {

const Sha256Digest kModelSha256 = {0xc4, 0xb1, 0xe9, 0x80, 0x47, 0x92, 0x70, 0x7d, 0x3a, 0x40, 0x5c,
                                   0x2c, 0x16, 0xa8, 0x0a, 0x20, 0x26, 0x9e, 0x66, 0x75, 0x02, 0x1f,
                                   0x64, 0xa4, 0x1d, 0x30, 0xff, 0xfa, 0xfb, 0xc4, 0x18, 0x88};

namespace {

// Reads a byte span as a stream without copying it.
class SpanBuffer : public std::streambuf {
 public:
  explicit SpanBuffer(std::span<const uint8_t> bytes) {
    // The get area is only read; streambuf's interface wants it writable.
    char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    setg(begin, begin, begin + bytes.size());
  }
};

std::string MissingText(const std::filesystem::path& path) { return "face model missing: " + path.string(); }

PointF Centre(const dlib::point& a, const dlib::point& b) {
  return {static_cast<double>(a.x() + b.x()) / 2 + 0.5, static_cast<double>(a.y() + b.y()) / 2 + 0.5};
}

}  // namespace

struct FaceModel::Parts {
  dlib::frontal_face_detector detector;
  dlib::shape_predictor landmarks;
};

FaceModel::FaceModel(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
FaceModel::~FaceModel() = default;

std::shared_ptr<const FaceModel> FaceModel::FromBytes(std::span<const uint8_t> bytes, std::string& error) {
  try {
    if (bytes.size() != kModelBytes) {
      error = "face model of " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(kModelBytes);
      return nullptr;
    }
    if (Sha256Of(bytes) != kModelSha256) {
      error = "face model with another SHA-256 than the one shipped";
      return nullptr;
    }
    auto parts = std::make_unique<Parts>();
    parts->detector = dlib::get_frontal_face_detector();
    SpanBuffer buffer(bytes);
    std::istream in(&buffer);
    dlib::deserialize(parts->landmarks, in);
    return std::shared_ptr<const FaceModel>(new FaceModel(std::move(parts)));
  } catch (const std::exception& e) {
    error = std::string("face model not readable: ") + e.what();
  }
  return nullptr;
}

bool FaceModel::FileThere(const std::filesystem::path& path, std::string& error) {
  try {
    if (std::ifstream(path, std::ios::binary)) return true;
    error = MissingText(path);
  } catch (const std::exception& e) {
    error = std::string("face model not readable: ") + e.what();
  }
  return false;
}

std::shared_ptr<const FaceModel> FaceModel::FromFile(const std::filesystem::path& path, std::string& error) {
  try {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      error = MissingText(path);
      return nullptr;
    }
    // One byte more than expected tells a longer file without reading all of it.
    std::vector<uint8_t> bytes(kModelBytes + 1);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) {
      error = "face model not readable: " + path.string();
      return nullptr;
    }
    bytes.resize(static_cast<size_t>(file.gcount()));
    return FromBytes(bytes, error);
  } catch (const std::exception& e) {
    error = std::string("face model not readable: ") + e.what();
  }
  return nullptr;
}

struct FaceFinder::State {
  dlib::frontal_face_detector detector;
  dlib::array2d<unsigned char> image;
  dlib::array2d<unsigned char> levels[2];  // the image reduced by skipped pyramid levels
  std::vector<dlib::rect_detection> found;
};

namespace {

// The detector's boxes at the finest level of its pyramid (its 80-pixel window less a
// margin, measured), and the growth from one level to the next (pyramid_down<6>).
constexpr double kFinestBox = 73;
constexpr double kLevelStep = 6.0 / 5.0;

}  // namespace

FaceFinder::FaceFinder(std::shared_ptr<const FaceModel> model) noexcept : model_(std::move(model)) {}
FaceFinder::~FaceFinder() = default;

bool FaceFinder::Find(const GreyView& image, std::vector<Face>& faces, std::string& error, double min_box) {
  faces.clear();
  try {
    if (!model_) {
      error = "no face model";
      return false;
    }
    if (!state_) {
      auto state = std::make_unique<State>();
      state->detector = model_->parts_->detector;
      state_ = std::move(state);
    }
    if (image.empty()) return true;
    dlib::array2d<unsigned char>& pixels = state_->image;
    pixels.set_size(image.height, image.width);
    for (int y = 0; y < image.height; ++y) std::copy_n(image.row(y), image.width, &pixels[y][0]);
    // The finest levels find only boxes smaller than asked for: the detector starts on the
    // image reduced as its pyramid would reduce it, and the boxes come back up.
    unsigned skip = 0;
    for (double box = kFinestBox; box < min_box; box *= kLevelStep) ++skip;
    const dlib::pyramid_down<6> pyramid;
    const dlib::array2d<unsigned char>* level = &pixels;
    for (unsigned i = 0; i < skip; ++i) {
      dlib::array2d<unsigned char>& next = state_->levels[i % 2];
      pyramid(*level, next);
      level = &next;
    }
    state_->found.clear();
    state_->detector(*level, state_->found);
    for (dlib::rect_detection& d : state_->found) {
      const dlib::drectangle up = pyramid.rect_up(dlib::drectangle(d.rect), skip);
      d.rect = dlib::rectangle(std::lround(up.left()), std::lround(up.top()), std::lround(up.right()),
                               std::lround(up.bottom()));
    }
    std::stable_sort(state_->found.begin(), state_->found.end(),
                     [](const dlib::rect_detection& a, const dlib::rect_detection& b) {
                       return a.detection_confidence > b.detection_confidence;
                     });
    for (const dlib::rect_detection& d : state_->found) {
      const dlib::full_object_detection shape = model_->parts_->landmarks(pixels, d.rect);
      Face face;
      face.box = {static_cast<double>(d.rect.left()), static_cast<double>(d.rect.top()),
                  static_cast<double>(d.rect.width()), static_cast<double>(d.rect.height())};
      // The model's points: two corners of one eye, two of the other, the nose.
      PointF a = Centre(shape.part(0), shape.part(1));
      PointF b = Centre(shape.part(2), shape.part(3));
      if (b.x < a.x) std::swap(a, b);
      face.eyes[0] = a;
      face.eyes[1] = b;
      face.eye_box = EyeBox(a, b);
      faces.push_back(face);
    }
    return true;
  } catch (const std::exception& e) {
    faces.clear();
    error = std::string("face detection failed: ") + e.what();
  }
  return false;
}

}  // namespace eos::face
