#include "plugin/core/capture_answer.h"

#include <algorithm>
#include <utility>

#include "base/base64.h"
#include "base/lumutils.h"
#include "base/paramtext.h"

namespace eos {

std::size_t CaptureAnswerParts::Size() const {
  return head.size() + (picture.empty() ? 0 : Base64Size(picture.size()) + 1);
}

void CaptureAnswerParts::Write(char16_t* out) const noexcept {
  out = std::copy(head.begin(), head.end(), out);
  if (picture.empty()) return;
  Base64Encode(picture.data(), picture.size(), out);
  out[Base64Size(picture.size())] = kTab;
}

Text CaptureAnswerParts::Whole() const {
  Text whole(Size(), u'\0');
  Write(whole.data());
  return whole;
}

CaptureAnswerParts CaptureAnswer(TextView file, int angle, bool settings_changed,
                                 std::optional<std::vector<std::uint8_t>> picture, const PictureFindings& findings) {
  CaptureAnswerParts answer;
  answer.head = SetParamValue(u"Fil", file, u"");
  if (angle != 0) answer.head = SetParamInt(u"Angle", angle, answer.head);
  if (settings_changed) answer.head = SetParamValue(u"SettingsChanged", u"1", answer.head);
  if (const std::optional<AnswerFace>& face = findings.face) {
    const auto list = [](std::initializer_list<int> numbers) {
      Text out;
      for (const int n : numbers) out += (out.empty() ? Text() : Text(u",")) + IntToText(n);
      return out;
    };
    answer.head = SetParamValue(u"Face", list({face->left, face->top, face->width, face->height}), answer.head);
    answer.head = SetParamValue(u"Eyes", list({face->eye1_x, face->eye1_y, face->eye2_x, face->eye2_y}), answer.head);
  }
  if (findings.check) {
    answer.head = SetParamValue(u"Check", findings.check->verdict, answer.head);
    answer.head = SetParamValue(u"CheckValues", findings.check->values, answer.head);
  }
  // An empty value is no pair, as the parameter text's writers have it.
  if (!picture || picture->empty() || !Base64FitsIn(picture->size())) return answer;
  answer.head += u"Base64=";
  answer.picture = std::move(*picture);
  return answer;
}

}  // namespace eos
