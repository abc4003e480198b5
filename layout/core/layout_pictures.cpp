#include "layout/core/layout_pictures.h"

#include <cmath>
#include <cstdint>

#include "base/casefold.h"
#include "base/lumutils.h"

namespace eos::layout {

namespace {

constexpr size_t kMaxNameChars = 255;

bool IsDeviceName(TextView name) {
  // The part before the first dot, trailing blanks dropped, as Windows compares it.
  TextView base = name.substr(0, name.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  const Text lower = LowerCaseSv(base);
  for (TextView device : {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$", u"clock$"})
    if (lower == device) return true;
  return lower.size() == 4 && (lower.starts_with(u"com") || lower.starts_with(u"lpt")) && lower[3] >= u'0' &&
         lower[3] <= u'9';
}

Text WithSeparator(TextView folder) {
  Text out(folder);
  if (!out.empty() && out.back() != u'\\' && out.back() != u'/') out += u'\\';
  return out;
}

}  // namespace

bool IsBarePictureName(TextView name) {
  if (name.empty() || name.size() > kMaxNameChars || name == u"." || name == u"..") return false;
  if (name.back() == u'.' || name.back() == u' ') return false;
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F || TextView(u"\\/:*?\"<>|").find(c) != TextView::npos) return false;
  return !IsDeviceName(name);
}

std::vector<Text> PictureFileCandidates(TextView name, TextView layout_folder, TextView program_folder) {
  std::vector<Text> out;
  if (!IsBarePictureName(name)) return out;
  std::vector<Text> places;
  if (!layout_folder.empty()) places.push_back(WithSeparator(layout_folder));
  if (!program_folder.empty()) {
    const Text program = WithSeparator(program_folder);
    places.insert(places.end(), {program + u"dblogo\\", program + u"logo\\", program});
  }
  const bool has_extension = !FileExtNoDot(name).empty();
  for (const Text& place : places) {
    if (has_extension) {
      out.push_back(place + Text(name));
      continue;
    }
    for (TextView extension : {u".jpg", u".jpeg", u".bmp", u".wmf", u".emf"})
      out.push_back(place + Text(name) + Text(extension));
  }
  return out;
}

Rect ShrinkToPicture(const Rect& box, int picture_width, int picture_height) {
  if (picture_width <= 0 || picture_height <= 0 || box.width <= 0 || box.height <= 0) return box;
  Rect r = box;
  if (int64_t{box.width} * picture_height >= int64_t{picture_width} * box.height)
    r.width = static_cast<int>(std::nearbyint(static_cast<double>(picture_width) * box.height / picture_height));
  else
    r.height = static_cast<int>(std::nearbyint(static_cast<double>(box.width) * picture_height / picture_width));
  return r;
}

}  // namespace eos::layout
