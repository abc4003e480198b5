// The capture dialog's ID-photo guide: each live-view frame's luma goes to a worker that
// finds the face and its eyes off the user-interface thread; the newest result becomes
// one state of the framing rules, drawn over the view with the template's crop and head
// oval (green once framed), the face's box and eye line, and the state's words. With the
// guide off nothing of it exists: no model, no thread, the frames as always.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <utility>

#include "base/lumutils.h"
#include "dialog/capture_dialog.h"
#include "face/detector.h"
#include "face/find.h"
#include "plugin/services/services.h"
#include "win/files.h"
#include "win/log_file.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

constexpr COLORREF kWaiting = RGB(255, 200, 0);
constexpr COLORREF kFramed = RGB(40, 220, 80);
constexpr COLORREF kFace = RGB(255, 255, 255);

// What the guide says while its worker reads the model.
constexpr char16_t kLoading[] = u"Loading the face guide";

win::Gdi<HPEN> Pen(COLORREF colour) { return win::Gdi<HPEN>(CreatePen(PS_SOLID, 2, colour)); }

Text ModelPath() { return GetPluginFolder() + Ascii(face::kModelFolder) + u"\\" + Ascii(face::kModelFileName); }

}  // namespace

std::shared_ptr<const face::FaceModel> D::FaceModel() {
  if (!face_model_ && worker_model_) face_model_ = worker_model_();  // read by a worker
  if (!face_model_) {
    std::string error;
    face_model_ = face::FaceModel::FromFile(win::FileSystemPath(ModelPath()), error);
    if (!face_model_) WriteLog(u"Face guide unavailable - " + FromUtf8(error));
  }
  return face_model_;
}

void D::UpdateFaceGuide() {
  if (!FaceGuideWanted() || !viewfinder_supported_) {
    StopFaceGuide();
    return;
  }
  if (face_worker_) return;
  std::string error;
  const std::filesystem::path path = win::FileSystemPath(ModelPath());
  if (!face_model_ && !face::FaceModel::FileThere(path, error)) {
    WriteLog(u"Face guide unavailable - " + FromUtf8(error));
  } else {
    // The worker reads and checks the model off this thread; live view goes on meanwhile.
    face::ModelWork work = face::WorkWithModel(face_model_, path);
    auto worker =
        std::make_unique<face::FaceWorker>(std::move(work.detect), face::FaceWorker::Notify(), std::move(work.prepare));
    if (worker->Start(error)) {
      face_worker_ = std::move(worker);
      worker_model_ = std::move(work.model);
      face_loading_ = !face_model_;
      SetFaceState(face::Guidance::kNoFace);
      if (!face_pen_) {
        waiting_pen_ = Pen(kWaiting);
        framed_pen_ = Pen(kFramed);
        face_pen_ = Pen(kFace);
      }
      return;
    }
    WriteLog(u"Face guide worker - " + FromUtf8(error));
  }
  FaceGuideUnavailable();
}

void D::FaceGuideUnavailable() {
  // Without a guide an automatic run releases as it always has: at the first frame, or at
  // the next one when the first went by while the model was read.
  if (std::exchange(release_when_framed_, false)) FVFFirstImageDone = false;
  if (std::exchange(face_unavailable_said_, true)) return;
  WriteLog(u"Face guide unavailable");
  ShowInfoText(Translate(u"Face guide unavailable"), 3000);
}

void D::SetFaceState(face::Guidance state) {
  face_state_ = state;
  face_words_ = Translate(face_loading_ ? Text(kLoading) : Ascii(face::GuidanceText(state)));
}

void D::StopFaceGuide() noexcept {
  face_worker_.reset();
  face_loading_ = false;
  face_view_.reset();
  face_state_ = face::Guidance::kNoFace;
}

void D::ForgetFaceGuide() {
  if (face_worker_) face_worker_->Forget();
  face_view_.reset();
  SetFaceState(face::Guidance::kNoFace);
}

void D::FaceGuideFrame() {
  if (!face_worker_) return;
  if (face_loading_) {
    std::string error;
    const face::FaceWorker::Phase phase = face_worker_->phase(&error);
    if (phase == face::FaceWorker::Phase::kFailed) {
      WriteLog(u"Face guide unavailable - " + FromUtf8(error));
      StopFaceGuide();
      FaceGuideUnavailable();
      return;
    }
    if (phase == face::FaceWorker::Phase::kReady) {
      face_loading_ = false;
      SetFaceState(face::Guidance::kNoFace);
    }
  }
  if (const imaging::Plane* luma = view_.luma())
    face_worker_->Offer({luma->width, luma->height, luma->stride, luma->samples.data()}, {FAngle, FMirror});
  face::FrameResult result;
  if (!face_worker_->Take(result)) return;
  if (!result.error.empty()) {
    WriteLog(u"Face guide - " + FromUtf8(result.error));
    face_view_.reset();
    SetFaceState(face::Guidance::kNoFace);
    return;
  }
  const bool first = !face_view_;
  face_view_ = face::InView(result.faces);
  const face::Guidance state = face::Guide(*face_view_, face_template_);
  if (state == face_state_ && !first) return;
  SetFaceState(state);
  WriteLog(u"Face guide: " + face_words_);
}

std::optional<face::PictureFace> D::FindPictureFace(std::span<const std::uint8_t> jpeg) {
  std::shared_ptr<const face::FaceModel> model = FaceModel();
  if (!model) return std::nullopt;
  face::FaceFinder finder(std::move(model));
  std::optional<face::PictureFace> found;
  std::string error;
  if (!face::FindPictureFace(finder, jpeg, FAngle, found, error)) WriteLog(u"Face on the picture - " + FromUtf8(error));
  return found;
}

void D::PaintFaceGuide(HDC dc, const RECT& view) const {
  const SIZE shown = ShownFrameSize();
  if (!face_worker_ || shown.cx <= 0 || shown.cy <= 0) return;
  const double shown_w = shown.cx, shown_h = shown.cy;
  const double width = view.right - view.left, height = view.bottom - view.top;
  const bool framed = face_state_ == face::Guidance::kFramed;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, view.left, view.top, view.right, view.bottom);
  const win::Selected hollow(dc, GetStockObject(NULL_BRUSH));
  SetBkMode(dc, TRANSPARENT);

  // The template's crop and the head's place in it, as the view shows the frame.
  const face::Box crop = face::TemplateCrop(shown_w, shown_h, face_template_);
  const double sx = width / shown_w, sy = height / shown_h;
  const auto at = [&](double x, double y) {
    return POINT{view.left + std::lround(x * sx), view.top + std::lround(y * sy)};
  };
  {
    const win::Selected keep(dc, (framed ? framed_pen_ : waiting_pen_).get());
    const POINT tl = at(crop.left, crop.top), br = at(crop.right(), crop.bottom());
    Rectangle(dc, tl.x, tl.y, br.x, br.y);
    const double head = crop.height * (face_template_.head_min + face_template_.head_max) / 2;
    const double cx = crop.left + crop.width * face_template_.centre_x,
                 cy = crop.top + crop.height * face_template_.centre_y;
    // The oval as a polyline: an Ellipse on a window's DC costs Wine milliseconds a frame.
    POINT oval[49];
    for (size_t i = 0; i < std::size(oval); ++i) {
      const double t = 2 * std::numbers::pi * static_cast<double>(i) / (std::size(oval) - 1);
      oval[i] = at(cx + head * 0.37 * std::cos(t), cy + head / 2 * std::sin(t));
    }
    Polyline(dc, oval, static_cast<int>(std::size(oval)));
  }

  // The faces found, in the coordinates of the newest result's view.
  if (face_view_ && face_view_->width > 0 && face_view_->height > 0) {
    const double fx = width / face_view_->width, fy = height / face_view_->height;
    const auto on_view = [&](face::PointF p) {
      return POINT{view.left + std::lround(p.x * fx), view.top + std::lround(p.y * fy)};
    };
    const win::Selected keep(dc, face_pen_.get());
    for (const face::Face& f : face_view_->faces) {
      if (f.box.width < face_view_->min_face) continue;
      const POINT tl = on_view({f.eye_box.left, f.eye_box.top}), br = on_view({f.eye_box.right(), f.eye_box.bottom()});
      Rectangle(dc, tl.x, tl.y, br.x, br.y);
      const POINT e0 = on_view(f.eyes[0]), e1 = on_view(f.eyes[1]);
      MoveToEx(dc, e0.x, e0.y, nullptr);
      LineTo(dc, e1.x, e1.y);
    }
  }

  // What the operator has to do, along the bottom of the view.
  const win::Selected keep_font(dc, face_font_.get());
  SetTextColor(dc, framed ? kFramed : kWaiting);
  RECT words{view.left, view.bottom - std::max<LONG>(Scale(40), (view.bottom - view.top) / 8), view.right, view.bottom};
  ui::DrawLabelText(dc, words, face_words_, ui::kCentre | ui::kMiddle);
  RestoreDC(dc, saved);
}

}  // namespace eos
