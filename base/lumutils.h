// Small text services the plug-in and the camera stack share. Pure functions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <variant>

#include "base/text.h"

namespace eos {

Text ReplaceAllText(TextView old_text, TextView new_text, TextView s);
Text ReplaceChar(char16_t old_char, char16_t new_char, TextView s);
bool SameTextNoCase(TextView a, TextView b);
bool ContainsTextNoCase(TextView sub, TextView s);
Text TextBefore(TextView sub, TextView s);
Text TextAfter(TextView sub, TextView s);
Text TextBetween(TextView start, TextView stop, TextView s);
bool IsIntegerText(TextView s);
Text ZeroPad(int width, int64_t n, bool truncate);
Text FileExtNoDot(TextView file_name);
Text FileNameNoExt(TextView file_name);

struct DateTime {
  int year, month, day, hour, minute, second, millisecond;
};
// "yyyy-mm-dd hh:nn:ss"
Text FormatLogTime(const DateTime& t);
// "yyyy-mm-dd hh:nn:ss,zzz"
Text FormatLogTimeMs(const DateTime& t);

// printf-style formatting of the system's message patterns: %s, %d, %u, %x, %X and %%,
// with optional "-", width and precision. A placeholder without an argument, or of the
// wrong kind, formats what it can and never fails.
using FormatArg = std::variant<int64_t, Text>;
Text FormatText(TextView pattern, std::initializer_list<FormatArg> args);

}  // namespace eos
