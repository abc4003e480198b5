// Field values and the labels they fill. The store is a parameter text of Key=Value
// entries; inside values "ÿ" stands for a line break and "þ" for a TAB. Data labels name
// their field in their "dat" value with "[DB]" markers; the number right after the first
// marker is the label's maximum length. Labels written as "!!special:" are built from
// segments of fixed text and field values.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"

namespace eos::layout {

class FieldStore {
 public:
  void Clear() { text_.clear(); }
  bool Empty() const { return text_.empty(); }
  // Line breaks become "ÿ" and TABs "þ"; an empty value removes the key.
  void Set(TextView key, TextView value);
  // The value of the first entry of that name (any case), empty when there is none.
  Text Lookup(TextView name) const;
  // The entries in order, split at their first "=".
  std::vector<std::pair<Text, Text>> Entries() const;

 private:
  Text text_;
};

// "ÿ" as line breaks.
Text LineBreaks(TextView text);
// Where `needle` first occurs in `text`, any ASCII case; npos when it does not.
size_t FindNoCase(TextView text, TextView needle);

bool IsSpecialText(TextView dat);
// The text of a "!!special:" label, read as segments that each end at the next "!": its
// "ft" segments as written and its "kd" segments as the values of the fields they name
// (a format written before the name is not applied: the value shows as stored), then
// its functions (ApplyTextFunctions).
Text RenderSpecialText(TextView dat, const FieldStore& fields, bool word_wrap);

// The digit that, appended, makes the number valid under the Luhn scheme; nothing unless
// the text is ASCII digits only.
std::optional<char16_t> LuhnCheckDigit(TextView digits);

// The functions of a text, left to right, names and keywords in any case. A call's
// argument ends at its first ")":
// - "function_mod10(" n ")": the Luhn check digit of n; n and its check digit when n is
//   written "+=" n; nothing when n is no whole number;
// - "function_if(" a "=" b " then " x " else " y ")": x when a equals b (any case), else y
//   (empty without " else "; without "=" the condition is a against the empty text).
// A call without its ")", or an if without " then ", stays as written.
Text ApplyTextFunctions(TextView text);

// What a data label whose "dat" is `dat` shows when the field `key` gets `value`:
// nothing when the label names another field; else the value cut to the label's
// maximum length, or a whole number padded with leading zeros to it.
std::optional<Text> DataLabelText(TextView dat, TextView key, TextView value, bool word_wrap);
// The field a data label names: its "dat" without the "[DB]" markers and the length.
Text DataFieldName(TextView dat);
// The picture file a photo place or a field image ("knd" "db") names: the value of the
// field its "dat" names, cut or padded like a data label's, or else "dat" as written.
Text PictureSourceName(TextView dat, const FieldStore& fields);

// A label whose line has a "dbl" key is visible exactly when the field it names (up to
// any "[db]") has a value; nothing for a label without one.
std::optional<bool> LabelVisibility(TextView line, const FieldStore& fields);

}  // namespace eos::layout
