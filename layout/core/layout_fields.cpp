#include "layout/core/layout_fields.h"

#include "base/casefold.h"
#include "base/paramtext.h"
#include "layout/core/layout_keys.h"

namespace eos::layout {

namespace {

constexpr char16_t kBreak = u'\u00FF';    // ÿ
constexpr char16_t kTabMark = u'\u00FE';  // þ
constexpr TextView kMarker = u"[DB]";
constexpr TextView kSpecial = u"!!special:";
// Longer than any label: a file's larger number is no length.
constexpr int32_t kMaxDataLength = 1024;

// The maximum length right after the first marker, and the text without it.
struct DataName {
  Text name;
  std::optional<size_t> max_length;
};

DataName ParseDataName(TextView dat) {
  DataName out;
  const size_t first = FindNoCase(dat, kMarker);
  Text rest(dat);
  if (first != TextView::npos) {
    size_t digits = first + kMarker.size();
    while (digits < dat.size() && dat[digits] >= u'0' && dat[digits] <= u'9') ++digits;
    const TextView number = dat.substr(first + kMarker.size(), digits - first - kMarker.size());
    int32_t n = 0;
    if (!number.empty() && ParseInt32(number, n) && n >= 0 && n <= kMaxDataLength)
      out.max_length = static_cast<size_t>(n);
    // The length is no part of the field's name.
    rest = Text(dat.substr(0, first + kMarker.size())) + Text(dat.substr(digits));
  }
  for (size_t at; (at = FindNoCase(rest, kMarker)) != TextView::npos;) rest.erase(at, kMarker.size());
  out.name = std::move(rest);
  return out;
}

bool AllDigits(TextView s) {
  if (s.empty()) return false;
  for (char16_t c : s)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// The value cut to the maximum length, or a whole number padded with zeros to it.
Text CutOrPad(TextView value, std::optional<size_t> max_length) {
  Text text(value);
  if (max_length) {
    if (text.size() > *max_length)
      text.resize(*max_length);
    else if (AllDigits(text))
      text.insert(0, *max_length - text.size(), u'0');
  }
  return text;
}

Text Mod10(TextView argument) {
  const bool append = argument.substr(0, 2) == u"+=";
  const TextView number = append ? argument.substr(2) : argument;
  const auto digit = LuhnCheckDigit(number);
  if (!digit) return {};
  return append ? Text(number) + *digit : Text(1, *digit);
}

Text If(TextView argument) {
  const size_t then = FindNoCase(argument, u" then ");
  const TextView condition = argument.substr(0, then);
  TextView branches = argument.substr(then + 6);
  const size_t otherwise = FindNoCase(branches, u" else ");
  const TextView yes = branches.substr(0, otherwise);
  const TextView no = otherwise == TextView::npos ? TextView() : branches.substr(otherwise + 6);
  const size_t eq = condition.find(u'=');
  const TextView a = condition.substr(0, eq);
  const TextView b = eq == TextView::npos ? TextView() : condition.substr(eq + 1);
  return Text(LowerCaseFull(a) == LowerCaseFull(b) ? yes : no);
}

// Every call of the function `name` (with its "(") replaced by `apply` of its argument;
// the scan goes on after each replacement, so a result is never read again.
template <class Apply>
Text ReplaceCalls(TextView text, TextView name, Apply apply) {
  Text out;
  size_t from = 0;
  for (size_t at; (at = FindNoCase(text.substr(from), name)) != TextView::npos;) {
    at += from;
    const size_t open = at + name.size();
    const size_t close = text.find(u')', open);
    if (close == TextView::npos) break;
    const auto replaced = apply(text.substr(open, close - open));
    out += text.substr(from, at - from);
    out += replaced ? *replaced : text.substr(at, close + 1 - at);
    from = close + 1;
  }
  out += text.substr(from);
  return out;
}

}  // namespace

void FieldStore::Set(TextView key, TextView value) {
  Text v;
  v.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') continue;  // the LF stands for both
    v += c == u'\r' || c == u'\n' ? kBreak : c == kTab ? kTabMark : c;
  }
  text_ = SetParamValue(key, v, text_);
}

Text FieldStore::Lookup(TextView name) const { return name.empty() ? Text() : GetParamValue(name, text_); }

std::vector<std::pair<Text, Text>> FieldStore::Entries() const {
  std::vector<std::pair<Text, Text>> out;
  size_t start = 0;
  while (start < text_.size()) {
    size_t end = text_.find(kTab, start);
    if (end == Text::npos) end = text_.size();
    const TextView entry = TextView(text_).substr(start, end - start);
    if (const size_t eq = entry.find(u'='); eq != TextView::npos)
      out.emplace_back(Text(entry.substr(0, eq)), Text(entry.substr(eq + 1)));
    start = end + 1;
  }
  return out;
}

Text LineBreaks(TextView text) {
  Text out;
  out.reserve(text.size());
  for (char16_t c : text) out += c == kBreak ? Text(u"\r\n") : Text(1, c);
  return out;
}

size_t FindNoCase(TextView text, TextView needle) {
  if (needle.size() > text.size()) return TextView::npos;
  for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && LowerAscii(text[i + k]) == LowerAscii(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return TextView::npos;
}

bool IsSpecialText(TextView dat) { return FindNoCase(dat.substr(0, kSpecial.size()), kSpecial) == 0; }

Text RenderSpecialText(TextView dat, const FieldStore& fields, bool word_wrap) {
  TextView rest = dat.substr(std::min(dat.size(), kSpecial.size()));
  const Text wrapped = word_wrap ? LineBreaks(rest) : Text(rest);
  rest = wrapped;
  Text out;
  // Each segment ends at the next "!", inside quotes too: "ft", a quote, the text and a
  // quote, the quotes taken by their places. What follows the last "!" is no segment.
  while (!rest.empty()) {
    const size_t end = rest.find(u'!');
    if (end == TextView::npos) break;
    const TextView segment = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    if (segment.size() < 4) continue;
    const TextView head = segment.substr(0, 2);
    if (head == u"ft") {
      out += segment.substr(3, segment.size() - 4);
    } else if (head == u"kd") {
      // "kd" and a quoted name, or "kd", a format, and a quoted name. The format is
      // not applied: the value shows as stored.
      const size_t open = segment.find(u'"', 2);
      if (open == TextView::npos || open + 1 >= segment.size()) continue;
      out += LineBreaks(fields.Lookup(segment.substr(open + 1, segment.size() - open - 2)));
    }
  }
  return ApplyTextFunctions(out);
}

std::optional<char16_t> LuhnCheckDigit(TextView digits) {
  if (!AllDigits(digits)) return std::nullopt;
  // From the right, every other digit doubled, starting with the last: the check digit
  // will stand right of it.
  unsigned sum = 0;
  bool twice = true;
  for (size_t i = digits.size(); i-- > 0; twice = !twice) {
    unsigned d = static_cast<unsigned>(digits[i] - u'0');
    if (twice) d = d * 2 > 9 ? d * 2 - 9 : d * 2;
    sum += d;
  }
  return static_cast<char16_t>(u'0' + (10 - sum % 10) % 10);
}

Text ApplyTextFunctions(TextView text) {
  const Text checked =
      ReplaceCalls(text, u"function_mod10(", [](TextView argument) { return std::optional<Text>(Mod10(argument)); });
  return ReplaceCalls(checked, u"function_if(", [](TextView argument) -> std::optional<Text> {
    if (FindNoCase(argument, u" then ") == TextView::npos) return std::nullopt;
    return If(argument);
  });
}

Text DataFieldName(TextView dat) { return ParseDataName(dat).name; }

Text PictureSourceName(TextView dat, const FieldStore& fields) {
  const DataName name = ParseDataName(dat);
  const Text value = fields.Lookup(name.name);
  return value.empty() ? Text(dat) : CutOrPad(value, name.max_length);
}

std::optional<Text> DataLabelText(TextView dat, TextView key, TextView value, bool word_wrap) {
  const Text source = word_wrap ? LineBreaks(dat) : Text(dat);
  const DataName name = ParseDataName(source);
  if (name.name.empty() || LowerCaseFull(name.name) != LowerCaseFull(key)) return std::nullopt;
  const Text text = CutOrPad(value, name.max_length);
  return word_wrap ? LineBreaks(text) : text;
}

std::optional<bool> LabelVisibility(TextView line, const FieldStore& fields) {
  if (!HasLayoutKey(u"dbl", line)) return std::nullopt;
  const Text dbl = GetLayoutKey(u"dbl", line);
  return !fields.Lookup(TextView(dbl).substr(0, FindNoCase(dbl, u"[db]"))).empty();
}

}  // namespace eos::layout
