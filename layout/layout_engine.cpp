#include "layout/layout_engine.h"

#include <memory>
#include <string>

#include "base/casefold.h"
#include "base/lumutils.h"
#include "imaging/LumImageEx.h"
#include "imaging/core/picture.h"
#include "imaging/core/rotation.h"
#include "layout/core/layout_keys.h"
#include "layout/core/layout_pass.h"
#include "layout/core/layout_pictures.h"
#include "ui/form.h"
#include "win/files.h"
#include "win/log_file.h"
#include "win/wtext.h"

namespace eos::layout {

namespace {

// Skin pictures are window-sized: a picture larger than this is no skin's.
constexpr imaging::PictureLimits kPictureLimits{4096, int64_t{4096} * 4096};

struct FileFacts {
  bool exists = false;
  int64_t modified = 0;
  uint64_t size = 0;
};

FileFacts Facts(TextView path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(win::FileSystemPath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return {};
  return {
      true,
      static_cast<int64_t>(uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime),
      uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow};
}

Text FolderOf(TextView path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == TextView::npos ? Text() : Text(path.substr(0, slash + 1));
}

std::string Extension(TextView name) { return imaging::LowerAscii(ToAsciiLossy(FileExtNoDot(name))); }

Text DecodeAnsi(std::span<const uint8_t> bytes) {
  return win::FromAnsi(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

Text HostProgramFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return FolderOf(win::FromWide(path, n));
}

// A layout's picture as the tolerant loader reads it: by the name's extension, then by
// the contents; transparency kept.
bool DecodeLayoutPicture(std::span<const uint8_t> data, TextView name, imaging::Pixels& out, std::string& error) {
  if (data.empty()) {
    error = "no data";
    return false;
  }
  return imaging::DecodePicture(data, Extension(name), out, error, nullptr, kPictureLimits, imaging::RenderMetafile);
}

}  // namespace

void LayoutEngine::Message(TextView text) const {
  if (on_message)
    on_message(text);
  else
    win::WriteLogLine(win::kPluginLog, text);
}

LayoutEngine::LayoutEngine() : program_folder_(HostProgramFolder()) {}

bool LayoutEngine::LoadLayout(TextView file_name, ui::Container& container) {
  const FileFacts facts = Facts(file_name);
  if (!facts.exists) return false;
  Text error;
  const LayoutDocument* doc = cache_.Get(
      file_name, facts.modified,
      [&](LayoutDocument& out, Text& why) {
        ++file_reads_;
        std::vector<uint8_t> bytes;
        if (facts.size > kMaxLayoutFileBytes) {
          why = u"The layout file is too large.";
          return false;
        }
        if (!win::ReadWholeFile(file_name, bytes, kMaxLayoutFileBytes)) {
          why = u"The file cannot be read.";
          return false;
        }
        return ReadLayoutBytes(bytes, FileExtNoDot(file_name), out, why, DecodeAnsi);
      },
      error);
  if (!doc) {
    Message(u"Failed to open " + Text(file_name) + u"\r\n" + error);
    return false;
  }
  folder_ = FolderOf(file_name);
  page_.background.clear();
  page_.line.clear();  // the keys of a page line are its own layout's
  arranged_ = false;
  for (LayoutControl* c : LayoutControls(container))
    if (c->Tag() != kTagKeep) container.OwnerForm().Free(*c);
  const auto log = [](size_t index, TextView what) {
    win::WriteLogLine(win::kPluginLog,
                      u"Layout line " + IntToText(static_cast<long long>(index + 1)) + u": " + Text(what));
  };
  for (size_t i = 0; i < doc->lines.size(); ++i) {
    const Text& line = doc->lines[i];
    auto item = ParseLayoutItem(line, error);
    if (item && item->kind == ItemKind::Page) {
      // Any page line sizes the page; without one the page keeps the size it had.
      if (const auto page = ParseLayoutPage(line, error)) {
        page_ = *page;
        if (!page_.background.empty()) page_.background = folder_ + page_.background;
        continue;
      }
      item.reset();
    }
    if (!item) {
      log(i, u"skipped: " + error);
      continue;
    }
    if (!item->placed) log(i, error);
    try {
      CreateItem(*item, container, *doc);
    } catch (const std::exception&) {
      win::LogSwallowed(u"LoadLayout");  // the items before it stay
    }
  }
  if (auto* panel = dynamic_cast<ui::Item*>(&container)) {
    const RECT b = panel->Bounds();
    panel->SetBounds({b.left, b.top, b.left + page_.width, b.top + page_.height});
  }
  container.Invalidate();
  return true;
}

void LayoutEngine::CreateItem(const LayoutItem& item, ui::Container& container, const LayoutDocument& doc) {
  ui::Form& form = container.OwnerForm();
  switch (item.kind) {
    case ItemKind::Label:
    case ItemKind::DataLabel:
      form.Adopt(std::make_unique<LayoutLabel>(container, item));
      break;
    case ItemKind::Image: {
      auto& image = form.Adopt(std::make_unique<LayoutImage>(container, item));
      imaging::Pixels pixels;
      if (!LoadPicture(item, doc, pixels)) break;
      if (item.angle != 0) pixels = imaging::BuildRotated(pixels, 0, -item.angle);
      image.SetPicture(std::move(pixels));
      break;
    }
    case ItemKind::Photo:
      form.Adopt(std::make_unique<LayoutImage>(container, item));
      break;
    case ItemKind::Shape:
      form.Adopt(std::make_unique<LayoutShape>(container, item));
      break;
    default:
      break;  // barcodes and rich text are not drawn here
  }
}

bool LayoutEngine::LoadPicture(const LayoutItem& item, const LayoutDocument& doc, imaging::Pixels& out) {
  const TextView name = item.image_name;
  if (name.empty()) return false;
  std::vector<uint8_t> file;
  const auto embedded = doc.embedded.Find(name);
  if (!embedded) {
    // A picture file that is missing, cannot be read or does not decode leaves the image
    // empty without a message; so does one outside the layout's folder.
    if (!IsBarePictureName(name) || folder_.empty()) return false;
    const Text path = folder_ + Text(name);
    if (!Facts(path).exists) return false;
    if (!win::ReadWholeFile(path, file, kMaxLayoutFileBytes)) {
      win::WriteLogLine(win::kPluginLog, u"Layout picture " + Text(name) + u": the file cannot be read");
      return false;
    }
  }
  std::string error;
  if (!DecodeLayoutPicture(embedded ? *embedded : std::span<const uint8_t>(file), name, out, error)) {
    win::WriteLogLine(win::kPluginLog, u"Layout picture " + Text(name) + u": " + Ascii(error));
    if (embedded) Message(u"Failed to open " + Text(name));
    return false;
  }
  return true;
}

Text LayoutEngine::ResolveImageFile(TextView name) const {
  for (const Text& path : PictureFileCandidates(name, folder_, program_folder_))
    if (Facts(path).exists) return path;
  return {};
}

void LayoutEngine::ShowFieldPicture(LayoutImage& image) {
  const Text& line = image.Hint();
  if (LowerCaseSv(GetLayoutKey(u"knd", line)) != u"db") return;
  const Text name = PictureSourceName(GetLayoutKey(u"dat", line), fields_);
  // The pass runs on every tick of a countdown: the file the name found last, while it
  // is still there, is what a lookup would find again.
  if (!image.resolved || image.resolved->name != name || image.resolved->file.empty() ||
      !Facts(image.resolved->file).exists)
    image.resolved = LayoutImage::Resolved{name, ResolveImageFile(name)};
  const Text file = image.resolved->file;
  if (file == GetLayoutKey(u"dsp", line)) return;
  imaging::Pixels pixels;
  std::vector<uint8_t> bytes;
  std::string error;
  // A file that does not decode leaves the place empty; the pass runs on timer ticks, so
  // the log says why rather than a message box.
  if (!file.empty() &&
      (!win::ReadWholeFile(file, bytes, kMaxLayoutFileBytes) || !DecodeLayoutPicture(bytes, file, pixels, error))) {
    win::WriteLogLine(win::kPluginLog, u"Failed to open " + file + u": " + Ascii(error));
    pixels = {};
  }
  image.ShowFieldPicture(std::move(pixels), file);
}

void LayoutEngine::DataPass(ui::Container& container, bool fill_data_labels) {
  std::vector<LayoutLabel*> labels;
  std::vector<LabelState> states;
  bool changed = !arranged_;
  for (LayoutControl* c : LayoutControls(container)) {
    if (auto* label = dynamic_cast<LayoutLabel*>(c)) {
      if (!label->Model().placed) continue;
      labels.push_back(label);
      states.push_back(label->State());
      changed |= RenderLabel(label->Model(), fields_, states.back());
    } else if (auto* image = dynamic_cast<LayoutImage*>(c)) {
      ShowFieldPicture(*image);
    }
  }
  if (fill_data_labels)
    for (const auto& [key, value] : fields_.Entries())
      for (size_t i = 0; i < labels.size(); ++i) changed |= FillDataLabel(labels[i]->Model(), key, value, states[i]);
  if (!changed) return;
  std::vector<LabelRef> refs;
  refs.reserve(labels.size());
  for (size_t i = 0; i < labels.size(); ++i) refs.push_back({&labels[i]->Model(), &states[i]});
  ArrangeLabels(refs, LabelMeasure(container.OwnerForm().Font()));
  for (size_t i = 0; i < labels.size(); ++i) labels[i]->Show(states[i]);
  arranged_ = true;
}

void LayoutEngine::RefreshFields(ui::Container& container) {
  if (fields_.Empty()) return;
  DataPass(container, true);
}

void LayoutEngine::SetFieldValueAndRefresh(TextView key, TextView value, ui::Container& container) {
  SetFieldValue(key, value);
  DataPass(container, false);
}

std::vector<LayoutControl*> LayoutControls(const ui::Container& container) {
  std::vector<LayoutControl*> out;
  for (ui::Item* item : container.Items())
    if (auto* c = dynamic_cast<LayoutControl*>(item)) out.push_back(c);
  return out;
}

LayoutEngine& Engine() {
  static LayoutEngine engine;
  return engine;
}

}  // namespace eos::layout
