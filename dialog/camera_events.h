// What the capture dialog tells the user of a camera event: the camera's complaint in a
// message box that the message thread shows, so the live view and the release go on.
#pragma once

#include "base/text.h"
#include "camremote/core/CamDefines.h"
#include "win/ThreadMessage.h"

namespace eos {

// The box of a camera event under `title`: "Camera event - " and the event's translated
// words, with the warning icon and an OK button.
MessageQueueElementType CameraEventBox(EventEnumType event, TextView title);

}  // namespace eos
