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

// A picture held back for the operator's review before it goes to the host's `path`: a new
// empty file of its own where a temporary file for `path` goes. Raises EInOutError when
// none can be made.
Text NewReviewFile(const Text& path);
// Moves a reviewed picture to the host's `path`, replacing what is there; raises
// EInOutError when it cannot.
void PlacePictureFile(const Text& reviewed, const Text& path);
// Deletes a file, if there is one; nothing else.
void DeletePictureFile(const Text& path) noexcept;

}  // namespace eos
