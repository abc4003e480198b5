#include "base/paramtext.h"

#include <cstring>
#include <limits>

#include "base/casefold.h"

namespace eos {
namespace {

// Values may be tens of megabytes of Base64, so finding the next TAB is the hot loop:
// four code units at a time, with the classic "has a zero lane" test on 16-bit lanes.
size_t FindTab(TextView s, size_t from) {
  const char16_t* p = s.data();
  const size_t n = s.size();
  size_t i = from;
  constexpr uint64_t kOnes = 0x0001000100010001ull;
  constexpr uint64_t kHigh = 0x8000800080008000ull;
  constexpr uint64_t kTabs = kOnes * kTab;
  for (; i + 4 <= n; i += 4) {
    uint64_t w;
    std::memcpy(&w, p + i, sizeof w);
    const uint64_t x = w ^ kTabs;
    if (((x - kOnes) & ~x & kHigh) != 0) break;
  }
  for (; i < n; ++i)
    if (p[i] == kTab) return i;
  return TextView::npos;
}

template <char16_t (*Fold)(char16_t)>
bool StartsWithFolded(TextView text, size_t pos, TextView key) {
  if (text.size() - pos < key.size()) return false;
  for (size_t k = 0; k < key.size(); ++k)
    if (Fold(text[pos + k]) != Fold(key[k])) return false;
  return true;
}

// Where a pair may start. Readers and the replacing writer put a TAB in front of the
// text only when it has none, so a leading TAB is itself the separator; HasParam and
// the removal always put one there, making position 0 a pair start in any case.
enum class Lead { IfMissing, Always };

// The pair start (an index into text) of the first pair whose key is `key`
// (which ends with "="), or npos.
template <char16_t (*Fold)(char16_t)>
size_t FindPair(TextView key, TextView text, Lead lead) {
  const bool start_counts = lead == Lead::Always || text.empty() || text[0] != kTab;
  if (start_counts && StartsWithFolded<Fold>(text, 0, key)) return 0;
  for (size_t tab = FindTab(text, 0); tab != TextView::npos; tab = FindTab(text, tab + 1))
    if (StartsWithFolded<Fold>(text, tab + 1, key)) return tab + 1;
  return TextView::npos;
}

Text WithEquals(TextView key) {
  Text k(key);
  if (k.empty() || k.back() != u'=') k.push_back(u'=');
  return k;
}

Text Concat(std::initializer_list<TextView> parts) {
  size_t n = 0;
  for (TextView p : parts) n += p.size();
  Text out;
  out.reserve(n);
  for (TextView p : parts) out.append(p);
  return out;
}

Text RemoveParam(TextView key, TextView text) {
  const Text k = WithEquals(key);
  if (FindPair<LowerAscii>(k, text, Lead::Always) == TextView::npos) return Text(text);
  // The cut compares with full lowering; for ASCII keys it finds the same pair.
  const size_t p = FindPair<LowerFull>(k, text, Lead::Always);
  const TextView before = p == 0 ? TextView() : text.substr(0, p - 1);
  const size_t tab = FindTab(text, p + k.size());
  const TextView after = tab == TextView::npos ? TextView() : text.substr(tab + 1);
  return before.empty() ? Text(after) : Concat({before, u"\t", after});
}

}  // namespace

Text GetParamValue(TextView key, TextView text) {
  if (key.empty() || text.empty()) return Text();
  const Text k = WithEquals(key);
  const size_t p = FindPair<LowerSv>(k, text, Lead::IfMissing);
  if (p == TextView::npos) return Text();
  const size_t from = p + k.size();
  const size_t tab = FindTab(text, from);
  return Text(text.substr(from, tab == TextView::npos ? TextView::npos : tab - from));
}

bool HasParam(TextView key, TextView text) {
  return !key.empty() && FindPair<LowerAscii>(WithEquals(key), text, Lead::Always) != TextView::npos;
}

bool GetParamBool(TextView key, TextView text) { return GetParamValue(key, text) == u"1"; }

bool ParseInt32(TextView s, int32_t& out) {
  size_t i = 0;
  bool negative = false;
  if (!s.empty() && (s[0] == u'+' || s[0] == u'-')) {
    negative = s[0] == u'-';
    i = 1;
  }
  if (i == s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    v = v * 10 + (s[i] - u'0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return false;
  out = static_cast<int32_t>(v);
  return true;
}

int32_t GetParamInt(TextView key, TextView text, int32_t def) {
  int32_t v;
  return ParseInt32(GetParamValue(key, text), v) ? v : def;
}

Text GetParamValueDef(TextView key, TextView text, TextView def) {
  return HasParam(key, text) ? GetParamValue(key, text) : Text(def);
}

Text SetParamValueKeepEmpty(TextView key, TextView value, TextView text) {
  const Text k = WithEquals(key);
  if (text.empty()) return Concat({k, value, u"\t"});
  const size_t p = FindPair<LowerAscii>(k, text, Lead::IfMissing);
  if (p == TextView::npos) {
    const TextView sep = text.back() == kTab ? TextView() : TextView(u"\t");
    return Concat({text, sep, k, value, u"\t"});
  }
  // Replace in place: the key as the caller spells it, the text's own leading and
  // trailing TABs kept as they were.
  const TextView prefix = text.substr(0, p);
  const size_t tab = FindTab(text, p + k.size());
  if (tab == TextView::npos) return Concat({prefix, k, value});
  return Concat({prefix, k, value, u"\t", text.substr(tab + 1)});
}

Text SetParamValue(TextView key, TextView value, TextView text) {
  return value.empty() ? RemoveParam(key, text) : SetParamValueKeepEmpty(key, value, text);
}

Text SetParamInt(TextView key, int64_t n, TextView text) { return SetParamValue(key, IntToText(n), text); }

Text SetParamIntUnlessDefault(TextView key, int64_t n, int64_t def, TextView text) {
  return n == def ? SetParamValue(key, TextView(), text) : SetParamInt(key, n, text);
}

Text AddTrailingTab(TextView text) {
  if (text.empty() || text.back() == kTab) return Text(text);
  return Concat({text, u"\t"});
}

Text RemoveTrailingTab(TextView text) {
  if (!text.empty() && text.back() == kTab) text.remove_suffix(1);
  return Text(text);
}

}  // namespace eos
