// The component log, seen from outside: a copy of this program writes the lines from a
// folder of its own, so "camremotelog.txt" there belongs to this test alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "camremote/cam_log.h"
#include "tests/win/support/plugin_fixture.h"
#include "win/handles.h"
#include "win/log_file.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// Run only inside the copy, by LogWriter below.
TEST(CamLogChild, DISABLED_WriteLines) {
  CamLog(u"NotifyTimerEvent - NotifyRemoteEvent 1");
  CamLogFmt(u"%s - NotifyRemoteEvent %d", {Text(u"NotifyTimerEvent"), int64_t{2}});
  CamLog(u"Ansi \u00E5\u00E4\u00F6 \u20AC");
}

TEST(CamLogChild, DISABLED_RestartAndWrite) { CamLog(u"after restart", true); }

class LogWriter : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CopyFileW(win::W(win::ThisModulePath()), win::W(Program()), FALSE)); }
  Text Program() const { return dir_.path() + u"camlog_writer.exe"; }
  Text LogPath() const { return dir_.path() + u"camremotelog.txt"; }
  void Run(const char16_t* test) const {
    const ProcessResult r =
        RunProcess(u"\"" + Program() + u"\" --gtest_also_run_disabled_tests --gtest_filter=" + Text(test));
    ASSERT_EQ(r.exit_code, 0u) << r.out << r.err;
  }
  TempDir dir_;
};

// Each line: "yyyy-mm-dd hh:nn:ss,zzz", one space, the message, CR LF.
std::vector<std::string> Messages(const std::string& log) {
  std::vector<std::string> messages;
  size_t start = 0;
  for (size_t end = log.find("\r\n"); end != std::string::npos; end = log.find("\r\n", start)) {
    const std::string line = log.substr(start, end - start);
    EXPECT_GE(line.size(), 24u) << line;
    const std::string stamp = line.substr(0, 24);
    for (size_t i : {4u, 7u}) EXPECT_EQ(stamp[i], '-') << line;
    for (size_t i : {13u, 16u}) EXPECT_EQ(stamp[i], ':') << line;
    EXPECT_EQ(stamp[10], ' ') << line;
    EXPECT_EQ(stamp[19], ',') << line;
    EXPECT_EQ(stamp[23], ' ') << line;
    for (size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u, 20u, 21u, 22u})
      EXPECT_TRUE(stamp[i] >= '0' && stamp[i] <= '9') << line;
    messages.push_back(line.substr(24));
    start = end + 2;
  }
  EXPECT_EQ(start, log.size()) << "the log ends with CR LF";
  return messages;
}

TEST_F(LogWriter, NothingIsWrittenOrCreatedWithoutTheFile) {
  Run(u"CamLogChild.DISABLED_WriteLines");
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(LogWriter, LinesWithMillisecondsInTheAnsiCodePage) {
  WriteFileBytes(LogPath(), "");
  Run(u"CamLogChild.DISABLED_WriteLines");
  const std::vector<std::string> messages = Messages(ReadFileBytes(LogPath()));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0], "NotifyTimerEvent - NotifyRemoteEvent 1");
  EXPECT_EQ(messages[1], "NotifyTimerEvent - NotifyRemoteEvent 2");
  EXPECT_EQ(messages[2], win::ToAnsi(u"Ansi \u00E5\u00E4\u00F6 \u20AC")) << "8-bit text, no byte-order mark";
}

TEST_F(LogWriter, AppendsToWhatIsThereAndRestartDropsIt) {
  WriteFileBytes(LogPath(), "kept\r\n");
  Run(u"CamLogChild.DISABLED_WriteLines");
  EXPECT_EQ(ReadFileBytes(LogPath()).rfind("kept\r\n", 0), 0u);
  Run(u"CamLogChild.DISABLED_RestartAndWrite");
  EXPECT_EQ(Messages(ReadFileBytes(LogPath())), std::vector<std::string>{"after restart"});
}

TEST_F(LogWriter, ALockedFileLosesTheLineOnly) {
  WriteFileBytes(LogPath(), "");
  win::UniqueFile lock(CreateFileW(win::W(LogPath()), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lock);
  Run(u"CamLogChild.DISABLED_WriteLines");
  lock.reset();
  EXPECT_EQ(ReadFileBytes(LogPath()), "");
}

// A reader that holds the file for a moment (a log viewer, a test polling the log) delays
// the line instead of costing it.
TEST_F(LogWriter, AFileHeldForAMomentStillGetsTheLine) {
  WriteFileBytes(LogPath(), "");
  win::UniqueFile reader(CreateFileW(win::W(LogPath()), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  std::thread closes([&reader] {
    Sleep(3);
    reader.reset();
  });
  win::AppendLogLine(LogPath(), u"written", false);
  closes.join();
  EXPECT_EQ(ReadFileBytes(LogPath()), "written\r\n");
}

TEST(CamLog, FolderIsThisModulesAndTimeHasMilliseconds) {
  EXPECT_EQ(CamLogFolder(), win::ThisModuleFolder());
  EXPECT_EQ(CamLogFolder().back(), u'\\');
  EXPECT_EQ(CamLogTime({2026, 1, 2, 3, 4, 5, 6}), u"2026-01-02 03:04:05,006");
  EXPECT_EQ(CamLogTime({1999, 12, 31, 23, 59, 59, 999}), u"1999-12-31 23:59:59,999");
}

}  // namespace
}  // namespace eos::test
