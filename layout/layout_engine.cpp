#include "layout/layout_engine.h"

#include <memory>
#include <string>

#include "base/lumutils.h"
#include "imaging/core/picture.h"
#include "imaging/core/rotation.h"
#include "layout/core/layout_keys.h"
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

// A picture file beside the layout: a bare file name, so a layout reads nothing outside
// its own folder.
bool IsBareFileName(TextView name) {
  return !name.empty() && name.find_first_of(u"\\/:") == TextView::npos && name != u"." && name != u"..";
}

std::string Extension(TextView name) { return imaging::LowerAscii(ToAsciiLossy(FileExtNoDot(name))); }

}  // namespace

void LayoutEngine::Message(TextView text) const {
  if (on_message)
    on_message(text);
  else
    win::WriteLogLine(win::kPluginLog, text);
}

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
        return ReadLayoutBytes(bytes, FileExtNoDot(file_name), out, why);
      },
      error);
  std::optional<LayoutPage> page;
  if (doc && !doc->lines.empty()) page = ParseLayoutPage(doc->lines[0], error);
  if (!page) {
    if (error.empty()) error = u"The layout is empty.";
    Message(u"Failed to open " + Text(file_name) + u"\r\n" + error);
    return false;
  }
  page_ = *page;
  for (LayoutControl* c : LayoutControls(container))
    if (c->Tag() != kTagKeep) container.OwnerForm().Free(*c);
  const Text folder = FolderOf(file_name);
  for (size_t i = 1; i < doc->lines.size(); ++i) {
    const auto item = ParseLayoutItem(doc->lines[i], error);
    if (!item) {
      win::WriteLogLine(win::kPluginLog,
                        u"Layout line " + IntToText(static_cast<long long>(i + 1)) + u" skipped: " + error);
      continue;
    }
    try {
      CreateItem(*item, container, *doc, folder);
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

void LayoutEngine::CreateItem(const LayoutItem& item, ui::Container& container, const LayoutDocument& doc,
                              TextView folder) {
  ui::Form& form = container.OwnerForm();
  switch (item.kind) {
    case ItemKind::Label:
    case ItemKind::DataLabel:
      form.Adopt(std::make_unique<LayoutLabel>(container, item));
      break;
    case ItemKind::Image: {
      auto& image = form.Adopt(std::make_unique<LayoutImage>(container, item));
      imaging::Pixels pixels;
      if (!LoadPicture(item, doc, folder, pixels)) break;
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

bool LayoutEngine::LoadPicture(const LayoutItem& item, const LayoutDocument& doc, TextView folder,
                               imaging::Pixels& out) {
  const TextView name = item.image_name;
  if (name.empty()) return false;
  std::vector<uint8_t> file;
  std::span<const uint8_t> data;
  if (const auto embedded = doc.embedded.Find(name)) {
    data = *embedded;
  } else {
    // A missing picture file leaves the image empty; so does one outside the layout's folder.
    if (!IsBareFileName(name) || folder.empty()) return false;
    const Text path = Text(folder) + Text(name);
    if (!Facts(path).exists) return false;
    if (!win::ReadWholeFile(path, file, kMaxLayoutFileBytes)) {
      Message(u"Failed to open " + Text(name));
      return false;
    }
    data = file;
  }
  std::string error;
  if (data.empty() || !imaging::DecodeByExtension(data, Extension(name), out, error, nullptr, kPictureLimits)) {
    Message(u"Failed to open " + Text(name));
    return false;
  }
  return true;
}

void LayoutEngine::DataPass(ui::Container& container) const {
  for (LayoutControl* c : LayoutControls(container)) {
    auto* label = dynamic_cast<LayoutLabel*>(c);
    if (!label) continue;
    if (const auto visible = LabelVisibility(label->Hint(), fields_)) label->SetVisible(*visible);
    const Text dat = GetLayoutKey(u"dat", label->Hint());
    if (label->Visible() && label->Model().kind == ItemKind::Label && IsSpecialText(dat))
      label->SetCaption(RenderSpecialText(dat, fields_, label->Model().label.word_wrap));
  }
}

void LayoutEngine::RefreshFields(ui::Container& container) {
  if (fields_.Empty()) return;
  DataPass(container);
  for (const auto& [key, value] : fields_.Entries())
    for (LayoutControl* c : LayoutControls(container)) {
      auto* label = dynamic_cast<LayoutLabel*>(c);
      if (!label || label->Model().kind != ItemKind::DataLabel) continue;
      if (const auto text =
              DataLabelText(GetLayoutKey(u"dat", label->Hint()), key, value, label->Model().label.word_wrap))
        label->SetCaption(*text);
    }
}

void LayoutEngine::SetFieldValueAndRefresh(TextView key, TextView value, ui::Container& container) {
  SetFieldValue(key, value);
  DataPass(container);
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
