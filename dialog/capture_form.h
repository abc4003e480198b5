// The capture dialog's window: its components as designed (624 x 470, sizeable), laid out,
// and their events handed on to the dialog's parts through `actions`. The components are
// grouped by the part that works them; each group is named once here, in its struct, and
// once in the form's table.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/form.h"

namespace eos {

// The standard look's picture frame: the live view's images and the words over them.
struct PictureFrameItems {
  ui::Panel* Panel3 = nullptr;  // the client area inside an 8-pixel border
  ui::Panel* paBord = nullptr;  // the room the picture frame is fitted into
  ui::Panel* paImx = nullptr;   // the picture frame, at the live view's proportions
  ui::Shape* shImx = nullptr;   // its outline
  ui::Panel* paIm = nullptr;
  ui::Painted* ImageR = nullptr;   // the live view turned by 90, 180 or 270 degrees
  ui::Painted* Image1 = nullptr;   // the live view upright
  ui::Painted* laDelay = nullptr;  // the words over it
};

// The standard look's button row.
struct ButtonRowItems {
  ui::Panel* paButtons = nullptr;
  ui::Bevel* beButtons = nullptr;
  ui::ToolButton* btSettings = nullptr;
  ui::ToolButton* btFocusFar = nullptr;
  ui::ToolButton* btFocusNear = nullptr;
  ui::ToolButton* btAF = nullptr;
  ui::Button* btRel = nullptr;
  ui::Button* btUse = nullptr;  // keeps a picture that failed its check; shown while it is reviewed
  ui::Button* btCancel = nullptr;
};

// The standard look, and the panel a skin replaces it with, with the click areas over the
// skin's button pictures.
struct SkinItems {
  ui::Panel* paNoSkin = nullptr;
  ui::Panel* paSkin = nullptr;
  ui::Painted* lumlabTakePicture = nullptr;
  ui::Painted* lumlabSettings = nullptr;
  ui::Painted* lumlabCancel = nullptr;
};

// What the form's components ask of the dialog.
struct CaptureFormActions {
  std::function<void()> release;                // btRel clicked, its skin area, Enter
  std::function<void()> use_anyway;             // btUse clicked
  std::function<void()> release_pressed;        // the mouse pressed on btRel
  std::function<void()> settings;               // btSettings clicked, its skin area
  std::function<void(int step)> focus_pressed;  // on btFocusFar (1) or btFocusNear (-1)
  std::function<void()> focus_released;
  std::function<void()> autofocus;     // btAF
  std::function<void()> view_resized;  // paBord
  ui::Painted::PaintHook paint_view;   // Image1 and ImageR
  ui::Painted::PaintHook paint_words;  // laDelay
};

class CaptureForm : public ui::Form, private PictureFrameItems, private ButtonRowItems, private SkinItems {
 public:
  CaptureForm();

  CaptureFormActions actions;
  const PictureFrameItems& PictureFrame() const { return *this; }
  const ButtonRowItems& ButtonRow() const { return *this; }
  const SkinItems& Skin() const { return *this; }
  // The button row with its bevel, which automatic and settings-only runs hide.
  int ButtonRowHeight() const { return paButtons->Height() + beButtons->Height(); }
  void ShowButtonRow(bool shown);

 private:
  bool FormKeyDown(WORD key) override;
  void Panel3Resize(ui::Component&);
  void paBordResize(ui::Component&);
  void PaintLiveView(HDC dc, const RECT& bounds);
  void PaintDelay(HDC dc, const RECT& bounds);
  void btRelClick(ui::Component&);
  void btRelMouseDown(ui::Component&);
  void btUseClick(ui::Component&);
  void btCancelClick(ui::Component&);
  void btSettingsXClick(ui::Component&);
  void btFocusFarXMouseDown(ui::Component& sender);
  void btFocusFarXMouseUp(ui::Component&);
  void btAutoFocusClick(ui::Component&);

  // A group's component as a member of this form, for the table (the groups are private bases).
  template <class T, class Group>
  static constexpr T* CaptureForm::*Own(T* Group::*component) {
    return component;
  }
  static const ui::Row<CaptureForm> kRows[];
};

}  // namespace eos
