// The host hands over its translations as one text anyone can edit. For any text the
// first line with a key wins, an empty translation keeps the built-in text, no answer
// holds a line break, and loading again forgets the earlier lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "plugin/core/translations.h"

using namespace eos;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The input's bytes as UTF-16 units, little-endian as the host passes them.
Text Units(const std::uint8_t* data, std::size_t size) {
  Text t;
  for (std::size_t i = 0; i + 1 < size; i += 2) t.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  return t;
}

bool HasLineBreak(TextView t) { return t.find_first_of(u"\r\n") != TextView::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text text = Units(data, size);
  TranslationList list;
  list.Load(text);
  constexpr TextView kDef = u"\u00ABbuilt-in\u00BB";

  const TextView first = TextView(text).substr(0, text.find_first_of(u"\r\n"));
  const std::size_t eq = first.find(u'=');
  if (eq != TextView::npos) {
    const TextView value = first.substr(eq + 1);
    Check(list.TranslateDef(first.substr(0, eq), kDef) == (value.empty() ? kDef : value));
  }
  const std::size_t last_break = text.find_last_of(u"\r\n");
  const TextView last = last_break == Text::npos ? TextView(text) : TextView(text).substr(last_break + 1);
  for (TextView key : {first, last, last.substr(0, last.find(u'='))})
    Check(!HasLineBreak(list.TranslateDef(key, kDef)));

  list.Load(u"");
  Check(list.TranslateDef(first.substr(0, eq), kDef) == kDef);
  return 0;
}
