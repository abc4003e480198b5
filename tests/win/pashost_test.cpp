// The README's Delphi declaration compiled by Free Pascal (tools/pashost) and run against the
// plug-in: the compiler makes the register call and owns the WideString, as a Delphi host's does.
#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <thread>
#include <vector>

#include "tests/win/capture/capture_driver.h"
#include "tests/win/support/wait.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

Text Program() { return u"\"" + ProgramFolder() + u"pashost.exe\""; }

// Each call's "result: N" and "text: "..."" lines; nothing when the output is not made of
// them. An answer ends at the quote and line end that the next call's lines or the
// output's end follow, so answers may hold quotes and line ends of their own.
std::optional<std::vector<CallResult>> ParseCalls(const std::string& out) {
  static const std::regex kHead("^result: (-?\\d+)\r\ntext: \"");
  std::vector<CallResult> calls;
  size_t at = 0;
  while (at < out.size()) {
    std::smatch head;
    const std::string rest = out.substr(at);
    if (!std::regex_search(rest, head, kHead)) return std::nullopt;
    const size_t start = at + static_cast<size_t>(head.length(0));
    size_t end = out.find("\"\r\nresult: ", start);
    if (end == std::string::npos) {
      if (!out.ends_with("\"\r\n") || out.size() - 3 < start) return std::nullopt;
      end = out.size() - 3;
    }
    calls.push_back({std::stoi(head[1].str()), FromUtf8(std::string_view(out).substr(start, end - start))});
    at = end + 3;
  }
  return calls;
}

struct HostRun {
  ProcessResult process;
  std::vector<CallResult> calls;
};

// pashost with one call a line of `lines` (UTF-8: the command, a space, the text).
HostRun RunHost(const std::string& lines) {
  TempDir dir;
  WriteFileBytes(dir.path() + u"calls.txt", lines);
  HostRun run{RunProcess(Program() + u" --file \"" + dir.path() + u"calls.txt\""), {}};
  const auto calls = ParseCalls(run.process.out);
  EXPECT_TRUE(calls.has_value()) << run.process.out << run.process.err;
  if (calls) run.calls = *calls;
  return run;
}

bool OfPashost(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  const win::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  wchar_t path[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return false;
  return win::FromWide(path, size).ends_with(u"\\pashost.exe");
}

BOOL CALLBACK FindHostsCaptureDialog(HWND w, LPARAM lp) {
  if (!IsWindowVisible(w) || WindowClass(w) != u"EosForm" || !WindowCaption(w).starts_with(u"Canon plugin EOS") ||
      !OfPashost(w))
    return TRUE;
  *reinterpret_cast<HWND*>(lp) = w;
  return FALSE;
}

// The capture dialog shown by a pashost process, or null. (The test support's look-ups see
// only this process's windows.)
HWND HostsCaptureDialog() {
  HWND found = nullptr;
  EnumWindows(FindHostsCaptureDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

void ExpectCall(const CallResult& r, int32_t result, const Text& text) {
  EXPECT_EQ(r.result, result);
  EXPECT_EQ(r.text, text) << ToUtf8(r.text);
}

TEST(PascalHost, EchoAndVersions) {
  const HostRun run = RunHost(
      "99 Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x9C\x93 \xF0\x9F\x93\xB7\n98\n");
  EXPECT_EQ(run.process.exit_code, 0u) << run.process.err;
  ASSERT_EQ(run.calls.size(), 2u);
  ExpectCall(run.calls[0], 0, u"Gr\u00FC\u00DFe \u2713 \U0001F4F7 hopp");
  EXPECT_EQ(run.calls[1].result, 0);
  EXPECT_TRUE(
      std::regex_match(ToUtf8(run.calls[1].text),
                       std::regex("Version=3\\.1\tSDKVersion=\\d+\\.\\d+\\.\\d+\\.\\d+\tCamRemoteVersion=8\\.2\t")))
      << ToUtf8(run.calls[1].text);

  // The command line's text, for a quick call by hand.
  const ProcessResult r = RunProcess(Program() + u" 99 hello");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "result: 0\r\ntext: \"hello hopp\"\r\n");
  EXPECT_EQ(RunProcess(Program()).exit_code, 2u);
  EXPECT_EQ(RunProcess(Program() + u" one hello").exit_code, 2u);
}

// The string's length is the BSTR's prefix in both directions: NULs travel inside it.
TEST(PascalHost, TextsKeepTheirNuls) {
  const std::string texts[] = {std::string("a\0b", 3), std::string("\0", 1), std::string("end\0", 4),
                               std::string("File=x.jpg\0\tAuto=1", 18)};
  std::string lines;
  for (const std::string& t : texts) lines += "99 " + t + "\n";
  const HostRun run = RunHost(lines);
  ASSERT_EQ(run.calls.size(), std::size(texts));
  for (size_t i = 0; i < std::size(texts); ++i) {
    SCOPED_TRACE(i);
    ExpectCall(run.calls[i], 0, FromUtf8(texts[i]) + u" hopp");
  }
}

TEST(PascalHost, Command3AnswersTheSettingsOfTheLastCommand4) {
  const HostRun run = RunHost(
      "4 Delay=3\t\xC3\x85r=\xC3\xB6\n"
      "3 anything\n"
      "4\n"
      "3 anything\n");
  ASSERT_EQ(run.calls.size(), 4u);
  ExpectCall(run.calls[0], 0, u"Delay=3\t\u00C5r=\u00F6");
  ExpectCall(run.calls[1], 0, u"Delay=3\t\u00C5r=\u00F6");
  ExpectCall(run.calls[2], 0, u"");
  ExpectCall(run.calls[3], 0, u"");
}

// Captures under the stand-in camera. Settings come from the host (command 4), so the
// registry is left alone.
class PascalHostCapture : public ::testing::Test {
 protected:
  std::string Trace() const { return FileExists(trace_) ? ReadFileBytes(trace_) : std::string(); }

  TempDir dir_;

 private:
  Text trace_ = dir_.path() + u"trace.txt";
  StandInCamera camera_{"picture_size = 160x120\ntrace = " + ToUtf8(trace_) + "\n"};
};

TEST_F(PascalHostCapture, TheAnswersBase64IsTheFile) {
  const Text file = dir_.path() + u"bild \u00E5.jpg";
  const HostRun run = RunHost("4\n11 File=" + ToUtf8(file) + "\n");
  ASSERT_EQ(run.calls.size(), 2u) << run.process.out;
  ExpectPictureAnswer(run.calls[1], file);
}

TEST_F(PascalHostCapture, ACancelledCaptureAnswersTheFileValue) {
  const Text file = dir_.path() + u"never.jpg";
  std::thread user([] {
    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (dialog = HostsCaptureDialog()) != nullptr; }, 20000, "pashost's capture dialog"));
    PostClick(ButtonOf(dialog, u"Cancel"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  const HostRun run = RunHost("4\n1 File=" + ToUtf8(file) + "\tHideSettings=0\n");
  user.join();
  ASSERT_EQ(run.calls.size(), 2u) << run.process.out;
  ExpectCall(run.calls[1], -1, file);
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(ShutterCommands(Trace()), "");
}

// Command 9 after a capture, then the host ends and the loader frees the plug-in.
TEST_F(PascalHostCapture, Command9BeforeTheHostUnloads) {
  const Text file = dir_.path() + u"shot.jpg";
  const HostRun run = RunHost("4\n11 File=" + ToUtf8(file) + "\n9 kept\n");
  EXPECT_EQ(run.process.exit_code, 0u) << run.process.err;
  ASSERT_EQ(run.calls.size(), 3u) << run.process.out;
  EXPECT_EQ(run.calls[1].result, 0);
  ExpectCall(run.calls[2], 0, u"kept");
  const std::string trace = Trace();
  EXPECT_NE(trace.find("books: "), std::string::npos) << "the SDK was not ended";
  EXPECT_EQ(trace.find("leak:"), std::string::npos) << trace;
}

}  // namespace
}  // namespace eos::test
