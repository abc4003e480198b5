// Layout reading on arbitrary bytes: the container's header and parts, the text
// decoding, every line through the item parser and the field rules. Nothing may crash,
// allocate beyond the file's own size, or give an item that cannot be drawn; a kind that
// is never a container always reads as text, and every embedded file is found by name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "layout/core/layout_fields.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace eos;
  using namespace eos::layout;
  const std::span<const uint8_t> bytes(data, size);
  LayoutDocument doc;
  Text error;
  if (!ReadLayoutBytes(bytes, u"txt", doc, error)) std::abort();
  if (!ReadLayoutBytes(bytes, u"qzb", doc, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  size_t embedded = 0;
  for (const EmbeddedFile& f : doc.embedded.Index()) {
    embedded += f.size;
    if (!doc.embedded.Find(f.name)) std::abort();
  }
  if (embedded > size) std::abort();
  FieldStore fields;
  fields.Set(u"Delay", u"3");
  if (!doc.lines.empty()) (void)ParseLayoutPage(doc.lines[0], error);
  for (const Text& line : doc.lines) {
    const auto item = ParseLayoutItem(line, error);
    if (!item) continue;
    const Rect& b = item->bounds;
    if (b.width < 0 || b.height < 0 || b.left > kMaxLayoutPixels || b.left < -kMaxLayoutPixels ||
        b.width > kMaxLayoutPixels || b.height > kMaxLayoutPixels)
      std::abort();
    const Text dat = GetLayoutKey(u"dat", line);
    (void)DataLabelText(dat, DataFieldName(dat), u"42", item->label.word_wrap);
    (void)RenderSpecialText(dat, fields, true);
    (void)LabelVisibility(line, fields);
    (void)SetLayoutKey(u"dsp", dat, line);
  }
  return 0;
}
