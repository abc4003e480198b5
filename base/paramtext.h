// The parameter text: TAB-separated "key=value" pairs. Every datum that crosses the
// plug-in's boundary travels in it. Keys match only at the start of a pair, always
// together with their "=", without letter case; the first pair of a key wins.
#pragma once

#include <cstdint>

#include "base/text.h"

namespace eos {

Text GetParamValue(TextView key, TextView text);
bool HasParam(TextView key, TextView text);
bool GetParamBool(TextView key, TextView text);
int32_t GetParamInt(TextView key, TextView text, int32_t def);
Text GetParamValueDef(TextView key, TextView text, TextView def);

// An empty value removes the first pair of the key.
Text SetParamValue(TextView key, TextView value, TextView text);
// Writes an empty value as "key=" instead of removing the pair.
Text SetParamValueKeepEmpty(TextView key, TextView value, TextView text);
Text SetParamInt(TextView key, int64_t n, TextView text);
Text SetParamIntUnlessDefault(TextView key, int64_t n, int64_t def, TextView text);

Text AddTrailingTab(TextView text);
Text RemoveTrailingTab(TextView text);

// Parses an optional sign followed by decimal digits into 32 bits.
bool ParseInt32(TextView s, int32_t& out);

}  // namespace eos
