#include "tools/eoshost/host_text.h"

#include "base/lumutils.h"
#include "base/paramtext.h"

namespace eos::host {

namespace {

constexpr size_t kLongValue = 120;

bool TakeValue(const std::vector<Text>& args, size_t& i, Text& out, std::string& error) {
  if (i + 1 >= args.size()) {
    error = ToAsciiLossy(args[i]) + " needs a value";
    return false;
  }
  out = args[++i];
  return true;
}

bool SplitAt(TextView s, char16_t sep, Text& left, Text& right) {
  const size_t at = s.find(sep);
  if (at == TextView::npos || at == 0) return false;
  left = Text(s.substr(0, at));
  right = Text(s.substr(at + 1));
  return true;
}

}  // namespace

ParsedArgs ParseHostArgs(const std::vector<Text>& args) {
  ParsedArgs r;
  HostOptions& o = r.options;
  std::vector<Text> positional;
  bool options_end = false;
  for (size_t i = 0; i < args.size() && r.error.empty(); ++i) {
    const Text& a = args[i];
    Text value;
    if (options_end || a.size() < 2 || a.compare(0, 2, u"--") != 0) {
      positional.push_back(a);
    } else if (a == u"--") {
      options_end = true;
    } else if (a == u"--help") {
      o.help = true;
    } else if (a == u"--raw") {
      o.raw = true;
    } else if (a == u"--full") {
      o.full = true;
    } else if (a == u"--dll") {
      TakeValue(args, i, o.dll, r.error);
    } else if (a == u"--text-file") {
      TakeValue(args, i, o.text_file, r.error);
    } else if (a == u"--pair" || a == u"--save") {
      if (!TakeValue(args, i, value, r.error)) break;
      Text key, rest;
      if (!SplitAt(value, u'=', key, rest)) {
        r.error = ToAsciiLossy(a) + " takes KEY=" + (a == u"--pair" ? "VALUE" : "FILE");
      } else if (a == u"--pair") {
        o.text = SetParamValueKeepEmpty(key, rest, o.text);
      } else {
        o.saves.emplace_back(key, rest);
      }
    } else {
      r.error = "unknown option " + ToAsciiLossy(a);
    }
  }
  if (!r.error.empty() || o.help) return r;
  if (positional.empty() || positional.size() > 2) {
    r.error = positional.empty() ? "no command number given" : "too many arguments";
  } else if (!ParseInt32(positional[0], o.command)) {
    r.error = "the command must be a number, not " + ToAsciiLossy(positional[0]);
  } else if (positional.size() == 2 && (!o.text.empty() || !o.text_file.empty())) {
    r.error = "give the text once: as an argument, with --pair or with --text-file";
  } else if (positional.size() == 2) {
    o.text = positional[1];
  } else if (!o.text.empty() && !o.text_file.empty()) {
    r.error = "give the text once: as an argument, with --pair or with --text-file";
  }
  return r;
}

std::string HostUsage() {
  return "usage: eoshost [options] COMMAND [TEXT]\n"
         "\n"
         "Loads the plug-in, calls Dll_ParamsW once with COMMAND and TEXT, prints the result\n"
         "and the answer text one pair a line.\n"
         "\n"
         "Commands: 1 capture, 11 capture with automatic release, 2 settings, 3 get settings,\n"
         "4 set settings, 5 translations, 6 capabilities, 9 free, 98 versions, 99 echo.\n"
         "\n"
         "Options:\n"
         "  --dll PATH        the plug-in (default: CanonEosPlugin.dll beside eoshost.exe)\n"
         "  --pair KEY=VALUE  add a pair to the text; repeat for more pairs\n"
         "  --text-file FILE  take the text from FILE (UTF-8, or UTF-16 with byte-order mark)\n"
         "  --save KEY=FILE   write the value of KEY in the answer to FILE (UTF-8)\n"
         "  --full            print long values whole\n"
         "  --raw             print the answer text exactly as it came back\n"
         "  --help            this text\n"
         "\n"
         "Exit codes: 0 the plug-in answered 0; 1 it answered -1; 2 bad arguments or files;\n"
         "3 the plug-in or its export could not be loaded.\n";
}

Text DecodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    Text out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return out;
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return FromUtf8(bytes);
}

namespace {

Text Escaped(TextView s) {
  Text out;
  for (char16_t c : s) {
    if (c == u'\r')
      out += u"\\r";
    else if (c == u'\n')
      out += u"\\n";
    else if (c == u'\\')
      out += u"\\\\";
    else if (c < 0x20)
      out += FormatText(u"\\x%.2X", {int64_t{c}});
    else
      out.push_back(c);
  }
  return out;
}

Text Shown(TextView value, bool full) {
  if (full || value.size() <= kLongValue) return Escaped(value);
  return Escaped(value.substr(0, 48)) + u"..." + Escaped(value.substr(value.size() - 16)) +
         FormatText(u" (%d characters)", {static_cast<int64_t>(value.size())});
}

}  // namespace

std::string DescribeAnswer(int32_t result, TextView answer, bool full) {
  std::string out = "result: " + std::to_string(result) + "\n";
  if (answer.find(u'=') == TextView::npos) {
    out += "text: \"" + ToUtf8(Shown(answer, full)) + "\"\n";
    return out;
  }
  size_t start = 0;
  while (start <= answer.size()) {
    size_t tab = answer.find(kTab, start);
    if (tab == TextView::npos) tab = answer.size();
    const TextView pair = answer.substr(start, tab - start);
    if (!pair.empty()) {
      const size_t eq = pair.find(u'=');
      out += "  " + ToUtf8(Escaped(pair.substr(0, eq)));
      if (eq != TextView::npos) out += "=" + ToUtf8(Shown(pair.substr(eq + 1), full));
      out += "\n";
    }
    start = tab + 1;
  }
  return out;
}

}  // namespace eos::host
