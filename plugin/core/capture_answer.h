// The answer text of a confirmed capture.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "base/text.h"

namespace eos {

// "Fil", "Angle" (unless 0), "SettingsChanged" (when changed) and "Base64" (when the
// picture's bytes could be read), each pair followed by a TAB. The text is allocated once
// at its final size and the picture encoded straight into it: for a large picture it is
// the one full copy of the encoded text.
Text CaptureAnswer(TextView file, int angle, bool settings_changed,
                   std::optional<std::span<const std::uint8_t>> picture);

}  // namespace eos
