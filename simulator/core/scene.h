// The simulated camera's view: a test chart with a moving ball and a frame counter,
// rendered at any size and blurred by how far the lens is from the chart's distance.
//
// Live-view frames carry an orientation mark over the view, like a camera's display, so
// that their pixels tell a turn from a mirror: a red square (kMarkLeft) in the top-left
// corner, its side 3/20 of the height (96 px in a 960 x 640 frame, 60 px at 600 x 400),
// and a green square (kMarkRight) of half that side in the top-right corner. Each of the
// eight turns and mirrors puts the two colours in a different pair of corners. The
// frame counter stands right of the red square's place. With a photo in place of the
// scene (photo.h) live-view frames keep the counter and the mark over it; the pictures
// taken show the photo alone.
#pragma once

#include <cstdint>
#include <vector>

namespace eos::sim {

// 8-bit RGB, rows top to bottom, no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

struct Rgb {
  uint8_t r, g, b;
};

inline constexpr Rgb kMarkLeft{220, 20, 20};
inline constexpr Rgb kMarkRight{20, 200, 40};

// The side of the orientation mark's larger square in an image of the given height.
int MarkSide(int height);

// Draws the orientation mark over a finished frame (after any zoom, so it stays put).
void DrawOrientationMark(Image& image);

// The frame number at the top, right of the orientation mark's red square, white on
// black, drawn after any blur like a camera's on-screen display.
void DrawFrameNumber(Image& image, uint32_t frame);

// The lens position runs from kFocusNear to kFocusFar; the chart is sharp at kFocusSharp.
inline constexpr int kFocusNear = 0;
inline constexpr int kFocusFar = 1000;
inline constexpr int kFocusSharp = 600;

int ClampFocus(int position);

// Blur radius in pixels for an image of the given width: 0 at kFocusSharp, growing
// with the distance from it; the same optical blur at every picture size.
int BlurRadius(int focus, int width);

// The scene at a frame number (moves the ball, shows the number) and lens position.
Image RenderScene(int width, int height, uint32_t frame, int focus);

// Sharpness of the chart in the middle of the picture: the mean absolute difference of
// neighbouring luminance values; higher is sharper.
double FocusFigure(const Image& image);

}  // namespace eos::sim
