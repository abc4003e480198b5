// Faces and their eyes on grey pictures: dlib's HOG frontal face detector and its
// 5-point landmark model. The model file ships beside the plug-in and is checked by
// length and SHA-256 before dlib reads it. dlib's exceptions stay inside: every call
// answers its result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/sha256.h"
#include "face/face.h"
#include "face/grey.h"

namespace eos::face {

// The 5-point landmark model: its folder beside the plug-in, its file name, and the
// length and digest of the one file this code was made for.
inline constexpr char kModelFolder[] = "Canon_EOS_SDK_Face";
inline constexpr char kModelFileName[] = "shape_predictor_5_face_landmarks.dat";
inline constexpr size_t kModelBytes = 9150489;
extern const Sha256Digest kModelSha256;

// The side of the detector's window in pixels. Its smallest boxes, about 73 pixels, are
// found at the window's own scale, at the edge of what it tells apart; its next ones are
// about 88 pixels.
inline constexpr int kDetectorWindow = 80;

// The detector and the landmark model, loaded once; immutable, so threads may share it.
class FaceModel {
 public:
  ~FaceModel();
  FaceModel(const FaceModel&) = delete;
  FaceModel& operator=(const FaceModel&) = delete;

  // Null with `error` set when the bytes are not the expected model or dlib cannot read them.
  static std::shared_ptr<const FaceModel> FromBytes(std::span<const uint8_t> bytes, std::string& error);
  // Null with `error` set also when the file is missing or unreadable.
  static std::shared_ptr<const FaceModel> FromFile(const std::filesystem::path& path, std::string& error);
  // False with `error` set when there is no file at `path` to read: what can be told at
  // once, without reading and checking the model.
  static bool FileThere(const std::filesystem::path& path, std::string& error);

 private:
  friend class FaceFinder;
  struct Parts;
  explicit FaceModel(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

// Finds faces with a shared model. The detector keeps working state, so one finder
// serves one thread at a time; it is made at the first Find.
class FaceFinder {
 public:
  explicit FaceFinder(std::shared_ptr<const FaceModel> model) noexcept;
  ~FaceFinder();
  FaceFinder(const FaceFinder&) = delete;
  FaceFinder& operator=(const FaceFinder&) = delete;

  // The upright faces of `image` in its own coordinates, the strongest first. Faces whose
  // box is smaller than `min_box` need not be found: the finest levels of the detector's
  // picture pyramid, which find only those, are skipped, and the search costs less (a
  // level holds about a third of the work). False with `error` set when dlib fails (out
  // of memory, say); `faces` is then empty.
  bool Find(const GreyView& image, std::vector<Face>& faces, std::string& error, double min_box = 0);

 private:
  struct State;
  std::shared_ptr<const FaceModel> model_;
  std::unique_ptr<State> state_;
};

}  // namespace eos::face
