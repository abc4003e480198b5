// The host's commands and their dispatcher.
#pragma once

#include <cstdint>
#include <vector>

#include "base/text.h"

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

// Runs one host command on `text`; 0 for success, -1 for failure. Never throws. With
// `picture` a confirmed capture leaves its picture's bytes there and the answer's head in
// `text`, for the caller to complete where the answer goes (CaptureAnswerParts).
int32_t CanonEosSDKParams(int32_t cmd, Text& text, std::vector<std::uint8_t>* picture = nullptr);

}  // namespace eos
