// Message boxes of the plug-in and the camera units.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace eos {

// MessageBoxW under the module's own activation context, so the box draws like the
// plug-in's dialogs in every host.
int ModuleMessageBox(HWND owner, TextView text, TextView caption, UINT flags);

// Shows a message box and returns the button pressed. An empty caption becomes the
// application's title. Owned by the plug-in's active window when there is one, else
// system-modal.
int CamMessageBox(TextView text, TextView caption, int flags1, int flags2);
// An information box with one OK button, titled with the application's title.
int CamShowMessage(TextView text);

}  // namespace eos
