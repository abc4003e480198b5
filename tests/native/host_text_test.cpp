#include "tools/eoshost/host_text.h"

#include <gtest/gtest.h>

namespace eos::host {
namespace {

ParsedArgs Parse(std::initializer_list<const char16_t*> args) {
  std::vector<Text> v;
  for (const char16_t* a : args) v.emplace_back(a);
  return ParseHostArgs(v);
}

TEST(HostArgs, CommandAndText) {
  const ParsedArgs p = Parse({u"99", u"hello"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.command, 99);
  EXPECT_EQ(p.options.text, u"hello");
}

TEST(HostArgs, PairsBuildAParameterText) {
  const ParsedArgs p = Parse({u"--pair", u"File=C:\\a=b.jpg", u"--pair", u"Auto=", u"1"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.text, u"File=C:\\a=b.jpg\tAuto=\t");
}

TEST(HostArgs, OptionsAfterDoubleDashAreText) {
  const ParsedArgs p = Parse({u"--", u"99", u"--raw"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.text, u"--raw");
  EXPECT_FALSE(p.options.raw);
}

TEST(HostArgs, Errors) {
  struct Case {
    std::initializer_list<const char16_t*> args;
    const char* error;
  };
  const Case cases[] = {
      {{}, "no command number given"},
      {{u"x"}, "the command must be a number, not x"},
      {{u"1", u"a", u"b"}, "too many arguments"},
      {{u"--dll"}, "--dll needs a value"},
      {{u"--pair", u"novalue", u"1"}, "--pair takes KEY=VALUE"},
      {{u"--save", u"=f", u"1"}, "--save takes KEY=FILE"},
      {{u"--bogus", u"1"}, "unknown option --bogus"},
      {{u"--pair", u"A=1", u"1", u"text"}, "give the text once: as an argument, with --pair or with --text-file"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHostArgs(std::vector<Text>(c.args.begin(), c.args.end())).error, c.error);
}

TEST(HostText, DecodesFiles) {
  EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                           "A=\xC3\xA5"),
            u"A=\u00E5");
  EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE"
                                       "A\0\t\0",
                                       6)),
            u"A\t");
  EXPECT_EQ(DecodeTextFile(""), u"");
}

TEST(HostText, DescribesAnswers) {
  EXPECT_EQ(DescribeAnswer(0, u" hopp", false), "result: 0\ntext: \" hopp\"\n");
  EXPECT_EQ(DescribeAnswer(-1, u"A=1\tB=x\r\ny\t", false), "result: -1\n  A=1\n  B=x\\r\\ny\n");
  const Text big = u"Base64=" + Text(40, u'A') + Text(1000, u'B') + Text(16, u'C');
  const std::string shown = DescribeAnswer(0, big, false);
  EXPECT_EQ(shown, "result: 0\n  Base64=" + std::string(40, 'A') + std::string(8, 'B') + "..." + std::string(16, 'C') +
                       " (1056 characters)\n");
  EXPECT_EQ(DescribeAnswer(0, big, true).size(), std::string("result: 0\n  \n").size() + big.size());
}

}  // namespace
}  // namespace eos::host
