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

// A face found on the picture, in pixels of the file as stored: its box and its eyes,
// the eye on the picture's left first.
struct AnswerFace {
  int left = 0, top = 0, width = 0, height = 0;
  int eye1_x = 0, eye1_y = 0, eye2_x = 0, eye2_y = 0;
};

// The check of the picture: "OK" or the failed measures' names, and the measures' values.
struct AnswerCheck {
  Text verdict;
  Text values;
};

// What the plug-in found on the picture, when the host asked for it.
struct PictureFindings {
  std::optional<AnswerFace> face;
  std::optional<AnswerCheck> check;
};

// "Fil", "Angle" (unless 0), "SettingsChanged" (when changed), "Face" and "Eyes" (when a
// face was asked for and found: "left,top,width,height" and "x1,y1,x2,y2"), "Check" and
// "CheckValues" (when the check was asked for and could run) and "Base64" (when the
// picture's bytes could be read and are not empty), each pair followed by a TAB.
CaptureAnswerParts CaptureAnswer(TextView file, int angle, bool settings_changed,
                                 std::optional<std::vector<std::uint8_t>> picture,
                                 const PictureFindings& findings = {});

}  // namespace eos
