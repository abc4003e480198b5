#include "Sources/EDSDKHelpers.h"

#include <windows.h>

#include <cstring>

#include "camremote/core/CamDefines.h"
#include "win/wtext.h"

namespace eos {

Text SdkText(const EdsChar* buffer, std::size_t size) {
  const auto* end = static_cast<const EdsChar*>(std::memchr(buffer, 0, size));
  const int n = static_cast<int>(end ? end - buffer : static_cast<std::ptrdiff_t>(size));
  if (n == 0) return Text();
  const int units = MultiByteToWideChar(CP_ACP, 0, buffer, n, nullptr, 0);
  if (units <= 0) return Text();
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, buffer, n, wide.data(), units);
  return win::FromWide(wide);
}

std::optional<EdsUInt32> GetUInt32(EdsBaseRef ref, EdsPropertyID id) {
  EdsUInt32 value = 0;
  if (GetProperty(ref, id, value) != EDS_ERR_OK) return std::nullopt;
  return value;
}

EdsError RetryBusy(const BusyRetry& pattern, const std::function<EdsError()>& attempt) {
  return RetryWhileRefused(pattern, attempt, [](unsigned ms) { Sleep(ms); });
}

std::string SdkFileName(TextView FileName) {
  if (FileName.size() > kMaxSdkFileName) throw ECamException(u"Filename " + Text(FileName) + u" too long");
  return win::ToAnsi(FileName);
}

}  // namespace eos
