#include "dialogs/settings_dialog.h"

#include "plugin/services/state.h"

namespace eos {

namespace {

constexpr const char16_t* kDelays[] = {u"(Ingenting)", u"1 sek", u"2 sek", u"3 sek", u"4 sek", u"5 sek",
                                       u"6 sek",       u"7 sek", u"8 sek", u"9 sek", u"10 sek"};

constexpr ui::Row<TdlgCanonEosSdkSettings> kRows[] = {
    {.name = u"btRotLeft",
     .kind = ui::Kind::Button,
     .bounds = {8, 290, 28, 25},
     .caption = u"\u21B6",
     .hint = u"Vrid åt vänster",
     .tag = -90,
     .on_event = &TdlgCanonEosSdkSettings::btRotLeftClick},
    {.name = u"btRotRight",
     .kind = ui::Kind::Button,
     .bounds = {38, 290, 28, 25},
     .caption = u"\u21B7",
     .hint = u"Vrid åt höger",
     .tag = 90,
     .on_event = &TdlgCanonEosSdkSettings::btRotLeftClick},
    {.name = u"laAng",
     .kind = ui::Kind::Label,
     .bounds = {70, 294, 48, 17},
     .caption = u"0 °",
     .options = ui::kCentre | ui::kMiddle},
    {.name = u"ckMirror", .kind = ui::Kind::CheckBox, .bounds = {124, 294, 100, 17}, .caption = u"Spegelvänd"},
    {.name = u"Label16", .kind = ui::Kind::Label, .bounds = {108, 330, 93, 13}, .caption = u"Fördröjning"},
    {.name = u"cbDelay",
     .kind = ui::Kind::ComboBox,
     .bounds = {108, 345, 93, 21},
     .on_event = &TdlgCanonEosSdkSettings::cbDelayChange},
    {.name = u"Bevel2", .kind = ui::Kind::Bevel, .bounds = {8, 382, 220, 2}},
    {.name = u"btOK",
     .kind = ui::Kind::Button,
     .bounds = {72, 392, 75, 25},
     .caption = u"OK",
     .options = ui::kDefault,
     .on_event = &TdlgCanonEosSdkSettings::btOKClick},
    {.name = u"btCancel",
     .kind = ui::Kind::Button,
     .bounds = {153, 392, 75, 25},
     .caption = u"Avbryt",
     .on_event = &TdlgCanonEosSdkSettings::btCancelClick},
};

constexpr ui::FormSpec kSpec{u"Inställningar", 236, 425, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

}  // namespace

TdlgCanonEosSdkSettings::TdlgCanonEosSdkSettings()
    : Form(kSpec, kRows),
      btRotLeft(Get<ui::Button>(u"btRotLeft")),
      btRotRight(Get<ui::Button>(u"btRotRight")),
      laAng(Get<ui::Label>(u"laAng")),
      ckMirror(Get<ui::CheckBox>(u"ckMirror")),
      cbDelay(Get<ui::ComboBox>(u"cbDelay")),
      btOK(Get<ui::Button>(u"btOK")),
      btCancel(Get<ui::Button>(u"btCancel")) {
  for (const char16_t* item : kDelays) cbDelay.Add(item);
  cbDelay.SetItemIndex(0);
}

void TdlgCanonEosSdkSettings::SetAngle(int angle) {
  laAng.SetTag(angle);
  laAng.SetCaption(IntToText(angle) + u" °");
}

void TdlgCanonEosSdkSettings::btRotLeftClick(ui::Component& sender) {
  if (on_rotate) on_rotate(laAng.Tag() + sender.Tag());
  SettingsEdited = true;
}

void TdlgCanonEosSdkSettings::cbDelayChange(ui::Component&) {
  State().DelayIndex = cbDelay.ItemIndex() < 0 ? 0 : cbDelay.ItemIndex();
  SettingsEdited = true;
}

bool TdlgCanonEosSdkSettings::Run() {
  SettingsEdited = false;
  cbDelay.SetItemIndex(State().DelayIndex);
  return ShowModal() == ui::kModalOk;
}

}  // namespace eos
