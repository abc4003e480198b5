// eoshost as integrators and scripts use it: its output and its exit codes.
#include <gtest/gtest.h>

#include <regex>

#include "tests/win/support/camera_fixture.h"
#include "tests/win/support/plugin_fixture.h"

namespace eos::test {
namespace {

ProcessResult Host(const Text& args) { return RunProcess(u"\"" + ProgramFolder() + u"eoshost.exe\" " + args); }

TEST(EosHost, EchoAndVersions) {
  ProcessResult r = Host(u"99 hello");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "result: 0\ntext: \"hello hopp\"\n");
  // The stand-in SDK lies in Canon_EOS_SDK_redist beside the plug-in, as a user installs
  // the real one, so its version is reported.
  r = Host(u"98");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_TRUE(std::regex_match(r.out, std::regex("result: 0\n  Version=3\\.1\n  SDKVersion=\\d+\\.\\d+\\.\\d+\\.\\d+\n"
                                                 "  CamRemoteVersion=8\\.2\n")))
      << r.out;
}

TEST(EosHost, PairsAndRawOutput) {
  const ProcessResult r = Host(u"--raw --pair A=1 --pair \"B=x y\" 99");
  EXPECT_EQ(r.exit_code, 0u);
  EXPECT_EQ(r.out, "A=1\tB=x y\t hopp");
}

TEST(EosHost, ExitCodes) {
  const StandInCamera no_camera("cameras = 0\n");  // the capture fails at once
  struct Case {
    const char16_t* args;
    DWORD exit_code;
  };
  const Case cases[] = {
      {u"--help", 0},
      {u"1 C:\\nothing.jpg", 1},
      {u"", 2},
      {u"abc", 2},
      {u"--bogus 1", 2},
      {u"--dll C:\\no\\such.dll 99", 3},
      {u"--text-file C:\\no\\such.txt 99", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(Host(c.args).exit_code, c.exit_code) << ToUtf8(c.args);
}

TEST(EosHost, TextFileAndSavedValue) {
  TempDir dir;
  WriteFileBytes(dir.path() + u"in.txt",
                 "\xEF\xBB\xBF"
                 "Fil=\xC3\xA5.jpg\tVersion=0\t");
  const ProcessResult r =
      Host(u"--text-file \"" + dir.path() + u"in.txt\" --save \"Fil=" + dir.path() + u"fil.txt\" 98");
  EXPECT_EQ(r.exit_code, 0u) << r.err;
  EXPECT_TRUE(r.out.starts_with("result: 0\n  Fil=\xC3\xA5.jpg\n  Version=3.1\n  SDKVersion=")) << r.out;
  EXPECT_EQ(ReadFileBytes(dir.path() + u"fil.txt"), "\xC3\xA5.jpg");
  EXPECT_EQ(Host(u"--save \"Missing=" + dir.path() + u"x.txt\" 98").exit_code, 2u);
}

}  // namespace
}  // namespace eos::test
