// dlib's test photos and the face model, where scripts/setup.sh puts them in the build
// tree. A test that needs them is skipped, saying so, when set-up has not been run.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "face/detector.h"
#include "face/grey.h"

namespace eos::face::test {

std::string PhotoPath(const std::string& name);
std::string ModelPath();

// Empty when the photos and the model are there, else what is missing.
std::string MissingSetUp();

std::vector<uint8_t> ReadFile(const std::string& path);

// The photo's luma at full size.
GreyImage LoadPhoto(const std::string& name);

// A camera's picture made of a photo: enlarged by `factor` (each sample a factor x factor
// block) and stored turned back by `angle_cw`, so that turning it by that angle shows the
// photo upright; a colour JPEG of grey pixels.
std::vector<uint8_t> PictureOf(const GreyImage& photo, int factor, int angle_cw);

// The model, loaded once for all tests of the process.
std::shared_ptr<const FaceModel> SharedModel();

}  // namespace eos::face::test

#define EOS_SKIP_WITHOUT_SET_UP()                                                       \
  do {                                                                                  \
    const std::string missing = ::eos::face::test::MissingSetUp();                      \
    if (!missing.empty()) GTEST_SKIP() << "run scripts/setup.sh first: no " << missing; \
  } while (false)
