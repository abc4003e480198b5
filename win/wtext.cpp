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

}  // namespace eos::win
