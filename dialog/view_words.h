// The words over the live view: the countdown's digits, a short message for a while, and
// what to do about a camera that is gone; in a skin, its "Delay" and "Message" fields.
#pragma once

#include <windows.h>

#include "base/text.h"
#include "win/handles.h"
#include "win/timer.h"

namespace eos {

class CameraLink;
class SkinHost;
namespace ui {
class Form;
class Painted;
}  // namespace ui

class ViewWords {
 public:
  // Painted by `label` over the standard look's view, or in `skin`; the words of a camera
  // that is gone while `link` says so.
  ViewWords(const ui::Form& form, ui::Painted& label, SkinHost& skin, const CameraLink& link);

  // The countdown's digit or a message over the live view, else the words of a camera that
  // is gone; the label is hidden while there is none, so the live view alone is painted
  // straight to the screen.
  void SetOverlayText(Text text);
  // The same words in a skin's "Message" field.
  void SetSkinMessage(TextView text);
  // The countdown's number; -1 blanks it.
  void UpdateValueDelay(int del);
  // A short text over the view, emptied every `Interval` milliseconds from now on.
  void ShowInfoText(TextView Message, unsigned Interval);
  // Words that stay over the view until Clear(), in a font for several lines: what the
  // operator is to decide about a picture shown there.
  void ShowReview(Text text);
  // The words as they are now: none but those of a camera that is gone.
  void Clear();
  void PaintDelay(HDC dc, const RECT& bounds);

 private:
  void timInfoEndTimer();
  // What the view says while no camera is there, or nothing.
  Text GoneText() const;

  ui::Painted& laDelay;
  SkinHost& skin_;
  const CameraLink& link_;
  Text delay_text_;
  Text review_text_;
  win::Gdi<HFONT> delay_font_;
  win::Gdi<HFONT> review_font_;
  win::Gdi<HFONT> gone_font_;  // the longer words of a camera that is gone
  win::Timer timInfoEnd{[this] { timInfoEndTimer(); }, 2000};
};

}  // namespace eos
