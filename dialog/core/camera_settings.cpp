#include "dialog/core/camera_settings.h"

#include <algorithm>
#include <iterator>

#include "base/paramtext.h"
#include "dialog/core/skin_shape.h"

namespace eos {

namespace {

template <auto Field, auto Avail, class E = std::remove_cvref_t<decltype(RemoteReleaseParametersType{}.*Field)>>
constexpr ValueKind Kind(ValueList list, const char16_t* key, int last) {
  return {
      list,
      key,
      std::min(last, static_cast<int>(kEnumCount<E>) - 1),
      [](const RemoteReleaseParametersType& p) { return static_cast<int>(p.*Field); },
      [](RemoteReleaseParametersType& p, int v) { p.*Field = static_cast<E>(v); },
      [](const RemoteReleaseAvailParametersType& a, int v) {
        return v >= 0 && v < static_cast<int>(kEnumCount<E>) && (a.*Avail)[static_cast<size_t>(v)] != 0;
      },
      [](int v) { return ValueName(static_cast<E>(v)); },
      [](TextView name) { return static_cast<int>(ValueFromName<E>(name)); },
  };
}

using P = RemoteReleaseParametersType;
using A = RemoteReleaseAvailParametersType;

}  // namespace

const std::array<ValueKind, kValueListCount> kValueKinds{
    Kind<&P::CompQuality, &A::CompQuality>(ValueList::Quality, u"Quality", 5),
    Kind<&P::ImageSize, &A::ImageSize>(ValueList::Size, u"Size", 6),
    Kind<&P::MLWeiMode, &A::MLWeiMode>(ValueList::MeteringMode, u"MeteringMode", 6),
    Kind<&P::AFMode, &A::AFMode>(ValueList::AFMode, u"AFMode", 4),
    Kind<&P::WhiteBalanceSetting, &A::WhiteBalanceSetting>(ValueList::WhiteBalance, u"WB", 16),
    Kind<&P::ColorSpace, &A::ColorSpace>(ValueList::ColorSpace, u"ColorSpace", 2),
    Kind<&P::ISO, &A::ISO>(ValueList::ISO, u"ISO", 25),
    Kind<&P::Av, &A::Av>(ValueList::AV, u"AV", 40),
    Kind<&P::Tv, &A::Tv>(ValueList::TV, u"TV", 59),
    Kind<&P::ExposureCompensation, &A::ExposureCompensation>(ValueList::ExpComp, u"ExpComp", 31),
};

const ValueKind& KindOf(ValueList list) { return kValueKinds[static_cast<size_t>(list)]; }

OfferedLists OfferedByCamera(const RemoteReleaseAvailParametersType& avail) {
  OfferedLists lists;
  for (const ValueKind& k : kValueKinds)
    for (int v = 1; v <= k.last; ++v)
      if (k.offered(avail, v)) lists[static_cast<size_t>(k.list)].push_back(v);
  return lists;
}

RemoteReleaseParametersType ListedValues(const RemoteReleaseParametersType& base,
                                         const RemoteReleaseParametersType& changes) {
  RemoteReleaseParametersType listed;
  for (const ValueKind& k : kValueKinds) k.set(listed, k.get(changes) != 0 ? k.get(changes) : k.get(base));
  return listed;
}

ListContent ListContentOf(ValueList list, const std::vector<int>& offered) {
  const ValueKind& k = KindOf(list);
  ListContent c;
  if (list == ValueList::AFMode && offered.size() < 2) return c;
  for (const int v : offered) {
    c.enabled = true;
    // RAW is always the last quality offered, so the entries keep their positions.
    if (list == ValueList::Quality && v == RemoteFormatQualityRAW) continue;
    c.names.push_back(k.name(v));
  }
  return c;
}

RemoteReleaseParametersType ValuesToSend(const OfferedLists& offered, const std::array<int, kValueListCount>& selected,
                                         const std::array<bool, kValueListCount>& enabled,
                                         std::optional<ValueList> changed) {
  const auto paired = [](ValueList l) { return l == ValueList::Quality || l == ValueList::Size; };
  RemoteReleaseParametersType p;
  for (const ValueKind& k : kValueKinds) {
    const auto i = static_cast<size_t>(k.list);
    const bool wanted = !changed || *changed == k.list || (paired(*changed) && paired(k.list));
    if (!wanted || !enabled[i] || selected[i] < 0 || static_cast<size_t>(selected[i]) >= offered[i].size()) continue;
    k.set(p, offered[i][static_cast<size_t>(selected[i])]);
  }
  return p;
}

RemoteReleaseParametersType CameraValuesOfText(TextView text) {
  RemoteReleaseParametersType p;
  p.DriveMode = RemoteFormatDriveModeSingleFrame;
  for (const ValueKind& k : kValueKinds) k.set(p, k.from_name(GetParamValue(k.key, text)));
  return p;
}

bool IsFrameRate(int rate) { return std::ranges::find(kFrameRates, rate) != std::end(kFrameRates); }

int FrameIntervalMs(int rate) { return (1000 + rate / 2) / rate; }

Text BuildSettingsText(const RemoteReleaseParametersType& current, TextView iso, const DialogSettings& dialog) {
  Text text;
  for (const ValueKind& k : kValueKinds)
    text = SetParamValue(k.key, k.list == ValueList::ISO ? iso : k.name(k.get(current)), text);
  text = SetParamIntUnlessDefault(u"AfterMode", dialog.after_mode, 0, text);
  text = SetParamIntUnlessDefault(u"Delay", dialog.delay, 0, text);
  text = SetParamIntUnlessDefault(u"Angle", dialog.angle, 0, text);
  text = SetParamIntUnlessDefault(u"Mirror", dialog.mirror ? 1 : 0, 0, text);
  text = SetParamValue(u"Skin", dialog.skin, text);
  if (dialog.width) text = SetParamInt(u"Width", *dialog.width, text);
  if (dialog.height) text = SetParamInt(u"Height", *dialog.height, text);
  if (dialog.face_guide) text = SetParamValue(u"FaceGuide", u"1", text);
  text = SetParamIntUnlessDefault(u"FrameRate", dialog.frame_rate, kDefaultFrameRate, text);
  return RemoveTrailingTab(text);
}

namespace {

std::optional<int> IntParam(TextView key, TextView text) {
  int32_t n = 0;
  if (!ParseInt32(GetParamValue(key, text), n)) return std::nullopt;
  return n;
}

std::optional<int> DialogSide(TextView key, TextView text) {
  const std::optional<int> n = IntParam(key, text);
  if (n && *n >= kMinDialogSide && *n <= kMaxDialogSide) return n;
  return std::nullopt;
}

}  // namespace

AppliedDialogSettings ReadDialogSettings(TextView text) {
  AppliedDialogSettings s;
  if (!HasParam(u"Delay", text)) {
    s.delay = 0;
  } else if (const std::optional<int> d = IntParam(u"Delay", text); d && *d >= 0 && *d <= kMaxDelay) {
    s.delay = d;
  }
  if (const std::optional<int> a = IntParam(u"Angle", text); a && *a % 90 == 0) s.angle = ((*a % 360) + 360) % 360;
  s.mirror = GetParamBool(u"Mirror", text);
  if (Text skin = GetParamValue(u"Skin", text); IsSkinName(skin)) s.skin = std::move(skin);
  s.width = DialogSide(u"Width", text);
  s.height = DialogSide(u"Height", text);
  s.face_guide = GetParamBool(u"FaceGuide", text);
  if (!HasParam(u"FrameRate", text)) {
    s.frame_rate = kDefaultFrameRate;
  } else if (const std::optional<int> r = IntParam(u"FrameRate", text); r && IsFrameRate(*r)) {
    s.frame_rate = r;
  }
  return s;
}

}  // namespace eos
