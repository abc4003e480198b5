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
  // "Check=1": the picture checked against the ID-photo rules, the verdict in the answer.
  // "CheckRetake=1": a picture that fails is shown in the dialog with its faults, to be
  // taken again or used anyway (and checked, as with "Check=1").
  bool Check = false;
  bool CheckRetake = false;
  Text File;  // where the picture goes; never empty
  // The text a cancelled capture answers: the "File" value (or the whole text).
  Text CancelText;
};

// Reads a capture command's text. A text without "=" is the file name itself; otherwise
// "Auto" (only when present), the three "Hide..." keys and "File" are read. An empty name,
// or "Base64" in any letter case, sends the picture to "temp.jpg" in `temp_folder`.
CaptureInput ReadCaptureInput(TextView text, bool auto_default, TextView temp_folder);

}  // namespace eos
