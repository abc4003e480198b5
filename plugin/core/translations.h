// Host-supplied translations of the built-in texts: lines of "built-in text=translation".
#pragma once

#include <vector>

#include "base/text.h"

namespace eos {

class TranslationList {
 public:
  // Replaces the lines by those of `text`, split at CR LF, CR or LF.
  void Load(TextView text);
  // The translation of `key` (matched without letter case against the part of a line
  // before its first "="), or `def` when there is none or it is empty.
  Text TranslateDef(TextView key, TextView def) const;

 private:
  std::vector<Text> lines_;
};

}  // namespace eos
