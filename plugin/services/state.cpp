#include "plugin/services/state.h"

namespace eos {

PluginState& State() {
  static PluginState state;
  return state;
}

}  // namespace eos
