// Layout files as bytes: the text decoding, the plain layout and the container that packs
// the layout text with the pictures its image items show. Files come from anyone, so
// every count is checked against the bytes there are before anything is allocated.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text.h"

namespace eos::layout {

// The most bytes a layout file may have: skins and cards are far smaller, and the whole
// file is held in memory.
inline constexpr size_t kMaxLayoutFileBytes = size_t{32} << 20;
// Longer lines are dropped: no item needs one, and each is searched key by key.
inline constexpr size_t kMaxLineChars = size_t{64} << 10;
inline constexpr size_t kMaxLines = 4096;

// Text without a byte-order mark is in the system's ANSI code page: the Windows side
// converts it; the portable default, and what tests use, reads Windows-1252.
using AnsiDecoder = Text (*)(std::span<const uint8_t> bytes);
Text DecodeWindows1252(std::span<const uint8_t> bytes);

// A byte-order mark selects UTF-8 or UTF-16 (either order); other text goes to `ansi`.
Text DecodeLayoutText(std::span<const uint8_t> bytes, AnsiDecoder ansi = DecodeWindows1252);

// The text's lines (CR LF, LF or CR end a line); empty lines are dropped, lines longer
// than kMaxLineChars and those past kMaxLines are counted in `dropped`.
std::vector<Text> SplitLayoutLines(TextView text, size_t* dropped = nullptr);

// One picture packed into a container, found by its file name (any case).
struct EmbeddedFile {
  Text name;
  size_t offset = 0;  // into EmbeddedFiles::store
  size_t size = 0;
};

class EmbeddedFiles {
 public:
  void Clear();
  void Add(TextView name, std::span<const uint8_t> data);
  // The data of the first file of that name, nothing when there is none.
  std::optional<std::span<const uint8_t>> Find(TextView name) const;
  const std::vector<EmbeddedFile>& Index() const { return index_; }

 private:
  std::vector<EmbeddedFile> index_;
  std::vector<uint8_t> store_;
};

// A layout as read: its lines (the page line first) and the embedded pictures.
struct LayoutDocument {
  std::vector<Text> lines;
  EmbeddedFiles embedded;
  size_t dropped_lines = 0;
};

// A container's header holds a count that is no number: the reading fails as reading a
// number from any other text fails, for the caller to answer as its own error.
class LayoutConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a layout file's bytes. `extension` (without the dot, any case) chooses the
// reading: qzb, qzc, qze, qzl and qzm may be containers; others are plain text. False
// with `error` (an English sentence) for a file that cannot be a layout: too large, or
// a container whose counts are negative or need more bytes than it holds. Throws
// LayoutConversionError for a container count that is no number.
bool ReadLayoutBytes(std::span<const uint8_t> bytes, TextView extension, LayoutDocument& out, Text& error,
                     AnsiDecoder ansi = DecodeWindows1252);

// Reads a layout once per name and modification time: an unchanged file is not read
// again. The reader fills the document or answers false with the error text.
class LayoutCache {
 public:
  using Reader = std::function<bool(LayoutDocument& out, Text& error)>;
  // The document of the file, read when the name or time changed; null with `error` when
  // the reading failed, and the reader's exceptions pass through (a failed reading is
  // tried again at the next call).
  const LayoutDocument* Get(TextView name, int64_t modified, const Reader& read, Text& error);
  void Clear();

 private:
  Text key_;
  LayoutDocument document_;
};

}  // namespace eos::layout
