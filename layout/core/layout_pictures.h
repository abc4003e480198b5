// Pictures that field values name: which files a name may mean, and the shape of the
// place that shows one. Field values and skins come from anyone, so a name is a bare
// file name or nothing: no folder of its own, no way out of the folders looked in.
#pragma once

#include <vector>

#include "base/rect.h"
#include "base/text.h"

namespace eos::layout {

// A bare file name: no "\" or "/" (folders, roots, network paths), no ":" (drives,
// streams), not "." or "..", no wildcard or control characters, no trailing dot or blank
// (Windows drops them), not a device name Windows reserves (CON, NUL, COM1 and the like,
// with any extension), at most 255 characters.
bool IsBarePictureName(TextView name);

// The files a picture name may mean, in the order they are tried: the layout's folder,
// then the host program's folder's "dblogo\" and "logo\" subfolders and the program
// folder itself; a name without an extension is tried with ".jpg", ".jpeg", ".bmp",
// ".wmf" and ".emf" in that order at each place. Empty for a name that is not bare; an
// empty folder is no place.
std::vector<Text> PictureFileCandidates(TextView name, TextView layout_folder, TextView program_folder);

// The place shrunk to the picture's proportions r = width / height, left and top kept:
// when the box's width / height is at least r its width becomes round(r x height),
// otherwise its height becomes round(width / r). The box itself when either has no size.
Rect ShrinkToPicture(const Rect& box, int picture_width, int picture_height);

}  // namespace eos::layout
