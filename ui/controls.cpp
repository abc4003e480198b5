#include "ui/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "base/lumutils.h"
#include "imaging/LumImageEx.h"
#include "ui/form.h"
#include "win/activation.h"
#include "win/log_file.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::ui {

void DrawLabelText(HDC dc, RECT rect, TextView text, unsigned options) {
  const auto* chars = reinterpret_cast<const wchar_t*>(text.data());
  const int n = static_cast<int>(text.size());
  UINT flags = DT_NOPREFIX | ((options & kCentre) ? DT_CENTER : DT_LEFT);
  if (options & kWordWrap) {
    // DrawText centres only single lines vertically: a wrapped text is measured first.
    flags |= DT_WORDBREAK | DT_EDITCONTROL;
    if (options & kMiddle) {
      RECT measured = rect;
      DrawTextW(dc, chars, n, &measured, flags | DT_CALCRECT);
      const int spare = (rect.bottom - rect.top) - (measured.bottom - measured.top);
      if (spare > 0) rect.top += spare / 2;
    }
  } else {
    flags |= DT_SINGLELINE | ((options & kMiddle) ? DT_VCENTER : 0);
  }
  DrawTextW(dc, chars, n, &rect, flags);
}

bool SelectComboText(HWND combo, TextView text, int default_index) {
  const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len == CB_ERR) continue;
    std::wstring item(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(len));
    if (SameTextNoCase(win::FromWide(item), text)) {
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return true;
    }
  }
  if (default_index >= 0 && default_index < count) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(default_index), 0);
    return false;
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  // Only a combo box with a free-text edit field shows what was asked for.
  if ((GetWindowLongW(combo, GWL_STYLE) & 3) == CBS_DROPDOWN) SetWindowTextW(combo, win::Wide(text).c_str());
  return false;
}

// Item

Item::Item(Container& parent, int tag, RECT bounds, Align align, bool visible)
    : Component(parent.OwnerForm(), tag), visible_(visible), parent_(parent), bounds_(bounds), align_(align) {
  parent.items_.push_back(this);
}

void Item::SetBounds(const RECT& bounds) {
  const RECT old = bounds_;
  bounds_ = bounds;
  Place(old);
}

// Control

Control::Control(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id,
                 const wchar_t* window_class, DWORD style, TextView caption)
    : Item(parent, tag, bounds, align, (options & kHidden) == 0) {
  style |= WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0) | ((options & kDisabled) ? WS_DISABLED : 0);
  const win::ModuleContextScope scope;  // the version 6 controls, whatever the host has
  hwnd_ = CreateWindowExW(0, window_class, win::Wide(caption).c_str(), style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent.Window(),
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), win::ThisModule(), nullptr);
  if (!hwnd_) throw std::runtime_error("cannot create a control's window");
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Owner().Font()), FALSE);
}

Text Control::Caption() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  const int n = GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()));
  return win::FromWide(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Control::SetCaption(TextView caption) {
  SetWindowTextW(hwnd_, win::Wide(caption).c_str());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetHint(TextView hint) {
  hint_ = Text(hint);
  Owner().AddHint(hwnd_, hint_);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  if (Alignment() != Align::None) Parent().Realign();
}

void Control::Repaint() { RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void Control::Place(const RECT&) {
  const RECT b = Bounds();
  SetWindowPos(hwnd_, nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::WatchMouse() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::MouseProc)));
}

LRESULT CALLBACK Control::MouseProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // The control's own handling first (a release clicks), then the handler, as a form's
  // mouse events come after the control has seen the mouse.
  const LRESULT result = CallWindowProcW(self->original_proc_, hwnd, msg, wp, lp);
  try {
    if (msg == WM_LBUTTONDOWN) self->Fire(self->on_mouse_down);
    if (msg == WM_LBUTTONUP) self->Fire(self->on_mouse_up);
  } catch (...) {
    win::LogSwallowed(u"ui::Control mouse");
  }
  return result;
}

// The control kinds

Button::Button(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption)
    : Button(parent, tag, bounds, align, options, id, (options & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
             caption) {}

Button::Button(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, DWORD style,
               TextView caption)
    : Control(parent, tag, bounds, align, options, id, WC_BUTTONW, style | WS_TABSTOP, caption) {
  WatchMouse();
}

void Button::Command(WORD code) {
  if (code == BN_CLICKED) Fire(on_event);
}

ToolButton::ToolButton(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption)
    : Button(parent, tag, bounds, align, options, id, BS_PUSHBUTTON | BS_FLAT, caption) {}

bool ToolButton::SetPicture(const imaging::Pixels& picture) {
  // An icon is a colour bitmap with its alpha, and a mask (a set bit lets the background
  // show) from the same alpha, which a disabled button draws its grey shape from.
  win::Gdi<HBITMAP> colour = imaging::PixelsToBitmap(picture, 32);
  const size_t row_bytes = (static_cast<size_t>(picture.width) + 15) / 16 * 2;  // rows of whole words
  std::vector<uint8_t> bits(row_bytes * static_cast<size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      if (picture.at(x, y) >> 24 < 128)
        bits[static_cast<size_t>(y) * row_bytes + static_cast<size_t>(x / 8)] |= 0x80 >> (x % 8);
  const win::Gdi<HBITMAP> mask(colour ? CreateBitmap(picture.width, picture.height, 1, 1, bits.data()) : nullptr);
  if (!mask) return false;
  ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
  win::UniqueIcon icon(CreateIconIndirect(&info));
  if (!icon) return false;
  SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | BS_ICON);
  SendMessageW(Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
  icon_ = std::move(icon);  // the button shows it until it goes or gets another
  return true;
}

CheckBox::CheckBox(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption)
    : Button(parent, tag, bounds, align, options, id, BS_AUTOCHECKBOX, caption) {}

ComboBox::ComboBox(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id)
    : Control(parent, tag, bounds, align, options, id, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, u"") {
  Place(bounds);
}

void ComboBox::Command(WORD code) {
  if (code == CBN_SELCHANGE) Fire(on_event);
}

int ComboBox::Add(TextView item) {
  return static_cast<int>(SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Wide(item).c_str())));
}

Text ComboBox::Item(int index) const {
  const LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  return win::FromWide(text.data(), static_cast<size_t>(n));
}

void ComboBox::Place(const RECT&) {
  // A drop-down list's window height includes its open list.
  const RECT b = Bounds();
  SetWindowPos(Handle(), nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top + Owner().Scale(200),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

Label::Label(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id, TextView caption)
    : Control(parent, tag, bounds, align, options, id, WC_STATICW, SS_OWNERDRAW, caption),
      options_(options),
      color_(CLR_INVALID) {}

void Label::Draw(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, Parent().Background());
  const win::Selected keep_font(item.hDC, font_ ? font_ : Owner().Font());
  SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, !Enabled()              ? GetSysColor(COLOR_GRAYTEXT)
                           : color_ != CLR_INVALID ? color_
                                                   : GetSysColor(COLOR_BTNTEXT));
  DrawLabelText(item.hDC, item.rcItem, Caption(), options_);
}

void Label::SetFont(HFONT font) {
  font_ = font;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::SetTextColor(COLORREF color) {
  color_ = color;
  InvalidateRect(Handle(), nullptr, TRUE);
}

Bevel::Bevel(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id)
    : Control(parent, tag, bounds, align, options, id, WC_STATICW, SS_OWNERDRAW, u"") {}

void Bevel::Draw(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  FillRect(item.hDC, &r, Parent().Background());
  DrawEdge(item.hDC, &r, EDGE_ETCHED, BF_TOP);
}

// Container

Container::Container(Form& form) : form_(form), color_(GetSysColor(COLOR_BTNFACE)) {}

HBRUSH Container::Background() const { return brush_ ? brush_.get() : GetSysColorBrush(COLOR_BTNFACE); }

void Container::SetColor(COLORREF color) {
  color_ = color;
  brush_.reset(CreateSolidBrush(color));
  Invalidate();
}

void Container::BringToFront(Item& item) {
  const auto it = std::find(items_.begin(), items_.end(), &item);
  if (it == items_.end()) return;
  items_.erase(it);
  items_.push_back(&item);
  if (auto* control = dynamic_cast<Control*>(&item))
    SetWindowPos(control->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  else if (auto* painted = dynamic_cast<Painted*>(&item))
    painted->Invalidate();
}

void Container::Realign() {
  RECT rest;
  GetClientRect(Window(), &rest);
  // Bottom-aligned items take their rows from the bottom up first; client-aligned ones
  // share what is left.
  for (Item* item : items_) {
    if (item->Alignment() != Align::Bottom || !item->Visible()) continue;
    const LONG height = item->Bounds().bottom - item->Bounds().top;
    item->SetBounds({rest.left, rest.bottom - height, rest.right, rest.bottom});
    rest.bottom -= height;
  }
  for (Item* item : items_)
    if (item->Alignment() == Align::Client && item->Visible()) item->SetBounds(rest);
}

LRESULT CALLBACK Container::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  auto* self = reinterpret_cast<Container*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (self) {
    try {
      LRESULT result = 0;
      // The form may be gone once Message has handled a message: nothing after it.
      if (self->Message(msg, wp, lp, result) || self->ContainerMessage(msg, wp, lp, result)) return result;
    } catch (...) {
      win::LogSwallowed(u"ui window procedure");
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Container::ContainerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_ERASEBKGND:  // WM_PAINT fills the background with the rest
      result = 1;
      return true;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(Window(), &ps);
      Paint(dc, ps.rcPaint);
      EndPaint(Window(), &ps);
      return true;
    }
    case WM_PRINTCLIENT: {  // PrintWindow, for screenshots and tests
      RECT client;
      GetClientRect(Window(), &client);
      Paint(reinterpret_cast<HDC>(wp), client);
      return true;
    }
    case WM_SIZE:
      Realign();
      Resized();
      return true;
    case WM_COMMAND:
      if (Control* c = form_.FindControl(LOWORD(wp)); c && c->Handle() == reinterpret_cast<HWND>(lp)) {
        c->Command(HIWORD(wp));
        return true;
      }
      return false;
    case WM_DRAWITEM:
      if (Control* c = form_.FindControl(static_cast<int>(wp))) {
        c->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wp), color_);
      result = reinterpret_cast<LRESULT>(Background());
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      Click(msg, lp);
      return false;
    default:
      return false;
  }
}

namespace {

// The item that alone shows in `area`: the topmost visible one there, when it paints all
// of the area; null when the area needs the back buffer.
const Painted* SoleCover(const std::vector<Item*>& items, const RECT& area) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const auto* painted = dynamic_cast<const Painted*>(*it);
    RECT overlap;
    const RECT bounds = (*it)->Bounds();
    if (!painted || !painted->Visible() || !IntersectRect(&overlap, &bounds, &area)) continue;
    const bool covers = bounds.left <= area.left && bounds.top <= area.top && bounds.right >= area.right &&
                        bounds.bottom >= area.bottom;
    return covers && painted->fills_bounds && painted->fills_bounds() ? painted : nullptr;
  }
  return nullptr;
}

}  // namespace

void Container::Paint(HDC dc, const RECT& area) {
  if (const Painted* cover = SoleCover(items_, area)) {
    // One opaque item and nothing on it: one copy to the screen, which cannot flicker.
    try {
      cover->Paint(dc);
      return;
    } catch (...) {
      win::LogSwallowed(u"ui::Painted");  // painted again below, with the back buffer
    }
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  // The area is painted into a bitmap of its own size and copied out in one piece.
  const win::UniqueMemoryDc memory(width > 0 && height > 0 ? CreateCompatibleDC(dc) : nullptr);
  if (!memory) return;
  if (!back_buffer_ || back_size_.cx < width || back_size_.cy < height) {
    back_size_ = {std::max<LONG>(back_size_.cx, width), std::max<LONG>(back_size_.cy, height)};
    back_buffer_.reset(CreateCompatibleBitmap(dc, back_size_.cx, back_size_.cy));
  }
  if (!back_buffer_) return;
  const HDC mem = memory.get();
  const win::Selected keep_bitmap(mem, back_buffer_.get());
  const win::Selected keep_font(mem, form_.Font());
  SetViewportOrgEx(mem, -area.left, -area.top, nullptr);
  SetBkMode(mem, TRANSPARENT);
  FillRect(mem, &area, Background());
  for (const Item* item : items_) {
    const auto* painted = dynamic_cast<const Painted*>(item);
    RECT overlap;
    const RECT bounds = item->Bounds();
    if (!painted || !painted->Visible() || !IntersectRect(&overlap, &bounds, &area)) continue;
    try {
      painted->Paint(mem);
    } catch (...) {
      win::LogSwallowed(u"ui::Painted");  // the other items and the frame still show
    }
  }
  BitBlt(dc, area.left, area.top, width, height, mem, area.left, area.top, SRCCOPY);
}

void Container::Click(UINT msg, LPARAM lp) {
  const POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  // The item painted last is the one on top.
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    auto* painted = dynamic_cast<Painted*>(*it);
    const RECT bounds = (*it)->Bounds();
    if (painted && painted->Visible() && PtInRect(&bounds, at) &&
        (painted->on_event || painted->on_mouse_down || painted->on_mouse_up)) {
      painted->MouseMessage(msg);
      return;
    }
  }
}

// Panel

Panel::Panel(Container& parent, int tag, RECT bounds, Align align, unsigned options, int id)
    : Control(parent, tag, bounds, align, options, id, kClass, WS_CLIPCHILDREN, u""), Container(parent.OwnerForm()) {
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  SetWindowLongPtrW(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Container*>(this)));
  SetColor(parent.Color());
}

bool Panel::Message(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

// Windowless items

Painted::Painted(Container& parent, int tag, RECT bounds, Align align, unsigned options)
    : Item(parent, tag, bounds, align, (options & kHidden) == 0) {}

void Painted::SetVisible(bool visible) {
  visible_ = visible;
  Invalidate();
  if (Alignment() != Align::None) Parent().Realign();
}

void Painted::Invalidate() {
  const RECT b = Bounds();
  Parent().Invalidate(&b);
}

void Painted::Paint(HDC dc) const {
  if (on_paint) on_paint(dc, Bounds());
}

void Painted::MouseMessage(UINT msg) {
  if (msg == WM_LBUTTONDOWN) Fire(on_mouse_down);
  if (msg == WM_LBUTTONUP) {
    Fire(on_mouse_up);
    Fire(on_event);
  }
}

void Painted::Place(const RECT& old_bounds) {
  Parent().Invalidate(&old_bounds);
  Invalidate();
}

Shape::Shape(Container& parent, int tag, RECT bounds, Align align, unsigned options)
    : Painted(parent, tag, bounds, align, options) {}

void Shape::SetColor(COLORREF color) {
  color_ = color;
  Invalidate();
}

void Shape::Paint(HDC dc) const {
  const win::Gdi<HBRUSH> brush(CreateSolidBrush(color_));
  const RECT b = Bounds();
  FrameRect(dc, &b, brush.get());
}

// Timer

Timer::Timer(Form& form, int tag, unsigned interval_ms, bool enabled)
    : Component(form, tag), timer_([this] { Fire(on_event); }, interval_ms, enabled) {}

}  // namespace eos::ui
