// JPEG encoding of the camera's pictures and decoding for checks, with libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "simulator/core/scene.h"

namespace eos::sim {

// Baseline JPEG of an RGB image; empty when libjpeg reports an error.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);

// The decoded picture, or nothing when the data is not a JPEG libjpeg can read.
std::optional<Image> DecodeJpeg(const uint8_t* data, size_t size);

}  // namespace eos::sim
