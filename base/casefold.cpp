#include "base/casefold.h"

namespace eos {

char16_t LowerFull(char16_t c) {
  if (c < 0x80) return LowerAscii(c);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) ||     // Latin-1 capitals
      (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||  // Greek capitals
      (c >= 0x410 && c <= 0x42F))                  // Cyrillic capitals
    return char16_t(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return char16_t(c + 0x50);
  // Latin Extended-A pairs capitals at even code points, with two runs at odd ones.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c & 1) == 0 ? char16_t(c + 1) : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) == 1 ? char16_t(c + 1) : c;
  if (c == 0x178) return 0xFF;
  return c;
}

namespace {
template <char16_t (*F)(char16_t)>
Text MapUnits(TextView s) {
  Text out(s);
  for (char16_t& c : out) c = F(c);
  return out;
}
}  // namespace

Text LowerCaseSv(TextView s) { return MapUnits<LowerSv>(s); }
Text UpperCaseSv(TextView s) { return MapUnits<UpperSv>(s); }
Text LowerCaseFull(TextView s) { return MapUnits<LowerFull>(s); }

}  // namespace eos
