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
  // Each segment ends in "!"; a quoted text or name ends at its closing quote and "!",
  // so it may hold a "!" itself.
  while (!rest.empty()) {
    const bool quoted = rest.size() >= 3 && rest[2] == u'"';
    size_t end = quoted ? rest.find(u"\"!", 3) : TextView::npos;
    end = end != TextView::npos ? end + 1 : rest.find(u'!');
    if (end == TextView::npos) break;  // the text after the last "!"
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
  return out;
}

Text DataFieldName(TextView dat) { return ParseDataName(dat).name; }

std::optional<Text> DataLabelText(TextView dat, TextView key, TextView value, bool word_wrap) {
  const Text source = word_wrap ? LineBreaks(dat) : Text(dat);
  const DataName name = ParseDataName(source);
  if (name.name.empty() || LowerCaseFull(name.name) != LowerCaseFull(key)) return std::nullopt;
  Text text(value);
  if (name.max_length) {
    if (text.size() > *name.max_length)
      text.resize(*name.max_length);
    else if (AllDigits(text))
      text.insert(0, *name.max_length - text.size(), u'0');
  }
  return word_wrap ? LineBreaks(text) : text;
}

std::optional<bool> LabelVisibility(TextView line, const FieldStore& fields) {
  if (!HasLayoutKey(u"dbl", line)) return std::nullopt;
  const Text dbl = GetLayoutKey(u"dbl", line);
  return !fields.Lookup(TextView(dbl).substr(0, FindNoCase(dbl, u"[db]"))).empty();
}

}  // namespace eos::layout
