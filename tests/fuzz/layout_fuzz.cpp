// Layout reading on arbitrary bytes: the container's header (a count that is no number
// is a conversion error) and parts, the text decoding, every line through the item and
// page parsers and the whole data pass (special texts and their functions, visibility,
// data labels, growth, groups, font fitting with a fixed measure), the picture names
// fields give, and every embedded picture through the tolerant loader (icons, metafile
// headers). Nothing may crash, allocate beyond the file's own size, or give an item that
// cannot be drawn; a kind that is never a container always reads as text, every embedded
// file is found by name, and no picture name leads out of the folders it is looked for
// in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "base/lumutils.h"
#include "imaging/core/picture.h"
#include "layout/core/layout_fields.h"
#include "layout/core/layout_file.h"
#include "layout/core/layout_items.h"
#include "layout/core/layout_keys.h"
#include "layout/core/layout_pass.h"
#include "layout/core/layout_pictures.h"

namespace {

using namespace eos;
using namespace eos::layout;

// Characters half the font high wide, lines a quarter higher than the font.
class FixedMeasure : public TextMeasure {
 public:
  TextExtent Measure(const LabelStyle&, int font_height, TextView text) const override {
    const int h = font_height > 0 ? std::min(font_height, 1 << 16) : 12;
    TextExtent e;
    size_t start = 0, lines = 0;
    for (;;) {
      const size_t end = text.find(u"\r\n", start);
      const size_t chars = (end == TextView::npos ? text.size() : end) - start;
      e.width = std::max(e.width, static_cast<int>(std::min<size_t>(chars * std::max(1, h / 2), 1 << 30)));
      ++lines;
      if (end == TextView::npos) break;
      start = end + 2;
    }
    e.height = static_cast<int>(std::min<size_t>(lines * static_cast<size_t>(h + h / 4), 1 << 30));
    e.ascent = h * 4 / 5;
    return e;
  }
};

constexpr TextView kLayoutFolder = u"L:\\skin\\";
constexpr TextView kProgramFolder = u"P:\\host\\";

// A candidate is one of the places followed by a name of one folder level: no
// separator, drive or stream, no parent step.
bool InsideThePlaces(TextView path) {
  for (TextView sub : {u"", u"dblogo\\", u"logo\\"})
    for (TextView folder : {kLayoutFolder, kProgramFolder}) {
      const Text place = Text(folder) + Text(sub);
      const TextView rest = path.substr(std::min(place.size(), path.size()));
      if (path.substr(0, place.size()) == place && !rest.empty() && rest != u".." &&
          rest.find_first_of(u"\\/:") == TextView::npos)
        return true;
    }
  return false;
}

void CheckPictures(const LayoutDocument& doc) {
  const imaging::PictureLimits limits{1024, 1 << 18};
  const imaging::MetafileRenderer renderer = [&limits](const imaging::MetafileInfo& m, imaging::Pixels&,
                                                       std::string& error) {
    if (m.width <= 0 || m.height <= 0 || m.width > limits.max_side || m.height > limits.max_side) std::abort();
    error = "not drawn";
    return false;
  };
  for (const EmbeddedFile& f : doc.embedded.Index()) {
    imaging::Pixels out;
    std::string error;
    const auto data = doc.embedded.Find(f.name);
    const std::string extension = ToAsciiLossy(FileExtNoDot(f.name));
    if (imaging::DecodePicture(*data, extension, out, error, nullptr, limits, renderer)) {
      if (out.width <= 0 || out.height <= 0 || out.width > limits.max_side || out.height > limits.max_side ||
          out.data.size() != static_cast<size_t>(out.width) * static_cast<size_t>(out.height))
        std::abort();
    } else if (error.empty()) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  LayoutDocument doc;
  Text error;
  if (!ReadLayoutBytes(bytes, u"txt", doc, error)) std::abort();
  try {
    if (!ReadLayoutBytes(bytes, u"qzb", doc, error)) {
      if (error.empty()) std::abort();
      return 0;
    }
  } catch (const LayoutConversionError&) {
    return 0;  // a count that is no number
  }
  size_t embedded = 0;
  for (const EmbeddedFile& f : doc.embedded.Index()) {
    embedded += f.size;
    if (!doc.embedded.Find(f.name)) std::abort();
  }
  if (embedded > size) std::abort();
  CheckPictures(doc);

  FieldStore fields;
  fields.Set(u"Delay", u"3");
  fields.Set(u"Card", u"7992739871");
  // The last line as a field's value: what a host or a skin may pass in.
  if (!doc.lines.empty()) fields.Set(u"Value", doc.lines.back());

  std::vector<LayoutItem> labels;
  std::vector<LabelState> states;
  for (const Text& line : doc.lines) {
    const auto item = ParseLayoutItem(line, error);
    if (!item) continue;
    if (item->kind == ItemKind::Page) {
      const auto page = ParseLayoutPage(line, error);
      if (page && (page->width < 0 || page->height < 0)) std::abort();
      continue;
    }
    const Rect& b = item->bounds;
    if (b.width < 0 || b.height < 0 || b.left > kMaxLayoutPixels || b.left < -kMaxLayoutPixels ||
        b.width > kMaxLayoutPixels || b.height > kMaxLayoutPixels)
      std::abort();
    const Text dat = GetLayoutKey(u"dat", line);
    (void)ApplyTextFunctions(dat);
    (void)SetLayoutKey(u"dsp", dat, line);
    if (item->kind == ItemKind::Label || item->kind == ItemKind::DataLabel) {
      LabelState state{b, b, true, item->text, item->label.font_height};
      RenderLabel(*item, fields, state);
      FillDataLabel(*item, DataFieldName(dat), u"42", state);
      for (const auto& [key, value] : fields.Entries()) FillDataLabel(*item, key, value, state);
      labels.push_back(*item);
      states.push_back(std::move(state));
    } else if (item->kind == ItemKind::Image || item->kind == ItemKind::Photo) {
      const Text name = PictureSourceName(dat, fields);
      for (const Text& path : PictureFileCandidates(name, kLayoutFolder, kProgramFolder))
        if (!InsideThePlaces(path)) std::abort();
      const Rect shrunk = ShrinkToPicture(b, static_cast<int>(name.size()), static_cast<int>(dat.size()));
      if (shrunk.left != b.left || shrunk.top != b.top || shrunk.width > b.width || shrunk.height > b.height ||
          shrunk.width < 0 || shrunk.height < 0)
        std::abort();
    }
  }
  std::vector<LabelRef> refs;
  for (size_t i = 0; i < labels.size(); ++i) refs.push_back({&labels[i], &states[i]});
  ArrangeLabels(refs, FixedMeasure());
  for (const LabelState& s : states)
    if (s.bounds.width < 0 || s.bounds.height < 0 || s.font_height < 0 || s.font_height > kMaxLayoutPixels)
      std::abort();
  return 0;
}
