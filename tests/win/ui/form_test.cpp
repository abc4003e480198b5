// A small form of the test's own, built from a table like the product's dialogs, run
// modally under a host window and driven from a second thread as a user would.
#include "ui/form.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/win/support/ui_driver.h"
#include "win/timer.h"

namespace eos::ui {
namespace {

class TestForm : public Form {
 public:
  TestForm();
  Text events;             // handler calls in order, by sender
  DWORD painted_into = 0;  // the kind of DC the paint hook got

  Panel* paBottom = nullptr;
  Panel* paMain = nullptr;
  Painted* imPicture = nullptr;
  Painted* imHidden = nullptr;
  Shape* shFrame = nullptr;
  Button* btOk = nullptr;
  CheckBox* ckMirror = nullptr;
  ComboBox* cbValues = nullptr;
  Timer* timTick = nullptr;

  // The member's name of a component, for the log of handler calls.
  Text NameOf(const Component& c) const {
    if (&c == btOk) return u"btOk";
    if (&c == timTick) return u"timTick";
    return u"?";
  }
  void btOkClick(Component& sender) {
    events += NameOf(sender) + u".click ";
    SetModalResult(kModalOk);
  }
  void btOkMouseDown(Component& sender) { events += NameOf(sender) + u".down "; }
  void btOkMouseUp(Component& sender) { events += NameOf(sender) + u".up "; }
  void paBottomResize(Component&) { events += u"resize "; }
  void timTickTimer(Component& sender) { events += NameOf(sender) + u" "; }
  void imPicturePaint(HDC dc, const RECT& bounds) {
    painted_into = GetObjectType(dc);
    const win::Gdi<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(dc, &bounds, red.get());
  }

 protected:
  bool FormKeyDown(WORD key) override {
    if (key == VK_ESCAPE) SetModalResult(kModalCancel);
    if (key == VK_RETURN) btOk->Click();
    return key == VK_ESCAPE || key == VK_RETURN;
  }

 private:
  static const Row<TestForm> kRows[];
};

constexpr Row<TestForm> TestForm::kRows[] = {
    {.member = &TestForm::paBottom,
     .bounds = {0, 0, 0, 35},
     .align = Align::Bottom,
     .on_event = &TestForm::paBottomResize},
    {.member = &TestForm::paMain, .align = Align::Client},
    {.member = &TestForm::imPicture,
     .parent = &TestForm::paMain,
     .bounds = {10, 10, 40, 30},
     .on_paint = &TestForm::imPicturePaint},
    {.member = &TestForm::imHidden,
     .parent = &TestForm::paMain,
     .bounds = {60, 10, 40, 30},
     .options = kHidden,
     .on_paint = &TestForm::imPicturePaint},
    {.member = &TestForm::shFrame, .parent = &TestForm::paMain, .bounds = {110, 10, 40, 30}},
    {.member = &TestForm::btOk,
     .parent = &TestForm::paBottom,
     .bounds = {8, 5, 75, 25},
     .caption = u"Take picture",
     .hint = u"Takes the picture",
     .on_event = &TestForm::btOkClick,
     .on_mouse_down = &TestForm::btOkMouseDown,
     .on_mouse_up = &TestForm::btOkMouseUp},
    {.member = &TestForm::ckMirror, .parent = &TestForm::paBottom, .bounds = {90, 5, 80, 25}, .caption = u"Mirror"},
    {.member = &TestForm::cbValues, .parent = &TestForm::paBottom, .bounds = {180, 5, 80, 21}},
    {.member = &TestForm::timTick, .options = kDisabled, .interval_ms = 20, .on_event = &TestForm::timTickTimer},
};

TestForm::TestForm() : Form({u"Test form", 300, 200}) { Build(*this, kRows); }

// A plain window standing for the host's main window, active on the test's thread.
class HostWindow {
 public:
  HostWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                nullptr, nullptr, nullptr)) {
    SetActiveWindow(window_.get());
  }
  HWND get() const { return window_.get(); }

 private:
  win::UniqueWindow window_;
};

class FormTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(test::PluginWindowsLeft(), 0); }
};

RECT ClientRectOf(HWND w) {
  RECT r;
  GetClientRect(w, &r);
  return r;
}

TEST_F(FormTest, TheTableBuildsAlignedComponentsWithTheirHandlers) {
  TestForm form;
  HWND bottom = form.paBottom->Handle();
  HWND main = form.paMain->Handle();
  const RECT client = ClientRectOf(form.Window());
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  const RECT b = test::RectIn(form.Window(), bottom), m = test::RectIn(form.Window(), main);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.right, 300);
  EXPECT_EQ(b.top, 165);
  EXPECT_EQ(b.bottom, 200);
  EXPECT_EQ(m.top, 0);
  EXPECT_EQ(m.bottom, 165);
  EXPECT_EQ(m.right, 300);

  // A bigger form: the row stays at the bottom, the main panel takes the rest.
  form.events.clear();
  SetWindowPos(form.Window(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT grown = ClientRectOf(form.Window());
  EXPECT_EQ(test::RectIn(form.Window(), bottom).top, grown.bottom - 35);
  EXPECT_EQ(test::RectIn(form.Window(), main).bottom, grown.bottom - 35);
  EXPECT_EQ(test::RectIn(form.Window(), main).right, grown.right);
  EXPECT_NE(form.events.find(u"resize"), Text::npos);

  // Controls in panels: found from outside by caption, with the form's font and tooltip.
  HWND ok = test::FindControl(form.Window(), u"Button", u"Take picture");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok, form.btOk->Handle());
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ok, WM_GETFONT, 0, 0)), form.Font());
  LOGFONTW font{};
  GetObjectW(form.Font(), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(8, 96, 72));
  EXPECT_EQ(form.btOk->Hint(), u"Takes the picture");
  // A row names its component by the member that receives it: a name or kind the form
  // does not have fails to compile, and a member that is no component is no row.
  static_assert(!std::is_convertible_v<Text TestForm::*, Member<TestForm>>);

  auto& values = *form.cbValues;
  values.Add(u"ISO 100");
  values.Add(u"ISO 200");
  values.SetItemIndex(1);
  EXPECT_EQ(values.Count(), 2);
  EXPECT_EQ(values.Item(values.ItemIndex()), u"ISO 200");

  auto& timer = *form.timTick;
  win::PumpMessagesFor(60);
  EXPECT_EQ(form.events.find(u"timTick"), Text::npos);
  timer.SetEnabled(true);
  win::PumpMessagesFor(100);
  EXPECT_NE(form.events.find(u"timTick"), Text::npos);
}

TEST_F(FormTest, WindowlessItemsArePaintedThroughAMemoryBitmap) {
  TestForm form;
  form.Show();
  form.Repaint();
  auto& main = *form.paMain;
  const test::Picture picture = test::CaptureClient(main.Handle());
  ASSERT_GT(picture.width, 150);
  const uint32_t face = GetSysColor(COLOR_BTNFACE);
  const uint32_t face_rgb = (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF);
  EXPECT_EQ(picture.At(30, 25), 0xFF0000u) << "the painted item";
  EXPECT_EQ(picture.At(80, 25), face_rgb) << "a hidden item is not painted";
  EXPECT_EQ(picture.At(110, 10), 0u) << "the shape's outline";
  EXPECT_EQ(picture.At(130, 25), face_rgb) << "inside the shape";
  EXPECT_EQ(form.painted_into, static_cast<DWORD>(OBJ_MEMDC)) << "painted straight to the screen";

  // Shown again, the hidden item paints; hidden, the first one goes.
  form.imHidden->SetVisible(true);
  form.imPicture->SetVisible(false);
  form.Repaint();
  const test::Picture after = test::CaptureClient(main.Handle());
  EXPECT_EQ(after.At(80, 25), 0xFF0000u);
  EXPECT_EQ(after.At(30, 25), face_rgb);
}

// Runs `drive` on a second thread once the form shows, as a user at the keyboard.
template <class Drive>
int RunModal(TestForm& form, Drive drive) {
  std::thread user([&] {
    HWND w = test::WaitForWindowOfClass(u"EosForm", 5000);
    if (w) drive(w);
  });
  const int result = form.ShowModal();
  user.join();
  return result;
}

TEST_F(FormTest, TheFirstLayoutReachesTheHandlersOfAWholeForm) {
  // The table's layout at construction runs the resize handler; it must find the derived
  // form's members made (the log a member of it), not be wiped by their making after it.
  TestForm form;
  EXPECT_EQ(form.events, u"resize ");
  EXPECT_NE(form.paMain, nullptr);
  EXPECT_NE(form.timTick, nullptr) << "every row's member is set before any handler runs";
}

TEST_F(FormTest, ModalLoopDisablesTheOwnerAndGivesItBackActive) {
  HostWindow host;
  ASSERT_EQ(GetActiveWindow(), host.get());
  TestForm form;
  form.events.clear();  // the layout's resize at construction
  bool owner_disabled = false;
  HWND owner = nullptr;
  const int result = RunModal(form, [&](HWND w) {
    owner = GetWindow(w, GW_OWNER);
    owner_disabled = !IsWindowEnabled(host.get());
    test::PostClick(test::FindControl(w, u"Button", u"Take picture"));
  });
  EXPECT_EQ(result, kModalOk);
  EXPECT_EQ(owner, host.get());
  EXPECT_TRUE(owner_disabled);
  EXPECT_TRUE(IsWindowEnabled(host.get()));
  EXPECT_EQ(GetActiveWindow(), host.get());
  EXPECT_FALSE(IsWindowVisible(form.Window()));
  EXPECT_EQ(form.events, u"btOk.down btOk.click btOk.up ") << "BM_CLICK presses and releases the button";
}

TEST_F(FormTest, EscapeAndEnterReachTheFormBeforeTheFocusedControl) {
  const struct {
    WORD key;
    int result;
    Text events;
  } cases[] = {{VK_ESCAPE, kModalCancel, u""}, {VK_RETURN, kModalOk, u"btOk.click "}};
  for (const auto& c : cases) {
    HostWindow host;
    TestForm form;
    form.events.clear();  // the layout's resize at construction
    // The key goes to the check box with the focus; the form takes it first.
    const int result = RunModal(form, [&](HWND w) {
      HWND mirror = test::FindControl(w, u"Button", u"Mirror");
      test::PostKey(mirror, c.key);
    });
    EXPECT_EQ(result, c.result) << c.key;
    EXPECT_EQ(form.events, c.events) << c.key;
    EXPECT_TRUE(IsWindowEnabled(host.get()));
  }
}

TEST_F(FormTest, TheCloseBoxEndsAModalFormWithCancel) {
  HostWindow host;
  TestForm form;
  const int result = RunModal(form, [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(result, kModalCancel);
  EXPECT_TRUE(IsWindow(form.Window())) << "a modal form hides; its owner frees it";
}

TEST_F(FormTest, AQuitDuringTheModalLoopEndsItAndIsPostedAgain) {
  HostWindow host;
  TestForm form;
  const DWORD thread = GetCurrentThreadId();
  const int result = RunModal(form, [&](HWND) { PostThreadMessageW(thread, WM_QUIT, 42, 0); });
  EXPECT_EQ(result, kModalCancel);
  EXPECT_TRUE(IsWindowEnabled(host.get()));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 42u);
}

TEST_F(FormTest, PressAndReleaseReachTheButtonsHandlersAroundTheClick) {
  HostWindow host;
  TestForm form;
  form.events.clear();  // the layout's resize at construction
  const int result = RunModal(form, [](HWND w) {
    HWND ok = test::FindControl(w, u"Button", u"Take picture");
    PostMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Sleep(50);
    PostMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  });
  EXPECT_EQ(result, kModalOk);
  EXPECT_EQ(form.events, u"btOk.down btOk.click btOk.up ");
}

TEST_F(FormTest, AFormThatFreesItselfIsDeletedByItsOwnerOnceItsWindowIsGone) {
  struct FreeingForm : TestForm {
    void FormClose(CloseAction& action) override { action = CloseAction::Free; }
  };
  auto* form = new FreeingForm;
  bool released = false;
  form->on_released = [&] {
    released = true;
    delete form;
  };
  form->Show();
  HWND w = form->Window();
  PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
  win::PumpMessagesFor(100);
  EXPECT_TRUE(released);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace
}  // namespace eos::ui
