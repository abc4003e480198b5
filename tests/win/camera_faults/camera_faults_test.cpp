// Failure injection: camcheck walks the whole road (cameras, connection, remote start
// with probing, live view, half-press, shot, download, shut-down) once against a willing
// stand-in, which traces every call. Then the road is walked again once per distinct
// call of that trace (an entry point, with its property or command where it has one),
// the stand-in refusing the first such call with "Internal error". Every run must end,
// by itself and in time, either with the road gone through (a refusal the code tolerates)
// or with camcheck naming the failed step with the refused call's error message; never
// with a crash, a hang or another failure. The shut-down runs in every case.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"

namespace eos::test {
namespace {

constexpr DWORD kRunTimeoutMs = 60000;

ProcessResult Road(const std::string& scenario, const Text& picture) {
  StandInCamera camera(scenario);
  return RunProcess(u"\"" + ProgramFolder() + u"camcheck.exe\" \"" + picture + u"\"", kRunTimeoutMs);
}

TEST(FailureInjection, EveryCallOfTheRoadRefusedOnce) {
  TempDir dir;
  const Text trace = dir.path() + u"trace.txt";
  const std::string base = "picture_size = 640x480\n";
  const ProcessResult clean = Road(base + "trace = " + ToUtf8(trace) + "\n", dir.path() + u"clean.jpg");
  ASSERT_EQ(clean.exit_code, 0u) << clean.out;
  const std::set<std::string> calls = DistinctCalls(ReadFileBytes(trace));
  ASSERT_GT(calls.size(), 20u) << "the trace of the road was not read";

  int tolerated = 0;
  int reported = 0;
  for (const std::string& call : calls) {
    const ProcessResult r = Road(base + "refuse = " + call + " 1 0x00000002\n", dir.path() + u"shot.jpg");
    const bool shut_down = r.out.find("\nshut-down: ") != std::string::npos;
    if (r.exit_code == 0) {
      ++tolerated;
    } else {
      ++reported;
      EXPECT_EQ(r.exit_code, 1u) << call << " ended camcheck abnormally:\n" << r.out << r.err;
      EXPECT_NE(r.out.find("FAILED "), std::string::npos) << call << ":\n" << r.out;
      EXPECT_NE(r.out.find("errorcode 0x00000002, Internal error"), std::string::npos) << call << ":\n" << r.out;
    }
    EXPECT_TRUE(shut_down) << call << ": no shut-down\n" << r.out;
  }
  std::printf(
      "failure injection: %zu distinct calls refused once each; %d runs reported the failed step, "
      "%d tolerated the refusal\n",
      calls.size(), reported, tolerated);
}

}  // namespace
}  // namespace eos::test
