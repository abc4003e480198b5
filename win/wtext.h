// The Windows edge of the text type: wchar_t is 16 bits there, so UTF-16 passes as is.
// The ANSI code page conversions of logs and SDK file names happen here and only here.
#pragma once

#include <windows.h>

#include <string>

#include "base/text.h"

namespace eos::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
inline std::wstring Wide(TextView t) { return std::wstring(t.begin(), t.end()); }
inline Text FromWide(const wchar_t* s, size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }
inline Text FromWide(const std::wstring& s) { return FromWide(s.data(), s.size()); }

// To the system's ANSI code page; characters it lacks become its default character.
std::string ToAnsi(TextView t);
// From the system's ANSI code page.
Text FromAnsi(std::string_view bytes);

}  // namespace eos::win
