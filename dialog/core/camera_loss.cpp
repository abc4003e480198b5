#include "dialog/core/camera_loss.h"

namespace eos {

std::optional<ErrorCode> FindErrorCode(TextView message) {
  constexpr TextView kCode = u"errorcode 0x";
  constexpr size_t kDigits = 8;
  const size_t at = message.find(kCode);
  if (at == TextView::npos || message.size() < at + kCode.size() + kDigits) return std::nullopt;
  ErrorCode found{0, at + kCode.size() + kDigits};
  for (const char16_t c : message.substr(at + kCode.size(), kDigits)) {
    const int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
    if (digit < 0) return std::nullopt;
    found.code = found.code << 4 | static_cast<std::uint32_t>(digit);
  }
  return found;
}

bool IsCameraGoneCode(std::uint32_t code) { return code == 0xC1 || code == 0x80; }

bool IsCameraGoneError(TextView message) {
  const std::optional<ErrorCode> found = FindErrorCode(message);
  return found && IsCameraGoneCode(found->code);
}

}  // namespace eos
