// A photo in place of the stand-in's scene, through the EDSDK.DLL's exports: a PNG with a
// patch of a colour nothing else has, placed and moved by subject lines; where the patch
// lands in the live-view frames and in the downloaded shot shows the placement.
#include <gtest/gtest.h>
#include <png.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "edsdk/EDSDK.h"
#include "simulator/core/jpeg.h"
#include "simulator/core/scene.h"
#include "tests/win/simulator/stand_in.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/wait.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

constexpr sim::Rgb kBody{40, 90, 160}, kPatch{255, 0, 255}, kGrey{128, 128, 128};

// 300 x 200, its top left 60 x 40 the patch: the patch's centre lies 120 and 80
// pixels left of and above the photo's.
std::string PatchedPng() {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) {
      const sim::Rgb c = x < 60 && y < 40 ? kPatch : kBody;
      rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = 300;
  png.height = 200;
  png.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&png, nullptr, &size, 0, rgb.data(), 0, nullptr));
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&png, out.data(), &size, 0, rgb.data(), 0, nullptr));
  out.resize(size);
  return out;
}

testing::AssertionResult Shows(const sim::Image& img, int x, int y, sim::Rgb want) {
  const uint8_t* p = &img.rgb[(static_cast<size_t>(y) * img.width + x) * 3];
  if (std::abs(p[0] - want.r) < 40 && std::abs(p[1] - want.g) < 40 && std::abs(p[2] - want.b) < 40)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "(" << x << ", " << y << ") is " << int{p[0]} << "," << int{p[1]} << ","
                                     << int{p[2]};
}

struct Probe {
  int x, y;
  sim::Rgb colour;
};

class PhotoInPlaceOfTheScene : public testing::Test {
 protected:
  void TearDown() override { SetEnvironmentVariableW(L"EOS_SIM_SCENARIO", nullptr); }

  TempDir dir_;
  Sdk sdk_;
};

EdsError EDS_STDCALL OnObject(EdsObjectEvent event, EdsBaseRef ref, EdsVoid* context) {
  if (event == kEdsObjectEvent_DirItemRequestTransfer) *static_cast<EdsBaseRef*>(context) = ref;
  return EDS_ERR_OK;
}

// Frames 1 to 4 at one place, from frame 5 on smaller, elsewhere and turned clockwise; the
// shot (frame 6) as frame 5, at its own size of 1440 x 960.
TEST_F(PhotoInPlaceOfTheScene, FramesAndTheShotShowItWhereTheSubjectLinesPutIt) {
  const Text photo = dir_.path() + u"patched.png";
  WriteFileBytes(photo, PatchedPng());
  const Text trace = dir_.path() + u"trace.txt";
  SetScenario("trace = " + win::ToAnsi(trace) + "\npicture_size = 1440x960\nlive_view_picture = " + win::ToAnsi(photo) +
              "\nsubject = 0.3 0.6 0.5\nsubject = 0.7 0.4 0.25 90 after 5\n");
  ASSERT_EQ(sdk_.EdsInitializeSDK(), EDS_ERR_OK);
  const EdsCameraRef camera = FirstCamera(sdk_);
  EdsBaseRef item = nullptr;
  ASSERT_EQ(sdk_.EdsSetObjectEventHandler(camera, kEdsObjectEvent_All, OnObject, &item), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsOpenSession(camera), EDS_ERR_OK);
  const uint32_t on = 1, pc = kEdsEvfOutputDevice_PC, host = kEdsSaveTo_Host;
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_Mode, 0, 4, &on), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_Evf_OutputDevice, 0, 4, &pc), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsSetPropertyData(camera, kEdsPropID_SaveTo, 0, 4, &host), EDS_ERR_OK);

  // 480 x 320 around (288, 384); then 200 x 300 (turned) around (672, 256).
  const std::vector<Probe> first = {{96, 256, kPatch}, {288, 384, kBody}, {800, 100, kGrey}, {500, 500, kBody}};
  const std::vector<Probe> later = {{736, 160, kPatch}, {672, 256, kBody}, {288, 384, kGrey}, {672, 90, kGrey}};
  for (int frame = 1; frame <= 5; ++frame) {
    SCOPED_TRACE(frame);
    const std::vector<uint8_t> jpeg = DownloadFrame(sdk_, camera);
    const auto img = sim::DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(img);
    for (const Probe& p : frame < 5 ? first : later) EXPECT_TRUE(Shows(*img, p.x, p.y, p.colour));
    EXPECT_TRUE(Shows(*img, 10, 10, sim::kMarkLeft)) << "the orientation mark stays over the photo";
    EXPECT_TRUE(Shows(*img, 955, 5, sim::kMarkRight));
  }

  ASSERT_EQ(sdk_.EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0), EDS_ERR_OK);
  ASSERT_TRUE(PumpUntil([&] { return item != nullptr; }));
  EdsDirectoryItemInfo info{};
  ASSERT_EQ(sdk_.EdsGetDirectoryItemInfo(item, &info), EDS_ERR_OK);
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(sdk_.EdsCreateMemoryStream(0, &stream), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsDownload(item, info.size, stream), EDS_ERR_OK);
  ASSERT_EQ(sdk_.EdsDownloadComplete(item), EDS_ERR_OK);
  void* p = nullptr;
  ASSERT_EQ(sdk_.EdsGetPointer(stream, &p), EDS_ERR_OK);
  const auto shot = sim::DecodeJpeg(static_cast<const uint8_t*>(p), static_cast<size_t>(info.size));
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->width, 1440);
  // 300 x 450 (turned) around (1008, 384), the patch 144 x 72 around (1104, 240).
  for (const Probe& probe : {Probe{1104, 240, kPatch}, Probe{1008, 384, kBody}, Probe{400, 500, kGrey},
                             Probe{5, 5, kGrey}, Probe{1435, 5, kGrey}})
    EXPECT_TRUE(Shows(*shot, probe.x, probe.y, probe.colour));
  sdk_.EdsRelease(stream);
  sdk_.EdsRelease(item);
  sdk_.EdsCloseSession(camera);
  sdk_.EdsRelease(camera);
  ASSERT_EQ(sdk_.EdsTerminateSDK(), EDS_ERR_OK);
  ExpectBooksBalanced(ReadFileBytes(trace));
}

TEST_F(PhotoInPlaceOfTheScene, APhotoThatCannotBeReadKeepsTheSdkFromStarting) {
  const Text text = dir_.path() + u"not-a-photo.png";
  WriteFileBytes(text, "just words");
  for (const Text& path : {dir_.path() + u"missing.png", text}) {
    SetScenario("live_view_picture = " + win::ToAnsi(path) + "\n");
    EXPECT_EQ(sdk_.EdsInitializeSDK(), EDS_ERR_INVALID_PARAMETER) << ToUtf8(path);
    EdsCameraListRef list = nullptr;
    EXPECT_EQ(sdk_.EdsGetCameraList(&list), EDS_ERR_INVALID_FUNCTION_CALL);
  }
}

}  // namespace
}  // namespace eos::test
