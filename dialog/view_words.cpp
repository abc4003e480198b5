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
      review_font_(ui::MakeFont(L"Arial", -form.Scale(18), FW_BOLD)),
      gone_font_(ui::MakeFont(L"Arial", -form.Scale(28), FW_BOLD)) {}

Text ViewWords::GoneText() const { return link_.Gone() ? Translate(kGone) : Text(); }

void ViewWords::SetOverlayText(Text text) {
  delay_text_ = std::move(text);
  laDelay.SetVisible(!delay_text_.empty() || !review_text_.empty() || link_.Gone());
  laDelay.Invalidate();
}

void ViewWords::ShowReview(Text text) {
  review_text_ = std::move(text);
  SetOverlayText(Text());
}

void ViewWords::SetSkinMessage(TextView text) { skin_.ShowMessage(text.empty() ? GoneText() : Text(text)); }

void ViewWords::Clear() {
  review_text_.clear();
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
  // The countdown or a message first, then a review's words, then a camera that is gone.
  const Text& text = !delay_text_.empty() ? delay_text_ : !review_text_.empty() ? review_text_ : GoneText();
  if (text.empty()) return;
  const HFONT font = (!delay_text_.empty() ? delay_font_ : !review_text_.empty() ? review_font_ : gone_font_).get();
  ui::Canvas(dc).Text(bounds, text, font, kDelayGreen, ui::kCentre | ui::kMiddle | ui::kWordWrap);
}

}  // namespace eos
