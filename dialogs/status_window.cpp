#include "dialogs/status_window.h"

#include <memory>

#include "win/log_file.h"

namespace eos {

namespace {

// The caption a shown window carries: the designed "Status" gives way to it.
constexpr TextView kStatusCaption = u"";

// The forced outer height: it hides the Cancel row below the designed client area.
constexpr int kHeight = 103;

constexpr ui::Row<TdlgDispStatus> kRows[] = {
    {.name = u"pStatus", .kind = ui::Kind::Panel, .bounds = {0, 0, 392, 67}, .align = ui::Align::Client},
    {.name = u"lStat",
     .kind = ui::Kind::Label,
     .parent = u"pStatus",
     .bounds = {6, 5, 380, 60},
     .options = ui::kCentre | ui::kMiddle | ui::kWordWrap},
    {.name = u"Bevel1", .kind = ui::Kind::Bevel, .parent = u"pStatus", .bounds = {6, 65, 380, 2}},
    {.name = u"btAbort",
     .kind = ui::Kind::Button,
     .parent = u"pStatus",
     .bounds = {308, 76, 75, 25},
     .caption = u"Cancel",
     .on_event = &TdlgDispStatus::btAbortClick},
};

constexpr ui::FormSpec kSpec{u"Status", 392, 67, ui::kFixedWithCloseBox, WS_EX_TOPMOST};

std::unique_ptr<TdlgDispStatus>& dlgDispStatus() {
  static std::unique_ptr<TdlgDispStatus> instance;
  return instance;
}

}  // namespace

TdlgDispStatus::TdlgDispStatus()
    : Form(kSpec, kRows),
      lStat(Get<ui::Label>(u"lStat")),
      Bevel1(Get<ui::Bevel>(u"Bevel1")),
      btAbort(Get<ui::Button>(u"btAbort")) {}

void TdlgDispStatus::btAbortClick(ui::Component&) {
  btAbort.SetEnabled(false);
  btAbort.Repaint();
  ui::ProcessMessages();
}

void ShowStatus(TextView text, bool stay_on_top) {
  auto& status = dlgDispStatus();
  if (!status) {
    status = std::make_unique<TdlgDispStatus>();
    // Closed by its close box, the window frees itself and the next call makes a new one.
    status->on_released = [] { dlgDispStatus().reset(); };
  }
  if (stay_on_top) SetWindowPos(status->Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  status->SetHeight(kHeight);
  status->Bevel1.SetVisible(false);
  status->SetCaption(kStatusCaption);
  status->lStat.SetHint(text);
  status->lStat.SetCaption(text);
  status->Show();
  status->Repaint();
}

void UpdateStatus(TextView text, bool refresh_caption) {
  auto& status = dlgDispStatus();
  if (!status) return ShowStatus(text, false);
  try {
    status->lStat.SetHint(text);
    status->lStat.SetCaption(text);
    if (refresh_caption) status->SetCaption(kStatusCaption);
    status->Repaint();
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
