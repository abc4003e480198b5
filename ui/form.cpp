#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <type_traits>

#include "win/log_file.h"
#include "win/module.h"
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
HGDIOBJ DefaultFont(int dpi) {
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

Form::Form(const FormSpec& spec) : Container(*this), dpi_(ScreenDpi()) {
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

Component& Form::Create(const ItemSpec& s) {
  Container* parent = this;
  if (s.parent && *s.parent) {
    parent = dynamic_cast<Panel*>(Find(s.parent));
    if (!parent) throw std::invalid_argument("no panel " + ToAsciiLossy(s.parent) + " for " + ToAsciiLossy(s.name));
  }
  const RECT b{Scale(s.bounds.left), Scale(s.bounds.top), Scale(s.bounds.left + s.bounds.width),
               Scale(s.bounds.top + s.bounds.height)};
  const int id = 100 + static_cast<int>(components_.size());
  const Text name(s.name);
  // Every kind placed in a container takes the same leading arguments.
  const auto make = [&](auto kind, auto... more) -> std::unique_ptr<Component> {
    return std::make_unique<typename decltype(kind)::type>(*parent, name, s.tag, b, s.align, s.options, more...);
  };
  std::unique_ptr<Component> c;
  switch (s.kind) {
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
      c = std::make_unique<Timer>(*this, name, s.tag, s.interval_ms, (s.options & kDisabled) == 0);
      break;
  }
  if (auto* control = dynamic_cast<Control*>(c.get()); control && s.hint && *s.hint) control->SetHint(s.hint);
  components_.push_back(std::move(c));
  return *components_.back();
}

void Form::RealignAll() {
  Realign();
  for (const auto& c : components_)
    if (auto* panel = dynamic_cast<Panel*>(c.get())) panel->Realign();
}

Component* Form::Find(TextView name) const {
  for (const auto& c : components_)
    if (c->Name() == name) return c.get();
  return nullptr;
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

void Form::Show() { ShowWindow(Window(), SW_SHOW); }

void Form::Repaint() {
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

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

bool Form::Message(UINT msg, WPARAM, LPARAM, LRESULT& result) {
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

}  // namespace eos::ui
