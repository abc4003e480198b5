#include "plugin/state.h"

namespace eos {

PluginState& State() {
  static PluginState state;
  return state;
}

}  // namespace eos
