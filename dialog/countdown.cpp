#include "dialog/countdown.h"

#include <memory>

namespace eos {

namespace {

constexpr ui::Row<TdlgDelay> kRows[] = {
    {.name = u"laDelay",
     .kind = ui::Kind::Label,
     .bounds = {8, 8, 184, 134},
     .caption = u"10",
     .options = ui::kCentre | ui::kMiddle},
    {.name = u"timDelay",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 1000,
     .on_event = &TdlgDelay::timDelayTimer},
};

constexpr ui::FormSpec kSpec{u"", 200, 150, WS_POPUP, WS_EX_TOPMOST};

}  // namespace

TdlgDelay::TdlgDelay(std::function<void(int)> show_value)
    : Form(kSpec, kRows),
      laDelay(Get<ui::Label>(u"laDelay")),
      timDelay(Get<ui::Timer>(u"timDelay")),
      show_value_(std::move(show_value)) {}

void TdlgDelay::timDelayTimer(ui::Component&) {
  const int left = laDelay.Tag() - 1;
  laDelay.SetTag(left);
  laDelay.SetCaption(IntToText(left));
  show_value_(left);
  if (left > 0) {
    MessageBeep(MB_OK);
  } else {
    timDelay.SetEnabled(false);
    SetModalResult(ui::kModalOk);
  }
}

void ShowDelay(int Seconds, const std::function<void(int)>& show_value) {
  auto dlgDelay = std::make_unique<TdlgDelay>(show_value);
  SetWindowPos(dlgDelay->Window(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  dlgDelay->laDelay.SetTag(Seconds);
  dlgDelay->laDelay.SetCaption(IntToText(Seconds));
  show_value(Seconds);
  dlgDelay->timDelay.SetEnabled(true);
  MessageBeep(MB_OK);
  dlgDelay->ShowModal();
  show_value(-1);
}

}  // namespace eos
