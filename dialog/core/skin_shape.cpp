#include "dialog/core/skin_shape.h"

#include "base/casefold.h"
#include "base/lumutils.h"
#include "base/paramtext.h"
#include "layout/core/layout_keys.h"

namespace eos {

SkinPart ClassifySkinItem(TextView line) {
  struct Rule {
    const char16_t* text;
    SkinPart part;
  };
  static constexpr Rule kRules[] = {
      {u"\tdatbgb_", SkinPart::Mask},
      {u"typpho\t", SkinPart::View},
      {u"takepicture.", SkinPart::TakePicture},
      {u"takepicture_down.", SkinPart::TakePictureDown},
      {u"takepicture_over.", SkinPart::TakePictureOver},
      {u"settings.", SkinPart::Settings},
      {u"settings_down.", SkinPart::SettingsDown},
      {u"settings_over.", SkinPart::SettingsOver},
      {u"cancel.", SkinPart::Cancel},
      {u"cancel_down.", SkinPart::CancelDown},
      {u"cancel_over.", SkinPart::CancelOver},
  };
  const Text lower = LowerCaseFull(line);
  for (const Rule& r : kRules)
    if (lower.find(r.text) != Text::npos) return r.part;
  return SkinPart::DragArea;
}

int SkinTurn(int angle, int skin_angle) { return ((angle - skin_angle) % 360 + 360) % 360; }

int SkinAngle(int view_angle, TextView page_line) {
  const Text upright = layout::GetLayoutKey(u"upr", page_line);
  for (const int quarter : {0, 90, 180, 270})
    if (upright == IntToText(quarter)) return SkinTurn(view_angle, quarter) % 180;
  return SkinTurn(view_angle, 0);
}

bool ShowsIdTemplate(TextView view_line) { return layout::GetLayoutKey(u"tpl", view_line) == u"1"; }

Rect TurnSkinRect(int delta, int w, int h, const Rect& r) {
  switch (delta) {
    case 90:
      return {h - r.top - r.height, r.left, r.height, r.width};
    case 180:
      return {w - r.left - r.width, h - r.top - r.height, r.width, r.height};
    case 270:
      return {r.top, w - r.left - r.width, r.height, r.width};
    default:
      return r;
  }
}

MaskClass ClassifyMaskPixel(uint8_t r, uint8_t g, uint8_t b) {
  if (r > 147 && g > 147 && b > 147) return MaskClass::White;
  if (r > 147 && g <= 200 && b <= 200) return MaskClass::Red;
  if (r <= 108 && g <= 108 && b > 147) return MaskClass::Blue;
  if (r <= 108 && b <= 108 && g > 147) return MaskClass::Green;
  return MaskClass::Other;
}

std::optional<std::vector<MaskRun>> MaskRuns(std::span<const uint32_t> pixels, int width, int height, int out_width,
                                             int out_height) {
  if (width <= 0 || height <= 0 || out_width <= 0 || out_height <= 0 ||
      pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return std::nullopt;
  // Transparency shows the desktop: a pixel counts as drawn over white.
  const auto pixel_class = [](uint32_t p) {
    const uint32_t a = p >> 24;
    const auto over_white = [a](uint32_t c) { return static_cast<uint8_t>((c * a + 255 * (255 - a) + 127) / 255); };
    return ClassifyMaskPixel(over_white(p >> 16 & 0xFF), over_white(p >> 8 & 0xFF), over_white(p & 0xFF));
  };
  std::vector<MaskRun> runs;
  std::vector<MaskClass> row(static_cast<size_t>(out_width));
  for (int y = 0; y < out_height; ++y) {
    const size_t src_y = static_cast<size_t>(int64_t{y} * height / out_height);
    for (int x = 0; x < out_width; ++x) {
      const size_t src_x = static_cast<size_t>(int64_t{x} * width / out_width);
      row[static_cast<size_t>(x)] = pixel_class(pixels[src_y * static_cast<size_t>(width) + src_x]);
    }
    for (int x = 0; x < out_width;) {
      int end = x + 1;
      while (end < out_width && row[static_cast<size_t>(end)] == row[static_cast<size_t>(x)]) ++end;
      if (row[static_cast<size_t>(x)] != MaskClass::White) runs.push_back({y, x, end});
      x = end;
    }
  }
  return runs;
}

bool IsSkinName(TextView name) {
  if (name.empty() || name.size() > 100 || name.front() == u'.' || name.back() == u'.' || name.back() == u' ')
    return false;
  for (char16_t c : name)
    if (c < 0x20 || c == u'\\' || c == u'/' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' ||
        c == u'>' || c == u'|')
      return false;
  return true;
}

Text SkinModuleList(TextView sdk_versions) {
  Text out;
  size_t start = 0;
  while (start < sdk_versions.size()) {
    size_t end = sdk_versions.find_first_of(u"\r\n", start);
    if (end == TextView::npos) end = sdk_versions.size();
    const TextView line = sdk_versions.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (!out.empty()) out += u", ";
    const Text module = GetParamValue(u"ModuleName", line);
    if (module.empty()) {
      out += line;
      continue;
    }
    Text version = ReplaceChar(u',', u'.', GetParamValue(u"Version", line));
    std::erase(version, u' ');
    out += module + u": " + version;
  }
  return out;
}

}  // namespace eos

namespace eos {

Rect FitRect(int place_w, int place_h, int frame_w, int frame_h) {
  if (place_w <= 0 || place_h <= 0 || frame_w <= 0 || frame_h <= 0) return {0, 0, place_w, place_h};
  // The side that fits with the smaller scale decides; sums in 64 bits.
  int64_t w = place_w, h = place_h;
  if (int64_t{place_w} * frame_h <= int64_t{place_h} * frame_w)
    h = (int64_t{place_w} * frame_h + frame_w / 2) / frame_w;
  else
    w = (int64_t{place_h} * frame_w + frame_h / 2) / frame_h;
  return {static_cast<int>((place_w - w) / 2), static_cast<int>((place_h - h) / 2), static_cast<int>(w),
          static_cast<int>(h)};
}

}  // namespace eos
