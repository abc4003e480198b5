// JPEG encoding of the camera's pictures and decoding for checks, with libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "simulator/core/scene.h"

namespace eos::sim {

// Baseline JPEG of an RGB image; empty when libjpeg reports an error.
std::vector<uint8_t> EncodeJpeg(const Image& image, int quality);

// Pads a JPEG to `size` bytes with APP15 segments of filler right after its start marker,
// where cameras keep maker notes and previews; decoders skip them. A JPEG already that
// long, or less than 4 bytes short of it (a segment's smallest size), stays as it is.
void PadJpeg(std::vector<uint8_t>& jpeg, size_t size);

// Puts a comment segment (COM) with `text` right after a JPEG's start marker; decoders
// skip it. Data that does not start as a JPEG, or a text longer than a segment holds,
// stays as it is.
void CommentJpeg(std::vector<uint8_t>& jpeg, std::string_view text);

// The decoded picture, at 1/`denominator` of its size (1, 2, 4 or 8), or nothing when
// the data is not a JPEG libjpeg can read.
std::optional<Image> DecodeJpeg(const uint8_t* data, size_t size, int denominator = 1);

// The picture's size as its header says, without decoding it; false when the data is
// not a JPEG libjpeg can read.
bool JpegSize(const uint8_t* data, size_t size, int* width, int* height);

}  // namespace eos::sim
