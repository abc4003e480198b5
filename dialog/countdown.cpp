#include "dialog/countdown.h"

namespace eos {

namespace {

constexpr ui::FormSpec kSpec{u"", 200, 150, WS_POPUP, WS_EX_TOPMOST};

}  // namespace

constexpr ui::Row<TdlgDelay> TdlgDelay::kRows[] = {
    {.member = &TdlgDelay::laDelay, .bounds = {8, 8, 184, 134}, .caption = u"10", .options = ui::kCentre | ui::kMiddle},
    {.member = &TdlgDelay::timDelay,
     .options = ui::kDisabled,
     .interval_ms = 1000,
     .on_event = &TdlgDelay::timDelayTimer},
};

TdlgDelay::TdlgDelay(int seconds, std::function<void(int)> show_value)
    : Form(kSpec), show_value_(std::move(show_value)) {
  Build(*this, kRows);
  SetOuterSize(0, 0);
  laDelay->SetTag(seconds);
  laDelay->SetCaption(IntToText(seconds));
}

void TdlgDelay::Run() {
  show_value_(laDelay->Tag());
  timDelay->SetEnabled(true);
  ui::DefaultBeep();
  ShowModal();
}

void TdlgDelay::timDelayTimer(ui::Component&) {
  const int left = laDelay->Tag() - 1;
  laDelay->SetTag(left);
  laDelay->SetCaption(IntToText(left));
  show_value_(left);
  if (left > 0) {
    ui::DefaultBeep();
  } else {
    timDelay->SetEnabled(false);
    SetModalResult(ui::kModalOk);
  }
}

void ShowDelay(int Seconds, const std::function<void(int)>& show_value) {
  TdlgDelay(Seconds, show_value).Run();
  show_value(-1);
}

}  // namespace eos
