#include "dialogs/settings_dialog.h"

#include "base/exception.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
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

constexpr ui::Row<S> ValueCaption(const char16_t* name, const char16_t* text, int column, int row) {
  return {.name = name,
          .kind = ui::Kind::Label,
          .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight, 100, 13},
          .caption = text};
}

constexpr ui::Row<S> ValueCombo(const char16_t* name, int column, int row) {
  return {.name = name,
          .kind = ui::Kind::ComboBox,
          .bounds = {kColumnX[column], kFirstRowY + row * kRowHeight + 15, 93, 21},
          .on_event = &S::ComboBoxSizeChange};
}

constexpr ui::Row<S> kRows[] = {
    {.name = u"laImageMode", .kind = ui::Kind::Label, .bounds = {8, 6, 220, 22}, .options = ui::kCentre | ui::kMiddle},
    ValueCaption(u"LabelSize", u"Storlek", 0, 0),
    ValueCombo(u"ComboBoxSize", 0, 0),
    ValueCaption(u"LabelQuality", u"Kvalitet", 1, 0),
    ValueCombo(u"ComboBoxQuality", 1, 0),
    ValueCaption(u"LabelAv", u"Av", 0, 1),
    ValueCombo(u"ComboBoxAv", 0, 1),
    ValueCaption(u"LabelTV", u"Tv", 1, 1),
    ValueCombo(u"ComboBoxTv", 1, 1),
    ValueCaption(u"LabelWhiteBalance", u"Vitbalans", 0, 2),
    ValueCombo(u"ComboBoxWhiteBalance", 0, 2),
    ValueCaption(u"LabelISO", u"ISO", 1, 2),
    ValueCombo(u"ComboBoxISO", 1, 2),
    ValueCaption(u"LabelMeteringMode", u"Mät-läge", 0, 3),
    ValueCombo(u"ComboBoxMeteringMode", 0, 3),
    ValueCaption(u"LabelAFMode", u"AF-läge", 1, 3),
    ValueCombo(u"ComboBoxAFMode", 1, 3),
    ValueCaption(u"LabelExpComp", u"Exponeringskomp.", 0, 4),
    ValueCombo(u"ComboBoxExpComp", 0, 4),
    ValueCaption(u"LabelColorspace", u"Färgprofil", 1, 4),
    ValueCombo(u"ComboBoxColorSpace", 1, 4),
    {.name = u"btRotLeft",
     .kind = ui::Kind::Button,
     .bounds = {8, 290, 28, 25},
     .caption = u"\u21B6",
     .hint = u"Vrid åt vänster",
     .tag = -90,
     .on_event = &S::btRotLeftClick},
    {.name = u"btRotRight",
     .kind = ui::Kind::Button,
     .bounds = {38, 290, 28, 25},
     .caption = u"\u21B7",
     .hint = u"Vrid åt höger",
     .tag = 90,
     .on_event = &S::btRotLeftClick},
    {.name = u"laAng",
     .kind = ui::Kind::Label,
     .bounds = {70, 294, 48, 17},
     .caption = u"0 °",
     .options = ui::kCentre | ui::kMiddle},
    {.name = u"ckMirror", .kind = ui::Kind::CheckBox, .bounds = {124, 294, 100, 17}, .caption = u"Spegelvänd"},
    {.name = u"Label11",
     .kind = ui::Kind::Label,
     .bounds = {8, 330, 93, 13},
     .caption = u"Skal",
     .options = ui::kHidden},
    {.name = u"cbSkin",
     .kind = ui::Kind::ComboBox,
     .bounds = {8, 345, 93, 21},
     .options = ui::kHidden,
     .on_event = &S::cbSkinChange},
    {.name = u"Label16", .kind = ui::Kind::Label, .bounds = {108, 330, 93, 13}, .caption = u"Fördröjning"},
    {.name = u"cbDelay", .kind = ui::Kind::ComboBox, .bounds = {108, 345, 93, 21}, .on_event = &S::cbDelayChange},
    {.name = u"Bevel2", .kind = ui::Kind::Bevel, .bounds = {8, 382, 220, 2}},
    {.name = u"btOK",
     .kind = ui::Kind::Button,
     .bounds = {72, 392, 75, 25},
     .caption = u"OK",
     .options = ui::kDefault,
     .on_event = &S::btOKClick},
    {.name = u"btCancel",
     .kind = ui::Kind::Button,
     .bounds = {153, 392, 75, 25},
     .caption = u"Avbryt",
     .on_event = &S::btCancelClick},
    // Kept out of sight below the client area: the after-capture choice is not offered.
    {.name = u"Label1",
     .kind = ui::Kind::Label,
     .bounds = {8, 440, 120, 13},
     .caption = u"Vid nedstängning",
     .options = ui::kHidden},
    {.name = u"cbAfterMode",
     .kind = ui::Kind::ComboBox,
     .bounds = {8, 455, 150, 21},
     .options = ui::kHidden,
     .on_event = &S::cbAfterModeChange},
};

constexpr ui::FormSpec kSpec{u"Inställningar", 236, 425, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

// The caption of each list, by ValueList.
constexpr const char16_t* kCaptions[] = {u"LabelQuality",      u"LabelSize",       u"LabelMeteringMode", u"LabelAFMode",
                                         u"LabelWhiteBalance", u"LabelColorspace", u"LabelISO",          u"LabelAv",
                                         u"LabelTV",           u"LabelExpComp"};
static_assert(std::size(kCaptions) == kValueListCount);

}  // namespace

TdlgCanonEosSdkSettings::TdlgCanonEosSdkSettings()
    : Form(kSpec, kRows),
      laImageMode(Get<ui::Label>(u"laImageMode")),
      btRotLeft(Get<ui::Button>(u"btRotLeft")),
      btRotRight(Get<ui::Button>(u"btRotRight")),
      laAng(Get<ui::Label>(u"laAng")),
      ckMirror(Get<ui::CheckBox>(u"ckMirror")),
      cbSkin(Get<ui::ComboBox>(u"cbSkin")),
      cbDelay(Get<ui::ComboBox>(u"cbDelay")),
      cbAfterMode(Get<ui::ComboBox>(u"cbAfterMode")),
      btOK(Get<ui::Button>(u"btOK")),
      btCancel(Get<ui::Button>(u"btCancel")) {
  for (const ValueKind& k : kValueKinds) {
    const auto i = static_cast<size_t>(k.list);
    ValueLists[i] = &Get<ui::ComboBox>(k.combo);
    ValueCaptions[i] = &Get<ui::Label>(kCaptions[i]);
    ValueLists[i]->SetTag(static_cast<int>(k.list));
  }
  LOGFONTW font{};
  GetObjectW(Font(), sizeof font, &font);
  font.lfHeight = -Scale(16);
  header_font_.reset(CreateFontIndirectW(&font));
  laImageMode.SetFont(static_cast<HFONT>(header_font_.get()));

  for (const char16_t* item : kDelays) cbDelay.Add(item);
  cbDelay.SetItemIndex(0);
  for (const char16_t* item : kAfterModes) cbAfterMode.Add(item);
  cbAfterMode.SetItemIndex(0);
  cbSkin.Add(kNoSkin);
  cbSkin.SetItemIndex(0);
}

void TdlgCanonEosSdkSettings::SetAngle(int angle) {
  laAng.SetTag(angle);
  laAng.SetCaption(IntToText(angle) + u" °");
}

void TdlgCanonEosSdkSettings::btRotLeftClick(ui::Component& sender) {
  if (actions.rotate) actions.rotate(laAng.Tag() + sender.Tag());
  SettingsEdited = true;
}

void TdlgCanonEosSdkSettings::ComboBoxSizeChange(ui::Component& sender) {
  if (actions.set_value) actions.set_value(static_cast<ValueList>(sender.Tag()));
  SettingsEdited = true;
}

void TdlgCanonEosSdkSettings::cbDelayChange(ui::Component&) {
  State().DelayIndex = cbDelay.ItemIndex() < 0 ? 0 : cbDelay.ItemIndex();
  SettingsEdited = true;
}

void TdlgCanonEosSdkSettings::cbAfterModeChange(ui::Component&) {
  State().AfterMode = cbAfterMode.ItemIndex() < 0 ? 0 : cbAfterMode.ItemIndex();
  SettingsEdited = true;
}

void TdlgCanonEosSdkSettings::cbSkinChange(ui::Component&) {
  const int index = cbSkin.ItemIndex();
  if (index < 0) return;
  try {
    if (actions.load_skin) actions.load_skin(index == 0 ? Text() : cbSkin.Item(index));
    if (laAng.Tag() != 0 && actions.rotate) actions.rotate(laAng.Tag());
    SettingsEdited = true;
  } catch (...) {
    win::LogSwallowed(u"cbSkinChange");
    ShowInfoBox(u"error skin change");
  }
}

void TdlgCanonEosSdkSettings::FormShow() {
  SettingsEdited = false;
  ui::ComboBox& af = List(ValueList::AFMode);
  if (AFModeFromName(af.Caption()) == RemoteFormatAFModeManual)
    af.SetEnabled(false);
  else if (af.Count() > 1)
    af.SetEnabled(true);
  ValueCaptions[static_cast<size_t>(ValueList::AFMode)]->SetEnabled(af.Enabled());
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
