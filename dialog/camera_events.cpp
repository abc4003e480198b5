#include "dialog/camera_events.h"

#include <windows.h>

#include "base/lumutils.h"
#include "plugin/services/services.h"

namespace eos {

namespace {

// A warning the user only acknowledges.
constexpr std::int32_t kWarningBox = MB_ICONWARNING | MB_OK;

// The words of a camera event, translated.
Text EventText(EventEnumType event) {
  struct Row {
    EventEnumType event;
    const char16_t* text;
  };
  static constexpr Row kTexts[] = {
      {EventBatteryLevelNormal, u"Battery level normal"},
      {EventBatteryLevelWeak, u"Battery level weak"},
      {EventBatteryLevelSafetyLow, u"Battery level safety low"},
      {EventBatteryLevelLB, u"Battery level LB"},
      {EventDialChanged, u"Dial changed"},
      {EventCFGateOpened, u"CF gate opened"},
      {EventBatteryCoverOpened, u"Battery cover opened"},
      {EventConnectionDisappeared, u"Camera connection disappeared"},
      {EventUnrecoverableError, u"Unrecoverable error"},
      {EventUnkonwnCommandReceived, u"Unknown command received"},
      {EventRemoteParameterChanged, u"Remote parameter changed"},
      {EventRemoteCaptureError, u"Capture error"},
      {EventRemoteShutdownReasonNotKnown, u"Shutdown reason not known"},
  };
  for (const Row& r : kTexts)
    if (r.event == event) return Translate(r.text);
  return Translate(FormatText(u"Unknown error: %s", {IntToText(event)}));
}

}  // namespace

MessageQueueElementType CameraEventBox(EventEnumType event, TextView title) {
  return {.Body = u"Camera event - " + EventText(event), .Title = Text(title), .Style = kWarningBox, .Critical = false};
}

}  // namespace eos
