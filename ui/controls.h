// The pieces a form is made of, one small class per kind: real Windows controls (push and
// tool buttons, check boxes, drop-down lists, labels, bevel lines), panels that hold other
// pieces, windowless items their container paints, and timers. Forms make them from their
// component table (ui/form.h) into their members.
#pragma once

#include <windows.h>

#include <functional>
#include <type_traits>
#include <vector>

#include "base/text.h"
#include "imaging/core/pixels.h"
#include "win/handles.h"
#include "win/timer.h"

namespace eos::ui {

class Form;
class Container;

enum class Kind { Panel, Button, ToolButton, CheckBox, ComboBox, Label, Bevel, Painted, Shape, Timer };

// How an item follows its container's size: not at all, filling what the bottom-aligned
// items leave, or spanning the width at the bottom with its designed height.
enum class Align { None, Client, Bottom };

// Options of a table row.
enum Option : unsigned {
  kHidden = 1,
  kDisabled = 2,   // controls; timers start stopped
  kCentre = 4,     // labels: centred horizontally
  kMiddle = 8,     // labels: centred vertically
  kWordWrap = 16,  // labels
  kDefault = 32,   // push buttons: the default button's frame
};

// A label's text in `rect`, with the label options: the one text drawing of labels,
// windowed or painted by a container.
void DrawLabelText(HDC dc, RECT rect, TextView text, unsigned options);

// Selects the first item of a drop-down list equal to `text` (no letter case) and
// answers true. Else it selects `default_index` when that is an item, or nothing (and a
// combo box with a free-text field shows `text`), and answers false.
bool SelectComboText(HWND combo, TextView text, int default_index);

using Event = std::function<void(class Component& sender)>;

class Component {
 public:
  virtual ~Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  Form& Owner() const { return form_; }

  // The main event of the kind: click, change of selection, resize, timer tick.
  Event on_event;
  Event on_mouse_down;
  Event on_mouse_up;

 protected:
  Component(Form& form, int tag) : form_(form), tag_(tag) {}
  void Fire(const Event& event) {
    if (event) event(*this);
  }

 private:
  Form& form_;
  int tag_;
};

// A component with a place in a container: bounds in the container's client coordinates.
class Item : public Component {
 public:
  RECT Bounds() const { return bounds_; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  void SetBounds(const RECT& bounds);
  Align Alignment() const { return align_; }
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible) = 0;
  Container& Parent() const { return parent_; }

 protected:
  Item(Container& parent, int tag, RECT bounds, Align align, bool visible);
  virtual void Place(const RECT& old_bounds) = 0;
  bool visible_;

 private:
  friend class Container;
  Container& parent_;
  RECT bounds_;
  Align align_;
};

// A real window. Its window goes with its parent's: Windows destroys child windows with
// their parent, so a control holds a plain handle.
class Control : public Item {
 public:
  HWND Handle() const { return hwnd_; }
  int Id() const { return GetDlgCtrlID(hwnd_); }
  Text Caption() const;
  void SetCaption(TextView caption);
  const Text& Hint() const { return hint_; }
  void SetHint(TextView hint);
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
  void SetVisible(bool visible) override;
  // Paints now, without waiting for the message loop.
  void Repaint();

  // What the control's parent passes on: a WM_COMMAND notification, a WM_DRAWITEM.
  virtual void Command(WORD /*code*/) {}
  virtual void Draw(const DRAWITEMSTRUCT& /*item*/) {}

 protected:
  Control(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, const wchar_t* window_class,
          DWORD style, TextView caption);
  void Place(const RECT& old_bounds) override;
  // Sees the control's own mouse messages, for press and release handlers.
  void WatchMouse();

 private:
  static LRESULT CALLBACK MouseProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  HWND hwnd_;
  Text hint_;
  WNDPROC original_proc_ = nullptr;
};

class Button : public Control {
 public:
  Button(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption);
  void Command(WORD code) override;
  // The click handler alone, as a key the form turns into a click; a user's click
  // (BM_CLICK) also presses and releases the button.
  void Click() { Fire(on_event); }

 protected:
  Button(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, DWORD style, TextView caption);
};

// A flat button showing a small picture rather than its caption; the caption stays its
// window text, for the user's assistive tools.
class ToolButton : public Button {
 public:
  ToolButton(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption);
  // The picture (with its transparency) becomes the button's icon; false when no icon can
  // be made of it, and the caption shows instead.
  bool SetPicture(const imaging::Pixels& picture);

 private:
  win::UniqueIcon icon_;
};

class CheckBox : public Button {
 public:
  CheckBox(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption);
  bool Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) { SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }
};

// A drop-down list: the user picks one of its items, nothing is typed.
class ComboBox : public Control {
 public:
  ComboBox(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id);
  void Command(WORD code) override;
  void Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }
  int Add(TextView item);
  int Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }
  Text Item(int index) const;
  // -1 when nothing is selected.
  int ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }
  void SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  // Selects the first item equal to `text` (no letter case) and answers true; else
  // `default_index`, or nothing when that is no item, and answers false.
  bool SelectText(TextView text, int default_index) { return SelectComboText(Handle(), text, default_index); }

 protected:
  void Place(const RECT& old_bounds) override;
};

// A static text drawn by the label itself on its container's colour, so a wrapped text
// can also be centred vertically; its caption is its window text, as for any static.
class Label : public Control {
 public:
  Label(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption);
  void Draw(const DRAWITEMSTRUCT& item) override;
  // A font and colour of the label's own; the font stays the caller's.
  void SetFont(HFONT font);
  void SetTextColor(COLORREF color);

 private:
  unsigned options_;
  HFONT font_ = nullptr;
  COLORREF color_;
};

// An etched line along the top of its bounds.
class Bevel : public Control {
 public:
  Bevel(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id);
  // Drawn by the bevel itself: an etched static fills a bevel taller than its line.
  void Draw(const DRAWITEMSTRUCT& item) override;
};

// What Form and Panel share: the items inside, their alignment, the background and the
// windowless items, painted into a memory bitmap first so nothing flickers.
class Container {
 public:
  virtual ~Container() = default;
  virtual HWND Window() const = 0;
  Form& OwnerForm() const { return form_; }
  void SetColor(COLORREF color);
  COLORREF Color() const { return color_; }
  // Lays the aligned items out again in the client area.
  void Realign();
  // Paints the area again at the next WM_PAINT (the whole client area without a rect).
  void Invalidate(const RECT* area = nullptr) { InvalidateRect(Window(), area, FALSE); }
  HBRUSH Background() const;
  // The items in painting order: the last one lies on top.
  const std::vector<Item*>& Items() const { return items_; }
  // Puts the item on top of its siblings: painted last, clicked first; a control's window
  // goes to the top of the z-order too.
  void BringToFront(Item& item);

 protected:
  explicit Container(Form& form);
  // The messages of the container's window that concern its items; true when handled.
  bool ContainerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  // The container's own handling of a message of its window; true when handled.
  virtual bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
  virtual void Resized() {}

 private:
  friend class Item;
  friend class Form;
  void Paint(HDC dc, const RECT& area);
  void Click(UINT msg, LPARAM lp);
  Form& form_;
  std::vector<Item*> items_;
  COLORREF color_;
  win::Gdi<HBRUSH> brush_;
  // Paint's bitmap, kept while it is large enough: a live view repaints ten times a second.
  win::Gdi<HBITMAP> back_buffer_;
  SIZE back_size_{};
};

class Panel : public Control, public Container {
 public:
  static constexpr wchar_t kClass[] = L"EosPanel";
  Panel(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id);
  HWND Window() const override { return Handle(); }

 private:
  bool Message(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void Resized() override { Fire(on_event); }
};

// An item without a window: its container paints it through the hook, into the memory
// bitmap of its WM_PAINT, with the item's bounds in that bitmap's coordinates.
class Painted : public Item {
 public:
  using PaintHook = std::function<void(HDC dc, const RECT& bounds)>;
  Painted(Container& parent, int tag, RECT bounds, Align align, unsigned options);
  void SetVisible(bool visible) override;
  PaintHook on_paint;
  // True while the item's painting covers every pixel of its bounds: an area it covers
  // with nothing on top is painted straight to the screen, without the back buffer.
  std::function<bool()> fills_bounds;
  // Paints the item again at the next WM_PAINT.
  void Invalidate();
  virtual void Paint(HDC dc) const;
  // A click of the item (its main event) and the press and release, like a control's.
  void MouseMessage(UINT msg);

 protected:
  void Place(const RECT& old_bounds) override;
};

// A rectangle outline in one colour, painted by its container.
class Shape : public Painted {
 public:
  Shape(Container& parent, int tag, RECT bounds, Align align, unsigned options);
  void SetColor(COLORREF color);
  void Paint(HDC dc) const override;

 private:
  COLORREF color_ = RGB(0, 0, 0);
};

// A form's timer: ticks its main event on the form's thread.
class Timer : public Component {
 public:
  Timer(Form& form, int tag, unsigned interval_ms, bool enabled);
  win::Timer& Clock() { return timer_; }
  bool Enabled() const { return timer_.Enabled(); }
  void SetEnabled(bool enabled) { timer_.SetEnabled(enabled); }

 private:
  win::Timer timer_;
};

// The kind of a component type, for a form's table.
template <class T>
constexpr Kind KindOf() {
  if constexpr (std::is_same_v<T, Panel>) {
    return Kind::Panel;
  } else if constexpr (std::is_same_v<T, Button>) {
    return Kind::Button;
  } else if constexpr (std::is_same_v<T, ToolButton>) {
    return Kind::ToolButton;
  } else if constexpr (std::is_same_v<T, CheckBox>) {
    return Kind::CheckBox;
  } else if constexpr (std::is_same_v<T, ComboBox>) {
    return Kind::ComboBox;
  } else if constexpr (std::is_same_v<T, Label>) {
    return Kind::Label;
  } else if constexpr (std::is_same_v<T, Bevel>) {
    return Kind::Bevel;
  } else if constexpr (std::is_same_v<T, Painted>) {
    return Kind::Painted;
  } else if constexpr (std::is_same_v<T, Shape>) {
    return Kind::Shape;
  } else {
    static_assert(std::is_same_v<T, Timer>, "not a kind of a form's table");
    return Kind::Timer;
  }
}

}  // namespace eos::ui
