#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <type_traits>

#include "win/activation.h"
#include "win/log_file.h"
#include "win/module.h"
#include "win/rect.h"
#include "win/window_class.h"
#include "win/wtext.h"

namespace eos::ui {

namespace {

// Posted by a form that frees itself, so its window goes only once the handler that
// closed it has returned.
constexpr UINT kReleaseMessage = WM_APP + 0x51;

void RegisterClasses() {
  static const bool controls = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)controls;  // tooltips are a nicety: a form works without them
  for (const wchar_t* name : {Form::kClass, Panel::kClass}) {
    WNDCLASSEXW wc{};
    wc.lpfnWndProc = &Form::ContainerProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!win::EnsureModuleClass(wc)) throw std::runtime_error("cannot register the form's window classes");
  }
}

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The system's message font at 8 points.
HFONT DefaultFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    font = metrics.lfMessageFont;
  else
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -MulDiv(8, dpi, 72);
  font.lfWidth = 0;
  return CreateFontIndirectW(&font);
}

}  // namespace

Form::Form(const FormSpec& spec) : Container(*this), style_(spec.style), dpi_(ScreenDpi()) {
  const win::ModuleContextScope scope;
  RegisterClasses();
  font_.reset(DefaultFont(dpi_));
  RECT frame{0, 0, Scale(spec.client_width), Scale(spec.client_height)};
  AdjustWindowRectEx(&frame, spec.style, FALSE, spec.ex_style);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT screen{0, 0, 800, 600};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  window_.reset(CreateWindowExW(spec.ex_style | WS_EX_CONTROLPARENT, kClass, win::Wide(spec.caption).c_str(),
                                spec.style & ~WS_VISIBLE, screen.left + (screen.right - screen.left - width) / 2,
                                screen.top + (screen.bottom - screen.top - height) / 2, width, height, nullptr, nullptr,
                                win::ThisModule(), nullptr));
  if (!window_) throw std::runtime_error("cannot create the form's window");
  SetWindowLongPtrW(Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Container*>(this)));
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr, win::ThisModule(), nullptr);
}

Form::~Form() {
  // The window goes first, with every control and the tooltip in it; the procedure no
  // longer reaches this half-destroyed object.
  if (window_) SetWindowLongPtrW(Window(), GWLP_USERDATA, 0);
  window_.reset();
  adopted_.clear();
  components_.clear();
}

LRESULT CALLBACK Form::ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  return Proc(hwnd, msg, wp, lp);
}

Component& Form::Create(Kind kind, const ItemSpec& s) {
  const RECT b{Scale(s.bounds.left), Scale(s.bounds.top), Scale(s.bounds.right()), Scale(s.bounds.bottom())};
  const int id = 100 + static_cast<int>(components_.size());
  // Every kind placed in a container takes the same leading arguments.
  const auto make = [&](auto type, auto... more) -> std::unique_ptr<Component> {
    return std::make_unique<typename decltype(type)::type>(s.parent, s.tag, b, s.align, s.options, more...);
  };
  std::unique_ptr<Component> c;
  switch (kind) {
    case Kind::Panel:
      c = make(std::type_identity<Panel>{}, id);
      break;
    case Kind::Button:
      c = make(std::type_identity<Button>{}, id, s.caption);
      break;
    case Kind::ToolButton:
      c = make(std::type_identity<ToolButton>{}, id, s.caption);
      break;
    case Kind::CheckBox:
      c = make(std::type_identity<CheckBox>{}, id, s.caption);
      break;
    case Kind::ComboBox:
      c = make(std::type_identity<ComboBox>{}, id);
      break;
    case Kind::Label:
      c = make(std::type_identity<Label>{}, id, s.caption);
      break;
    case Kind::Bevel:
      c = make(std::type_identity<Bevel>{}, id);
      break;
    case Kind::Painted:
      c = make(std::type_identity<Painted>{});
      break;
    case Kind::Shape:
      c = make(std::type_identity<Shape>{});
      break;
    case Kind::Timer:
      c = std::make_unique<Timer>(*this, s.tag, s.interval_ms, (s.options & kDisabled) == 0);
      break;
  }
  components_.push_back(std::move(c));
  return *components_.back();
}

void Form::RealignAll() {
  Realign();
  for (const auto& c : components_)
    if (auto* panel = dynamic_cast<Panel*>(c.get())) panel->Realign();
}

void Form::Free(Painted& item) {
  auto& siblings = item.Parent().items_;
  std::erase(siblings, &item);
  item.Invalidate();
  std::erase_if(adopted_, [&item](const std::unique_ptr<Component>& c) { return c.get() == &item; });
}

Control* Form::FindControl(int id) const {
  const size_t index = static_cast<size_t>(id - 100);
  return id >= 100 && index < components_.size() ? dynamic_cast<Control*>(components_[index].get()) : nullptr;
}

void Form::AddHint(HWND control, const Text& hint) {
  if (!tooltip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Window();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (hint.empty()) return;
  tool.lpszText = const_cast<wchar_t*>(win::W(hint));
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

Text Form::Caption() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Window())) + 1, L'\0');
  const int n = GetWindowTextW(Window(), text.data(), static_cast<int>(text.size()));
  return win::FromWide(text.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Form::SetCaption(TextView caption) { SetWindowTextW(Window(), win::Wide(caption).c_str()); }

void Form::SetHeight(int height) {
  RECT r;
  GetWindowRect(Window(), &r);
  if (r.bottom - r.top != Scale(height))
    SetWindowPos(Window(), nullptr, 0, 0, r.right - r.left, Scale(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetOuterSize(int width, int height) {
  SetWindowPos(Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetIcon(const wchar_t* resource) {
  const auto load = [resource](int size) {
    return win::UniqueIcon(
        static_cast<HICON>(LoadImageW(win::ThisModule(), resource, IMAGE_ICON, GetSystemMetrics(size),
                                      GetSystemMetrics(size == SM_CXICON ? SM_CYICON : SM_CYSMICON), 0)));
  };
  win::UniqueIcon big = load(SM_CXICON), small = load(SM_CXSMICON);
  SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The window shows them until it goes: the owners go with the form, after the window.
  icon_ = std::move(big);
  small_icon_ = std::move(small);
}

void Form::SetTopMost(bool top_most) {
  SetWindowPos(Window(), top_most ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_BORDER;

}  // namespace

void Form::SetBorderless(bool borderless) {
  const DWORD now = static_cast<DWORD>(GetWindowLongPtrW(Window(), GWL_STYLE));
  const DWORD frame = borderless ? 0 : style_ & kFrameStyles;
  SetWindowLongPtrW(Window(), GWL_STYLE, static_cast<LONG_PTR>((now & ~kFrameStyles) | frame));
  SetWindowPos(Window(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool Form::SetShape(std::span<const Rect> pieces) {
  if (pieces.empty()) {
    ClearShape();
    return true;
  }
  // One region from all pieces at once: a union per piece would take seconds for a big
  // mask of one-pixel rows.
  std::vector<char> data(sizeof(RGNDATAHEADER) + pieces.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  RECT extent{pieces.front().left, pieces.front().top, pieces.front().right(), pieces.front().bottom()};
  auto* rects = reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER));
  for (size_t i = 0; i < pieces.size(); ++i) {
    rects[i] = win::ToRECT(pieces[i]);
    UnionRect(&extent, &extent, &rects[i]);
  }
  *header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(pieces.size()), 0, extent};
  win::Gdi<HRGN> region(
      ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
  if (!region) return false;
  // The window owns its region from here on.
  if (!SetWindowRgn(Window(), region.get(), TRUE)) return false;
  region.release();
  return true;
}

void Form::ClearShape() { SetWindowRgn(Window(), nullptr, TRUE); }

void Form::StartDrag() {
  POINT at;
  GetCursorPos(&at);
  const RECT r = OuterBounds();
  dragging_ = true;
  drag_from_ = at;
  drag_window_ = {r.left, r.top};
  SetCapture(Window());
}

// Presses on the form's body, and the moves of a drag begun there or on an item (the
// window holds the mouse until the button is let go). True when the message was the drag's.
bool Form::DragMessage(UINT msg, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (!drag_by_body_) return false;
      StartDrag();
      return true;
    case WM_MOUSEMOVE: {
      if (!dragging_) return false;
      POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      ClientToScreen(Window(), &at);
      SetWindowPos(Window(), nullptr, drag_window_.x + at.x - drag_from_.x, drag_window_.y + at.y - drag_from_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
    case WM_LBUTTONUP:
      if (!dragging_) return false;
      dragging_ = false;
      if (GetCapture() == Window()) ReleaseCapture();
      return true;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return false;
    default:
      return false;
  }
}

void Form::Show() { ShowWindow(Window(), SW_SHOW); }

void Form::Repaint() {
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Form::PaintPending() { RedrawWindow(Window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

int Form::ShowModal() {
  if (modal_) throw std::logic_error("the form runs modally already");
  HWND owner = GetActiveWindow();
  if (owner == Window()) owner = nullptr;
  SetWindowLongPtrW(Window(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  // The owner comes back enabled and active before the form hides, whatever ends the
  // loop, so Windows gives the focus back to the host's window and not to another program.
  struct Session {
    Form& form;
    HWND owner;
    ~Session() {
      form.modal_ = false;
      if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
      }
      if (form.window_) ShowWindow(form.Window(), SW_HIDE);
    }
  } session{*this, owner};
  modal_ = true;
  modal_result_ = 0;
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(Window(), SW_SHOW);
  SetActiveWindow(Window());
  std::optional<WPARAM> quit;
  while (modal_result_ == 0) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      if (got == 0) quit = msg.wParam;
      modal_result_ = kModalCancel;
      break;
    }
    if (PreviewKey(msg) || IsDialogMessageW(Window(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const int result = modal_result_;
  if (quit) PostQuitMessage(static_cast<int>(*quit));
  return result;
}

bool Form::PreviewKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !(msg.hwnd == Window() || IsChild(Window(), msg.hwnd))) return false;
  try {
    return FormKeyDown(static_cast<WORD>(msg.wParam));
  } catch (...) {
    win::LogSwallowed(u"ui::Form key preview");
    return true;
  }
}

void Form::Close() {
  CloseAction action = CloseAction::Hide;
  FormClose(action);
  if (action == CloseAction::None) return;
  if (modal_) {
    modal_result_ = kModalCancel;
    return;
  }
  ShowWindow(Window(), SW_HIDE);
  if (action == CloseAction::Free) {
    release_pending_ = true;
    PostMessageW(Window(), kReleaseMessage, 0, 0);
  }
}

bool Form::Message(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
  if (DragMessage(msg, lp)) {
    result = 0;
    return true;
  }
  switch (msg) {
    case WM_CLOSE:
      Close();
      result = 0;
      return true;
    case kReleaseMessage: {
      if (!release_pending_) return true;  // meant for an earlier window of that handle
      // The owner's callback may delete this form: nothing of it is touched after.
      const std::function<void()> released = std::move(on_released);
      on_released = nullptr;
      window_.reset();
      if (released) released();
      result = 0;
      return true;
    }
    case WM_NCDESTROY:
      window_.release();
      if (modal_ && modal_result_ == 0) modal_result_ = kModalCancel;
      return false;
    default:
      return false;
  }
}

RECT WorkAreaNear(const RECT& place) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT Form::OuterBounds() const {
  RECT r{};
  GetWindowRect(Window(), &r);
  return r;
}

SIZE Form::RestoredSize() const {
  RECT r = OuterBounds();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if ((IsZoomed(Window()) || IsIconic(Window())) && GetWindowPlacement(Window(), &placement))
    r = placement.rcNormalPosition;
  return {r.right - r.left, r.bottom - r.top};
}

void Form::PlaceOnScreen(RECT outer) {
  const RECT area = WorkAreaNear(outer);
  const LONG width = std::min(outer.right - outer.left, area.right - area.left);
  const LONG height = std::min(outer.bottom - outer.top, area.bottom - area.top);
  const LONG left = std::clamp(outer.left, area.left, area.right - width);
  const LONG top = std::clamp(outer.top, area.top, area.bottom - height);
  SetWindowPos(Window(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns the thread
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void DefaultBeep() { MessageBeep(MB_OK); }

}  // namespace eos::ui
