// Properties of the parameter text that must hold for any text, key and value:
// a written value reads back; a removal takes away the first pair of its key and keeps
// every other pair, in order, with its value.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/paramtext.h"

using namespace eos;

namespace {

// The input's bytes as UTF-16 units over a small alphabet that hits the interesting
// characters often: TAB, "=", letters in both cases, Å/å, CR, NUL and a lone surrogate.
Text Units(const uint8_t* data, size_t n) {
  static constexpr char16_t kAlphabet[] = {
      u'\t', u'=', u'a', u'A', u'b', u'B', u'\u00C5', u'\u00E5', u'\r', u'\0', char16_t(0xD800),
      u' ',  u'k', u'K', u'1', u'='};
  Text t;
  for (size_t i = 0; i < n; ++i) t.push_back(kAlphabet[data[i] % 16]);
  return t;
}

std::vector<Text> Pairs(const Text& text) {
  std::vector<Text> pairs;
  size_t start = 0;
  while (start <= text.size()) {
    size_t tab = text.find(u'\t', start);
    if (tab == Text::npos) tab = text.size();
    if (tab > start) pairs.push_back(text.substr(start, tab - start));
    start = tab + 1;
  }
  return pairs;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

bool IsAsciiKey(const Text& key) {
  for (char16_t c : key)
    if (c >= 0x80 || c == u'\t' || c == u'=') return false;
  return !key.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t key_len = data[0] % 5 + 1;
  const size_t value_len = data[1] % 6;
  if (size < 2 + key_len + value_len) return 0;
  const Text key = Units(data + 2, key_len);
  const Text value = Units(data + 2 + key_len, value_len);
  const Text text = Units(data + 2 + key_len + value_len, size - 2 - key_len - value_len);

  // Nothing may crash or read out of bounds, whatever the key.
  (void)GetParamValue(key, text);
  (void)HasParam(key, text);
  (void)GetParamInt(key, text, 0);
  (void)SetParamValueKeepEmpty(key, value, text);
  (void)SetParamValue(key, Text(), text);

  if (!IsAsciiKey(key)) return 0;  // the properties are about keys as the system writes them
  const bool value_ok = value.find(u'\t') == Text::npos;

  if (value_ok) {
    const Text written = SetParamValueKeepEmpty(key, value, text);
    Check(GetParamValue(key, written) == value);
    Check(HasParam(key, written));
    if (!value.empty()) Check(SetParamValue(key, value, text) == written);
  }

  const Text removed = SetParamValue(key, Text(), text);
  if (!HasParam(key, text)) {
    Check(removed == text);
    return 0;
  }
  // The pairs after removal are the pairs before, less the first one with the key.
  std::vector<Text> before = Pairs(text);
  const Text lowered_key = key + u"=";
  for (size_t i = 0; i < before.size(); ++i) {
    Text head = before[i].substr(0, lowered_key.size());
    for (auto& c : head) c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    Text k = lowered_key;
    for (auto& c : k) c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    if (head == k) {
      before.erase(before.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  Check(Pairs(removed) == before);
  return 0;
}
