// What eoshost does with texts: its command line, text files and the printed answer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"

namespace eos::host {

struct HostOptions {
  int32_t command = 0;
  Text text;
  Text dll;                                  // empty: CanonEosPlugin.dll beside eoshost.exe
  Text text_file;                            // read the text from this file
  std::vector<std::pair<Text, Text>> saves;  // answer key, file to write its value to
  bool raw = false;
  bool full = false;
  bool help = false;
};

struct ParsedArgs {
  HostOptions options;
  std::string error;  // empty when the arguments were understood
};

ParsedArgs ParseHostArgs(const std::vector<Text>& args);
std::string HostUsage();

// A text file in UTF-8 (with or without a byte-order mark) or UTF-16 LE with one.
Text DecodeTextFile(std::string_view bytes);

// The answer as a person reads it: the result, then one pair a line, long values cut
// down to their ends and their length, control characters escaped. UTF-8.
std::string DescribeAnswer(int32_t result, TextView answer, bool full);

}  // namespace eos::host
