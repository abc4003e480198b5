// camcheck run as a user runs it, against the stand-in camera: every step reported, a
// failed step named with its reason and a non-zero exit code, the shut-down always tried.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

struct CheckRun {
  DWORD exit_code;
  std::string out;
};

// camcheck with the stand-in playing `scenario`, writing its picture into `picture`.
CheckRun CamCheck(const std::string& scenario, const Text& picture) {
  StandInCamera camera(scenario);
  const ProcessResult r = RunProcess(u"\"" + ProgramFolder() + u"camcheck.exe\" \"" + picture + u"\"");
  return {r.exit_code, r.out};
}

bool Has(const std::string& out, const std::string& line) { return out.find(line) != std::string::npos; }

TEST(CamCheck, WholeRoadGoesThrough) {
  TempDir dir;
  const Text picture = dir.path() + u"shot.jpg";
  const CheckRun r = CamCheck("camera = Canon EOS 90D\nowner = Jane\nbattery = 49\npicture_size = 800x600", picture);
  EXPECT_EQ(r.exit_code, 0u) << r.out;
  EXPECT_TRUE(Has(r.out, "list cameras: 1 camera: Canon EOS 90D\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "connect: Canon EOS 90D, owner \"Jane\", firmware 1.2.3, battery lithium weak")) << r.out;
  EXPECT_TRUE(Has(r.out, "remote start: probing progress ")) << r.out;
  EXPECT_TRUE(Has(r.out, " frames per second (polled every 100 ms), ")) << r.out;
  EXPECT_TRUE(Has(r.out, "half-press: pressed and let go")) << r.out;
  EXPECT_TRUE(Has(r.out, "shot: picture announced after ")) << r.out;
  EXPECT_TRUE(Has(r.out, ", 800 x 600, progress ")) << r.out;
  EXPECT_TRUE(Has(r.out, " 100\n")) << "the download's progress ends at 100: " << r.out;
  EXPECT_TRUE(Has(r.out, "shut-down: live view stopped, remote mode ended, disconnected, SDK stopped")) << r.out;
  EXPECT_TRUE(Has(r.out, "camcheck: every step went through")) << r.out;
  EXPECT_TRUE(FileExists(picture));
}

TEST(CamCheck, FailedStepsAreNamedWithTheirReasons) {
  const struct {
    const char* scenario;
    std::vector<std::string> lines;  // expected in the output
    std::vector<std::string> absent;
  } cases[] = {
      {"cameras = 0",
       {"FAILED list cameras: no EOS camera found", "shut-down: ", "camcheck: 1 step(s) failed"},
       {"connect:", "FAILED shut-down"}},
      {"refuse = EdsOpenSession 1",
       {"FAILED connect: EdsOpenSession errorcode 0x00000081, Device busy", "camcheck: 1 step(s) failed"},
       {"remote start:", "FAILED shut-down"}},
      {"focus = fails",
       {"live view: ", "FAILED shot: EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed",
        "camcheck: 1 step(s) failed"},
       {"download:", "FAILED shut-down"}},
      {"event = capture_error after EdsSendCommand:0 1",
       {"  camera event during ", ": EventSeverityClosing EventRemoteCaptureError\n",
        "camcheck: every step went through"},
       {"FAILED"}},
      {"live_view = no",
       {"live view: skipped: the camera offers no live view", "camcheck: every step went through"},
       {"FAILED"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const CheckRun r = CamCheck(c.scenario, dir.path() + u"shot.jpg");
    const bool all_well = c.lines.back() == "camcheck: every step went through";
    EXPECT_EQ(r.exit_code, all_well ? 0u : 1u) << c.scenario << "\n" << r.out;
    for (const std::string& line : c.lines)
      EXPECT_TRUE(Has(r.out, line)) << c.scenario << ": " << line << "\n" << r.out;
    for (const std::string& line : c.absent)
      EXPECT_FALSE(Has(r.out, line)) << c.scenario << ": " << line << "\n" << r.out;
  }
}

TEST(CamCheck, MissingSdkIsReported) {
  TempDir dir;  // camcheck alone, without Canon_EOS_SDK_redist beside it
  const Text exe = dir.path() + u"camcheck.exe";
  ASSERT_TRUE(CopyFileW(win::W(ProgramFolder() + u"camcheck.exe"), win::W(exe), TRUE));
  const ProcessResult r = RunProcess(u"\"" + exe + u"\" \"" + dir.path() + u"shot.jpg\"");
  EXPECT_EQ(r.exit_code, 1u) << r.out;
  EXPECT_TRUE(Has(r.out, "FAILED list cameras: EDSDK.DLL could not be loaded\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "shut-down: ")) << r.out;
  EXPECT_FALSE(Has(r.out, "FAILED shut-down")) << r.out;
}

TEST(CamCheck, BadCommandLine) {
  const ProcessResult r = RunProcess(u"\"" + ProgramFolder() + u"camcheck.exe\" a.jpg b.jpg");
  EXPECT_EQ(r.exit_code, 2u);
  EXPECT_TRUE(Has(r.out, "usage: camcheck [PICTURE_FILE]"));
}

}  // namespace
}  // namespace eos::test
