#include "dialog/core/picture_frame.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

struct FitCase {
  const char* what;
  int area_w, area_h, frame_w, frame_h;
  double ratio;
  Rect want;
};

TEST(PictureFrame, FitsCentredOnTheTighterSide) {
  const FitCase cases[] = {
      {"designed size before a frame: 3 px from the top", 608, 411, 608, 408, 2.0 / 3, {0, 3, 608, 405}},
      {"height tighter: centred across", 800, 411, 608, 408, 2.0 / 3, {92, 0, 616, 411}},
      {"portrait frame keeps the inverted ratio", 608, 411, 408, 608, 2.0 / 3, {167, 0, 274, 411}},
      {"portrait, width tighter", 300, 600, 408, 608, 2.0 / 3, {0, 75, 300, 450}},
      {"half rounds to even (102.5 -> 102)", 205, 1000, 205, 100, 0.5, {0, 449, 205, 102}},
      {"half rounds to even (103.5 -> 104)", 207, 1000, 207, 100, 0.5, {0, 448, 207, 104}},
      {"odd difference truncates", 10, 9, 10, 4, 0.5, {0, 2, 10, 5}},
      {"a square frame counts as landscape", 100, 100, 50, 50, 2.0, {25, 0, 50, 100}},
      {"empty area leaves the frame", 0, 411, 608, 408, 2.0 / 3, {0, 0, 608, 408}},
      {"empty frame is left alone", 608, 411, 0, 0, 2.0 / 3, {0, 0, 0, 0}},
  };
  for (const FitCase& c : cases) {
    const Rect r = FitPictureFrame(c.area_w, c.area_h, c.frame_w, c.frame_h, c.ratio);
    EXPECT_EQ(r.left, c.want.left) << c.what;
    EXPECT_EQ(r.top, c.want.top) << c.what;
    EXPECT_EQ(r.width, c.want.width) << c.what;
    EXPECT_EQ(r.height, c.want.height) << c.what;
  }
}

TEST(PictureFrame, AnglesOfTheRotateButtons) {
  const struct {
    int in, normalised, control;
  } cases[] = {{0, 0, 0},      {90, 90, 270}, {180, 180, 180}, {270, 270, 90},
               {-90, 270, 90}, {360, 0, 0},   {-180, 180, 180}};
  for (const auto& c : cases) {
    EXPECT_EQ(NormaliseAngle(c.in), c.normalised) << c.in;
    EXPECT_EQ(ToControlAngle(NormaliseAngle(c.in)), c.control) << c.in;
  }
}

TEST(PictureFrame, QuarterTurnsSwapTheSidesOnce) {
  EXPECT_TRUE(TurnSwapsSides(90, 608, 405));    // landscape turned to 90
  EXPECT_FALSE(TurnSwapsSides(270, 405, 608));  // already portrait
  EXPECT_TRUE(TurnSwapsSides(180, 405, 608));   // back to landscape
  EXPECT_FALSE(TurnSwapsSides(0, 608, 405));
  EXPECT_FALSE(TurnSwapsSides(90, 400, 400));  // a square never swaps
}

TEST(PictureFrame, ARefusedShotShowsTheCamerasWords) {
  const struct {
    const char16_t* message;
    const char16_t* shown;
  } cases[] = {
      {u"Remote process stopped: EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed",
       u"Take picture error, focus failed"},
      {u"Remote process stopped: EdsSendCommand errorcode 0x000000C1, Communication disconnected",
       u"Communication disconnected"},
      {u"EdsSendCommand errorcode 0x00000081, Device busy", u"Device busy"},
      // Without the SDK's words the whole message is all there is.
      {u"Remote process stopped: Camera not connected", u"Remote process stopped: Camera not connected"},
      {u"errorcode 0x0000", u"errorcode 0x0000"},
      {u"errorcode 0x00000081 Device busy", u"errorcode 0x00000081 Device busy"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ShotFailureText(c.message), c.shown) << ToUtf8(c.message);
}

}  // namespace
}  // namespace eos
