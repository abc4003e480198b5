// dlib's test photos and the face model, where scripts/setup.sh puts them in the build
// tree. A test that needs them is skipped, saying so, when set-up has not been run.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "face/detector.h"
#include "face/find.h"
#include "face/grey.h"
#include "simulator/core/scenario.h"

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

// A framing against the guide's template in the view as shown: the head's height as a
// fraction of the template's crop, its centre moved by fractions of the crop's sides, the
// head rolled by degrees clockwise; the view turned by `angle` (a camera on its side).
struct Framing {
  double head = 0.75;
  double dx = 0, dy = 0;
  double roll = 0;
  int angle = 0;
};

// Where the stand-in puts a photo of width x height pixels whose face is `face` (as
// FindPictureFace finds it on the photo) so that a frame of frame_w x frame_h, shown
// turned by the framing's angle, shows the head so. The photo's own eye line is levelled
// first.
sim::Placement PlaceFace(const PictureFace& face, int width, int height, const Framing& at, double frame_w,
                         double frame_h);

// A portrait as an ID desk photographs it, out of a photo with another background: the
// head cut out along an oval around the face found on it (the guide's head oval, a little
// larger, with a soft edge), the rest transparent, as a PNG that the stand-in shows on its
// backdrop; with its size and the face.
struct Portrait {
  std::vector<uint8_t> png;
  int width = 0, height = 0;
  PictureFace face;
};
Portrait CutOutPortrait(const std::vector<uint8_t>& jpeg, FaceFinder& finder);

// The model, loaded once for all tests of the process.
std::shared_ptr<const FaceModel> SharedModel();

}  // namespace eos::face::test

#define EOS_SKIP_WITHOUT_SET_UP()                                                       \
  do {                                                                                  \
    const std::string missing = ::eos::face::test::MissingSetUp();                      \
    if (!missing.empty()) GTEST_SKIP() << "run scripts/setup.sh first: no " << missing; \
  } while (false)
