// The three lowerings the text operations compare with.
#pragma once

#include "base/text.h"

namespace eos {

// A..Z only.
constexpr char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
constexpr char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

// A..Z plus the Swedish Å Ä Ö.
constexpr char16_t LowerSv(char16_t c) {
  return c == u'\u00C5' || c == u'\u00C4' || c == u'\u00D6' ? char16_t(c + 0x20) : LowerAscii(c);
}
constexpr char16_t UpperSv(char16_t c) {
  return c == u'\u00E5' || c == u'\u00E4' || c == u'\u00F6' ? char16_t(c - 0x20) : UpperAscii(c);
}

// Locale-style lowering of the Latin, Greek and Cyrillic capitals, one unit for one unit.
char16_t LowerFull(char16_t c);

Text LowerCaseSv(TextView s);
Text UpperCaseSv(TextView s);
Text LowerCaseFull(TextView s);

}  // namespace eos
