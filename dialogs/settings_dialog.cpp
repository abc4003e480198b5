#include "dialogs/settings_dialog.h"

#include <algorithm>
#include <iterator>

#include "base/exception.h"
#include "plugin/services/services.h"
#include "ui/canvas.h"
#include "win/log_file.h"

namespace eos {

namespace {

constexpr const char16_t* kDelays[] = {u"(Ingenting)", u"1 sek", u"2 sek", u"3 sek", u"4 sek", u"5 sek",
                                       u"6 sek",       u"7 sek", u"8 sek", u"9 sek", u"10 sek"};
constexpr const char16_t* kAfterModes[] = {u"Avsluta fjärrstyrning", u"Avsluta Liveview", u"Behåll Liveview öppen"};
constexpr const char16_t kNoSkin[] = u"(Ingenting)";
// The live view's pace: a built-in text the host may translate.
constexpr char16_t kFrameRateCaption[] = u"Bilder per sekund";

// The value lists stand in two columns of five rows, each under its caption.
constexpr int kColumnX[] = {8, 108};
constexpr int kFirstRowY = 36;
constexpr int kRowHeight = 48;

constexpr ui::FormSpec kSpec{u"Inställningar", 236, 463, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

}  // namespace

constexpr ui::Row<TdlgCanonEosSdkSettings> TdlgCanonEosSdkSettings::ValueCaption(
    ui::Label* TdlgCanonEosSdkSettings::*member, const char16_t* text, int column, int row) {
  return {.member = member, .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight, 100, 13}, .caption = text};
}

constexpr ui::Row<TdlgCanonEosSdkSettings> TdlgCanonEosSdkSettings::ValueCombo(
    ui::ComboBox* TdlgCanonEosSdkSettings::*member, int column, int row) {
  return {.member = member,
          .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight + 15, 93, 21},
          .on_event = &TdlgCanonEosSdkSettings::ComboBoxSizeChange};
}

constexpr ui::Row<TdlgCanonEosSdkSettings> TdlgCanonEosSdkSettings::kRows[] = {
    {.member = &TdlgCanonEosSdkSettings::laImageMode, .bounds = {8, 6, 220, 22}, .options = ui::kCentre | ui::kMiddle},
    ValueCaption(&TdlgCanonEosSdkSettings::LabelSize, u"Storlek", 0, 0),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxSize, 0, 0),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelQuality, u"Kvalitet", 1, 0),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxQuality, 1, 0),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelAv, u"Av", 0, 1),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxAv, 0, 1),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelTV, u"Tv", 1, 1),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxTv, 1, 1),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelWhiteBalance, u"Vitbalans", 0, 2),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxWhiteBalance, 0, 2),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelISO, u"ISO", 1, 2),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxISO, 1, 2),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelMeteringMode, u"Mät-läge", 0, 3),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxMeteringMode, 0, 3),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelAFMode, u"AF-läge", 1, 3),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxAFMode, 1, 3),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelExpComp, u"Exponeringskomp.", 0, 4),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxExpComp, 0, 4),
    ValueCaption(&TdlgCanonEosSdkSettings::LabelColorspace, u"Färgprofil", 1, 4),
    ValueCombo(&TdlgCanonEosSdkSettings::ComboBoxColorSpace, 1, 4),
    {.member = &TdlgCanonEosSdkSettings::btRotLeft,
     .bounds = {8, 290, 28, 25},
     .caption = u"\u21B6",
     .hint = u"Vrid åt vänster",
     .tag = -90,
     .on_event = &TdlgCanonEosSdkSettings::btRotLeftClick},
    {.member = &TdlgCanonEosSdkSettings::btRotRight,
     .bounds = {38, 290, 28, 25},
     .caption = u"\u21B7",
     .hint = u"Vrid åt höger",
     .tag = 90,
     .on_event = &TdlgCanonEosSdkSettings::btRotLeftClick},
    {.member = &TdlgCanonEosSdkSettings::laAng,
     .bounds = {70, 294, 48, 17},
     .caption = u"0 °",
     .options = ui::kCentre | ui::kMiddle},
    {.member = &TdlgCanonEosSdkSettings::ckMirror, .bounds = {124, 294, 100, 17}, .caption = u"Spegelvänd"},
    {.member = &TdlgCanonEosSdkSettings::Label11,
     .bounds = {8, 330, 93, 13},
     .caption = u"Skal",
     .options = ui::kHidden},
    {.member = &TdlgCanonEosSdkSettings::cbSkin,
     .bounds = {8, 345, 93, 21},
     .options = ui::kHidden,
     .on_event = &TdlgCanonEosSdkSettings::cbSkinChange},
    {.member = &TdlgCanonEosSdkSettings::Label16, .bounds = {108, 330, 93, 13}, .caption = u"Fördröjning"},
    {.member = &TdlgCanonEosSdkSettings::cbDelay,
     .bounds = {108, 345, 93, 21},
     .on_event = &TdlgCanonEosSdkSettings::cbDelayChange},
    {.member = &TdlgCanonEosSdkSettings::laFrameRate, .bounds = {8, 376, 100, 13}},
    {.member = &TdlgCanonEosSdkSettings::cbFrameRate,
     .bounds = {8, 391, 93, 21},
     .on_event = &TdlgCanonEosSdkSettings::cbFrameRateChange},
    {.member = &TdlgCanonEosSdkSettings::ckFaceGuide,
     .bounds = {108, 393, 120, 17},
     .caption = u"Ansiktsguide",
     .hint = u"Visar om ansiktet passar passfotots mall",
     .on_event = &TdlgCanonEosSdkSettings::ckFaceGuideClick},
    {.member = &TdlgCanonEosSdkSettings::beButtons, .bounds = {8, 420, 220, 2}},
    {.member = &TdlgCanonEosSdkSettings::btOK,
     .bounds = {72, 430, 75, 25},
     .caption = u"OK",
     .options = ui::kDefault,
     .on_event = &TdlgCanonEosSdkSettings::btOKClick},
    {.member = &TdlgCanonEosSdkSettings::btCancel,
     .bounds = {153, 430, 75, 25},
     .caption = u"Avbryt",
     .on_event = &TdlgCanonEosSdkSettings::btCancelClick},
    // Kept out of sight below the client area: the after-capture choice is not offered.
    {.member = &TdlgCanonEosSdkSettings::Label1,
     .bounds = {8, 478, 120, 13},
     .caption = u"Vid nedstängning",
     .options = ui::kHidden},
    {.member = &TdlgCanonEosSdkSettings::cbAfterMode,
     .bounds = {8, 493, 150, 21},
     .options = ui::kHidden,
     .on_event = &TdlgCanonEosSdkSettings::cbAfterModeChange},
};

constexpr std::array<ui::ComboBox * TdlgCanonEosSdkSettings::*, kValueListCount> TdlgCanonEosSdkSettings::kLists = {
    &TdlgCanonEosSdkSettings::ComboBoxQuality,      &TdlgCanonEosSdkSettings::ComboBoxSize,
    &TdlgCanonEosSdkSettings::ComboBoxMeteringMode, &TdlgCanonEosSdkSettings::ComboBoxAFMode,
    &TdlgCanonEosSdkSettings::ComboBoxWhiteBalance, &TdlgCanonEosSdkSettings::ComboBoxColorSpace,
    &TdlgCanonEosSdkSettings::ComboBoxISO,          &TdlgCanonEosSdkSettings::ComboBoxAv,
    &TdlgCanonEosSdkSettings::ComboBoxTv,           &TdlgCanonEosSdkSettings::ComboBoxExpComp};
constexpr std::array<ui::Label * TdlgCanonEosSdkSettings::*, kValueListCount> TdlgCanonEosSdkSettings::kCaptions = {
    &TdlgCanonEosSdkSettings::LabelQuality,      &TdlgCanonEosSdkSettings::LabelSize,
    &TdlgCanonEosSdkSettings::LabelMeteringMode, &TdlgCanonEosSdkSettings::LabelAFMode,
    &TdlgCanonEosSdkSettings::LabelWhiteBalance, &TdlgCanonEosSdkSettings::LabelColorspace,
    &TdlgCanonEosSdkSettings::LabelISO,          &TdlgCanonEosSdkSettings::LabelAv,
    &TdlgCanonEosSdkSettings::LabelTV,           &TdlgCanonEosSdkSettings::LabelExpComp};

TdlgCanonEosSdkSettings::TdlgCanonEosSdkSettings() : Form(kSpec) {
  static_assert(
      [] {
        for (size_t i = 0; i < kLists.size(); ++i)
          for (size_t j = 0; j < i; ++j)
            if (kLists[i] == kLists[j] || kCaptions[i] == kCaptions[j]) return false;
        return true;
      }(),
      "every value has a list and a caption of its own");
  Build(*this, kRows);
  for (const ValueKind& k : kValueKinds) List(k.list).SetTag(static_cast<int>(k.list));
  header_font_ = ui::ResizedFont(Font(), -Scale(16));
  laImageMode->SetFont(header_font_.get());

  for (const char16_t* item : kDelays) cbDelay->Add(item);
  cbDelay->SetItemIndex(0);
  for (const char16_t* item : kAfterModes) cbAfterMode->Add(item);
  cbAfterMode->SetItemIndex(0);
  cbSkin->Add(kNoSkin);
  cbSkin->SetItemIndex(0);
  laFrameRate->SetCaption(Translate(kFrameRateCaption));
  for (const int rate : kFrameRates) cbFrameRate->Add(IntToText(rate));
  SetFrameRate(kDefaultFrameRate);
}

void TdlgCanonEosSdkSettings::SetFrameRate(int rate) {
  const auto at = std::ranges::find(kFrameRates, rate);
  cbFrameRate->SetItemIndex(at == std::end(kFrameRates) ? 0 : static_cast<int>(at - std::begin(kFrameRates)));
}

void TdlgCanonEosSdkSettings::SetSkins(const std::vector<Text>& names, TextView current) {
  cbSkin->Clear();
  cbSkin->Add(kNoSkin);
  for (const Text& name : names) cbSkin->Add(name);
  cbSkin->SelectText(current, 0);
}

void TdlgCanonEosSdkSettings::SetChoices(int after_mode, int delay) {
  cbAfterMode->SetItemIndex(after_mode);
  cbDelay->SetItemIndex(delay);
}

void TdlgCanonEosSdkSettings::PlaceBeside(const RECT& me) {
  const RECT other = OuterBounds();
  const int width = other.right - other.left, height = other.bottom - other.top;
  const RECT area = ui::WorkAreaNear(me);
  const bool fits_right = me.right + 5 + width <= area.right;
  const int left = fits_right || me.left - 5 - width < area.left ? me.right + 5 : me.left - 5 - width;
  PlaceOnScreen({left, me.top + 5, left + width, me.top + 5 + height});
}

void TdlgCanonEosSdkSettings::SetAngle(int angle) {
  laAng->SetTag(angle);
  laAng->SetCaption(IntToText(angle) + u" °");
}

void TdlgCanonEosSdkSettings::btRotLeftClick(ui::Component& sender) {
  if (actions.rotate) actions.rotate(laAng->Tag() + sender.Tag());
  edited_ = true;
}

void TdlgCanonEosSdkSettings::ComboBoxSizeChange(ui::Component& sender) {
  if (actions.set_value) actions.set_value(static_cast<ValueList>(sender.Tag()));
  edited_ = true;
}

void TdlgCanonEosSdkSettings::cbDelayChange(ui::Component&) {
  if (actions.delay) actions.delay(cbDelay->ItemIndex() < 0 ? 0 : cbDelay->ItemIndex());
  edited_ = true;
}

void TdlgCanonEosSdkSettings::cbAfterModeChange(ui::Component&) {
  if (actions.after_mode) actions.after_mode(cbAfterMode->ItemIndex() < 0 ? 0 : cbAfterMode->ItemIndex());
  edited_ = true;
}

void TdlgCanonEosSdkSettings::cbSkinChange(ui::Component&) {
  const int index = cbSkin->ItemIndex();
  if (index < 0) return;
  try {
    if (actions.load_skin) actions.load_skin(index == 0 ? Text() : cbSkin->Item(index));
    if (laAng->Tag() != 0 && actions.rotate) actions.rotate(laAng->Tag());
    edited_ = true;
  } catch (...) {
    win::LogSwallowed(u"cbSkinChange");
    ShowInfoBox(u"error skin change");
  }
}

void TdlgCanonEosSdkSettings::cbFrameRateChange(ui::Component&) {
  const int index = cbFrameRate->ItemIndex();
  if (index < 0 || index >= static_cast<int>(std::size(kFrameRates))) return;
  if (actions.frame_rate) actions.frame_rate(kFrameRates[index]);
  edited_ = true;
}

void TdlgCanonEosSdkSettings::ckFaceGuideClick(ui::Component&) {
  if (actions.face_guide) actions.face_guide(ckFaceGuide->Checked());
  edited_ = true;
}

void TdlgCanonEosSdkSettings::FormShow() {
  edited_ = false;
  ui::ComboBox& af = List(ValueList::AFMode);
  if (AFModeFromName(af.Caption()) == RemoteFormatAFModeManual)
    af.SetEnabled(false);
  else if (af.Count() > 1)
    af.SetEnabled(true);
  (this->*kCaptions[static_cast<size_t>(ValueList::AFMode)])->SetEnabled(af.Enabled());
}

bool TdlgCanonEosSdkSettings::Run() {
  FormShow();
  return ShowModal() == ui::kModalOk;
}

bool TdlgCanonEosSdkSettings::FormKeyDown(WORD key) {
  if (key != VK_ESCAPE) return false;
  SetModalResult(ui::kModalCancel);
  return true;
}

}  // namespace eos
