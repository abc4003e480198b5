// The answer text of a confirmed capture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/text.h"

namespace eos {

// A confirmed capture's answer in two parts: its pairs up to and with "Base64=", and the
// picture whose Base64 and the TAB after it complete the text. The Base64 is written only
// where the whole answer goes, so that for a large picture the host's string is the one
// full copy of the encoded text.
struct CaptureAnswerParts {
  Text head;                          // the whole answer when `picture` is empty
  std::vector<std::uint8_t> picture;  // encoded behind the head

  // The whole answer's length in UTF-16 units.
  std::size_t Size() const;
  // Writes the whole answer, Size() units, to `out`.
  void Write(char16_t* out) const noexcept;
  // The whole answer, allocated once at its final size.
  Text Whole() const;
};

// "Fil", "Angle" (unless 0), "SettingsChanged" (when changed) and "Base64" (when the
// picture's bytes could be read and are not empty), each pair followed by a TAB.
CaptureAnswerParts CaptureAnswer(TextView file, int angle, bool settings_changed,
                                 std::optional<std::vector<std::uint8_t>> picture);

}  // namespace eos
