// The capture dialog's skins: a layout file from the skin folders replaces the standard
// look by a borderless window shaped by the skin's mask, with the live view in the skin's
// photo place, click areas over its button pictures, and fields that show versions, the
// countdown and messages.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "base/rect.h"
#include "base/text.h"
#include "dialog/capture_form.h"
#include "dialog/core/skin_shape.h"

namespace eos {

class LiveView;
namespace layout {
class LayoutControl;
}

class SkinHost {
 public:
  // In `form` in place of its standard look, with click areas that follow `buttons`, showing
  // `view` in the photo place.
  SkinHost(ui::Form& form, const SkinItems& items, const ButtonRowItems& buttons, LiveView& view);

  // The skin of that name from the skin folders, or for the empty name (and after any
  // failure, with its message) the standard look.
  void LoadSkin(TextView skin);
  // Turns the skin for the view at `angle` (clockwise; SkinAngle says how far) and shapes
  // the window by its mask; false when the mask leaves no window.
  bool ApplySkinShape(int angle);
  bool Shown() const { return items_.paSkin->Visible(); }
  // The skin's name; empty for the standard look.
  const Text& CurrentSkin() const { return FCurrentSkin; }
  // The SDK's version for the skin's texts, shown at once when a skin is.
  void SetSdkVersion(TextView version);
  // The skin's photo place while a skin shows, and the live view's size in it.
  ui::Painted* View() const;
  Rect ViewRect() const;
  // The buttons' pictures and captions follow the standard look's buttons.
  void UpdateSkinButtons();
  // The countdown's digit in the skin's "Delay" field, shown at once.
  void ShowDelay(TextView digit);
  // Words in the skin's "Message" field; none once none were shown are left alone.
  void ShowMessage(TextView words);

 private:
  // A skin's button: its click area, the standard look's button whose state it follows,
  // its pictures, the words of a skin without it, and its caption field.
  struct SkinButton {
    ui::Painted* label;
    ui::Button* button;
    SkinPart normal, down, over;
    const char16_t* missing;
    const char16_t* field;
    const char16_t* caption;
  };
  std::array<SkinButton, 3> SkinButtons() const;
  // One the host hides or forbids, or the camera's state disables, cannot be used: its
  // click area is inert and its picture and caption are not drawn.
  static bool SkinButtonUsable(const SkinButton& b);
  void SetSkinButtonCaptions();
  void RotateSkinControl(int delta, ui::Item& control);
  void FillSkinFields();
  layout::LayoutControl* SkinItem(SkinPart part) const;
  layout::LayoutControl* conMask() const { return SkinItem(SkinPart::Mask); }
  layout::LayoutControl* conVF() const { return SkinItem(SkinPart::View); }
  // The whole frame in the photo place, black where the place's proportions differ, with
  // the ID-photo template over it with `id_template` (the place asks for it).
  void PaintSkinView(HDC dc, const RECT& bounds, bool id_template);
  void ShowStandardLook();

  ui::Form& form_;
  const SkinItems& items_;
  const ButtonRowItems& buttons_;
  LiveView& view_;
  std::array<layout::LayoutControl*, static_cast<size_t>(SkinPart::DragArea)> skin_parts_{};
  Text FCurrentSkin;
  Text FSDKVersion;
  int FSkinAng = 0;
  int FSkinH = 0;
  int FSkinW = 0;
  // The standard look's outer size, while a skin replaces it.
  std::optional<SIZE> standard_size_;
  bool message_shown_ = false;
};

}  // namespace eos
