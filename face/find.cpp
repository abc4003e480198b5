#include "face/find.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "imaging/core/jpeg_decoder.h"
#include "imaging/core/planes.h"

namespace eos::face {

namespace {

// Reduces the frame by `factor`, turns and mirrors it as shown, finds the faces of at
// least `min_box` working pixels there and maps them back to the frame.
bool FindShown(FaceFinder& finder, const GreyView& frame, Orientation shown, int factor, double min_box,
               FrameScratch& scratch, FrameFaces& out, std::string& error) {
  out.width = frame.width;
  out.height = frame.height;
  out.shown = shown;
  out.min_face = kDetectorWindow * factor;
  out.faces.clear();
  if (frame.empty()) return true;
  try {
    GreyView reduced = frame;
    if (factor > 1) {
      Reduce(frame, factor, scratch.reduced);
      reduced = ViewOf(scratch.reduced);
    }
    Orient(reduced, shown, scratch.upright);
    if (!finder.Find(ViewOf(scratch.upright), scratch.found, error, min_box)) return false;
    for (const Face& face : scratch.found)
      out.faces.push_back(Scaled(FromShown(face, reduced.width, reduced.height, shown), factor));
    return true;
  } catch (const std::exception& e) {  // out of memory for the working planes
    out.faces.clear();
    error = std::string("face search failed: ") + e.what();
  }
  return false;
}

}  // namespace

bool FindInFrame(FaceFinder& finder, const GreyView& frame, Orientation shown, int long_side, FrameScratch& scratch,
                 FrameFaces& out, std::string& error) {
  return FindShown(finder, frame, shown, ReductionFactor(frame.width, frame.height, long_side), kDetectorWindow,
                   scratch, out, error);
}

int PictureScaleDenom(int width, int height) {
  const int longest = std::max(width, height);
  int denom = 8;
  while (denom > 1 && longest / denom < kWorkingLongSide) denom /= 2;
  return denom;
}

namespace {

int Pixel(double coordinate) { return static_cast<int>(std::floor(coordinate)); }

// The eyes' box in whole pixels, cut to the picture: a face at the edge reaches past it.
PictureFace InPixels(const Face& face, int width, int height) {
  const Box& box = face.eye_box;
  const int left = std::clamp(static_cast<int>(std::lround(box.left)), 0, width);
  const int top = std::clamp(static_cast<int>(std::lround(box.top)), 0, height);
  const int right = std::clamp(static_cast<int>(std::lround(box.right())), left, width);
  const int bottom = std::clamp(static_cast<int>(std::lround(box.bottom())), top, height);
  PictureFace out{left, top, right - left, bottom - top, {}};
  for (int i = 0; i < 2; ++i)
    out.eyes[i] = {std::clamp(Pixel(face.eyes[i].x), 0, width - 1), std::clamp(Pixel(face.eyes[i].y), 0, height - 1)};
  return out;
}

}  // namespace

bool SearchPicture(FaceFinder& finder, std::span<const uint8_t> jpeg, int angle_cw, PictureSearch& search,
                   std::string& error) {
  search.faces.clear();
  try {
    imaging::JpegDecoder decoder;
    imaging::Planes planes;
    if (!decoder.Begin(jpeg, error)) return false;
    search.width = decoder.width();
    search.height = decoder.height();
    if (!decoder.FinishPlanes(PictureScaleDenom(search.width, search.height), planes, error)) return false;
    // Luma, or for a picture stored as red, green and blue the green, which carries most
    // of the brightness.
    const imaging::Plane& grey = planes.planes[planes.colours == imaging::Planes::Colours::kRgb ? 1 : 0];
    search.plane_width = grey.width;
    search.plane_height = grey.height;
    // The plane spans the picture by a fraction of its samples, not always a whole number.
    search.scale =
        static_cast<double>(search.width) * static_cast<double>(grey.span_x_den) / static_cast<double>(grey.span_x_num);
    search.shown = {angle_cw, false};
    Orient({grey.width, grey.height, grey.stride, grey.samples.data()}, search.shown, search.upright);
    if (!finder.Find(ViewOf(search.upright), search.faces, error)) return false;
    std::stable_sort(search.faces.begin(), search.faces.end(), [](const Face& a, const Face& b) {
      return a.box.width * a.box.height > b.box.width * b.box.height;
    });
    return true;
  } catch (const std::exception& e) {
    search.faces.clear();
    error = std::string("face search failed: ") + e.what();
  }
  return false;
}

std::optional<PictureFace> LargestFace(const PictureSearch& search) {
  if (search.faces.empty()) return std::nullopt;
  const Face in_plane = FromShown(search.faces.front(), search.plane_width, search.plane_height, search.shown);
  return InPixels(Scaled(in_plane, search.scale), search.width, search.height);
}

bool FindPictureFace(FaceFinder& finder, std::span<const uint8_t> jpeg, int angle_cw, std::optional<PictureFace>& face,
                     std::string& error) {
  face.reset();
  PictureSearch search;
  if (!SearchPicture(finder, jpeg, angle_cw, search, error)) return false;
  face = LargestFace(search);
  return true;
}

}  // namespace eos::face
