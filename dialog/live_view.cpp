#include "dialog/live_view.h"

#include "base/exception.h"
#include "dialog/camera_link.h"
#include "dialog/core/picture_frame.h"
#include "dialog/face_guide.h"
#include "imaging/LumImageEx.h"
#include "imaging/core/jpeg_decoder.h"
#include "win/rect.h"

namespace eos {

LiveView::LiveView(const PictureFrameItems& items, const FaceGuide& guide, const CameraLink& link)
    : items_(items), guide_(guide), link_(link) {
  // The view is rendered at the size of the item that shows it (until the next frame
  // after a resize).
  for (ui::Painted* image : {items_.ImageR, items_.Image1})
    image->fills_bounds = [this, image] {
      return !link_.Gone() && view_.view().width == image->Width() && view_.view().height == image->Height();
    };
}

int LiveView::Turn(int ang) {
  ang = NormaliseAngle(ang);
  ui::Panel& frame = *items_.paImx;
  if (TurnSwapsSides(ang, frame.Width(), frame.Height())) {
    const RECT b = frame.Bounds();
    frame.SetBounds({b.left, b.top, b.left + frame.Height(), b.top + frame.Width()});
    paBordResize();
  }
  FAngle = ang;
  ShowImageOfAngle();
  return ang;
}

void LiveView::paBordResize() {
  const double ratio = FPreviewSizeSet ? static_cast<double>(FPreviewH) / FPreviewW : 2.0 / 3.0;
  const Rect r = FitPictureFrame(items_.paBord->Width(), items_.paBord->Height(), items_.paImx->Width(),
                                 items_.paImx->Height(), ratio);
  items_.paImx->SetBounds(win::ToRECT(r));
  items_.shImx->SetBounds({0, 0, r.width, r.height});
  items_.paIm->SetBounds({1, 1, r.width - 1, r.height - 1});
}

void LiveView::TakeFrame(JpegBytes jpeg, int angle, bool mirror) {
  if (!FPreviewSizeSet) {
    imaging::JpegDecoder header;
    std::string error;
    if (!header.Begin(jpeg, error)) throw ECamException(u"Live view frame: " + FromUtf8(error));
    FPreviewSizeSet = true;
    FPreviewW = header.width();
    FPreviewH = header.height();
    paBordResize();
  }
  FAngle = angle;
  FMirror = mirror;
}

ui::Painted& LiveView::StandardView(Rect& size) const {
  ui::Painted& shown = FAngle == 0 ? *items_.Image1 : *items_.ImageR;
  size = {0, 0, shown.Width(), shown.Height()};
  return shown;
}

void LiveView::Render(JpegBytes jpeg, ui::Painted& shown, const Rect& size) {
  std::string error;
  if (!view_.Render(jpeg, size.width, size.height, FAngle, FMirror, error))
    throw ECamException(u"Live view frame: " + FromUtf8(error));
  // A change of view lays the panel out again; most frames change nothing but pixels.
  if (items_.Image1->Visible() != (FAngle == 0)) items_.Image1->SetVisible(FAngle == 0);
  if (items_.ImageR->Visible() != (FAngle != 0)) items_.ImageR->SetVisible(FAngle != 0);
  shown.Invalidate();
}

void LiveView::ShowImageOfAngle() {
  items_.Image1->SetVisible(FAngle == 0);
  items_.ImageR->SetVisible(FAngle != 0);
}

void LiveView::Invalidate() {
  for (ui::Painted* image : {items_.Image1, items_.ImageR}) image->Invalidate();
}

void LiveView::PaintFrame(HDC dc, const RECT& place, bool id_template) const {
  // No still picture of a camera that is gone: the words stand on the panel alone.
  if (view_.view().empty() || link_.Gone()) return;
  imaging::DrawPixels(dc, {place.left, place.top, place.right, place.bottom}, view_.view());
  guide_.Paint(dc, place, ShownFrameSize(), id_template);
}

SIZE LiveView::ShownFrameSize() const {
  if (!FPreviewSizeSet) return {0, 0};
  return FAngle == 90 || FAngle == 270 ? SIZE{FPreviewH, FPreviewW} : SIZE{FPreviewW, FPreviewH};
}

}  // namespace eos
