#include "dialog/capture_form.h"

#include "dialog/core/tool_pictures.h"

namespace eos {

namespace {

constexpr COLORREF kCream = RGB(255, 251, 240);

constexpr ui::FormSpec kSpec{u"", 624, 470, ui::kSizeable};

// Calls an action the dialog set.
template <class Action, class... Args>
void Ask(const Action& action, Args... args) {
  if (action) action(args...);
}

}  // namespace

constexpr ui::Row<CaptureForm> CaptureForm::kRows[] = {
    {.member = Own(&CaptureForm::paNoSkin), .bounds = {0, 0, 624, 470}, .align = ui::Align::Client},
    {.member = Own(&CaptureForm::paButtons),
     .parent = Own(&CaptureForm::paNoSkin),
     .bounds = {0, 435, 624, 35},
     .align = ui::Align::Bottom},
    {.member = Own(&CaptureForm::beButtons),
     .parent = Own(&CaptureForm::paNoSkin),
     .bounds = {0, 427, 624, 8},
     .align = ui::Align::Bottom},
    {.member = Own(&CaptureForm::Panel3),
     .parent = Own(&CaptureForm::paNoSkin),
     .bounds = {0, 0, 624, 427},
     .align = ui::Align::Client,
     .on_event = &CaptureForm::Panel3Resize},
    {.member = Own(&CaptureForm::paBord),
     .parent = Own(&CaptureForm::Panel3),
     .bounds = {8, 8, 608, 411},
     .on_event = &CaptureForm::paBordResize},
    {.member = Own(&CaptureForm::paImx), .parent = Own(&CaptureForm::paBord), .bounds = {0, 0, 608, 408}},
    {.member = Own(&CaptureForm::shImx), .parent = Own(&CaptureForm::paImx), .bounds = {0, 0, 608, 408}},
    {.member = Own(&CaptureForm::paIm), .parent = Own(&CaptureForm::paImx), .bounds = {1, 1, 606, 406}},
    {.member = Own(&CaptureForm::ImageR),
     .parent = Own(&CaptureForm::paIm),
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &CaptureForm::PaintLiveView},
    {.member = Own(&CaptureForm::Image1),
     .parent = Own(&CaptureForm::paIm),
     .align = ui::Align::Client,
     .on_paint = &CaptureForm::PaintLiveView},
    {.member = Own(&CaptureForm::laDelay),
     .parent = Own(&CaptureForm::paIm),
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &CaptureForm::PaintDelay},
    {.member = Own(&CaptureForm::btSettings),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {8, 5, 27, 25},
     .caption = u"...",
     .hint = u"Inställningar",
     .on_event = &CaptureForm::btSettingsXClick},
    {.member = Own(&CaptureForm::btFocusFar),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {44, 5, 27, 25},
     .caption = u">",
     .hint = u"Fokusera längre bort",
     .tag = 1,
     .on_mouse_down = &CaptureForm::btFocusFarXMouseDown,
     .on_mouse_up = &CaptureForm::btFocusFarXMouseUp},
    {.member = Own(&CaptureForm::btFocusNear),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {72, 5, 27, 25},
     .caption = u"<",
     .hint = u"Fokusera närmare",
     .tag = -1,
     .on_mouse_down = &CaptureForm::btFocusFarXMouseDown,
     .on_mouse_up = &CaptureForm::btFocusFarXMouseUp},
    {.member = Own(&CaptureForm::btAF),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {100, 5, 27, 25},
     .caption = u"AF",
     .hint = u"Autofokus",
     .on_event = &CaptureForm::btAutoFocusClick},
    {.member = Own(&CaptureForm::btRel),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {456, 5, 80, 25},
     .caption = u"Take picture",
     .options = ui::kDefault,
     .on_event = &CaptureForm::btRelClick,
     .on_mouse_down = &CaptureForm::btRelMouseDown},
    {.member = Own(&CaptureForm::btUse),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {351, 5, 100, 25},
     .caption = u"Use anyway",
     .options = ui::kHidden,
     .on_event = &CaptureForm::btUseClick},
    {.member = Own(&CaptureForm::btCancel),
     .parent = Own(&CaptureForm::paButtons),
     .bounds = {541, 5, 75, 25},
     .caption = u"Cancel",
     .on_event = &CaptureForm::btCancelClick},
    {.member = Own(&CaptureForm::paSkin), .bounds = {0, 0, 624, 470}, .options = ui::kHidden},
    // Click areas over a skin's button pictures; a skin's reload keeps them (Tag 999).
    {.member = Own(&CaptureForm::lumlabTakePicture),
     .parent = Own(&CaptureForm::paSkin),
     .tag = 999,
     .on_event = &CaptureForm::btRelClick},
    {.member = Own(&CaptureForm::lumlabSettings),
     .parent = Own(&CaptureForm::paSkin),
     .tag = 999,
     .on_event = &CaptureForm::btSettingsXClick},
    {.member = Own(&CaptureForm::lumlabCancel),
     .parent = Own(&CaptureForm::paSkin),
     .tag = 999,
     .on_event = &CaptureForm::btCancelClick},
};

CaptureForm::CaptureForm() : Form(kSpec) {
  Build(*this, kRows);
  SetDragByBody(true);
  SetIcon(L"MainIcon");
  // Each tool button shows its picture; one whose icon cannot be made keeps its caption.
  btSettings->SetPicture(ToolPictureOf(ToolPicture::Settings));
  btFocusFar->SetPicture(ToolPictureOf(ToolPicture::Farther));
  btFocusNear->SetPicture(ToolPictureOf(ToolPicture::Nearer));
  btAF->SetPicture(ToolPictureOf(ToolPicture::Autofocus));
  paIm->SetColor(kCream);
}

void CaptureForm::ShowButtonRow(bool shown) {
  paButtons->SetVisible(shown);
  beButtons->SetVisible(shown);
}

bool CaptureForm::FormKeyDown(WORD key) {
  if (key == VK_ESCAPE) {
    btCancelClick(*btCancel);
    return true;
  }
  if (key == VK_RETURN) {
    btRelClick(*btRel);
    return true;
  }
  return false;
}

void CaptureForm::Panel3Resize(ui::Component&) {
  constexpr int kBorder = 8;
  paBord->SetBounds({kBorder, kBorder, Panel3->Width() - kBorder, Panel3->Height() - kBorder});
}

void CaptureForm::paBordResize(ui::Component&) { Ask(actions.view_resized); }

void CaptureForm::PaintLiveView(HDC dc, const RECT& bounds) { Ask(actions.paint_view, dc, bounds); }

void CaptureForm::PaintDelay(HDC dc, const RECT& bounds) { Ask(actions.paint_words, dc, bounds); }

void CaptureForm::btRelClick(ui::Component&) { Ask(actions.release); }

void CaptureForm::btRelMouseDown(ui::Component&) { Ask(actions.release_pressed); }

void CaptureForm::btUseClick(ui::Component&) { Ask(actions.use_anyway); }

void CaptureForm::btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }

void CaptureForm::btSettingsXClick(ui::Component&) { Ask(actions.settings); }

void CaptureForm::btFocusFarXMouseDown(ui::Component& sender) { Ask(actions.focus_pressed, sender.Tag()); }

void CaptureForm::btFocusFarXMouseUp(ui::Component&) { Ask(actions.focus_released); }

void CaptureForm::btAutoFocusClick(ui::Component&) { Ask(actions.autofocus); }

}  // namespace eos
