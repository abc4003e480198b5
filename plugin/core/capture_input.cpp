#include "plugin/core/capture_input.h"

#include "base/lumutils.h"
#include "base/paramtext.h"

namespace eos {

CaptureInput ReadCaptureInput(TextView text, bool auto_default, TextView temp_folder) {
  CaptureInput in;
  in.Auto = auto_default;
  Text file(text);
  if (text.find(u'=') != TextView::npos) {
    if (HasParam(u"Auto", text)) in.Auto = GetParamBool(u"Auto", text);
    in.HideSettings = GetParamBool(u"HideSettings", text);
    in.HideFocus = GetParamBool(u"HideFocus", text);
    in.HideTakePicture = GetParamBool(u"HideTakePicture", text);
    in.FaceGuide = GetParamBool(u"FaceGuide", text);
    in.Face = GetParamBool(u"Face", text);
    in.CheckRetake = GetParamBool(u"CheckRetake", text);
    in.Check = in.CheckRetake || GetParamBool(u"Check", text);
    file = GetParamValue(u"File", text);
  }
  in.CancelText = file;
  if (SameTextNoCase(file, u"Base64")) file.clear();
  in.File = file.empty() ? Text(temp_folder) + u"temp.jpg" : file;
  return in;
}

}  // namespace eos
