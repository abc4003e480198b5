// The files of a folder that match one or more masks, as the settings dialog lists the
// installed skins.
#pragma once

#include <vector>

#include "base/text.h"

namespace eos {

// The ordinary files (not folders) of `Folder` matching the masks of `Masks` (separated
// by ";", "*.*" when empty), mask after mask, in the order the file system gives them;
// names without folder.
std::vector<Text> ListFiles(TextView Folder, TextView Masks);
// ListFiles, then each name without its extension.
std::vector<Text> ListFileNames(TextView Folder, TextView Masks);

}  // namespace eos
