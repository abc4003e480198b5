// The answer's way into the host's string.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "plugin/core/capture_answer.h"

namespace eos {

// Writes `answer` straight into a new string of its final length, which replaces the
// host's; false, with the host's string as it was, when there is no room for it.
bool ReplaceHostText(BSTR* host, const CaptureAnswerParts& answer);

}  // namespace eos
