#include "dialog/face_guide.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <utility>

#include "base/lumutils.h"
#include "face/detector.h"
#include "plugin/services/services.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "win/files.h"
#include "win/thread_priority.h"

namespace eos {

namespace {

constexpr COLORREF kWaiting = RGB(255, 200, 0);
constexpr COLORREF kFramed = RGB(40, 220, 80);
constexpr COLORREF kFace = RGB(255, 255, 255);

// What the guide says while its worker reads the model.
constexpr char16_t kLoading[] = u"Loading the face guide";

Text ModelPath() { return GetPluginFolder() + Ascii(face::kModelFolder) + u"\\" + Ascii(face::kModelFileName); }

}  // namespace

FaceGuide::FaceGuide(const ui::Form& form)
    : form_(form),
      font_(ui::MakeFont(L"Arial", -form.Scale(20), FW_BOLD)),
      waiting_pen_(ui::SolidPen(kWaiting, 2)),
      framed_pen_(ui::SolidPen(kFramed, 2)),
      face_pen_(ui::SolidPen(kFace, 2)) {}

FaceGuide::~FaceGuide() { Stop(); }

std::shared_ptr<const face::FaceModel> FaceGuide::FaceModel() {
  if (!model_ && worker_model_) model_ = worker_model_();  // read by a worker
  if (!model_) {
    std::string error;
    model_ = face::FaceModel::FromFile(win::FileSystemPath(ModelPath()), error);
    if (!model_) WriteLog(u"Face guide unavailable - " + FromUtf8(error));
  }
  return model_;
}

bool FaceGuide::StartWorker(std::string& error) {
  const std::filesystem::path path = win::FileSystemPath(ModelPath());
  if (!model_ && !face::FaceModel::FileThere(path, error)) return false;
  // The worker reads and checks the model off this thread; live view goes on meanwhile.
  face::ModelWork work = face::WorkWithModel(model_, path);
  work.prepare = [prepare = std::move(work.prepare)](std::string& why) {
    win::BelowUserInterface();  // the frames first when both want the same core
    return prepare(why);
  };
  auto worker =
      std::make_unique<face::FaceWorker>(std::move(work.detect), face::FaceWorker::Notify(), std::move(work.prepare));
  if (!worker->Start(error)) {
    error = "worker - " + error;
    return false;
  }
  loader_ = std::move(worker);
  worker_model_ = std::move(work.model);
  return true;
}

void FaceGuide::Preload() {
  if (!(setting_ || host_) || worker_ || loader_) return;
  std::string error;
  StartWorker(error);  // the guide's start says why it cannot run
}

void FaceGuide::Update(bool live_view) {
  if (!(setting_ || host_) || !live_view) {
    Stop();
    return;
  }
  if (worker_) return;
  std::string error;
  if (!loader_ && !StartWorker(error)) {
    WriteLog(u"Face guide unavailable - " + FromUtf8(error));
    Unavailable();
    return;
  }
  worker_ = std::move(loader_);
  loading_ = !model_;
  SetFaceState(face::Guidance::kNoFace);
}

void FaceGuide::Unavailable() {
  const bool first = !std::exchange(unavailable_said_, true);
  if (first) WriteLog(u"Face guide unavailable");
  if (on_unavailable) on_unavailable(first ? Translate(u"Face guide unavailable") : Text());
}

void FaceGuide::SetFaceState(face::Guidance state) {
  state_ = state;
  words_ = Translate(loading_ ? Text(kLoading) : Ascii(face::GuidanceText(state)));
}

void FaceGuide::Stop() noexcept {
  worker_.reset();
  loading_ = false;
  view_.reset();
  state_ = face::Guidance::kNoFace;
}

void FaceGuide::Forget() {
  if (worker_) worker_->Forget();
  view_.reset();
  SetFaceState(face::Guidance::kNoFace);
}

bool FaceGuide::Frame(const imaging::Plane* luma, int angle, bool mirror) {
  if (!worker_) return false;
  if (loading_) {
    std::string error;
    const face::FaceWorker::Phase phase = worker_->phase(&error);
    if (phase == face::FaceWorker::Phase::kFailed) {
      WriteLog(u"Face guide unavailable - " + FromUtf8(error));
      Stop();
      Unavailable();
      return false;
    }
    if (phase == face::FaceWorker::Phase::kReady) {
      loading_ = false;
      SetFaceState(face::Guidance::kNoFace);
    }
  }
  if (luma) worker_->Offer({luma->width, luma->height, luma->stride, luma->samples.data()}, {angle, mirror});
  face::FrameResult result;
  if (!worker_->Take(result)) return false;
  if (!result.error.empty()) {
    WriteLog(u"Face guide - " + FromUtf8(result.error));
    view_.reset();
    SetFaceState(face::Guidance::kNoFace);
    return false;
  }
  const bool first = !view_;
  view_ = face::InView(result.faces);
  const face::Guidance state = face::Guide(*view_, template_);
  if (state == state_ && !first) return true;
  SetFaceState(state);
  WriteLog(u"Face guide: " + words_);
  return true;
}

FaceGuide::PictureLook FaceGuide::LookAtPicture(std::span<const std::uint8_t> jpeg, int angle, bool check) {
  PictureLook look;
  std::shared_ptr<const face::FaceModel> model = FaceModel();
  if (!model) return look;
  face::FaceFinder finder(std::move(model));
  face::PictureSearch search;
  std::string error;
  if (!face::SearchPicture(finder, jpeg, angle, search, error)) {
    WriteLog(u"Face on the picture - " + FromUtf8(error));
    return look;
  }
  look.face = face::LargestFace(search);
  if (check) {
    look.check = face::CheckPicture(face::ViewOf(search.upright), search.faces);
    WriteLog(u"Check of the picture: " + FromUtf8(face::CheckVerdict(*look.check)) + u" " +
             FromUtf8(face::CheckValues(*look.check)));
  }
  return look;
}

void FaceGuide::Paint(HDC dc, const RECT& view, SIZE shown, bool id_template) const {
  if (!(worker_ || id_template) || shown.cx <= 0 || shown.cy <= 0) return;
  const double shown_w = shown.cx, shown_h = shown.cy;
  const double width = view.right - view.left, height = view.bottom - view.top;
  const bool framed = Framed();
  ui::Canvas canvas(dc);
  canvas.Clip(view);

  // The template's crop and the head's place in it, as the view shows the frame.
  const face::Box crop = face::TemplateCrop(shown_w, shown_h, template_);
  const double sx = width / shown_w, sy = height / shown_h;
  const auto at = [&](double x, double y) {
    return POINT{view.left + std::lround(x * sx), view.top + std::lround(y * sy)};
  };
  const HPEN guide_pen = (framed ? framed_pen_ : waiting_pen_).get();
  canvas.Outline(at(crop.left, crop.top), at(crop.right(), crop.bottom()), guide_pen);
  const double head = crop.height * (template_.head_min + template_.head_max) / 2;
  const double cx = crop.left + crop.width * template_.centre_x, cy = crop.top + crop.height * template_.centre_y;
  // The oval as a polyline: an ellipse on a window's DC costs Wine milliseconds a frame.
  POINT oval[49];
  for (size_t i = 0; i < std::size(oval); ++i) {
    const double t = 2 * std::numbers::pi * static_cast<double>(i) / (std::size(oval) - 1);
    oval[i] = at(cx + head * 0.37 * std::cos(t), cy + head / 2 * std::sin(t));
  }
  canvas.Polyline(oval, guide_pen);
  if (!worker_) return;

  // The faces found, in the coordinates of the newest result's view.
  if (view_ && view_->width > 0 && view_->height > 0) {
    const double fx = width / view_->width, fy = height / view_->height;
    const auto on_view = [&](face::PointF p) {
      return POINT{view.left + std::lround(p.x * fx), view.top + std::lround(p.y * fy)};
    };
    for (const face::Face& f : view_->faces) {
      if (f.box.width < view_->min_face) continue;
      canvas.Outline(on_view({f.eye_box.left, f.eye_box.top}), on_view({f.eye_box.right(), f.eye_box.bottom()}),
                     face_pen_.get());
      canvas.Line(on_view(f.eyes[0]), on_view(f.eyes[1]), face_pen_.get());
    }
  }

  // What the operator has to do, along the bottom of the view.
  const RECT words{view.left, view.bottom - std::max<LONG>(form_.Scale(40), (view.bottom - view.top) / 8), view.right,
                   view.bottom};
  canvas.Text(words, words_, font_.get(), framed ? kFramed : kWaiting, ui::kCentre | ui::kMiddle);
}

}  // namespace eos
