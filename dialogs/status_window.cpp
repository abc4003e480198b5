#include "dialogs/status_window.h"

#include <memory>

#include "win/log_file.h"

namespace eos {

namespace {

// The caption a shown window carries: the designed "Status" gives way to it.
constexpr TextView kStatusCaption = u"";

// The forced outer height: it hides the Cancel row below the designed client area.
constexpr int kHeight = 103;

constexpr ui::FormSpec kSpec{u"Status", 392, 67, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

std::unique_ptr<TdlgDispStatus>& dlgDispStatus() {
  static std::unique_ptr<TdlgDispStatus> instance;
  return instance;
}

}  // namespace

constexpr ui::Row<TdlgDispStatus> TdlgDispStatus::kRows[] = {
    {.member = &TdlgDispStatus::pStatus, .bounds = {0, 0, 392, 67}, .align = ui::Align::Client},
    {.member = &TdlgDispStatus::lStat,
     .parent = &TdlgDispStatus::pStatus,
     .bounds = {6, 5, 380, 60},
     .options = ui::kCentre | ui::kMiddle | ui::kWordWrap},
    {.member = &TdlgDispStatus::Bevel1, .parent = &TdlgDispStatus::pStatus, .bounds = {6, 65, 380, 2}},
    {.member = &TdlgDispStatus::btAbort,
     .parent = &TdlgDispStatus::pStatus,
     .bounds = {308, 76, 75, 25},
     .caption = u"Cancel",
     .on_event = &TdlgDispStatus::btAbortClick},
};

TdlgDispStatus::TdlgDispStatus() : Form(kSpec) { Build(*this, kRows); }

void TdlgDispStatus::btAbortClick(ui::Component&) {
  btAbort->SetEnabled(false);
  btAbort->Repaint();
  ui::ProcessMessages();
}

void TdlgDispStatus::ShowText(TextView text, bool stay_on_top) {
  if (stay_on_top) SetTopMost(true);
  SetHeight(kHeight);
  Bevel1->SetVisible(false);
  SetCaption(kStatusCaption);
  lStat->SetHint(text);
  lStat->SetCaption(text);
  Show();
  Repaint();
}

void TdlgDispStatus::UpdateText(TextView text, bool refresh_caption) {
  lStat->SetHint(text);
  lStat->SetCaption(text);
  if (refresh_caption) SetCaption(kStatusCaption);
  Repaint();
}

void ShowStatus(TextView text, bool stay_on_top) {
  auto& status = dlgDispStatus();
  if (!status) {
    status = std::make_unique<TdlgDispStatus>();
    // Closed by its close box, the window frees itself and the next call makes a new one.
    status->on_released = [] { dlgDispStatus().reset(); };
  }
  status->ShowText(text, stay_on_top);
}

void UpdateStatus(TextView text, bool refresh_caption) {
  auto& status = dlgDispStatus();
  if (!status) return ShowStatus(text, false);
  try {
    status->UpdateText(text, refresh_caption);
  } catch (...) {
    win::LogSwallowed(u"UpdateStatus");
  }
}

void UpdateStatusFmt(TextView format, std::initializer_list<FormatArg> args, bool refresh_caption) {
  UpdateStatus(FormatText(format, args), refresh_caption);
}

void HideStatus() noexcept {
  auto& status = dlgDispStatus();
  if (!status) return;
  try {
    status->Close();
  } catch (...) {
    win::LogSwallowed(u"HideStatus");
  }
  status.reset();
}

}  // namespace eos
