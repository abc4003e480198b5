// Files by the host's paths: any length, any characters.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"

namespace eos::win {

// The path as the file system takes it: past MAX_PATH a drive path gets the extended
// "\\?\" form.
std::wstring FileSystemPath(TextView path);

// True when something (a file or a folder) is at the path.
bool FileExists(TextView path);

// The whole file in one read into `out`, sized once; false when it cannot be read or
// holds more than `max_bytes`.
bool ReadWholeFile(TextView path, std::vector<std::uint8_t>& out, std::size_t max_bytes = 0x7FFFFFFF);

}  // namespace eos::win
