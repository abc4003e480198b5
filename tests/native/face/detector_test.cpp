#include "face/detector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>

#include "face/find.h"
#include "face/worker.h"
#include "photos.h"

namespace eos::face {
namespace {

using test::LoadPhoto;
using test::SharedModel;

// --- The model's checks ---------------------------------------------------------------

TEST(FaceModel, TheShippedFileLoads) {
  EOS_SKIP_WITHOUT_SET_UP();
  std::string error;
  EXPECT_TRUE(FaceModel::FromFile(test::ModelPath(), error)) << error;
}

TEST(FaceModel, AnythingElseIsRefusedWithItsReason) {
  EOS_SKIP_WITHOUT_SET_UP();
  const std::vector<uint8_t> model = test::ReadFile(test::ModelPath());
  ASSERT_EQ(model.size(), kModelBytes);
  std::vector<uint8_t> altered = model;
  altered[altered.size() / 2] ^= 0x01;
  std::vector<uint8_t> longer = model;
  longer.push_back(0);
  const struct {
    const char* name;
    std::span<const uint8_t> bytes;
    const char* reason;
  } cases[] = {
      {"empty", {}, "face model of 0 bytes, not 9150489"},
      {"truncated", std::span(model).first(model.size() - 1), "face model of 9150488 bytes, not 9150489"},
      {"longer", longer, "face model of 9150490 bytes, not 9150489"},
      {"one bit changed", altered, "face model with another SHA-256 than the one shipped"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(FaceModel::FromBytes(c.bytes, error)) << c.name;
    EXPECT_EQ(error, c.reason) << c.name;
  }

  // A file is read no further than one byte past the model's length.
  const std::string path = ::testing::TempDir() + "face_model_longer.dat";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(longer.data()), static_cast<std::streamsize>(longer.size()));
  std::string error;
  EXPECT_FALSE(FaceModel::FromFile(path, error));
  EXPECT_EQ(error, "face model of 9150490 bytes, not 9150489");
  std::filesystem::remove(path);
}

TEST(FaceModel, AMissingFileIsNamed) {
  std::string error;
  EXPECT_FALSE(FaceModel::FromFile("no_such_folder/shape_predictor_5_face_landmarks.dat", error));
  EXPECT_EQ(error.rfind("face model missing: ", 0), 0u) << error;
  EXPECT_NE(error.find("no_such_folder"), std::string::npos) << error;
}

// What can be told of the model file at once, and the same words as reading it gives.
TEST(FaceModel, WhetherTheFileIsThereIsToldWithoutReadingIt) {
  const std::string nowhere = "no_such_folder/shape_predictor_5_face_landmarks.dat";
  std::string there_error, read_error;
  EXPECT_FALSE(FaceModel::FileThere(nowhere, there_error));
  EXPECT_FALSE(FaceModel::FromFile(nowhere, read_error));
  EXPECT_EQ(there_error, read_error);
  EOS_SKIP_WITHOUT_SET_UP();
  std::string error;
  EXPECT_TRUE(FaceModel::FileThere(test::ModelPath(), error)) << error;
}

// A worker's preparation reads the model, unless the caller has it; the model read is
// given back for the caller to keep.
TEST(WorkWithModel, ThePreparationReadsTheModelOnlyWhenNoneIsGiven) {
  std::string error;
  const ModelWork none = WorkWithModel(nullptr, "no_such_folder/shape_predictor_5_face_landmarks.dat");
  EXPECT_FALSE(none.prepare(error));
  EXPECT_EQ(error.rfind("face model missing: ", 0), 0u) << error;
  EXPECT_EQ(none.model(), nullptr);

  EOS_SKIP_WITHOUT_SET_UP();
  const ModelWork given = WorkWithModel(SharedModel(), "no_such_folder/shape_predictor_5_face_landmarks.dat");
  EXPECT_TRUE(given.prepare(error)) << error;
  EXPECT_EQ(given.model(), SharedModel());

  const ModelWork read = WorkWithModel(nullptr, test::ModelPath());
  EXPECT_EQ(read.model(), nullptr);
  ASSERT_TRUE(read.prepare(error)) << error;
  ASSERT_NE(read.model(), nullptr);
  FrameFaces faces;
  const GreyImage grey = LoadPhoto("2008_002470.jpg");
  EXPECT_TRUE(read.detect(ViewOf(grey), {}, faces, error)) << error;
}

TEST(FaceFinder, WithoutAModelItSaysSo) {
  FaceFinder finder(nullptr);
  const uint8_t pixel = 0;
  std::vector<Face> faces;
  std::string error;
  EXPECT_FALSE(finder.Find({1, 1, 1, &pixel}, faces, error));
  EXPECT_EQ(error, "no face model");
}

// --- Faces on dlib's test photos ---------------------------------------------------------

struct Annotated {
  Box box;
  PointF eyes[2];
};

// The faces the source package annotates (with its 68-point model) in its test photos:
// each eye is the mean of its two corners, points 36 and 39, 42 and 45.
std::vector<Annotated> Annotations(const std::string& photo) {
  std::vector<Annotated> out;
  for (const char* list : {"testing_with_face_landmarks.xml", "training_with_face_landmarks.xml"}) {
    const std::vector<uint8_t> bytes = test::ReadFile(test::PhotoPath(list));
    const std::string xml(bytes.begin(), bytes.end());
    const size_t image = xml.find("<image file='" + photo + "'");
    if (image == std::string::npos) continue;
    const std::string entry = xml.substr(image, xml.find("</image>", image) - image);
    const std::regex box_re(R"(<box top='(\d+)' left='(\d+)' width='(\d+)' height='(\d+)')");
    const std::regex part_re(R"(<part name='(\d+)' x='(\d+)' y='(\d+)'/>)");
    for (auto b = std::sregex_iterator(entry.begin(), entry.end(), box_re); b != std::sregex_iterator(); ++b) {
      Annotated a{{std::stod((*b)[2]), std::stod((*b)[1]), std::stod((*b)[3]), std::stod((*b)[4])}, {}};
      const size_t end = entry.find("</box>", static_cast<size_t>(b->position()));
      const std::string parts =
          entry.substr(static_cast<size_t>(b->position()), end - static_cast<size_t>(b->position()));
      for (auto p = std::sregex_iterator(parts.begin(), parts.end(), part_re); p != std::sregex_iterator(); ++p) {
        const int n = std::stoi((*p)[1]);
        const int eye = n == 36 || n == 39 ? 0 : n == 42 || n == 45 ? 1 : -1;
        if (eye < 0) continue;
        a.eyes[eye].x += (std::stod((*p)[2]) + 0.5) / 2;  // pixel centres
        a.eyes[eye].y += (std::stod((*p)[3]) + 0.5) / 2;
      }
      out.push_back(a);
    }
  }
  return out;
}

double Distance(PointF a, PointF b) { return std::hypot(a.x - b.x, a.y - b.y); }

// How many faces the detector finds on each photo (only faces of at least about 73
// pixels: the photos are not enlarged first), and that each one is an annotated face
// with its eyes where the annotation has them.
TEST(FaceFinder, FindsTheAnnotatedFacesOfTheTestPhotos) {
  EOS_SKIP_WITHOUT_SET_UP();
  const struct {
    const char* photo;
    size_t faces;
  } cases[] = {
      {"2008_002506.jpg", 3}, {"2009_004587.jpg", 2},           {"2008_001322.jpg", 3}, {"2008_002079.jpg", 1},
      {"2008_007676.jpg", 0}, {"Tom_Cruise_avp_2014_4.jpg", 1}, {"dogs.jpg", 0},
  };
  FaceFinder finder(SharedModel());
  for (const auto& c : cases) {
    const GreyImage photo = LoadPhoto(c.photo);
    std::vector<Face> faces;
    std::string error;
    ASSERT_TRUE(finder.Find(ViewOf(photo), faces, error)) << c.photo << ": " << error;
    EXPECT_EQ(faces.size(), c.faces) << c.photo;
    const std::vector<Annotated> annotated = Annotations(c.photo);
    for (const Face& face : faces) {
      EXPECT_LT(face.eyes[0].x, face.eyes[1].x) << c.photo;
      const double tolerance = 0.15 * face.box.width;
      if (annotated.empty()) {
        for (const PointF eye : face.eyes) {
          EXPECT_GT(eye.x, face.box.left) << c.photo;
          EXPECT_LT(eye.x, face.box.right()) << c.photo;
          EXPECT_GT(eye.y, face.box.top) << c.photo;
          EXPECT_LT(eye.y, face.box.top + face.box.height / 2) << c.photo;
        }
        continue;
      }
      const auto match =
          std::min_element(annotated.begin(), annotated.end(), [&](const Annotated& a, const Annotated& b) {
            return Distance(a.eyes[0], face.eyes[0]) < Distance(b.eyes[0], face.eyes[0]);
          });
      EXPECT_LT(Distance(match->eyes[0], face.eyes[0]), tolerance) << c.photo << " face at " << face.box.left;
      EXPECT_LT(Distance(match->eyes[1], face.eyes[1]), tolerance) << c.photo << " face at " << face.box.left;
    }
  }
}

// Asked for faces of at least 80 pixels, the detector skips its finest level (boxes of
// about 73 pixels) and finds the larger faces where it finds them without skipping.
TEST(FaceFinder, SkipsTheLevelsOfFacesTooSmall) {
  EOS_SKIP_WITHOUT_SET_UP();
  FaceFinder finder(SharedModel());
  const GreyImage photo = LoadPhoto("2009_004587.jpg");  // faces of 88 and 73 pixels
  std::vector<Face> all, large;
  std::string error;
  ASSERT_TRUE(finder.Find(ViewOf(photo), all, error)) << error;
  ASSERT_TRUE(finder.Find(ViewOf(photo), large, error, kDetectorWindow)) << error;
  ASSERT_EQ(all.size(), 2u);
  ASSERT_EQ(large.size(), 1u);
  const Face& same = all[0].box.width > all[1].box.width ? all[0] : all[1];
  EXPECT_NEAR(large[0].box.left, same.box.left, 3);
  EXPECT_NEAR(large[0].box.top, same.box.top, 3);
  EXPECT_NEAR(large[0].box.width, same.box.width, 3);
  for (int i = 0; i < 2; ++i) EXPECT_LT(Distance(large[0].eyes[i], same.eyes[i]), 3) << i;
  ASSERT_TRUE(finder.Find(ViewOf(LoadPhoto("2008_002079.jpg")), large, error, kDetectorWindow)) << error;
  EXPECT_TRUE(large.empty());  // its one face is of 73 pixels
}

// --- Frames turned and mirrored ------------------------------------------------------------

const Orientation kOrientations[] = {{0, false}, {90, false}, {180, false}, {270, false},
                                     {0, true},  {90, true},  {180, true},  {270, true}};

// The frame that shows as `shown` under `o`.
GreyImage Unshown(const GreyImage& shown, Orientation o) {
  const bool sideways = o.angle_cw % 180 != 0;
  GreyImage frame;
  frame.Resize(sideways ? shown.height : shown.width, sideways ? shown.width : shown.height);
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const PointF p = ToShown(PointF{x + 0.5, y + 0.5}, frame.width, frame.height, o);
      frame.at(x, y) = ViewOf(shown).row(static_cast<int>(p.y))[static_cast<int>(p.x)];
    }
  return frame;
}

// Even sides, so that a frame reduced by 2 and turned is the upright photo reduced by 2.
GreyImage EvenPortrait() {
  const GreyImage photo = LoadPhoto("Tom_Cruise_avp_2014_4.jpg");  // 565 x 800
  GreyImage even;
  even.Resize(photo.width & ~1, photo.height & ~1);
  for (int y = 0; y < even.height; ++y) std::copy_n(ViewOf(photo).row(y), even.width, &even.at(0, y));
  return even;
}

// A camera turned either way, a mirrored view: the face is found upright as shown and
// comes back in the frame's own coordinates.
TEST(FindInFrame, FacesComeBackIntoTheFrame) {
  EOS_SKIP_WITHOUT_SET_UP();
  const GreyImage upright = EvenPortrait();
  FaceFinder finder(SharedModel());
  FrameScratch scratch;
  FrameFaces reference;
  std::string error;
  ASSERT_TRUE(FindInFrame(finder, ViewOf(upright), {}, 400, scratch, reference, error)) << error;
  EXPECT_EQ(reference.min_face, 160);  // 800 pixels reduced by 2
  ASSERT_EQ(reference.faces.size(), 1u);
  const Face& face = reference.faces[0];
  EXPECT_GT(face.box.width, 300);
  for (const Orientation o : kOrientations) {
    const GreyImage frame = Unshown(upright, o);
    FrameFaces found;
    ASSERT_TRUE(FindInFrame(finder, ViewOf(frame), o, 400, scratch, found, error)) << error;
    EXPECT_EQ(found.width, frame.width);
    EXPECT_EQ(found.shown.angle_cw, o.angle_cw);
    ASSERT_EQ(found.faces.size(), 1u) << o.angle_cw << (o.mirror ? " mirrored" : "");
    const Face expected = FromShown(face, frame.width, frame.height, o);
    for (int i = 0; i < 2; ++i) {
      EXPECT_LT(Distance(found.faces[0].eyes[i], expected.eyes[i]), 2.0) << o.angle_cw << (o.mirror ? " m" : "");
    }
    EXPECT_NEAR(found.faces[0].box.left, expected.box.left, 2.0) << o.angle_cw << (o.mirror ? " m" : "");
    EXPECT_NEAR(found.faces[0].box.top, expected.box.top, 2.0) << o.angle_cw << (o.mirror ? " m" : "");
    EXPECT_NEAR(found.faces[0].box.width, expected.box.width, 2.0) << o.angle_cw << (o.mirror ? " m" : "");
  }
  // Not turned, the sideways face is not found: the detector knows upright faces only.
  FrameFaces sideways;
  ASSERT_TRUE(FindInFrame(finder, ViewOf(Unshown(upright, {90, false})), {}, 400, scratch, sideways, error));
  EXPECT_TRUE(sideways.faces.empty());
}

// --- The taken picture ------------------------------------------------------------------

TEST(PictureFace, ScaleKeepsTheGreyPlaneNearTheWorkingSize) {
  EXPECT_EQ(PictureScaleDenom(6000, 4000), 8);
  EXPECT_EQ(PictureScaleDenom(3840, 2560), 8);
  EXPECT_EQ(PictureScaleDenom(3839, 2560), 4);
  EXPECT_EQ(PictureScaleDenom(1920, 1080), 4);
  EXPECT_EQ(PictureScaleDenom(960, 640), 2);
  EXPECT_EQ(PictureScaleDenom(800, 565), 1);
}

// The photo enlarged by 5 (a 4000-pixel camera picture), stored upright or turned: the
// face found through the reduced decode lies within 5 % of the face's size of the face
// found on the photo itself, in the stored file's pixels. The detector's own box, whose
// size comes in steps, is within a step.
TEST(PictureFace, MatchesTheFaceOfTheFullPhoto) {
  EOS_SKIP_WITHOUT_SET_UP();
  FaceFinder finder(SharedModel());
  const GreyImage photo = LoadPhoto("Tom_Cruise_avp_2014_4.jpg");
  std::vector<Face> original;
  std::string error;
  ASSERT_TRUE(finder.Find(ViewOf(photo), original, error)) << error;
  ASSERT_EQ(original.size(), 1u);
  constexpr int kEnlarged = 5;
  const Face upright = Scaled(original[0], kEnlarged);
  for (const int angle : {0, 90}) {
    const std::vector<uint8_t> jpeg = test::PictureOf(photo, kEnlarged, angle);
    const int width = (angle == 0 ? photo.width : photo.height) * kEnlarged;
    const int height = (angle == 0 ? photo.height : photo.width) * kEnlarged;
    ASSERT_EQ(PictureScaleDenom(width, height), 8);
    std::optional<PictureFace> found;
    ASSERT_TRUE(FindPictureFace(finder, jpeg, angle, found, error)) << error;
    ASSERT_TRUE(found.has_value()) << angle;
    const Face expected_face = FromShown(upright, width, height, {angle, false});
    const Box& expected = expected_face.eye_box;
    const double tolerance = 0.05 * expected.width;
    EXPECT_NEAR(found->left, expected.left, tolerance) << angle;
    EXPECT_NEAR(found->top, expected.top, tolerance) << angle;
    EXPECT_NEAR(found->width, expected.width, tolerance) << angle;
    EXPECT_NEAR(found->height, expected.height, tolerance) << angle;
    for (int i = 0; i < 2; ++i) {
      EXPECT_NEAR(found->eyes[i].x + 0.5, expected_face.eyes[i].x, tolerance) << angle << " eye " << i;
      EXPECT_NEAR(found->eyes[i].y + 0.5, expected_face.eyes[i].y, tolerance) << angle << " eye " << i;
    }
    EXPECT_NEAR(found->width, expected_face.box.width, 0.12 * expected_face.box.width) << angle;
  }
}

TEST(PictureFace, NoFaceAndNoPicture) {
  EOS_SKIP_WITHOUT_SET_UP();
  FaceFinder finder(SharedModel());
  std::optional<PictureFace> found = PictureFace{};
  std::string error;
  EXPECT_TRUE(FindPictureFace(finder, test::ReadFile(test::PhotoPath("dogs.jpg")), 0, found, error)) << error;
  EXPECT_FALSE(found.has_value());
  const std::vector<uint8_t> broken = {0xFF, 0xD8, 0xFF, 0xE0, 0x00};
  EXPECT_FALSE(FindPictureFace(finder, broken, 0, found, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(found.has_value());
}

// Several faces: the largest is the one reported.
TEST(PictureFace, TheLargestOfSeveral) {
  EOS_SKIP_WITHOUT_SET_UP();
  FaceFinder finder(SharedModel());
  std::optional<PictureFace> found;
  std::string error;
  ASSERT_TRUE(FindPictureFace(finder, test::ReadFile(test::PhotoPath("2009_004587.jpg")), 0, found, error)) << error;
  ASSERT_TRUE(found.has_value());
  // The 88-pixel face of the two, the 73-pixel one lower right.
  EXPECT_EQ(found->eyes[0], (PixelPoint{176, 69}));
  EXPECT_EQ(found->eyes[1], (PixelPoint{207, 72}));
}

}  // namespace
}  // namespace eos::face
