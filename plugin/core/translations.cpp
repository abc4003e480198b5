#include "plugin/core/translations.h"

#include "base/lumutils.h"

namespace eos {

void TranslationList::Load(TextView text) {
  lines_.clear();
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines_.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines_.emplace_back(text.substr(start));
}

Text TranslationList::TranslateDef(TextView key, TextView def) const {
  for (const Text& line : lines_) {
    const size_t eq = line.find(u'=');
    if (eq != Text::npos && SameTextNoCase(TextView(line).substr(0, eq), key)) {
      Text value = line.substr(eq + 1);
      return value.empty() ? Text(def) : value;
    }
  }
  return Text(def);
}

}  // namespace eos
