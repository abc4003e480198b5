#include "layout/core/layout_file.h"

#include <limits>

#include "base/casefold.h"
#include "layout/core/layout_keys.h"

namespace eos::layout {

namespace {

// Windows-1252 at 0x80..0x9F; the rest of the code page is Latin-1. The five holes of
// the code page keep their C1 values, as Windows' own conversion does.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr uint8_t kContainerMark = 254;

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> head) {
  if (bytes.size() < head.size()) return false;
  size_t i = 0;
  for (uint8_t b : head)
    if (bytes[i++] != b) return false;
  return true;
}

Text DecodeUtf16(std::span<const uint8_t> bytes, bool big_endian) {
  Text out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned hi = big_endian ? bytes[i] : bytes[i + 1];
    const unsigned lo = big_endian ? bytes[i + 1] : bytes[i];
    out += static_cast<char16_t>(hi << 8 | lo);
  }
  return out;
}

bool IsNativeExtension(TextView extension) {
  for (TextView native : {u"qzb", u"qzc", u"qze", u"qzl", u"qzm"})
    if (LowerCaseSv(extension) == native) return true;
  return false;
}

[[noreturn]] void CountIsNoNumber() {
  throw LayoutConversionError("The container's header holds a count that is no number.");
}

// The counts of a container's header. A count is a decimal number; false with `error`
// when one is negative or all of them need more bytes than `available`. Every count is
// read before any is checked: one that is no number at all, wherever it stands, throws
// LayoutConversionError.
bool ParseHeader(std::span<const uint8_t> header, size_t available, std::vector<size_t>& counts, Text& error) {
  size_t total = 0, value = 0;
  bool digits = false, negative = false, too_large = false;
  Text refused;
  const auto finish = [&] {
    if (!digits) CountIsNoNumber();
    if (refused.empty() && negative) refused = u"The container's header holds a negative count.";
    if (refused.empty() && (too_large || value > available - total))
      refused = u"The container's header counts more bytes than the file holds.";
    if (refused.empty()) {
      total += value;
      counts.push_back(value);
    }
    value = 0;
    digits = negative = too_large = false;
  };
  for (const uint8_t c : header) {
    if (c == '\t') {
      finish();
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (value > (std::numeric_limits<size_t>::max() - 9) / 10)
        too_large = true;
      else
        value = value * 10 + (c - '0');
    } else if (c == '-' && !digits && !negative) {
      negative = true;
    } else {
      CountIsNoNumber();
    }
  }
  // A missing final TAB is supplied.
  if (header.empty() || header.back() != '\t') finish();
  if (refused.empty()) return true;
  error = std::move(refused);
  return false;
}

}  // namespace

Text DecodeWindows1252(std::span<const uint8_t> bytes) {
  Text out;
  out.reserve(bytes.size());
  for (uint8_t b : bytes) out += b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
  return out;
}

Text DecodeLayoutText(std::span<const uint8_t> bytes, AnsiDecoder ansi) {
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
    const auto* chars = reinterpret_cast<const char*>(bytes.data()) + 3;
    return FromUtf8(std::string_view(chars, bytes.size() - 3));
  }
  if (StartsWith(bytes, {0xFF, 0xFE})) return DecodeUtf16(bytes.subspan(2), false);
  if (StartsWith(bytes, {0xFE, 0xFF})) return DecodeUtf16(bytes.subspan(2), true);
  return ansi(bytes);
}

std::vector<Text> SplitLayoutLines(TextView text, size_t* dropped) {
  std::vector<Text> lines;
  size_t skipped = 0, start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == TextView::npos) end = text.size();
    const TextView line = text.substr(start, end - start);
    if (line.size() > kMaxLineChars || (!line.empty() && lines.size() >= kMaxLines))
      ++skipped;
    else if (!line.empty())
      lines.emplace_back(line);
    if (end == text.size()) break;
    start = end + ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
  }
  if (dropped) *dropped = skipped;
  return lines;
}

void EmbeddedFiles::Clear() {
  index_.clear();
  store_.clear();
}

void EmbeddedFiles::Add(TextView name, std::span<const uint8_t> data) {
  index_.push_back({Text(name), store_.size(), data.size()});
  store_.insert(store_.end(), data.begin(), data.end());
}

std::optional<std::span<const uint8_t>> EmbeddedFiles::Find(TextView name) const {
  const Text wanted = LowerCaseFull(name);
  for (const EmbeddedFile& f : index_)
    if (LowerCaseFull(f.name) == wanted) return std::span<const uint8_t>(store_).subspan(f.offset, f.size);
  return std::nullopt;
}

bool ReadLayoutBytes(std::span<const uint8_t> bytes, TextView extension, LayoutDocument& out, Text& error,
                     AnsiDecoder ansi) {
  out = {};
  if (bytes.size() > kMaxLayoutFileBytes) {
    error = u"The layout file is too large.";
    return false;
  }
  // A text with a byte-order mark is no container: a container starts with its ASCII
  // header, and the mark of UTF-16 holds the byte 254 itself.
  const bool bom =
      StartsWith(bytes, {0xEF, 0xBB, 0xBF}) || StartsWith(bytes, {0xFF, 0xFE}) || StartsWith(bytes, {0xFE, 0xFF});
  size_t mark = bytes.size();
  if (IsNativeExtension(extension) && !bom)
    for (size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i] == kContainerMark) {
        mark = i;
        break;
      }
  if (mark == bytes.size()) {
    out.lines = SplitLayoutLines(DecodeLayoutText(bytes, ansi), &out.dropped_lines);
    return true;
  }
  std::vector<size_t> counts;
  const size_t body = mark + 1;
  if (!ParseHeader(bytes.first(mark), bytes.size() - body, counts, error)) return false;
  size_t at = body;
  out.lines = SplitLayoutLines(DecodeLayoutText(bytes.subspan(at, counts[0]), ansi), &out.dropped_lines);
  at += counts[0];
  // The files belong, in order, to the image items ("fim") after the page line.
  size_t next = 1;
  for (size_t i = 1; i < out.lines.size() && next < counts.size(); ++i) {
    if (LowerCaseSv(GetLayoutKey(u"typ", out.lines[i])) != u"fim") continue;
    out.embedded.Add(GetLayoutKey(u"dat", out.lines[i]), bytes.subspan(at, counts[next]));
    at += counts[next++];
  }
  return true;
}

const LayoutDocument* LayoutCache::Get(TextView name, int64_t modified, const Reader& read, Text& error) {
  Text key = Text(name) + u"|" + IntToText(modified);
  if (key == key_) return &document_;
  key_.clear();
  document_ = {};
  if (!read(document_, error)) {
    document_ = {};
    return nullptr;
  }
  key_ = std::move(key);
  return &document_;
}

void LayoutCache::Clear() {
  key_.clear();
  document_ = {};
}

}  // namespace eos::layout
