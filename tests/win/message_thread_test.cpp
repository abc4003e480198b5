// The message thread under Wine: its boxes are real message boxes, found and closed
// from the test's own thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "camremote/core/CamDefines.h"
#include "tests/win/support/ui_driver.h"
#include "win/ThreadMessage.h"
#include "win/module.h"

namespace eos::test {
namespace {

using namespace std::chrono_literals;

constexpr DWORD kAppear = 10000;  // ms a box may take to appear
constexpr DWORD kAbsent = 400;    // ms a box must stay away to count as not shown
constexpr std::int32_t kWarning = 48;

MessageQueueElementType Warning(const char16_t* body, const char16_t* title) { return {body, title, kWarning, false}; }

bool ButtonShown(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button && IsWindowVisible(button);
}

TEST(MessageThread, ShowsQueuedBoxesOneAfterAnother) {
  TMessageThread thread(50ms);
  thread.AddMessage(Warning(u"The battery is weak", u"MsgThread first"));
  thread.AddMessage({u"Second body", u"MsgThread second", MB_OKCANCEL | MB_ICONWARNING, true});

  HWND first = WaitForDialog(u"MsgThread first", kAppear);
  ASSERT_TRUE(first);
  EXPECT_EQ(DialogStaticText(first), u"The battery is weak");
  EXPECT_TRUE(ButtonShown(first, IDOK));
  EXPECT_FALSE(ButtonShown(first, IDCANCEL));
  EXPECT_EQ(WaitForDialog(u"MsgThread second", kAbsent), nullptr) << "only one box at a time";
  ClickButton(first, IDOK);

  HWND second = WaitForDialog(u"MsgThread second", kAppear);
  ASSERT_TRUE(second);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(DialogStaticText(second), u"Second body");
  EXPECT_TRUE(ButtonShown(second, IDCANCEL)) << "the element's flags are the box's";
  ClickButton(second, IDCANCEL);
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}

// The element's fields say where their words go: the body inside the box, the title in
// its title bar.
TEST(MessageThread, TheBodyIsShownInTheBoxAndTheTitleInItsTitleBar) {
  TMessageThread thread(50ms);
  thread.AddMessage({.Body = u"The words inside", .Title = u"MsgThread named", .Style = MB_ICONWARNING | MB_OK});
  HWND box = WaitForDialog(u"MsgThread named", kAppear);
  ASSERT_TRUE(box);
  EXPECT_EQ(DialogStaticText(box), u"The words inside");
  ClickButton(box, IDOK);
}

TEST(MessageThread, AMessagePostedAtOnceIsShownAtTheProductInterval) {
  TMessageThread thread;  // the product's one-second look at the queue
  thread.AddMessage(Warning(u"Posted before the worker looked", u"MsgThread early"));
  HWND box = WaitForDialog(u"MsgThread early", kAppear);
  ASSERT_TRUE(box);
  ClickButton(box, IDOK);
}

// Ending while a box is open waits for the user, as the capture dialog's destruction
// does; what is still queued then is dropped, and so is anything posted afterwards.
TEST(MessageThread, EndingWhileABoxIsOpenWaitsForItThenDropsTheRest) {
  auto thread = std::make_unique<TMessageThread>(50ms);
  thread->AddMessage(Warning(u"Open while ending", u"MsgThread open"));
  thread->AddMessage(Warning(u"Never shown", u"MsgThread dropped"));
  HWND open = WaitForDialog(u"MsgThread open", kAppear);
  ASSERT_TRUE(open);

  // The user-interface thread is never held up by an open box.
  for (int i = 0; i < 100; ++i) thread->AddMessage(Warning(u"Never shown", u"MsgThread dropped"));
  thread->Terminate();
  std::future<void> ended = std::async(std::launch::async, [&] { thread->WaitFor(); });
  EXPECT_EQ(ended.wait_for(300ms), std::future_status::timeout) << "the box is still open";
  EXPECT_FALSE(thread->Finished());

  ClickButton(open, IDOK);
  ASSERT_EQ(ended.wait_for(10s), std::future_status::ready) << "ends once the box is closed";
  EXPECT_TRUE(thread->Finished());
  thread->AddMessage(Warning(u"Too late", u"MsgThread late"));
  EXPECT_EQ(WaitForDialog(u"MsgThread dropped", kAbsent), nullptr);
  EXPECT_EQ(WaitForDialog(u"MsgThread late", 0), nullptr);
  thread.reset();
}

TEST(MessageThread, EndingBetweenBoxesDoesNotWaitOutThePause) {
  auto thread = std::make_unique<TMessageThread>(std::chrono::minutes(10));
  std::future<void> ended = std::async(std::launch::async, [&] { thread.reset(); });
  EXPECT_EQ(ended.wait_for(10s), std::future_status::ready);
}

TEST(MessageThread, AFailureInsideTheWorkerIsShownAndEndsIt) {
  std::atomic<int> shown{0};
  TMessageThread thread(50ms, [&](const MessageQueueElementType&) {
    ++shown;
    throw ECamException(u"Nothing left to show with");
  });
  BoxAnswerer answerer(win::ApplicationTitle(), IDOK, kAppear);
  thread.AddMessage(Warning(u"Fails", u"MsgThread fails"));
  ASSERT_TRUE(answerer.Finish());
  EXPECT_EQ(answerer.text(), u"Nothing left to show with");
  thread.WaitFor();  // the worker has ended on its own
  EXPECT_TRUE(thread.Finished());
  thread.AddMessage(Warning(u"After the failure", u"MsgThread after"));
  EXPECT_EQ(shown.load(), 1);
}

}  // namespace
}  // namespace eos::test
