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
// The text of a "!!special:" label: its "ft" segments as written and its "kd" segments
// as the values of the fields they name.
Text RenderSpecialText(TextView dat, const FieldStore& fields, bool word_wrap);

// What a data label whose "dat" is `dat` shows when the field `key` gets `value`:
// nothing when the label names another field; else the value cut to the label's
// maximum length, or a whole number padded with leading zeros to it.
std::optional<Text> DataLabelText(TextView dat, TextView key, TextView value, bool word_wrap);
// The field a data label names: its "dat" without the "[DB]" markers and the length.
Text DataFieldName(TextView dat);

// A label whose line has a "dbl" key is visible exactly when the field it names (up to
// any "[db]") has a value; nothing for a label without one.
std::optional<bool> LabelVisibility(TextView line, const FieldStore& fields);

}  // namespace eos::layout
