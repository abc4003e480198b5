// The status window: a small stay-on-top note centred on the desktop that shows one
// word-wrapped message while a capture run connects to the camera. It is shown without
// modality, so the run goes on working on the same thread; every change repaints at once
// because that thread does not return to a message loop meanwhile. At most one exists.
#pragma once

#include <initializer_list>

#include "base/lumutils.h"
#include "base/text.h"
#include "ui/form.h"

namespace eos {

class TdlgDispStatus : public ui::Form {
 public:
  TdlgDispStatus();
  // Shows the window with `text`, at the height that hides the Cancel row, painted at once.
  void ShowText(TextView text, bool stay_on_top);
  // Shows `text` (and refreshes the caption when `refresh_caption`), painted at once.
  void UpdateText(TextView text, bool refresh_caption);

 protected:
  void FormClose(ui::CloseAction& action) override { action = ui::CloseAction::Free; }

 private:
  // Nothing else reacts to Cancel: the button only shows that it was pressed.
  void btAbortClick(ui::Component& sender);

  ui::Panel* pStatus = nullptr;
  ui::Label* lStat = nullptr;
  ui::Bevel* Bevel1 = nullptr;
  ui::Button* btAbort = nullptr;
  static const ui::Row<TdlgDispStatus> kRows[];
};

// Creates the window when there is none, then shows `text` in it and repaints at once.
// A window that cannot be made throws.
void ShowStatus(TextView text, bool stay_on_top);
// Shows `text` in the window (and the caption of a shown window when `refresh_caption`),
// or creates it as ShowStatus does. A failure leaves the previous text.
void UpdateStatus(TextView text, bool refresh_caption);
// UpdateStatus with the printf-style `format` filled from `args`.
void UpdateStatusFmt(TextView format, std::initializer_list<FormatArg> args, bool refresh_caption);
// Closes and frees the window, when there is one.
void HideStatus() noexcept;

}  // namespace eos
