#include "dialogs/settings_dialog.h"

#include "base/exception.h"
#include "plugin/services/services.h"
#include "ui/canvas.h"
#include "win/log_file.h"

namespace eos {

namespace {

using S = TdlgCanonEosSdkSettings;

constexpr const char16_t* kDelays[] = {u"(Ingenting)", u"1 sek", u"2 sek", u"3 sek", u"4 sek", u"5 sek",
                                       u"6 sek",       u"7 sek", u"8 sek", u"9 sek", u"10 sek"};
constexpr const char16_t* kAfterModes[] = {u"Avsluta fjärrstyrning", u"Avsluta Liveview", u"Behåll Liveview öppen"};
constexpr const char16_t kNoSkin[] = u"(Ingenting)";

// The value lists stand in two columns of five rows, each under its caption.
constexpr int kColumnX[] = {8, 108};
constexpr int kFirstRowY = 36;
constexpr int kRowHeight = 48;

constexpr ui::FormSpec kSpec{u"Inställningar", 236, 447, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

}  // namespace

constexpr ui::Row<S> S::ValueCaption(ui::Label* S::*member, const char16_t* text, int column, int row) {
  return {.member = member, .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight, 100, 13}, .caption = text};
}

constexpr ui::Row<S> S::ValueCombo(ui::ComboBox* S::*member, int column, int row) {
  return {.member = member,
          .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight + 15, 93, 21},
          .on_event = &S::ComboBoxSizeChange};
}

constexpr ui::Row<S> S::kRows[] = {
    {.member = &S::laImageMode, .bounds = {8, 6, 220, 22}, .options = ui::kCentre | ui::kMiddle},
    ValueCaption(&S::LabelSize, u"Storlek", 0, 0),
    ValueCombo(&S::ComboBoxSize, 0, 0),
    ValueCaption(&S::LabelQuality, u"Kvalitet", 1, 0),
    ValueCombo(&S::ComboBoxQuality, 1, 0),
    ValueCaption(&S::LabelAv, u"Av", 0, 1),
    ValueCombo(&S::ComboBoxAv, 0, 1),
    ValueCaption(&S::LabelTV, u"Tv", 1, 1),
    ValueCombo(&S::ComboBoxTv, 1, 1),
    ValueCaption(&S::LabelWhiteBalance, u"Vitbalans", 0, 2),
    ValueCombo(&S::ComboBoxWhiteBalance, 0, 2),
    ValueCaption(&S::LabelISO, u"ISO", 1, 2),
    ValueCombo(&S::ComboBoxISO, 1, 2),
    ValueCaption(&S::LabelMeteringMode, u"Mät-läge", 0, 3),
    ValueCombo(&S::ComboBoxMeteringMode, 0, 3),
    ValueCaption(&S::LabelAFMode, u"AF-läge", 1, 3),
    ValueCombo(&S::ComboBoxAFMode, 1, 3),
    ValueCaption(&S::LabelExpComp, u"Exponeringskomp.", 0, 4),
    ValueCombo(&S::ComboBoxExpComp, 0, 4),
    ValueCaption(&S::LabelColorspace, u"Färgprofil", 1, 4),
    ValueCombo(&S::ComboBoxColorSpace, 1, 4),
    {.member = &S::btRotLeft,
     .bounds = {8, 290, 28, 25},
     .caption = u"\u21B6",
     .hint = u"Vrid åt vänster",
     .tag = -90,
     .on_event = &S::btRotLeftClick},
    {.member = &S::btRotRight,
     .bounds = {38, 290, 28, 25},
     .caption = u"\u21B7",
     .hint = u"Vrid åt höger",
     .tag = 90,
     .on_event = &S::btRotLeftClick},
    {.member = &S::laAng, .bounds = {70, 294, 48, 17}, .caption = u"0 °", .options = ui::kCentre | ui::kMiddle},
    {.member = &S::ckMirror, .bounds = {124, 294, 100, 17}, .caption = u"Spegelvänd"},
    {.member = &S::Label11, .bounds = {8, 330, 93, 13}, .caption = u"Skal", .options = ui::kHidden},
    {.member = &S::cbSkin, .bounds = {8, 345, 93, 21}, .options = ui::kHidden, .on_event = &S::cbSkinChange},
    {.member = &S::Label16, .bounds = {108, 330, 93, 13}, .caption = u"Fördröjning"},
    {.member = &S::cbDelay, .bounds = {108, 345, 93, 21}, .on_event = &S::cbDelayChange},
    {.member = &S::ckFaceGuide,
     .bounds = {8, 376, 220, 17},
     .caption = u"Ansiktsguide",
     .hint = u"Visar om ansiktet passar passfotots mall",
     .on_event = &S::ckFaceGuideClick},
    {.member = &S::Bevel2, .bounds = {8, 404, 220, 2}},
    {.member = &S::btOK,
     .bounds = {72, 414, 75, 25},
     .caption = u"OK",
     .options = ui::kDefault,
     .on_event = &S::btOKClick},
    {.member = &S::btCancel, .bounds = {153, 414, 75, 25}, .caption = u"Avbryt", .on_event = &S::btCancelClick},
    // Kept out of sight below the client area: the after-capture choice is not offered.
    {.member = &S::Label1, .bounds = {8, 462, 120, 13}, .caption = u"Vid nedstängning", .options = ui::kHidden},
    {.member = &S::cbAfterMode, .bounds = {8, 477, 150, 21}, .options = ui::kHidden, .on_event = &S::cbAfterModeChange},
};

constexpr std::array<ui::ComboBox * S::*, kValueListCount> S::kLists = {
    &S::ComboBoxQuality,    &S::ComboBoxSize, &S::ComboBoxMeteringMode, &S::ComboBoxAFMode, &S::ComboBoxWhiteBalance,
    &S::ComboBoxColorSpace, &S::ComboBoxISO,  &S::ComboBoxAv,           &S::ComboBoxTv,     &S::ComboBoxExpComp};
constexpr std::array<ui::Label * S::*, kValueListCount> S::kCaptions = {
    &S::LabelQuality,    &S::LabelSize, &S::LabelMeteringMode, &S::LabelAFMode, &S::LabelWhiteBalance,
    &S::LabelColorspace, &S::LabelISO,  &S::LabelAv,           &S::LabelTV,     &S::LabelExpComp};

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
