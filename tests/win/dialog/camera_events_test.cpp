// The box a camera event gives the user: its words, translated as the host asks, under
// the title the dialog chose, as a warning with one OK button.
#include "dialog/camera_events.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/text.h"
#include "plugin/services/services.h"

namespace eos::test {
namespace {

TEST(CameraEventBox, AWarningShowsTheEventsWordsUnderItsTitle) {
  struct Case {
    EventEnumType event;
    const char16_t* body;
  };
  const Case cases[] = {
      {EventBatteryLevelWeak, u"Camera event - Battery level weak"},
      {EventRemoteCaptureError, u"Camera event - Capture error"},
      // Events without words of their own are named by their number.
      {EventRemoteNewSupportedParameters, u"Camera event - Unknown error: 14"},
      {EventNotUsed, u"Camera event - Unknown error: 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.body));
    const MessageQueueElementType box = CameraEventBox(c.event, u"Camera warning event");
    EXPECT_EQ(box.Body, c.body);
    EXPECT_EQ(box.Title, u"Camera warning event");
    EXPECT_EQ(box.Style, MB_ICONWARNING | MB_OK);
    EXPECT_FALSE(box.Critical);
  }
}

TEST(CameraEventBox, TheHostsTranslationReplacesTheWordsButNotTheirFixedStart) {
  LoadTranslations(u"Battery level weak=Batteriet är svagt\r\nUnknown error: 14=Okänt fel 14");
  EXPECT_EQ(CameraEventBox(EventBatteryLevelWeak, u"").Body, u"Camera event - Batteriet är svagt");
  EXPECT_EQ(CameraEventBox(EventRemoteNewSupportedParameters, u"").Body, u"Camera event - Okänt fel 14");
}

}  // namespace
}  // namespace eos::test
