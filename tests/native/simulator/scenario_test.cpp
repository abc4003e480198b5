#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
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
      "unplug = AFTER EdsDownload 1\n"
      "delay = EdsOpenSession 1500\n"
      "transfer_speed = 1000000\n"
      "picture_size = 640x480\n"
      "picture_bytes = 8000000\n"
      "card = no\n"
      "card_file = DCIM\\100CANON\\IMG_0001.JPG\n"
      "owner = Jane Roe\n"
      "shots = 12\n"
      "clock_type = 7\n"
      "trace = C:\\t\\trace.txt\n"
      "copies = C:\\t\n"
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
  ASSERT_EQ(sc->delays.size(), 1u);
  EXPECT_EQ(sc->delays[0].call.entry, "EdsOpenSession");
  EXPECT_EQ(sc->delays[0].ms, 1500u);
  EXPECT_EQ(sc->transfer_bytes_per_second, 1000000u);
  EXPECT_EQ(sc->picture_width, 640);
  EXPECT_EQ(sc->picture_height, 480);
  EXPECT_EQ(sc->picture_bytes, 8000000u);
  EXPECT_FALSE(sc->card);
  EXPECT_EQ(sc->card_files.size(), 1u);
  EXPECT_EQ(sc->owner, "Jane Roe");
  EXPECT_EQ(sc->available_shots, 12u);
  EXPECT_EQ(sc->clock_type, 7u);
  EXPECT_EQ(sc->trace_path, "C:\\t\\trace.txt");
  EXPECT_EQ(sc->copies_folder, "C:\\t");
  EXPECT_EQ(sc->firmware, "9.9.9");
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

TEST(Scenario, BadLinesAreRefusedWithTheirLineNumber) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
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
      {"shots = 99999999999", "expected a number"},
      {"delay = EdsOpenSession", "expected ENTRY"},
      {"delay = Eds-Open 10", "bad entry point"},
      {"delay = EdsOpenSession soon", "expected milliseconds"},
      {"delay = EdsOpenSession 60001", "expected milliseconds"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScenario(std::string("# first\n\n") + c.line, &error)) << c.line;
    EXPECT_EQ(error.rfind("scenario line 3: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.line << " -> " << error;
  }
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

// A pulled cable: the call that pulls it still goes through; after it the camera's
// calls answer "Communication disconnected" while releasing and memory streams go on.
TEST(CallCounter, AnUnpluggedCameraAnswersOnlyWhatNeedsNoCamera) {
  const auto sc = ParseScenario("unplug = after EdsDownloadEvfImage 2", nullptr);
  ASSERT_TRUE(sc);
  CallCounter counter(&*sc);
  std::vector<uint32_t> events;
  EXPECT_EQ(counter.Count("EdsDownloadEvfImage", std::nullopt, &events), 0u);
  EXPECT_FALSE(counter.unplugged());
  EXPECT_EQ(counter.Count("EdsDownloadEvfImage", std::nullopt, &events), 0u);
  EXPECT_TRUE(counter.unplugged());
  EXPECT_EQ(events, std::vector<uint32_t>{0x301});
  struct Case {
    const char* entry;
    std::optional<uint32_t> arg;
    uint32_t code;
  } cases[] = {
      {"EdsDownloadEvfImage", std::nullopt, 0xC1}, {"EdsSendCommand", 0u, 0xC1},
      {"EdsSetPropertyData", 0x500u, 0xC1},        {"EdsDownload", std::nullopt, 0xC1},
      {"EdsOpenSession", std::nullopt, 0xC1},      {"EdsRelease", std::nullopt, 0},
      {"EdsCloseSession", std::nullopt, 0},        {"EdsCreateMemoryStream", std::nullopt, 0},
      {"EdsGetPointer", std::nullopt, 0},          {"EdsGetEvent", std::nullopt, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(counter.Count(c.entry, c.arg, &events), c.code) << c.entry;
  EXPECT_EQ(events, std::vector<uint32_t>{0x301}) << "one shutdown only";
}

}  // namespace
}  // namespace eos::sim
