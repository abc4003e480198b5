// English texts of the SDK's result codes, and the message a failed SDK call raises.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "edsdk/EDSDK.h"
#include "base/text.h"

namespace eos {

// One row of a table of result texts, keyed on the code's low 16 bits.
struct SdkErrorEntry {
  std::uint16_t code;
  std::string_view text;
};

// The text of `value`'s low 16 bits in `table` (sorted by code), or "Unkown error".
Text LookUpErrorText(std::span<const SdkErrorEntry> table, EdsError value);

// The text of an SDK result code, keyed on its low 16 bits (the error identifier; the
// component and reserved bits do not change the text). Unlisted codes and 0 give
// "Unkown error".
Text EDSDKErrorText(EdsError value);

// "<funcname> errorcode 0x<value as 8 upper-case hex digits>, <text>": the one form of
// every message about a refused SDK call, whichever table gave the text.
Text SdkErrorMessage(TextView funcname, EdsError value, TextView text);

// The message EDSDKCheck raises: SdkErrorMessage with EDSDKErrorText's text.
Text EDSDKErrorMessage(TextView funcname, EdsError value);

}  // namespace eos
