#include "plugin/services/services.h"
#include "plugin/services/state.h"

namespace eos {

void LoadTranslations(TextView text) {
  auto& list = State().Translations;
  if (!list) list.emplace();
  list->Load(text);
}

Text TranslateDef(TextView key, TextView def) {
  const auto& list = State().Translations;
  return list ? list->TranslateDef(key, def) : Text(def);
}

Text Translate(TextView text) { return TranslateDef(text, text); }

}  // namespace eos
