#include "dialog/view_words.h"

#include "base/lumutils.h"
#include "dialog/camera_link.h"
#include "dialog/skin.h"
#include "plugin/services/services.h"
#include "ui/canvas.h"
#include "ui/form.h"

namespace eos {

namespace {

constexpr COLORREF kDelayGreen = RGB(0, 160, 0);

constexpr char16_t kGone[] = u"The camera is disconnected. Connect it or switch it on, or press Cancel.";

}  // namespace

ViewWords::ViewWords(const ui::Form& form, ui::Painted& label, SkinHost& skin, const CameraLink& link)
    : laDelay(label),
      skin_(skin),
      link_(link),
      delay_font_(ui::MakeFont(L"Arial", -64, FW_NORMAL)),
      gone_font_(ui::MakeFont(L"Arial", -form.Scale(28), FW_BOLD)) {}

Text ViewWords::GoneText() const { return link_.Gone() ? Translate(kGone) : Text(); }

void ViewWords::SetOverlayText(Text text) {
  delay_text_ = std::move(text);
  laDelay.SetVisible(!delay_text_.empty() || link_.Gone());
  laDelay.Invalidate();
}

void ViewWords::SetSkinMessage(TextView text) { skin_.ShowMessage(text.empty() ? GoneText() : Text(text)); }

void ViewWords::Clear() {
  SetOverlayText(Text());
  SetSkinMessage(Text());
}

void ViewWords::UpdateValueDelay(int del) {
  SetOverlayText(del == -1 ? Text(u" ") : IntToText(del));
  skin_.ShowDelay(delay_text_);
  ui::ProcessMessages();
}

void ViewWords::ShowInfoText(TextView Message, unsigned Interval) {
  SetOverlayText(Text(Message));
  SetSkinMessage(Message);
  timInfoEnd.SetInterval(Interval);
  timInfoEnd.SetEnabled(true);
}

void ViewWords::timInfoEndTimer() { Clear(); }

void ViewWords::PaintDelay(HDC dc, const RECT& bounds) {
  const bool gone_words = delay_text_.empty();
  const Text text = gone_words ? GoneText() : delay_text_;
  if (text.empty()) return;
  ui::Canvas(dc).Text(bounds, text, (gone_words ? gone_font_ : delay_font_).get(), kDelayGreen,
                      ui::kCentre | ui::kMiddle | ui::kWordWrap);
}

}  // namespace eos
