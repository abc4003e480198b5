// Small pictures for the imaging tests, and their files in the formats the loaders read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/pixels.h"

namespace eos::imaging::test {

// A picture from rows of letters, each letter one colour of a fixed set of well
// separated colours (also in brightness, so a JPEG keeps them apart).
Pixels FromLetters(const std::vector<std::string>& rows);
// The letters back, '?' for a pixel of no known colour; `source` names the colours when
// they went through a lossy codec (its letters row by row, as given to FromLetters).
std::vector<std::string> ToLetters(const Pixels& p);
std::vector<std::string> ToLetters(const Pixels& p, const Pixels& source, const std::vector<std::string>& source_rows);

// Every pixel different: value = index + 1.
Pixels Numbered(int width, int height);

std::vector<uint8_t> EncodeJpeg(const Pixels& p, int quality = 95);
// How a JPEG stores its picture: the luma sampling factors (colour always 1 x 1), or
// grey, or red, green and blue without colour transform; baseline or progressive.
struct JpegForm {
  int luma_h = 2;
  int luma_v = 2;
  bool grey = false;
  bool rgb = false;
  bool progressive = false;
};
std::vector<uint8_t> EncodeJpeg(const Pixels& p, const JpegForm& form);
std::vector<uint8_t> EncodePng(const Pixels& p);
// An uncompressed bottom-up BMP of 24 or 32 bits per pixel.
std::vector<uint8_t> EncodeBmp(const Pixels& p, int bits);

}  // namespace eos::imaging::test
