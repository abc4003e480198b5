// The capture run of commands 1, 11 and 2: the host's options read, the capture dialog
// created and connected, shown modally, and its outcome turned into the answer text. The
// run always ends by releasing the dialog and with it the camera.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"
#include "plugin/core/capture_answer.h"

namespace eos {

class TdlgCanonEosSDK;

// Creates the capture dialog unless one exists; false when that failed.
bool CreateCaptureDialog();
// The dialog a run left behind, or null.
TdlgCanonEosSDK* CaptureDialog();
// True while a run shows its dialog: a host window's message dispatched by the dialog's
// loop may call the plug-in again, and that call must leave the run alone.
bool CaptureRunning();

// True when the dialog closed with OK (a picture taken, or settings confirmed); `text` is
// then the answer, else the error or the cancelled run's file name. With `picture` a
// confirmed capture leaves its picture's bytes there and the answer's head in `text`, for
// the caller to complete where the answer goes (CaptureAnswerParts).
bool RunCapture(Text& text, bool AutoDefault, std::vector<std::uint8_t>* picture = nullptr);
// The answer of a confirmed capture (see CaptureAnswer), the picture file read once.
CaptureAnswerParts ConfirmedAnswer(TextView file, int angle, bool settings_changed);
// Command 2: the dialog only for the settings; true with the settings text in `text`.
bool RunSettingsOnly(Text& text);

// Frees the capture dialog if one is left and no run is using it.
bool DoCanonSDKFree();

}  // namespace eos
