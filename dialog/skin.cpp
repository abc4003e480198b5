#include "dialog/skin.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "dialog/live_view.h"
#include "layout/layout_engine.h"
#include "plugin/services/services.h"
#include "ui/canvas.h"
#include "win/files.h"
#include "win/log_file.h"
#include "win/message_box.h"
#include "win/rect.h"

namespace eos {

namespace {

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

layout::LayoutControl* SkinHost::SkinItem(SkinPart part) const { return skin_parts_[static_cast<size_t>(part)]; }

SkinHost::SkinHost(ui::Form& form, const SkinItems& items, const ButtonRowItems& buttons, LiveView& view)
    : form_(form), items_(items), buttons_(buttons), view_(view) {}

ui::Painted* SkinHost::View() const { return Shown() && conVF() ? static_cast<ui::Painted*>(conVF()) : nullptr; }

Rect SkinHost::ViewRect() const {
  const RECT b = conVF()->Bounds();
  const SIZE frame = view_.ShownFrameSize();
  return FitRect(b.right - b.left, b.bottom - b.top, frame.cx, frame.cy);
}

// The operator frames on exactly what the picture holds.
void SkinHost::PaintSkinView(HDC dc, const RECT& bounds, bool id_template) {
  ui::Canvas(dc).Fill(bounds, RGB(0, 0, 0));
  const Rect r = ViewRect();
  view_.PaintFrame(dc, {bounds.left + r.left, bounds.top + r.top, bounds.left + r.right(), bounds.top + r.bottom()},
                   id_template);
}

void SkinHost::SetSdkVersion(TextView version) {
  FSDKVersion = Text(version);
  if (Shown()) FillSkinFields();  // the skin's texts name the SDK too
}

void SkinHost::ShowDelay(TextView digit) {
  if (Shown()) layout::Engine().SetFieldValueAndRefresh(u"Delay", digit, *items_.paSkin);
}

void SkinHost::ShowMessage(TextView words) {
  if (!Shown() || (words.empty() && !message_shown_)) return;
  layout::Engine().SetFieldValueAndRefresh(u"Message", words, *items_.paSkin);
  message_shown_ = !words.empty();
}

void SkinHost::LoadSkin(TextView skin) {
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
  if (!standard_size_) standard_size_ = form_.RestoredSize();
  if (!Step(u"Fel: Ladda skal 4", [this] {
        items_.paNoSkin->SetVisible(false);
        items_.paSkin->SetVisible(true);
      }))
    return fail();

  layout::LayoutEngine& engine = layout::Engine();
  engine.on_message = [](TextView message) { CamShowMessage(message); };
  bool loaded = false;
  if (!Step(u"Fel: Ladda skal 5", [&] { loaded = engine.LoadLayout(file, *items_.paSkin); })) return fail();
  if (!loaded) return fail();  // the engine said why

  if (!Step(u"Fel: Ladda skal 6", [this] {
        for (layout::LayoutControl* c : layout::LayoutControls(*items_.paSkin)) {
          const SkinPart part = ClassifySkinItem(c->Hint());
          if (part == SkinPart::DragArea)
            c->on_mouse_down = [this](ui::Component&) { form_.StartDrag(); };
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
  // Read once with the skin, not at every frame it paints.
  conVF()->on_paint = [this, id_template = ShowsIdTemplate(conVF()->Hint())](HDC dc, const RECT& bounds) {
    PaintSkinView(dc, bounds, id_template);
  };

  for (const SkinButton& b : SkinButtons()) {
    layout::LayoutControl* const normal = SkinItem(b.normal);
    layout::LayoutControl* const down = SkinItem(b.down);
    layout::LayoutControl* const over = SkinItem(b.over);
    layout::LayoutControl* const place = normal ? normal : down ? down : over;
    if (!place) {
      CamShowMessage(Translate(u"Control missing.") + b.missing);
      return fail();
    }
    if (!Step(u"Fel: Ladda skal 8", [&] {
          b.label->SetBounds(place->Bounds());
          if (normal) normal->SetVisible(true);
          if (down) down->SetVisible(false);
          if (over) over->SetVisible(false);
          items_.paSkin->BringToFront(*b.label);
        }))
      return fail();
  }

  bool shaped = false;
  if (!Step(u"Fel: Ladda skal 9", [&] {
        FillSkinFields();
        // The items are new and upright: the skin turns from 0 to the view's angle.
        FSkinAng = 0;
        const RECT page = items_.paSkin->Bounds();
        FSkinW = page.right - page.left;
        FSkinH = page.bottom - page.top;
        shaped = ApplySkinShape(view_.Angle());
      }))
    return fail();
  if (!shaped) {
    CamShowMessage(Translate(u"The skin's mask leaves no window."));
    return fail();
  }
  UpdateSkinButtons();
}

void SkinHost::ShowStandardLook() {
  Step(u"Fel: Ladda skal 2", [this] {
    if (standard_size_) {
      form_.ClearShape();
      form_.SetBorderless(false);
      form_.SetOuterSize(standard_size_->cx, standard_size_->cy);
      standard_size_.reset();
    }
    items_.paSkin->SetVisible(false);
    items_.paNoSkin->SetVisible(true);
  });
  Step(u"Fel: Ladda skal 3", [this] { view_.ShowImageOfAngle(); });
}

bool SkinHost::ApplySkinShape(int angle) {
  auto* mask = dynamic_cast<layout::LayoutImage*>(conMask());
  if (!mask) return false;
  form_.SetBorderless(true);
  const int skin_angle = SkinAngle(angle, layout::Engine().Page().line);
  const int delta = SkinTurn(skin_angle, FSkinAng);
  if (delta != 0) {
    // Square first, so no item is cut while the skin turns.
    const int side = std::max(FSkinW, FSkinH);
    form_.SetOuterSize(side, side);
    RotateSkinControl(delta, *items_.paSkin);
    for (layout::LayoutControl* c : layout::LayoutControls(*items_.paSkin)) {
      try {
        RotateSkinControl(delta, *c);
      } catch (...) {
        win::LogSwallowed(u"rot cont");
        CamShowMessage(u"rot cont");
      }
    }
    for (ui::Painted* label : {items_.lumlabTakePicture, items_.lumlabSettings, items_.lumlabCancel})
      RotateSkinControl(delta, *label);
  }
  FSkinAng = skin_angle;
  const RECT b = mask->Bounds();
  const int width = b.right - b.left, height = b.bottom - b.top;
  // A borderless window cannot be moved back by its frame: the skin is kept on the screen.
  const RECT at = form_.OuterBounds();
  form_.PlaceOnScreen({at.left, at.top, at.left + width, at.top + height});
  FSkinW = width;
  FSkinH = height;
  const imaging::Pixels& picture = mask->Picture();
  const auto runs = MaskRuns(picture.data, picture.width, picture.height, width, height);
  if (!runs || runs->empty()) return false;
  std::vector<Rect> pieces;
  pieces.reserve(runs->size());
  for (const MaskRun& r : *runs) pieces.push_back({r.x0, r.y, r.x1 - r.x0, 1});
  if (!form_.SetShape(pieces)) return false;
  items_.paSkin->Invalidate();
  return true;
}

void SkinHost::RotateSkinControl(int delta, ui::Item& control) {
  const Rect turned = TurnSkinRect(delta, FSkinW, FSkinH, win::FromRECT(control.Bounds()));
  if (auto* item = dynamic_cast<layout::LayoutControl*>(&control)) item->Turn(delta);
  control.SetBounds(win::ToRECT(turned));
}

void SkinHost::FillSkinFields() {
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
  engine.RefreshFields(*items_.paSkin);
  message_shown_ = false;
}

std::array<SkinHost::SkinButton, 3> SkinHost::SkinButtons() const {
  return {{
      {items_.lumlabTakePicture, buttons_.btRel, SkinPart::TakePicture, SkinPart::TakePictureDown,
       SkinPart::TakePictureOver, u" (Take picture)", u"TakePicture", u"Take picture"},
      {items_.lumlabSettings, buttons_.btSettings, SkinPart::Settings, SkinPart::SettingsDown, SkinPart::SettingsOver,
       u" (Settings)", u"Settings", u"Settings"},
      {items_.lumlabCancel, buttons_.btCancel, SkinPart::Cancel, SkinPart::CancelDown, SkinPart::CancelOver,
       u" (Cancel)", u"Cancel", u"Cancel"},
  }};
}

// A button's caption field is its translated caption while it can be used, one blank
// otherwise, so the skin's caption over the button's picture goes with the picture.
void SkinHost::SetSkinButtonCaptions() {
  for (const SkinButton& b : SkinButtons())
    layout::Engine().SetFieldValue(b.field, SkinButtonUsable(b) ? Translate(b.caption) : Text(u" "));
}

bool SkinHost::SkinButtonUsable(const SkinButton& b) { return b.button->Visible() && b.button->Enabled(); }

void SkinHost::UpdateSkinButtons() {
  if (!Shown()) return;
  for (const SkinButton& b : SkinButtons()) {
    const bool usable = SkinButtonUsable(b);
    b.label->SetVisible(usable);
    if (layout::LayoutControl* normal = SkinItem(b.normal)) normal->SetVisible(usable);
  }
  SetSkinButtonCaptions();
  layout::Engine().RefreshFields(*items_.paSkin);
}

}  // namespace eos
