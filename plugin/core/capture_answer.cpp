#include "plugin/core/capture_answer.h"

#include "base/base64.h"
#include "base/paramtext.h"

namespace eos {

Text CaptureAnswer(TextView file, int angle, bool settings_changed,
                   std::optional<std::span<const std::uint8_t>> picture) {
  Text head = SetParamValue(u"Fil", file, u"");
  if (angle != 0) head = SetParamInt(u"Angle", angle, head);
  if (settings_changed) head = SetParamValue(u"SettingsChanged", u"1", head);
  // An empty value is no pair, as the parameter text's writers have it.
  if (!picture || picture->empty() || !Base64FitsIn(picture->size())) return head;

  constexpr TextView kKey = u"Base64=";
  const size_t encoded = Base64Size(picture->size());
  Text answer;
  answer.reserve(head.size() + kKey.size() + encoded + 1);
  answer += head;
  answer += kKey;
  const size_t at = answer.size();
  answer.resize(at + encoded);
  Base64Encode(picture->data(), picture->size(), answer.data() + at);
  answer += kTab;
  return answer;
}

}  // namespace eos
