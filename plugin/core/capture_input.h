// What a capture command's text asks for: the host's options and the picture's file.
#pragma once

#include "base/text.h"

namespace eos {

struct CaptureInput {
  bool Auto = false;  // release the shutter by itself
  bool HideSettings = false;
  bool HideFocus = false;
  bool HideTakePicture = false;
  // "FaceGuide=1": the ID-photo guide for this run, and an automatic release that waits
  // for a framed face. "Face=1": the face's geometry in the answer.
  bool FaceGuide = false;
  bool Face = false;
  Text File;  // where the picture goes; never empty
  // The text a cancelled capture answers: the "File" value (or the whole text).
  Text CancelText;
};

// Reads a capture command's text. A text without "=" is the file name itself; otherwise
// "Auto" (only when present), the three "Hide..." keys and "File" are read. An empty name,
// or "Base64" in any letter case, sends the picture to "temp.jpg" in `temp_folder`.
CaptureInput ReadCaptureInput(TextView text, bool auto_default, TextView temp_folder);

}  // namespace eos
