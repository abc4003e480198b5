#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <span>
#include <string>
#include <vector>

#include "simulator/core/scenario.h"

namespace eos::sim {
namespace {

TEST(Scenario, EmptyTextIsOneDefaultCamera) {
  std::string error;
  const auto sc = ParseScenario("", &error);
  ASSERT_TRUE(sc) << error;
  ASSERT_EQ(sc->cameras.size(), 1u);
  EXPECT_EQ(sc->cameras[0], "Canon EOS 5D Mark III");
  EXPECT_TRUE(sc->live_view);
  EXPECT_TRUE(sc->remote);
  EXPECT_EQ(sc->picture_bytes, 0u);
  EXPECT_EQ(sc->battery_level, 0xFFFFFFFFu);
  EXPECT_FALSE(sc->LiveViewPaced());
}

TEST(Scenario, ReadsEveryKey) {
  std::string error;
  const auto sc = ParseScenario(
      "# two cameras\r\n"
      "camera = Canon EOS 1000D\r\n"
      "cameras = 2\n"
      "  SUBTYPE = 0 \n"
      "live_view = no\n"
      "live_view_off_while_shooting = yes\n"
      "remote = no\n"
      "battery = 49\n"
      "focus = fails\n"
      "refuse = EdsOpenSession 2 0x2019\n"
      "busy = EdsSetPropertyData:0x500 1-4\n"
      "refuse = EdsSendCommand 3-\n"
      "event = capture_error after EdsSendCommand:0 1\n"
      "event = 0x399 after EdsGetEvent 2\n"
      "unplug = AFTER EdsDownload 1 Back After 1500 REPEAT 3\n"
      "sleep_after = 60000 back after 2000\n"
      "back_as = Canon EOS 90D\n"
      "back_as = Canon EOS R5\n"
      "delay = EdsOpenSession 1500\n"
      "transfer_speed = 1000000\n"
      "picture_size = 640x480\n"
      "picture_bytes = 8000000\n"
      "live_view_picture = C:\\faces\\one face.jpg\n"
      "subject = 0.5 0.4 0.8\n"
      "subject = .25 1e-1 2 -15.5 after 12\n"
      "backdrop = 40 220\n"
      "exposure = -1.5\n"
      "blur = 0.01\n"
      "card = no\n"
      "card_file = DCIM\\100CANON\\IMG_0001.JPG\n"
      "owner = Jane Roe\n"
      "shots = 12\n"
      "clock_type = 7\n"
      "trace = C:\\t\\trace.txt\n"
      "copies = C:\\t\n"
      "live_view_rate = 30\n"
      "live_view_start = 0\n"
      "firmware = 9.9.9",
      &error);
  ASSERT_TRUE(sc) << error;
  EXPECT_EQ(sc->cameras, (std::vector<std::string>{"Canon EOS 1000D", "Canon EOS 5D Mark III"}));
  EXPECT_EQ(sc->device_sub_type, 0u);
  EXPECT_FALSE(sc->live_view);
  EXPECT_TRUE(sc->live_view_off_while_shooting);
  EXPECT_FALSE(sc->remote);
  EXPECT_EQ(sc->battery_level, 49u);
  EXPECT_TRUE(sc->focus_fails);
  ASSERT_EQ(sc->refusals.size(), 3u);
  EXPECT_EQ(sc->refusals[0].call.entry, "EdsOpenSession");
  EXPECT_EQ(sc->refusals[0].code, 0x2019u);
  EXPECT_EQ(sc->refusals[1].call.arg, 0x500u);
  EXPECT_EQ(sc->refusals[1].last, 4u);
  EXPECT_EQ(sc->refusals[1].code, 0x81u);
  EXPECT_EQ(sc->refusals[2].last, 0xFFFFFFFFu);
  ASSERT_EQ(sc->events.size(), 2u);
  EXPECT_EQ(sc->events[0].event, 0x305u);
  EXPECT_EQ(sc->events[0].call.arg, 0u);
  EXPECT_EQ(sc->events[1].event, 0x399u);
  ASSERT_TRUE(sc->unplug);
  EXPECT_EQ(sc->unplug->call.entry, "EdsDownload");
  EXPECT_EQ(sc->unplug->nth, 1u);
  EXPECT_EQ(sc->unplug->back_ms, 1500u);
  EXPECT_EQ(sc->unplug->repeats, 3u);
  ASSERT_TRUE(sc->sleep);
  EXPECT_EQ(sc->sleep->after_ms, 60000u);
  EXPECT_EQ(sc->sleep->back_ms, 2000u);
  EXPECT_EQ(sc->back_as, (std::vector<std::string>{"Canon EOS 90D", "Canon EOS R5"}));
  ASSERT_EQ(sc->delays.size(), 1u);
  EXPECT_EQ(sc->delays[0].call.entry, "EdsOpenSession");
  EXPECT_EQ(sc->delays[0].ms, 1500u);
  EXPECT_EQ(sc->transfer_bytes_per_second, 1000000u);
  EXPECT_EQ(sc->picture_width, 640);
  EXPECT_EQ(sc->picture_height, 480);
  EXPECT_EQ(sc->picture_bytes, 8000000u);
  EXPECT_EQ(sc->picture_path, "C:\\faces\\one face.jpg");
  EXPECT_EQ(sc->picture_line, 23);
  ASSERT_EQ(sc->subjects.size(), 2u);
  EXPECT_EQ(sc->subjects[0].x, 0.5);
  EXPECT_EQ(sc->subjects[0].y, 0.4);
  EXPECT_EQ(sc->subjects[0].scale, 0.8);
  EXPECT_EQ(sc->subjects[0].roll, 0);
  EXPECT_EQ(sc->subjects[0].from_frame, 0u);
  EXPECT_EQ(sc->subjects[1].x, 0.25);
  EXPECT_EQ(sc->subjects[1].y, 0.1);
  EXPECT_EQ(sc->subjects[1].scale, 2);
  EXPECT_EQ(sc->subjects[1].roll, -15.5);
  EXPECT_EQ(sc->subjects[1].from_frame, 12u);
  EXPECT_EQ(sc->look.backdrop_left, 40);
  EXPECT_EQ(sc->look.backdrop_right, 220);
  EXPECT_EQ(sc->look.exposure, -1.5);
  EXPECT_EQ(sc->look.blur, 0.01);
  EXPECT_FALSE(sc->card);
  EXPECT_EQ(sc->card_files.size(), 1u);
  EXPECT_EQ(sc->owner, "Jane Roe");
  EXPECT_EQ(sc->available_shots, 12u);
  EXPECT_EQ(sc->clock_type, 7u);
  EXPECT_EQ(sc->trace_path, "C:\\t\\trace.txt");
  EXPECT_EQ(sc->copies_folder, "C:\\t");
  EXPECT_EQ(sc->firmware, "9.9.9");
  EXPECT_EQ(sc->live_view_rate, 30u);
  EXPECT_EQ(sc->live_view_start_ms, 0u);
}

TEST(Scenario, CommentsEndLinesButNotNames) {
  const auto sc =
      ParseScenario("camera = Canon EOS 1000D   # the old one\ncamera = EOS#2\nbattery = 9\t# low", nullptr);
  ASSERT_TRUE(sc);
  EXPECT_EQ(sc->cameras, (std::vector<std::string>{"Canon EOS 1000D", "EOS#2"}));
  EXPECT_EQ(sc->battery_level, 9u);
}

TEST(Scenario, NoCamerasAtAll) {
  const auto sc = ParseScenario("cameras = 0", nullptr);
  ASSERT_TRUE(sc);
  EXPECT_TRUE(sc->cameras.empty());
}

struct BadLine {
  const char* line;
  const char* message;
};

// Each line, read as the third after `first_two`, is refused with its message.
void ExpectRefusedOnLineThree(const std::string& first_two, std::span<const BadLine> cases) {
  for (const BadLine& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScenario(first_two + c.line, &error)) << c.line;
    EXPECT_EQ(error.rfind("scenario line 3: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.line << " -> " << error;
  }
}

TEST(Scenario, BadLinesAreRefusedWithTheirLineNumber) {
  const BadLine cases[] = {
      {"no equals sign", "expected key = value"},
      {"colour = red", "unknown key \"colour\""},
      {"live_view = maybe", "expected yes or no"},
      {"battery = lots", "expected a number"},
      {"cameras = 17", "expected a number of cameras"},
      {"camera =", "needs a product name"},
      {"focus = sometimes", "expected fails or works"},
      {"picture_size = 640", "WIDTHxHEIGHT"},
      {"picture_size = 99999x10", "WIDTHxHEIGHT"},
      {"picture_bytes = 600000000", "bytes up to"},
      {"remote = sometimes", "expected yes or no"},
      {"refuse = EdsOpenSession", "expected ENTRY"},
      {"refuse = Eds-Open 1", "bad entry point"},
      {"refuse = EdsOpenSession 0", "bad call numbers"},
      {"refuse = EdsOpenSession 5-2", "bad call numbers"},
      {"refuse = EdsOpenSession 1 0", "bad result code"},
      {"refuse = EdsSetPropertyData:x 1", "bad entry point"},
      {"busy = EdsOpenSession 1 0x81", "expected ENTRY"},
      {"event = shutdown before EdsOpenSession 1", "expected NAME after"},
      {"event = explode after EdsOpenSession 1", "unknown event"},
      {"event = shutdown after EdsOpenSession 0", "bad call number"},
      {"unplug = EdsOpenSession 1", "expected after"},
      {"unplug = after EdsOpenSession", "expected after"},
      {"unplug = after EdsOpenSession 0", "bad call number"},
      {"unplug = after EdsOpenSession 1 back", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back after", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back before 10", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back after soon", "back after MILLISECONDS up to 600000"},
      {"unplug = after EdsOpenSession 1 back after 600001", "back after MILLISECONDS up to 600000"},
      {"unplug = after EdsOpenSession 1 back after -5", "back after MILLISECONDS up to 600000"},
      {"unplug = after EdsOpenSession 1 repeat 3", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back after 10 repeat", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back after 10 again 3", "expected after ENTRY[:ARG] N [back after"},
      {"unplug = after EdsOpenSession 1 back after 10 repeat 0", "repeat N from 1 to 1000000"},
      {"unplug = after EdsOpenSession 1 back after 10 repeat 1000001", "repeat N from 1 to 1000000"},
      {"unplug = after EdsOpenSession 1 back after 10 repeat 2 times", "expected after ENTRY[:ARG] N [back after"},
      {"sleep_after =", "expected MILLISECONDS"},
      {"sleep_after = 9", "milliseconds from 10 to 3600000"},
      {"sleep_after = 3600001", "milliseconds from 10 to 3600000"},
      {"sleep_after = 1000 back", "expected MILLISECONDS [back after MILLISECONDS]"},
      {"sleep_after = 1000 back after 10 repeat 2", "expected MILLISECONDS [back after MILLISECONDS]"},
      {"sleep_after = 1000 back after 9999999", "back after MILLISECONDS up to 600000"},
      {"back_as =", "expected a product name"},
      {"back_as = Canon EOS 90D", "back_as needs a camera that comes back"},
      {"live_view_picture =", "expected the path of a JPEG or PNG file"},
      {"subject = 0.5 0.5 1", "place a live_view_picture, which is missing"},
      {"shots = 99999999999", "expected a number"},
      {"delay = EdsOpenSession", "expected ENTRY"},
      {"delay = Eds-Open 10", "bad entry point"},
      {"delay = EdsOpenSession soon", "expected milliseconds"},
      {"delay = EdsOpenSession 60001", "expected milliseconds"},
      {"live_view_rate = 0", "expected frames a second from 1 to 60"},
      {"live_view_rate = 61", "expected frames a second from 1 to 60"},
      {"live_view_rate = 29.97", "expected frames a second from 1 to 60"},
      {"live_view_rate =", "expected frames a second from 1 to 60"},
      {"live_view_start = 60001", "expected milliseconds from 0 to 60000"},
      {"live_view_start = -1", "expected milliseconds from 0 to 60000"},
      {"live_view_start = soon", "expected milliseconds from 0 to 60000"},
      {"backdrop =", "LEFT [RIGHT] grey levels from 0 to 255"},
      {"backdrop = 10 20 30", "LEFT [RIGHT] grey levels from 0 to 255"},
      {"backdrop = 256", "LEFT [RIGHT] grey levels from 0 to 255"},
      {"backdrop = dark", "LEFT [RIGHT] grey levels from 0 to 255"},
      {"exposure = 9", "STOPS from -8 to 8"},
      {"exposure = -1 stop", "STOPS from -8 to 8"},
      {"blur = 0.2", "RADIUS from 0 to 0.1"},
      {"blur = -0.01", "RADIUS from 0 to 0.1"},
  };
  ExpectRefusedOnLineThree("# first\n\n", cases);
}

// Subject lines are read with the picture they place; a wrong one names its own line.
TEST(Scenario, BadSubjectLinesAreRefusedWithTheirLineNumber) {
  const BadLine cases[] = {
      {"subject = 0.5 0.5", "expected X Y SCALE [ROLL] [after FRAMES]"},
      {"subject = 0.5 0.5 1 0 0", "expected X Y SCALE [ROLL] [after FRAMES]"},
      {"subject = 0.5 0.5 1 0 after", "expected X Y SCALE [ROLL] [after FRAMES]"},
      {"subject = 0.5 0.5 1 0 after soon", "bad frame number \"soon\""},
      {"subject = 0.5 0.5 1 0 after -1", "bad frame number"},
      {"subject = 0.5 0.5 1 0 after 99999999999", "bad frame number"},
      {"subject = left 0.5 1", "X and Y from -1 to 2"},
      {"subject = 0.5 2.01 1", "X and Y from -1 to 2"},
      {"subject = -1.5 0.5 1", "X and Y from -1 to 2"},
      {"subject = nan 0.5 1", "X and Y from -1 to 2"},
      {"subject = 0.5 inf 1", "X and Y from -1 to 2"},
      {"subject = 0.5 0.5 0", "SCALE from 0.01 to 20"},
      {"subject = 0.5 0.5 -1", "SCALE from 0.01 to 20"},
      {"subject = 0.5 0.5 1e9", "SCALE from 0.01 to 20"},
      {"subject = 0.5 0.5 1,5", "SCALE from 0.01 to 20"},
      {"subject = 0.5 0.5 1 361", "ROLL from -360 to 360"},
      {"subject = 0.5 0.5 1 15deg", "ROLL from -360 to 360"},
      {"subject = 0.5 0.5 1 after 0", "subject lines go in the order of their frames"},
      {"subject = 0.5 0.5 1 after 9", "subject lines go in the order of their frames"},
  };
  ExpectRefusedOnLineThree("live_view_picture = a.png\nsubject = 0.5 0.5 1 after 10\n", cases);
}

// The key list at the top of scenario.h is what users read: it names every key the
// parser knows, in the parser's order, and no other.
TEST(Scenario, TheHeaderListsEveryKeyThereIs) {
  std::ifstream header(EOS_SCENARIO_HEADER);
  ASSERT_TRUE(header) << EOS_SCENARIO_HEADER;
  std::vector<std::string> documented;
  const std::regex key(R"(\b([a-z_]+) = )");
  for (std::string line; std::getline(header, line) && line.rfind("//", 0) == 0;)
    for (std::sregex_iterator m(line.begin(), line.end(), key), end; m != end; ++m)
      if (std::find(documented.begin(), documented.end(), (*m)[1]) == documented.end()) documented.push_back((*m)[1]);
  const std::vector<std::string_view> keys = ScenarioKeys();
  EXPECT_EQ(documented, std::vector<std::string>(keys.begin(), keys.end()));
}

TEST(Scenario, DelaysAddUpForTheCallsTheyName) {
  const auto sc = ParseScenario(
      "delay = EdsOpenSession 1500\n"
      "delay = EdsSetPropertyData:0x500 20\n"
      "delay = EdsSetPropertyData 5",
      nullptr);
  ASSERT_TRUE(sc);
  const struct {
    const char* entry;
    std::optional<uint32_t> arg;
    uint32_t ms;
  } cases[] = {
      {"EdsOpenSession", std::nullopt, 1500},
      {"EdsCloseSession", std::nullopt, 0},
      {"EdsSetPropertyData", 0x500u, 25},
      {"EdsSetPropertyData", 0x100u, 5},
  };
  for (const auto& c : cases) EXPECT_EQ(CallDelayMs(*sc, c.entry, c.arg), c.ms) << c.entry;
}

TEST(CallCounter, RefusesTheChosenCallsOnly) {
  const auto sc = ParseScenario(
      "refuse = EdsOpenSession 2 0x2019\n"
      "busy = EdsSetPropertyData:0x500 2-3\n"
      "event = shutdown after EdsSendCommand 2\n"
      "event = internal_error after EdsSetPropertyData:0x500 1",
      nullptr);
  ASSERT_TRUE(sc);
  CallCounter counter(&*sc);
  std::vector<uint32_t> events;
  EXPECT_EQ(counter.Count("EdsOpenSession", std::nullopt, &events), 0u);
  EXPECT_EQ(counter.Count("EdsOpenSession", std::nullopt, &events), 0x2019u);
  EXPECT_EQ(counter.Count("EdsOpenSession", std::nullopt, &events), 0u);
  // Other properties neither count nor get refused.
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x100u, &events), 0u);
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x500u, &events), 0u);
  EXPECT_EQ(events, std::vector<uint32_t>{0x306});
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x100u, &events), 0u);
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x500u, &events), 0x81u);
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x500u, &events), 0x81u);
  EXPECT_EQ(counter.Count("EdsSetPropertyData", 0x500u, &events), 0u);
  events.clear();
  EXPECT_EQ(counter.Count("EdsSendCommand", 0u, &events), 0u);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(counter.Count("EdsSendCommand", 4u, &events), 0u);
  EXPECT_EQ(events, std::vector<uint32_t>{0x301});
}

// The forms a pulled cable can take; the short one stays as it always was.
TEST(Scenario, UnplugLines) {
  const struct {
    const char* value;
    uint32_t nth;
    std::optional<uint32_t> arg;
    std::optional<uint32_t> back_ms;
    uint32_t repeats;
  } cases[] = {
      {"after EdsDownloadEvfImage 20", 20, std::nullopt, std::nullopt, 0},
      {"after EdsDownloadEvfImage 20 back after 1500", 20, std::nullopt, 1500u, 0},
      {"after EdsDownloadEvfImage 20 back after 0", 20, std::nullopt, 0u, 0},
      {"after EdsSetPropertyData:0x500 2 back after 600000 repeat 1000000", 2, 0x500u, 600000u, 1000000},
      {"  after   EdsDownload  1\tback after 10   repeat 4 ", 1, std::nullopt, 10u, 4},
  };
  for (const auto& c : cases) {
    std::string error;
    const auto sc = ParseScenario(std::string("unplug = ") + c.value, &error);
    ASSERT_TRUE(sc) << c.value << ": " << error;
    ASSERT_TRUE(sc->unplug) << c.value;
    EXPECT_EQ(sc->unplug->nth, c.nth) << c.value;
    EXPECT_EQ(sc->unplug->call.arg, c.arg) << c.value;
    EXPECT_EQ(sc->unplug->back_ms, c.back_ms) << c.value;
    EXPECT_EQ(sc->unplug->repeats, c.repeats) << c.value;
  }
}

TEST(Scenario, BackAsNeedsAReturnFromEitherKey) {
  EXPECT_TRUE(ParseScenario("back_as = Canon EOS 90D\nunplug = after EdsOpenSession 1 back after 5", nullptr));
  EXPECT_TRUE(ParseScenario("back_as = Canon EOS 90D\nsleep_after = 50 back after 5", nullptr));
  std::string error;
  EXPECT_FALSE(ParseScenario("sleep_after = 50\n\nback_as = Canon EOS 90D\nunplug = after EdsOpenSession 1", &error));
  EXPECT_EQ(error.rfind("scenario line 3: back_as needs", 0), 0u) << error;
}

TEST(Scenario, ThePlacementOfAFrameIsTheLastSubjectLineThatHasCome) {
  const auto sc = ParseScenario(
      "live_view_picture = a.jpg\n"
      "subject = 0.1 0.5 1 after 5\n"
      "subject = 0.2 0.5 1 after 6\n"
      "subject = 0.3 0.5 1 after 100",
      nullptr);
  ASSERT_TRUE(sc);
  const struct {
    uint32_t frame;
    double x;  // 0: none
  } cases[] = {{0, 0}, {4, 0}, {5, 0.1}, {6, 0.2}, {99, 0.2}, {100, 0.3}, {0xFFFFFFFF, 0.3}};
  for (const auto& c : cases) {
    const Placement* p = PlacementAt(sc->subjects, c.frame);
    EXPECT_EQ(p ? p->x : 0, c.x) << "frame " << c.frame;
  }
  EXPECT_EQ(PlacementAt({}, 7), nullptr);
}

// The camera's calls are the ones a camera that is gone cannot answer.
TEST(Scenario, CallsThatNeedTheCamera) {
  for (const char* entry : {"EdsDownloadEvfImage", "EdsSendCommand", "EdsSetPropertyData", "EdsDownload",
                            "EdsOpenSession", "EdsGetDeviceInfo", "EdsGetChildCount"})
    EXPECT_TRUE(NeedsTheCamera(entry)) << entry;
  for (const char* entry : {"EdsRelease", "EdsCloseSession", "EdsCreateMemoryStream", "EdsGetPointer", "EdsGetEvent",
                            "EdsGetCameraList", "EdsCreateEvfImageRef", "EdsTerminateSDK"})
    EXPECT_FALSE(NeedsTheCamera(entry)) << entry;
}

}  // namespace
}  // namespace eos::sim
