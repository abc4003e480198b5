// The item line of a layout: TAB-separated fields, each a three-letter key followed
// directly by its value ("lft50,50", "typcsz"). Lengths are millimetres at 4 pixels per
// millimetre, written with a decimal comma or point.
#pragma once

#include <optional>

#include "base/text.h"

namespace eos::layout {

// The value of `key` (case-sensitive) in `line`, empty when the key is missing.
Text GetLayoutKey(TextView key, TextView line);
bool HasLayoutKey(TextView key, TextView line);
// Replaces the key's value in place, appends key, value and a TAB when it is missing,
// and removes the field when `value` is empty.
Text SetLayoutKey(TextView key, TextView value, TextView line);

// A decimal number with a comma or a point as its separator, blanks around it allowed.
// Nothing for anything else, and for values no layout can mean (NaN, infinities).
std::optional<double> ParseLayoutNumber(TextView text);

// Pixels of a length in millimetres: round(mm x 4), ties to even. Nothing when the
// result lies beyond kMaxLayoutPixels either way: such a length cannot be drawn.
inline constexpr int kMaxLayoutPixels = 16384;
std::optional<int> LayoutToPixels(double mm);
// GetLayoutKey, ParseLayoutNumber and LayoutToPixels in one.
std::optional<int> LayoutKeyPixels(TextView key, TextView line);

}  // namespace eos::layout
