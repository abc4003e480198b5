// The capture run of commands 1, 11 and 2: the host's options read, the capture dialog
// created and connected, shown modally, and its outcome turned into the answer text. The
// run always ends by releasing the dialog and with it the camera.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

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

// Where a confirmed capture's answer goes as soon as it is known, while the run goes on
// to let go of the dialog and the camera.
using AnswerSink = std::function<void(CaptureAnswerParts answer)>;

// True when the dialog closed with OK (a picture taken, or settings confirmed); `text` is
// then the answer, else the error or the cancelled run's file name. With a `sink` a
// confirmed capture's answer goes there instead of into `text`.
bool RunCapture(Text& text, bool AutoDefault, const AnswerSink& sink = {});
// What the host asked to know of the picture's bytes (its face, its check).
using LookAtPicture = std::function<PictureFindings(std::span<const std::uint8_t> picture)>;
// The answer of a confirmed capture (see CaptureAnswer), the picture file read once.
CaptureAnswerParts ConfirmedAnswer(TextView file, int angle, bool settings_changed, const LookAtPicture& look = {});
// Command 2: the dialog only for the settings; true with the settings text in `text`.
bool RunSettingsOnly(Text& text);

// Frees the capture dialog if one is left and no run is using it.
bool DoCanonSDKFree();

}  // namespace eos
