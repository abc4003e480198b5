// Text type shared by the portable core and the Windows edges: UTF-16 code units,
// exactly as the host's BSTR carries them (lone surrogates included).
#pragma once

#include <string>
#include <string_view>

namespace eos {

using Text = std::u16string;
using TextView = std::u16string_view;

constexpr char16_t kTab = u'\t';

// ASCII-only helpers for building texts from literals and numbers.
Text Ascii(std::string_view s);
std::string ToAsciiLossy(TextView s);  // non-ASCII units become '?'
Text IntToText(long long n);

}  // namespace eos

namespace eos {

// UTF-8 at the console and in files; a lone surrogate becomes U+FFFD.
std::string ToUtf8(TextView s);
// Malformed sequences become U+FFFD.
Text FromUtf8(std::string_view s);

}  // namespace eos
