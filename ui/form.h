// A top-level form: a window built from a table of components, with handlers that are the
// form's member functions, shown without modality or in a modal loop of its own.
//
//   class TdlgExample : public ui::Form {
//    public:
//     TdlgExample();
//     void btOkClick(ui::Component&) { SetModalResult(ui::kModalOk); }
//   };
//   constexpr ui::Row<TdlgExample> kRows[] = {
//       {.name = u"btOk", .kind = ui::Kind::Button, .bounds = {8, 8, 75, 25}, .caption = u"OK",
//        .on_event = &TdlgExample::btOkClick}};
//   TdlgExample::TdlgExample() : Form(kSpec, kRows) {}
//
// Designed bounds are pixels at 96 dots per inch and are scaled to the screen's.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "base/text.h"
#include "ui/controls.h"
#include "win/handles.h"

namespace eos::ui {

inline constexpr int kModalOk = IDOK;
inline constexpr int kModalCancel = IDCANCEL;

enum class CloseAction { None, Hide, Free };

// Left, top, width and height at the designed size.
struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// One component of a form's table. `parent` names a panel of an earlier row; none is the
// form. Handlers are the form's member functions; `on_paint` is for windowless items.
template <class F>
struct Row {
  const char16_t* name;
  Kind kind;
  const char16_t* parent = nullptr;
  Bounds bounds{};
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

// Fixed border with the close box only; add WS_THICKFRAME and boxes as a form needs.
inline constexpr DWORD kFixedWithCloseBox = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

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

  // Creates the window, hidden and centred on the screen, and the table's components; a
  // window that cannot be made throws std::runtime_error.
  template <class F, size_t N>
  Form(const FormSpec& spec, const Row<F> (&rows)[N]);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Window() const override { return window_.get(); }
  // The window procedure of forms and panels.
  static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  Text Caption() const;
  void SetCaption(TextView caption);
  // Outer height at the designed size, scaled like the bounds.
  void SetHeight(int height);
  // The window's outer rectangle on the screen.
  RECT OuterBounds() const;
  // Moves and sizes the window (outer pixels) onto the work area of the monitor nearest
  // to that place: shrunk to fit it, then moved inside.
  void PlaceOnScreen(RECT outer);
  int Scale(int designed) const { return MulDiv(designed, dpi_, 96); }
  HFONT Font() const { return static_cast<HFONT>(font_.get()); }

  // The component of that name, as the kind asked for; throws std::out_of_range if there
  // is none of that name and kind.
  template <class T>
  T& Get(TextView name) const {
    if (auto* c = dynamic_cast<T*>(Find(name))) return *c;
    throw std::out_of_range("no such component: " + ToAsciiLossy(name));
  }
  Component* Find(TextView name) const;
  // Components made while the form runs (a layout's items): the form owns them until
  // Free. Find does not see them.
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
  // Called once the window of a form that freed itself (CloseAction::Free) is gone: the
  // owner of the form deletes it here. Without it the form just stays windowless.
  std::function<void()> on_released;

 protected:
  // The form's handlers, for derived forms to override.
  virtual void FormClose(CloseAction& /*action*/) {}
  // Sees every key pressed while the form runs modally, before the control with the
  // focus does; true swallows the key.
  virtual bool FormKeyDown(WORD /*key*/) { return false; }
  // Messages of the form's window not handled by the layer (mouse on the form, say).
  bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  struct ItemSpec {
    const char16_t* name;
    Kind kind;
    const char16_t* parent;
    Bounds bounds;
    const char16_t* caption;
    const char16_t* hint;
    int tag;
    Align align;
    unsigned options;
    unsigned interval_ms;
  };
  explicit Form(const FormSpec& spec);
  Component& Create(const ItemSpec& spec);
  void RealignAll();
  bool PreviewKey(const MSG& msg);

  win::UniqueWindow window_;
  win::UniqueGdiObject font_;
  HWND tooltip_ = nullptr;  // owned by the form's window, which destroys it
  int dpi_ = 96;
  std::vector<std::unique_ptr<Component>> components_;
  std::vector<std::unique_ptr<Component>> adopted_;
  bool modal_ = false;
  int modal_result_ = 0;
  bool release_pending_ = false;
  friend class Control;
  void AddHint(HWND control, const Text& hint);
};

template <class F, size_t N>
Form::Form(const FormSpec& spec, const Row<F> (&rows)[N]) : Form(spec) {
  for (const Row<F>& r : rows) {
    Component& c =
        Create({r.name, r.kind, r.parent, r.bounds, r.caption, r.hint, r.tag, r.align, r.options, r.interval_ms});
    // The handlers run only once the form F is built; `this` is cast then.
    const auto bind = [this](void (F::*handler)(Component&)) -> Event {
      if (!handler) return {};
      return [this, handler](Component& sender) { (static_cast<F*>(this)->*handler)(sender); };
    };
    c.on_event = bind(r.on_event);
    c.on_mouse_down = bind(r.on_mouse_down);
    c.on_mouse_up = bind(r.on_mouse_up);
    if (auto* painted = dynamic_cast<Painted*>(&c); painted && r.on_paint)
      painted->on_paint = [this, h = r.on_paint](HDC dc, const RECT& bounds) {
        (static_cast<F*>(this)->*h)(dc, bounds);
      };
  }
  RealignAll();
}

// The work area (the screen less the task bar) of the monitor nearest to `place`.
RECT WorkAreaNear(const RECT& place);

// Runs the calling thread's pending messages and returns, as a handler does that must let
// the window show a change while its thread stays busy. A WM_QUIT is posted again.
void ProcessMessages();

}  // namespace eos::ui
