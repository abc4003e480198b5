// The capture dialog's picture frame: how it is fitted into its area, the angles the view
// turns by, and what of a failed shot's message is shown over the picture. Pure functions.
#pragma once

#include "base/rect.h"
#include "base/text.h"

namespace eos {

// The picture frame of `frame_width` × `frame_height` fitted into an area of `area_width` ×
// `area_height`: centred, touching the area on its tighter side, with `ratio` (the live
// view's height over its width) kept, inverted while the frame is higher than wide (a
// quarter turn). Sizes round half to even; the centring offset truncates. An empty area
// or frame leaves the frame as it is.
Rect FitPictureFrame(int area_width, int area_height, int frame_width, int frame_height, double ratio);

// One correction into 0..270 as the rotate buttons need it: below 0 gains 360, above 270
// loses 360.
int NormaliseAngle(int angle);
// The rotating image turns the other way: 90 and 270 change places.
int ToControlAngle(int angle);
// A quarter turn away from the frame's current orientation swaps its sides.
bool TurnSwapsSides(int angle, int frame_width, int frame_height);

// What the user is shown over the view when the camera refuses a shot: the camera's own
// words ("... errorcode 0x00008D01, <words>" for a failed focus, or "Device busy",
// "Communication disconnected"...), else the whole message.
Text ShotFailureText(TextView message);

}  // namespace eos
