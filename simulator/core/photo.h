// A photograph the camera shows in place of its scene (the scenario's live_view_picture):
// read once, kept at halving sizes so that each picture is drawn from the size nearest
// to what it needs, and placed on plain grey as the subject lines say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulator/core/scenario.h"
#include "simulator/core/scene.h"

namespace eos::sim {

// What a photo may be: larger ones are refused, not shrunk.
inline constexpr int kPhotoMaxSide = 16384;
inline constexpr long long kPhotoMaxPixels = 40LL * 1000 * 1000;
inline constexpr size_t kPhotoMaxFileBytes = 64u << 20;
// The largest size kept: a larger photo is reduced to it when read.
inline constexpr int kPhotoKeptSide = 4096;

class Photo {
 public:
  // Reads a JPEG or PNG file (told apart by their first bytes); nothing, with `error`
  // saying why, when it cannot be used.
  static std::optional<Photo> Load(const std::string& path, std::string* error);
  static std::optional<Photo> Decode(const uint8_t* data, size_t size, std::string* error);

  // Whether the photo has transparent parts (a PNG with alpha), where the backdrop shows.
  bool Transparent() const { return !alpha_.empty(); }
  // The size kept (at most kPhotoKeptSide on the longer side).
  int width() const { return levels_.front().width; }
  int height() const { return levels_.front().height; }

  // Draws the photo over `image` where `placement` puts it, bilinear from the kept size
  // nearest above what it needs.
  void Draw(Image& image, const Placement& placement) const;
  // The placement that covers a picture of that size, centred, its overflow cut off.
  Placement Cover(int width, int height) const;

 private:
  Photo(Image full, std::vector<uint8_t> alpha);
  std::vector<Image> levels_;                // each half the size of the one before
  std::vector<std::vector<uint8_t>> alpha_;  // their opacity, a sample a pixel; none when opaque
};

// A picture of the given size showing the photo on its backdrop: where the subject line of
// `frame` puts it (nothing before the first line's frame), or covering the picture
// without subject lines; then blurred and exposed as `look` says.
Image RenderPhoto(const Photo& photo, const std::vector<Placement>& subjects, int width, int height, uint32_t frame,
                  const PhotoLook& look = {});

}  // namespace eos::sim
