// The check of a taken picture on the stand-in's pictures, made natively as the camera
// makes them: a portrait cut out of dlib's photo of Tom Cruise, framed as the guide's
// template asks, on the stand-in's backdrop, and each fault the stand-in can make. Each
// fault fails its own measure and no other; the undisturbed portrait passes all.
#include "face/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "face/find.h"
#include "photos.h"
#include "simulator/core/jpeg.h"
#include "simulator/core/photo.h"

namespace eos::face {
namespace {

constexpr int kPictureW = 1920, kPictureH = 1280;

struct Stage {
  test::Framing framing = {};
  sim::PhotoLook look = {};
};

class PictureCheck : public testing::Test {
 protected:
  void SetUp() override {
    EOS_SKIP_WITHOUT_SET_UP();
    if (!portrait_) {
      FaceFinder finder(test::SharedModel());
      portrait_ = test::CutOutPortrait(test::ReadFile(test::PhotoPath("Tom_Cruise_avp_2014_4.jpg")), finder);
    }
  }
  // The picture the stand-in takes of the portrait so, checked as the plug-in checks it.
  CheckResult Check(const Stage& stage) {
    std::string error;
    const std::optional<sim::Photo> photo = sim::Photo::Decode(portrait_->png.data(), portrait_->png.size(), &error);
    EXPECT_TRUE(photo) << error;
    if (!photo) return {};
    const sim::Placement at =
        test::PlaceFace(portrait_->face, portrait_->width, portrait_->height, stage.framing, kPictureW, kPictureH);
    const std::vector<uint8_t> jpeg =
        sim::EncodeJpeg(sim::RenderPhoto(*photo, {at}, kPictureW, kPictureH, 0, stage.look), 90);
    FaceFinder finder(test::SharedModel());
    PictureSearch search;
    EXPECT_TRUE(SearchPicture(finder, jpeg, stage.framing.angle, search, error)) << error;
    return CheckPicture(ViewOf(search.upright), search.faces);
  }
  static std::optional<test::Portrait> portrait_;
};
std::optional<test::Portrait> PictureCheck::portrait_;

TEST_F(PictureCheck, EachFaultOfTheStandInFailsItsOwnMeasureAndNoOther) {
  const struct {
    const char* name;
    Stage stage;
    const char* verdict;
  } cases[] = {
      {"good", {}, "OK"},
      {"darker", {.look = {.exposure = -2}}, "Dark"},
      {"brighter", {.look = {.exposure = 1.2}}, "Bright"},
      {"blurred", {.look = {.blur = 0.01}}, "Blurred"},
      {"turned", {.framing = {.roll = 15}}, "Roll"},
      {"too small", {.framing = {.head = 0.55}}, "HeadSize"},
      {"off to one side", {.framing = {.dx = 0.2}}, "HeadPosition"},
      {"uneven background", {.look = {.backdrop_left = 40, .backdrop_right = 220}}, "Background"},
      {"camera on its side", {.framing = {.angle = 90}}, "OK"},
      {"on its side, turned the other way", {.framing = {.angle = 270}}, "OK"},
  };
  // The values beside the verdicts, for the README's table of measures.
  std::printf("%-34s %-13s %s\n", "picture", "Check", "CheckValues");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CheckResult result = Check(c.stage);
    std::printf("%-34s %-13s %s\n", c.name, CheckVerdict(result).c_str(), CheckValues(result).c_str());
    EXPECT_EQ(CheckVerdict(result), c.verdict) << CheckValues(result);
  }
}

TEST(CheckPicture, NoFaceFailsFacesAloneAndMeasuresNothingElse) {
  GreyImage grey;
  grey.Resize(480, 320);
  std::fill(grey.data.begin(), grey.data.end(), uint8_t{128});
  const CheckResult result = CheckPicture(ViewOf(grey), {});
  EXPECT_EQ(CheckVerdict(result), "Faces");
  EXPECT_EQ(CheckValues(result), "Faces:0");
}

TEST(CheckPicture, AGroupFailsFaces) {
  EOS_SKIP_WITHOUT_SET_UP();
  FaceFinder finder(test::SharedModel());
  PictureSearch search;
  std::string error;
  ASSERT_TRUE(SearchPicture(finder, test::ReadFile(test::PhotoPath("2008_002506.jpg")), 0, search, error)) << error;
  const CheckResult result = CheckPicture(ViewOf(search.upright), search.faces);
  EXPECT_NE(std::find(result.failed.begin(), result.failed.end(), Fault::kFaces), result.failed.end())
      << CheckVerdict(result);
  const std::string values = CheckValues(result);
  ASSERT_EQ(values.rfind("Faces:", 0), 0u) << values;
  EXPECT_GE(std::stoi(values.substr(6)), 2) << values;
}

// The values name each measure once, in the table's order, and the verdict lists each
// failed measure's fault once, in the answer's order.
TEST(CheckPicture, TheAnswerNamesEachMeasureAndFaultOnce) {
  const auto rule = [](std::string_view name) {
    for (const MeasureRule& r : MeasureRules())
      if (r.name == name) return &r;
    return static_cast<const MeasureRule*>(nullptr);
  };
  CheckResult result;
  result.values = {{rule("Faces"), 1}, {rule("HeadSize"), 0.5}, {rule("Roll"), 7.25}};
  result.failed = {Fault::kHeadSize, Fault::kRoll};
  EXPECT_EQ(CheckVerdict(result), "HeadSize,Roll");
  EXPECT_EQ(CheckValues(result), "Faces:1,HeadSize:0.500,Roll:7.250");
  EXPECT_EQ(CheckVerdict(CheckResult{}), "OK");
}

}  // namespace
}  // namespace eos::face
