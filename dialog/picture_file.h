// The picture's way into the host's file. The camera writes through an ANSI path, and a
// download can fail half-way; so the picture goes to a temporary file whose path the
// camera can always write (beside the host's file when that folder's path is plain ANSI,
// else in the user's temporary folder under its short name), and is moved to the host's
// path only when complete. A file already at the host's path is deleted first, also when
// the download then fails (hosts test for the file); a half-written picture never stands
// at the host's path, and the temporary file never stays behind.
#pragma once

#include <functional>

#include "base/text.h"

namespace eos {

// Calls `download` with the temporary path; raises EInOutError when the file cannot be
// placed, and lets the download's own exception through.
void DownloadPictureFile(const Text& path, const std::function<void(const Text& temp_path)>& download);

}  // namespace eos
