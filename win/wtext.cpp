#include "win/wtext.h"

namespace eos::win {

std::string ToAnsi(TextView t) {
  if (t.empty()) return std::string();
  const auto* src = reinterpret_cast<const wchar_t*>(t.data());
  const int n = static_cast<int>(t.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, src, n, nullptr, 0, nullptr, nullptr);
  std::string out(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, src, n, out.data(), bytes, nullptr, nullptr);
  return out;
}

Text FromAnsi(std::string_view bytes) {
  if (bytes.empty()) return Text();
  const int n = static_cast<int>(bytes.size());
  const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
  std::wstring out(chars > 0 ? chars : 0, L'\0');
  if (chars > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, out.data(), chars);
  return FromWide(out);
}

}  // namespace eos::win
