// The host's commands and their dispatcher.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "plugin/capture_run.h"

namespace eos {

enum Command : int32_t {
  ctEos_Capture = 1,
  ctEos_Settings = 2,
  ctEos_GetSettings = 3,
  ctEos_SetSettings = 4,
  ctEos_Translations = 5,
  ctEos_Capabilities = 6,
  ctEos_Free = 9,
  ctEos_CaptureAuto = 11,
  ctEos_Version = 98,
  ctEos_Ping = 99,
};

// Runs one host command on `text`; 0 for success, -1 for failure. Never throws. With a
// `sink` a confirmed capture's answer goes there instead of into `text`.
int32_t CanonEosSDKParams(int32_t cmd, Text& text, const AnswerSink& sink = {});

}  // namespace eos
