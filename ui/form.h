// A top-level form: a window built from a table of components, with handlers that are the
// form's member functions, shown without modality or in a modal loop of its own.
//
//   class TdlgExample : public ui::Form {
//    public:
//     TdlgExample() : Form(kSpec) { Build(*this, kRows); }
//    private:
//     void btOkClick(ui::Component&) { SetModalResult(ui::kModalOk); }
//     ui::Button* btOk = nullptr;
//     static const ui::Row<TdlgExample> kRows[];
//   };
//   constexpr ui::Row<TdlgExample> TdlgExample::kRows[] = {
//       {.member = &TdlgExample::btOk, .bounds = {8, 8, 75, 25}, .caption = u"OK",
//        .on_event = &TdlgExample::btOkClick}};
//
// The table names each component once, as the member that receives it: a typo does not
// compile. Designed bounds are pixels at 96 dots per inch and are scaled to the screen's.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/rect.h"
#include "base/text.h"
#include "ui/controls.h"
#include "win/handles.h"

namespace eos::ui {

inline constexpr int kModalOk = IDOK;
inline constexpr int kModalCancel = IDCANCEL;

enum class CloseAction { None, Hide, Free };

// The member of a form that receives a component of the table; the member's type says
// which kind of component is made.
template <class F>
using Member = std::variant<Panel * F::*, Button * F::*, ToolButton * F::*, CheckBox * F::*, ComboBox * F::*,
                            Label * F::*, Bevel * F::*, Painted * F::*, Shape * F::*, Timer * F::*>;

// One component of a form's table. `parent` is the member of a panel of an earlier row;
// none is the form. Handlers are the form's member functions; `on_paint` is for
// windowless items.
template <class F>
struct Row {
  Member<F> member;
  Panel* F::*parent = nullptr;
  Rect bounds{};
  const char16_t* caption = u"";
  const char16_t* hint = u"";
  int tag = 0;
  Align align = Align::None;
  unsigned options = 0;
  unsigned interval_ms = 0;  // timers
  void (F::*on_event)(Component&) = nullptr;
  void (F::*on_mouse_down)(Component&) = nullptr;
  void (F::*on_mouse_up)(Component&) = nullptr;
  void (F::*on_paint)(HDC, const RECT&) = nullptr;
};

// Fixed border with the close box only.
inline constexpr DWORD kFixedWithCloseBox = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A sizeable window with the system menu and the minimise and maximise boxes.
inline constexpr DWORD kSizeable = kFixedWithCloseBox | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

struct FormSpec {
  const char16_t* caption;
  int client_width;  // designed size
  int client_height;
  DWORD style = kFixedWithCloseBox;
  DWORD ex_style = 0;  // WS_EX_TOPMOST for a form that stays on top
};

class Form : public Container {
 public:
  static constexpr wchar_t kClass[] = L"EosForm";

  // Creates the window, hidden and centred on the screen; a window that cannot be made
  // throws std::runtime_error. The derived form builds its table in its own constructor.
  explicit Form(const FormSpec& spec);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Window() const override { return window_.get(); }
  // The window procedure of forms and panels.
  static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  Text Caption() const;
  void SetCaption(TextView caption);
  // The icon of this module's icon resource of that name, in the caption and the task list.
  void SetIcon(const wchar_t* resource);
  bool Visible() const { return IsWindowVisible(Window()) != FALSE; }
  // Outer height at the designed size, scaled like the bounds.
  void SetHeight(int height);
  // The window's outer rectangle on the screen.
  RECT OuterBounds() const;
  // The outer size the window has when it is neither maximised nor minimised.
  SIZE RestoredSize() const;
  // Outer size in pixels; the top-left corner stays.
  void SetOuterSize(int width, int height);
  // Moves and sizes the window (outer pixels) onto the work area of the monitor nearest
  // to that place: shrunk to fit it, then moved inside.
  void PlaceOnScreen(RECT outer);
  void SetTopMost(bool top_most);
  // Without its frame (caption, border, boxes) or with the frame of its spec again.
  void SetBorderless(bool borderless);
  // The window keeps only these pieces of itself (client coordinates of a borderless
  // window); false when they cannot be made. Nothing, or ClearShape, gives it all back.
  bool SetShape(std::span<const Rect> pieces);
  void ClearShape();
  // A press on the form's own body drags the window until the button is let go.
  void SetDragByBody(bool drag) { drag_by_body_ = drag; }
  // Starts that drag from wherever the mouse is now: for items that act as the body.
  void StartDrag();
  int Scale(int designed) const { return MulDiv(designed, dpi_, 96); }
  HFONT Font() const { return font_.get(); }

  // Components made while the form runs (a layout's items): the form owns them until
  // Free.
  template <class T>
  T& Adopt(std::unique_ptr<T> component) {
    T& c = *component;
    adopted_.push_back(std::move(component));
    return c;
  }
  // Frees a windowless item made by Adopt: it leaves its container, which repaints.
  void Free(Painted& item);
  Control* FindControl(int id) const;

  // Shows the form without modality; the caller's own loop carries its messages.
  void Show();
  // Runs the form modally: the active window of the calling thread becomes its owner and
  // is disabled until the form ends, then enabled and activated again before the form
  // hides. Ends when a modal result is set (a WM_QUIT meanwhile ends it with
  // kModalCancel and is posted again for the caller's loop). Returns the modal result.
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modal_result_; }
  void SetModalResult(int result) { modal_result_ = result; }
  // What the close box does: FormClose decides between hiding and freeing; a modal form
  // ends with kModalCancel.
  void Close();
  // Paints the form and its controls now, without waiting for the message loop.
  void Repaint();
  // Paints now what waits to be painted, in the form and its controls.
  void PaintPending();
  // Called once the window of a form that freed itself (CloseAction::Free) is gone: the
  // owner of the form deletes it here. Without it the form just stays windowless.
  std::function<void()> on_released;

 protected:
  // Makes the table's components into the members of `form` (the derived form, whose
  // constructor calls this), binds its handlers and lays the form out. Handlers run only
  // from here on, with every member of the form in place.
  template <class F, size_t N>
  void Build(F& form, const Row<F> (&rows)[N]);
  // The form's handlers, for derived forms to override.
  virtual void FormClose(CloseAction& /*action*/) {}
  // Sees every key pressed while the form runs modally, before the control with the
  // focus does; true swallows the key.
  virtual bool FormKeyDown(WORD /*key*/) { return false; }
  // Messages of the form's window not handled by the layer (mouse on the form, say).
  bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  struct ItemSpec {
    Container& parent;
    Rect bounds;
    const char16_t* caption;
    int tag;
    Align align;
    unsigned options;
    unsigned interval_ms;
  };
  Component& Create(Kind kind, const ItemSpec& spec);
  void RealignAll();
  bool PreviewKey(const MSG& msg);
  bool DragMessage(UINT msg, LPARAM lp);

  win::UniqueWindow window_;
  win::Gdi<HFONT> font_;
  win::UniqueIcon icon_, small_icon_;
  HWND tooltip_ = nullptr;  // owned by the form's window, which destroys it
  DWORD style_;             // the spec's, for the frame to come back
  int dpi_ = 96;
  std::vector<std::unique_ptr<Component>> components_;
  std::vector<std::unique_ptr<Component>> adopted_;
  bool modal_ = false;
  int modal_result_ = 0;
  bool release_pending_ = false;
  bool drag_by_body_ = false;
  bool dragging_ = false;
  POINT drag_from_{};    // the mouse where the drag began
  POINT drag_window_{};  // and the window's corner then
  friend class Control;
  void AddHint(HWND control, const Text& hint);
};

template <class F, size_t N>
void Form::Build(F& form, const Row<F> (&rows)[N]) {
  // Every component first, then the handlers: no handler sees a table half made.
  std::vector<Component*> made;
  made.reserve(N);
  for (const Row<F>& r : rows) {
    Container& parent = r.parent ? static_cast<Container&>(*(form.*r.parent)) : *this;
    std::visit(
        [&](auto member) {
          using T = std::remove_pointer_t<std::remove_reference_t<decltype(form.*member)>>;
          T& c = static_cast<T&>(
              Create(KindOf<T>(), {parent, r.bounds, r.caption, r.tag, r.align, r.options, r.interval_ms}));
          if constexpr (std::is_base_of_v<Control, T>) {
            if (r.hint && *r.hint) c.SetHint(r.hint);
          }
          form.*member = &c;
          made.push_back(&c);
        },
        r.member);
  }
  const auto bind = [&form](void (F::*handler)(Component&)) -> Event {
    if (!handler) return {};
    return [&form, handler](Component& sender) { (form.*handler)(sender); };
  };
  for (size_t i = 0; i < N; ++i) {
    const Row<F>& r = rows[i];
    Component& c = *made[i];
    c.on_event = bind(r.on_event);
    c.on_mouse_down = bind(r.on_mouse_down);
    c.on_mouse_up = bind(r.on_mouse_up);
    if (auto* painted = dynamic_cast<Painted*>(&c); painted && r.on_paint)
      painted->on_paint = [&form, h = r.on_paint](HDC dc, const RECT& bounds) { (form.*h)(dc, bounds); };
  }
  RealignAll();
}

// The work area (the screen less the task bar) of the monitor nearest to `place`.
RECT WorkAreaNear(const RECT& place);

// The hourglass for the life of the object, the cursor of before after it.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

// Runs the calling thread's pending messages and returns, as a handler does that must let
// the window show a change while its thread stays busy. A WM_QUIT is posted again.
void ProcessMessages();

// The system's default sound, as a countdown's tick.
void DefaultBeep();

}  // namespace eos::ui
