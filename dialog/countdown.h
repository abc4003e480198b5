// The countdown before the release: a form shown modally at a size of nothing, so it is
// never seen and only carries a modal loop while the seconds show in the capture dialog.
#pragma once

#include <functional>

#include "ui/form.h"

namespace eos {

class TdlgDelay : public ui::Form {
 public:
  TdlgDelay(int seconds, std::function<void(int)> show_value);
  // Counts down modally to 0.
  void Run();

 private:
  void timDelayTimer(ui::Component&);

  ui::Label* laDelay = nullptr;
  ui::Timer* timDelay = nullptr;
  std::function<void(int)> show_value_;
  static const ui::Row<TdlgDelay> kRows[];
};

// Counts `Seconds` down to 0 at one-second steps, beeping at each number but 0, and shows
// each number through `show_value` (-1 blanks it afterwards). The calling thread's
// messages run meanwhile.
void ShowDelay(int Seconds, const std::function<void(int)>& show_value);

}  // namespace eos
