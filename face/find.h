// The detector's two uses: the faces of a live-view frame, found upright as the frame
// shows, and the face of the taken picture in the pixels of its file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "face/detector.h"
#include "face/face.h"
#include "face/grey.h"

namespace eos::face {

// The long side the detector works at: a face fills the 80-pixel window when it is a
// sixth of the frame, and one detection stays well within a frame interval.
inline constexpr int kWorkingLongSide = 480;

// The faces of one frame, in the frame's own coordinates (not turned).
struct FrameFaces {
  int width = 0;  // the frame's size
  int height = 0;
  Orientation shown;        // how the frame is shown
  double min_face = 0;      // the detector's window in frame pixels (kDetectorWindow)
  std::vector<Face> faces;  // the strongest first
};

// Buffers kept from frame to frame.
struct FrameScratch {
  GreyImage reduced;
  GreyImage upright;
  std::vector<Face> found;
};

// Reduces the frame to about `long_side` pixels on its long side (ReductionFactor),
// turns and mirrors it as it is shown, finds the faces there and maps them back. Only
// faces of at least the detector's window there are looked for (the guide counts no
// smaller ones). False with `error` set when the detector fails.
bool FindInFrame(FaceFinder& finder, const GreyView& frame, Orientation shown, int long_side, FrameScratch& scratch,
                 FrameFaces& out, std::string& error);

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// A face in whole pixels of a picture file as stored: its eye box within the picture
// (the same for any size the picture is taken at), each eye the pixel under its centre,
// the eye on the left of the upright picture first.
struct PictureFace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  PixelPoint eyes[2];
};

// The taken picture as its face search saw it: its grey plane, decoded reduced (by 8 for
// a camera's picture, less for a small one: the plane keeps a long side of at least
// kWorkingLongSide where it can) and turned upright by the angle it is shown at, and
// every face found there (the largest detector's box first, the strongest of equals),
// in the upright plane's coordinates.
struct PictureSearch {
  int width = 0;  // the file's picture, as stored
  int height = 0;
  int plane_width = 0;  // the grey plane before it was turned
  int plane_height = 0;
  double scale = 1;  // the file's pixels per pixel of the plane
  Orientation shown;
  GreyImage upright;
  std::vector<Face> faces;
};

// Decodes the JPEG's grey plane and finds its faces. False with `error` set when the JPEG
// does not decode or the detector fails.
bool SearchPicture(FaceFinder& finder, std::span<const uint8_t> jpeg, int angle_cw, PictureSearch& search,
                   std::string& error);

// The search's largest face in whole pixels of the file as stored, not turned; nothing
// when it found none.
std::optional<PictureFace> LargestFace(const PictureSearch& search);

// The largest face of a JPEG picture (SearchPicture, then LargestFace). True with `face`
// empty when there is none; false with `error` set when the JPEG does not decode or the
// detector fails.
bool FindPictureFace(FaceFinder& finder, std::span<const uint8_t> jpeg, int angle_cw, std::optional<PictureFace>& face,
                     std::string& error);

// The reduction FindPictureFace decodes at: 8, 4, 2 or 1.
int PictureScaleDenom(int width, int height);

}  // namespace eos::face
