#include "base/lumutils.h"

#include <algorithm>

#include "base/casefold.h"

namespace eos {

Text ReplaceAllText(TextView old_text, TextView new_text, TextView s) {
  if (old_text.empty()) return Text(s);
  Text out;
  out.reserve(s.size());
  size_t from = 0;
  for (size_t at = s.find(old_text); at != TextView::npos; at = s.find(old_text, from)) {
    out.append(s.substr(from, at - from)).append(new_text);
    from = at + old_text.size();
  }
  out.append(s.substr(from));
  return out;
}

Text ReplaceChar(char16_t old_char, char16_t new_char, TextView s) {
  Text out(s);
  std::replace(out.begin(), out.end(), old_char, new_char);
  return out;
}

bool SameTextNoCase(TextView a, TextView b) { return LowerCaseFull(a) == LowerCaseFull(b); }

bool ContainsTextNoCase(TextView sub, TextView s) {
  Text ls(s);
  Text lsub(sub);
  for (char16_t& c : ls) c = LowerAscii(c);
  for (char16_t& c : lsub) c = LowerAscii(c);
  return ls.find(lsub) != Text::npos;
}

namespace {
size_t FindNoCase(TextView sub, TextView s) { return LowerCaseFull(s).find(LowerCaseFull(sub)); }
}  // namespace

Text TextBefore(TextView sub, TextView s) {
  const size_t at = FindNoCase(sub, s);
  return at == Text::npos ? Text() : Text(s.substr(0, at));
}

Text TextAfter(TextView sub, TextView s) {
  const size_t at = FindNoCase(sub, s);
  return at == Text::npos ? Text() : Text(s.substr(at + sub.size()));
}

Text TextBetween(TextView start, TextView stop, TextView s) { return TextBefore(stop, TextAfter(start, s)); }

bool IsIntegerText(TextView s) {
  // A sign alone is no number.
  if (s.empty() || s == u"+" || s == u"-") return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= u'0' && s[i] <= u'9';
    if (!digit && !(i == 0 && (s[i] == u'+' || s[i] == u'-'))) return false;
  }
  return true;
}

Text ZeroPad(int width, int64_t n, bool truncate) {
  Text digits = IntToText(n);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), u'0');
  if (truncate && width >= 0 && static_cast<int>(digits.size()) > width) digits.resize(width);
  return digits;
}

namespace {
// Index of the extension's "." in a file name, or npos when the last path part has none.
size_t ExtDot(TextView name) {
  const size_t dot = name.find_last_of(u".\\/:");
  return dot != TextView::npos && name[dot] == u'.' ? dot : TextView::npos;
}
}  // namespace

Text FileExtNoDot(TextView file_name) {
  const size_t dot = ExtDot(file_name);
  return dot == TextView::npos ? Text() : Text(file_name.substr(dot + 1));
}

Text FileNameNoExt(TextView file_name) { return Text(file_name.substr(0, ExtDot(file_name))); }

Text FormatLogTime(const DateTime& t) {
  return FormatText(u"%.4d-%.2d-%.2d %.2d:%.2d:%.2d", {t.year, t.month, t.day, t.hour, t.minute, t.second});
}

Text FormatLogTimeMs(const DateTime& t) { return FormatLogTime(t) + u"," + ZeroPad(3, t.millisecond, false); }

namespace {

Text Digits(uint64_t v, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  Text out;
  do {
    out.insert(out.begin(), char16_t(set[v % base]));
    v /= base;
  } while (v != 0);
  return out;
}

Text FormatOne(char16_t conv, int precision, const FormatArg* arg) {
  if (conv == u's') {
    if (const Text* s = arg ? std::get_if<Text>(arg) : nullptr) return precision >= 0 ? s->substr(0, precision) : *s;
    if (const int64_t* n = arg ? std::get_if<int64_t>(arg) : nullptr) return IntToText(*n);
    return Text();
  }
  const int64_t* n = arg ? std::get_if<int64_t>(arg) : nullptr;
  if (!n) return arg ? std::get<Text>(*arg) : Text();
  const bool negative = conv == u'd' && *n < 0;
  uint64_t v = negative ? 0 - static_cast<uint64_t>(*n) : static_cast<uint64_t>(*n);
  if (conv == u'u' || conv == u'x' || conv == u'X') v &= 0xFFFFFFFFull;
  Text digits = Digits(v, conv == u'x' || conv == u'X' ? 16 : 10, conv == u'X');
  if (precision > static_cast<int>(digits.size())) digits.insert(0, precision - digits.size(), u'0');
  return negative ? u"-" + digits : digits;
}

int ReadNumber(TextView p, size_t& i) {
  // Widths are capped so that a hostile pattern cannot ask for gigabytes.
  constexpr int kMaxWidth = 100000;
  int n = 0;
  for (; i < p.size() && p[i] >= u'0' && p[i] <= u'9'; ++i) n = n < kMaxWidth ? n * 10 + (p[i] - u'0') : kMaxWidth;
  return n < kMaxWidth ? n : kMaxWidth;
}

}  // namespace

Text FormatText(TextView pattern, std::initializer_list<FormatArg> args) {
  Text out;
  out.reserve(pattern.size());
  const FormatArg* next = args.begin();
  size_t i = 0;
  while (i < pattern.size()) {
    const char16_t c = pattern[i++];
    if (c != u'%' || i == pattern.size()) {
      out.push_back(c);
      continue;
    }
    const size_t start = i - 1;
    const bool left = pattern[i] == u'-';
    if (left) ++i;
    const int width = ReadNumber(pattern, i);
    int precision = -1;
    if (i < pattern.size() && pattern[i] == u'.') precision = ReadNumber(pattern, ++i);
    const char16_t conv = i < pattern.size() ? pattern[i++] : u'\0';
    if (conv == u'%' && i == start + 2) {
      out.push_back(u'%');
      continue;
    }
    if (conv != u's' && conv != u'd' && conv != u'u' && conv != u'x' && conv != u'X') {
      out.append(pattern.substr(start, i - start));
      continue;
    }
    const FormatArg* arg = next != args.end() ? next++ : nullptr;
    Text field = FormatOne(conv, precision, arg);
    const size_t pad = width > static_cast<int>(field.size()) ? width - field.size() : 0;
    if (!left) out.append(pad, u' ');
    out.append(field);
    if (left) out.append(pad, u' ');
  }
  return out;
}

}  // namespace eos
