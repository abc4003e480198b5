#include "layout/core/layout_keys.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace eos::layout {

namespace {

// Where the value of `key` starts in `line`, or npos. A field starts the line or
// follows a TAB.
size_t ValueStart(TextView key, TextView line) {
  if (key.empty()) return TextView::npos;
  if (line.substr(0, key.size()) == key) return key.size();
  Text needle(1, kTab);
  needle += key;
  const size_t at = line.find(needle);
  return at == TextView::npos ? at : at + needle.size();
}

}  // namespace

Text GetLayoutKey(TextView key, TextView line) {
  const size_t start = ValueStart(key, line);
  if (start == TextView::npos) return {};
  const size_t end = line.find(kTab, start);
  return Text(line.substr(start, end == TextView::npos ? TextView::npos : end - start));
}

bool HasLayoutKey(TextView key, TextView line) { return ValueStart(key, line) != TextView::npos; }

Text SetLayoutKey(TextView key, TextView value, TextView line) {
  const size_t start = ValueStart(key, line);
  if (start == TextView::npos) {
    if (value.empty()) return Text(line);
    Text out(line);
    if (!out.empty() && out.back() != kTab) out += kTab;
    return out + Text(key) + Text(value) + kTab;
  }
  size_t end = line.find(kTab, start);
  if (end == TextView::npos) end = line.size();
  if (!value.empty()) return Text(line.substr(0, start)) + Text(value) + Text(line.substr(end));
  // The whole field goes, with the TAB that ends it (or, at the end, the one before it).
  const size_t field = start - key.size();
  if (end < line.size()) return Text(line.substr(0, field)) + Text(line.substr(end + 1));
  return Text(line.substr(0, field > 0 ? field - 1 : 0));
}

std::optional<double> ParseLayoutNumber(TextView text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == kTab)) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == kTab)) text.remove_suffix(1);
  // Digits, one sign in front, one separator: what strtod reads then is all of it.
  if (text.empty() || text.size() > 64) return std::nullopt;
  std::string ascii;
  bool digit = false, separator = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      digit = true;
      ascii += static_cast<char>(c);
    } else if ((c == u',' || c == u'.') && !separator) {
      separator = true;
      ascii += '.';
    } else if ((c == u'-' || c == u'+') && i == 0) {
      ascii += static_cast<char>(c);
    } else {
      return std::nullopt;
    }
  }
  if (!digit) return std::nullopt;
  const double value = std::strtod(ascii.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> LayoutToPixels(double mm) {
  if (!std::isfinite(mm)) return std::nullopt;
  const double px = std::nearbyint(mm * 4.0);
  if (px > kMaxLayoutPixels || px < -kMaxLayoutPixels) return std::nullopt;
  return static_cast<int>(px);
}

std::optional<int> LayoutKeyPixels(TextView key, TextView line) {
  const auto mm = ParseLayoutNumber(GetLayoutKey(key, line));
  return mm ? LayoutToPixels(*mm) : std::nullopt;
}

}  // namespace eos::layout
