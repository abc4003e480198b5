// The capture dialog's skins: a layout file from the skin folder replaces the standard
// look by a borderless window shaped by the skin's mask, with the live view in the
// skin's photo place and click areas over its button pictures. The members are the
// dialog's; this file holds what they do.
#include <algorithm>
#include <functional>
#include <vector>

#include "dialog/capture_dialog.h"
#include "dialog/core/skin_shape.h"
#include "imaging/LumImageEx.h"
#include "layout/layout_engine.h"
#include "plugin/services/services.h"
#include "win/files.h"
#include "win/log_file.h"
#include "win/message_box.h"
#include "win/rect.h"

namespace eos {

namespace {

using layout::LayoutControl;

// Runs a step of the loading; a failure shows its message and answers false.
bool Step(TextView message, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (...) {
    win::LogSwallowed(message);
    CamShowMessage(message);
    return false;
  }
}

}  // namespace

LayoutControl* TdlgCanonEosSDK::SkinItem(SkinPart part) const { return skin_parts_[static_cast<size_t>(part)]; }

ui::Painted* TdlgCanonEosSDK::SkinView() const {
  return paSkin->Visible() && conVF() ? static_cast<ui::Painted*>(conVF()) : nullptr;
}

Rect TdlgCanonEosSDK::SkinViewRect() const {
  const RECT b = conVF()->Bounds();
  const SIZE frame = ShownFrameSize();
  return FitRect(b.right - b.left, b.bottom - b.top, frame.cx, frame.cy);
}

// The whole frame in the photo place, black where the place's proportions differ: the
// operator frames on exactly what the picture holds.
void TdlgCanonEosSDK::PaintSkinView(HDC dc, const RECT& bounds) {
  FillRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (view_.view().empty() || camera_gone_) return;
  const Rect r = SkinViewRect();
  const RECT frame{bounds.left + r.left, bounds.top + r.top, bounds.left + r.right(), bounds.top + r.bottom()};
  imaging::DrawPixels(dc, {frame.left, frame.top, frame.right, frame.bottom}, view_.view());
  PaintFaceGuide(dc, frame);
}

void TdlgCanonEosSDK::LoadSkin(TextView skin) {
  WriteLog(u"LoadSkin: " + Text(skin));
  // A failure here leaves references that are cleared anyway: the loading goes on.
  Step(u"Error: Loading skin1", [this] {
    skin_parts_.fill(nullptr);
    FCurrentSkin.clear();
    ui::ProcessMessages();
  });
  if (skin.empty()) {
    ShowStandardLook();
    return;
  }
  // A name is a bare file name: a skin never reads outside the skin folders.
  const Text folder = GetPluginFolder();
  Text file;
  if (IsSkinName(skin)) {
    for (const char16_t* sub : {u"Canon_EOS_SDK_Skin\\", u"skin\\"}) {
      const Text candidate = folder + sub + Text(skin) + u".qzb";
      if (win::FileExists(candidate)) {
        file = candidate;
        break;
      }
    }
  }
  if (file.empty()) {
    LoadSkin(u"");
    return;
  }
  FCurrentSkin = Text(skin);
  const auto fail = [this] { LoadSkin(u""); };
  if (!standard_size_) standard_size_ = RestoredSize();
  if (!Step(u"Fel: Ladda skal 4", [this] {
        paNoSkin->SetVisible(false);
        paSkin->SetVisible(true);
      }))
    return fail();

  layout::LayoutEngine& engine = layout::Engine();
  engine.on_message = [](TextView message) { CamShowMessage(message); };
  bool loaded = false;
  if (!Step(u"Fel: Ladda skal 5", [&] { loaded = engine.LoadLayout(file, *paSkin); })) return fail();
  if (!loaded) return fail();  // the engine said why

  if (!Step(u"Fel: Ladda skal 6", [this] {
        for (LayoutControl* c : layout::LayoutControls(*paSkin)) {
          const SkinPart part = ClassifySkinItem(c->Hint());
          if (part == SkinPart::DragArea)
            c->on_mouse_down = [this](ui::Component&) { StartDrag(); };
          else
            skin_parts_[static_cast<size_t>(part)] = c;
        }
      }))
    return fail();
  ui::ProcessMessages();

  if (!conMask()) return fail();
  if (!conVF()) {
    CamShowMessage(Translate(u"Control missing.") + u" (VF)");
    return fail();
  }
  conVF()->on_paint = [this](HDC dc, const RECT& bounds) { PaintSkinView(dc, bounds); };

  for (const SkinButton& b : SkinButtons()) {
    LayoutControl* const normal = SkinItem(b.normal);
    LayoutControl* const down = SkinItem(b.down);
    LayoutControl* const over = SkinItem(b.over);
    LayoutControl* const place = normal ? normal : down ? down : over;
    if (!place) {
      CamShowMessage(Translate(u"Control missing.") + b.missing);
      return fail();
    }
    if (!Step(u"Fel: Ladda skal 8", [&] {
          b.label->SetBounds(place->Bounds());
          if (normal) normal->SetVisible(true);
          if (down) down->SetVisible(false);
          if (over) over->SetVisible(false);
          paSkin->BringToFront(*b.label);
        }))
      return fail();
  }

  bool shaped = false;
  if (!Step(u"Fel: Ladda skal 9", [&] {
        FillSkinFields();
        // The items are new and upright: the skin turns from 0 to the view's angle.
        FSkinAng = 0;
        const RECT page = paSkin->Bounds();
        FSkinW = page.right - page.left;
        FSkinH = page.bottom - page.top;
        shaped = ApplySkinShape(FAngle);
      }))
    return fail();
  if (!shaped) {
    CamShowMessage(Translate(u"The skin's mask leaves no window."));
    return fail();
  }
  UpdateSkinButtons();
}

void TdlgCanonEosSDK::ShowStandardLook() {
  Step(u"Fel: Ladda skal 2", [this] {
    if (standard_size_) {
      ClearShape();
      SetBorderless(false);
      SetOuterSize(standard_size_->cx, standard_size_->cy);
      standard_size_.reset();
    }
    paSkin->SetVisible(false);
    paNoSkin->SetVisible(true);
  });
  Step(u"Fel: Ladda skal 3", [this] {
    Image1->SetVisible(FAngle == 0);
    ImageR->SetVisible(FAngle != 0);
  });
}

bool TdlgCanonEosSDK::ApplySkinShape(int angle) {
  auto* mask = dynamic_cast<layout::LayoutImage*>(conMask());
  if (!mask) return false;
  SetBorderless(true);
  const int delta = SkinTurn(angle, FSkinAng);
  if (delta != 0) {
    // Square first, so no item is cut while the skin turns.
    const int side = std::max(FSkinW, FSkinH);
    SetOuterSize(side, side);
    RotateSkinControl(delta, *paSkin);
    for (LayoutControl* c : layout::LayoutControls(*paSkin)) {
      try {
        RotateSkinControl(delta, *c);
      } catch (...) {
        win::LogSwallowed(u"rot cont");
        CamShowMessage(u"rot cont");
      }
    }
    for (ui::Painted* label : {lumlabTakePicture, lumlabSettings, lumlabCancel}) RotateSkinControl(delta, *label);
  }
  FSkinAng = angle;
  const RECT b = mask->Bounds();
  const int width = b.right - b.left, height = b.bottom - b.top;
  // A borderless window cannot be moved back by its frame: the skin is kept on the screen.
  const RECT at = OuterBounds();
  PlaceOnScreen({at.left, at.top, at.left + width, at.top + height});
  FSkinW = width;
  FSkinH = height;
  const imaging::Pixels& picture = mask->Picture();
  const auto runs = MaskRuns(picture.data, picture.width, picture.height, width, height);
  if (!runs || runs->empty()) return false;
  std::vector<Rect> pieces;
  pieces.reserve(runs->size());
  for (const MaskRun& r : *runs) pieces.push_back({r.x0, r.y, r.x1 - r.x0, 1});
  if (!SetShape(pieces)) return false;
  paSkin->Invalidate();
  return true;
}

void TdlgCanonEosSDK::RotateSkinControl(int delta, ui::Item& control) {
  const Rect turned = TurnSkinRect(delta, FSkinW, FSkinH, win::FromRECT(control.Bounds()));
  if (auto* item = dynamic_cast<LayoutControl*>(&control)) item->Turn(delta);
  control.SetBounds(win::ToRECT(turned));
}

void TdlgCanonEosSDK::FillSkinFields() {
  layout::LayoutEngine& engine = layout::Engine();
  engine.ClearFieldValues();
  const Text version = GetPluginVersion();
  const Text modules = SkinModuleList(FSDKVersion);
  engine.SetFieldValue(u"Info",
                       u"Canon plugin EOS " + version + (FSDKVersion.empty() ? Text() : u" (" + modules + u")"));
  engine.SetFieldValue(u"Version", version);
  engine.SetFieldValue(u"SDKVersion", modules);
  engine.SetFieldValue(u"CamRemoteVersion", u"8.2");
  engine.SetFieldValue(u"Title", u"Canon plugin EOS");
  SetSkinButtonCaptions();
  engine.RefreshFields(*paSkin);
  skin_message_shown_ = false;
}

std::array<TdlgCanonEosSDK::SkinButton, 3> TdlgCanonEosSDK::SkinButtons() const {
  return {{
      {lumlabTakePicture, btRel, SkinPart::TakePicture, SkinPart::TakePictureDown, SkinPart::TakePictureOver,
       u" (Take picture)", u"TakePicture", u"Take picture"},
      {lumlabSettings, btSettings, SkinPart::Settings, SkinPart::SettingsDown, SkinPart::SettingsOver, u" (Settings)",
       u"Settings", u"Settings"},
      {lumlabCancel, btCancel, SkinPart::Cancel, SkinPart::CancelDown, SkinPart::CancelOver, u" (Cancel)", u"Cancel",
       u"Cancel"},
  }};
}

// A button's caption field is its translated caption while it can be used, one blank
// otherwise, so the skin's caption over the button's picture goes with the picture.
void TdlgCanonEosSDK::SetSkinButtonCaptions() {
  for (const SkinButton& b : SkinButtons())
    layout::Engine().SetFieldValue(b.field, SkinButtonUsable(b) ? Translate(b.caption) : Text(u" "));
}

bool TdlgCanonEosSDK::SkinButtonUsable(const SkinButton& b) { return b.button->Visible() && b.button->Enabled(); }

void TdlgCanonEosSDK::UpdateSkinButtons() {
  if (!paSkin->Visible()) return;
  for (const SkinButton& b : SkinButtons()) {
    const bool usable = SkinButtonUsable(b);
    b.label->SetVisible(usable);
    if (LayoutControl* normal = SkinItem(b.normal)) normal->SetVisible(usable);
  }
  SetSkinButtonCaptions();
  layout::Engine().RefreshFields(*paSkin);
}

}  // namespace eos
