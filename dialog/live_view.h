// The live view in the capture dialog: each frame decoded, turned and mirrored as the user
// chose, and rendered at the size of the item that shows it; the standard look's picture
// frame kept at the frame's proportions inside its room, turned with the view.
#pragma once

#include <windows.h>

#include "base/rect.h"
#include "camremote/CamRemote.h"
#include "dialog/capture_form.h"
#include "imaging/core/live_view.h"

namespace eos {

class CameraLink;
class FaceGuide;

class LiveView {
 public:
  // Shown in the standard look's `items`, with `guide` over it; nothing of a camera that
  // `link` says is gone.
  LiveView(const PictureFrameItems& items, const FaceGuide& guide, const CameraLink& link);

  // Turns the view to `ang` degrees, normalised into 0..270, which it answers.
  int Turn(int ang);
  // Fits the picture frame into its room at the frame's proportions (2:3 before the first).
  void paBordResize();
  // A frame is here: the first of the dialog fixes the picture frame's proportions; the
  // view follows the user's `angle` and `mirror` at every frame.
  void TakeFrame(JpegBytes jpeg, int angle, bool mirror);
  // The standard look's image that shows the view now, and the size it is rendered at.
  ui::Painted& StandardView(Rect& size) const;
  // Renders the frame at `size` and shows it in `shown`.
  void Render(JpegBytes jpeg, ui::Painted& shown, const Rect& size);
  // Shows the upright image at 0 degrees and the turned one otherwise.
  void ShowImageOfAngle();
  // Paints both images again (a camera that went leaves no picture behind).
  void Invalidate();

  // The view's pixels in `place` with the guide over them (its template even while the
  // guide does not run, with `id_template`); nothing before the first frame or while the
  // camera is gone.
  void PaintFrame(HDC dc, const RECT& place, bool id_template) const;
  // The frame's size as the view shows it (sides swapped at 90 and 270 degrees); 0 x 0
  // before the first frame.
  SIZE ShownFrameSize() const;
  int Angle() const { return FAngle; }
  bool Mirror() const { return FMirror; }
  // The last frame's luma, for the guide.
  const imaging::Plane* Luma() const { return view_.luma(); }

 private:
  const PictureFrameItems& items_;
  const FaceGuide& guide_;
  const CameraLink& link_;
  int FPreviewW = 0;
  int FPreviewH = 0;
  bool FPreviewSizeSet = false;
  int FAngle = 0;
  bool FMirror = false;
  imaging::LiveViewRenderer view_;  // the frame as it is on screen
};

}  // namespace eos
