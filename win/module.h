// Facts about the module that holds this code (the plug-in, not the host's program).
#pragma once

#include <windows.h>

#include "base/text.h"

namespace eos::win {

HMODULE ThisModule();
// Full path, at most MAX_PATH characters.
Text ThisModulePath();
// Folder of ThisModulePath, ending with "\".
Text ThisModuleFolder();
// The title message boxes carry: the module's file name without its extension.
Text ApplicationTitle();

}  // namespace eos::win
