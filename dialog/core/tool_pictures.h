// The small pictures of the capture dialog's tool buttons: the settings, the lens driven
// farther or nearer, and the camera's autofocus.
#pragma once

#include "imaging/core/pixels.h"

namespace eos {

enum class ToolPicture { Settings, Farther, Nearer, Autofocus };

// The picture, 16 × 16 pixels with its transparency.
imaging::Pixels ToolPictureOf(ToolPicture which);

}  // namespace eos
