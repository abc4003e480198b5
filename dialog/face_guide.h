// The capture dialog's ID-photo guide: each live-view frame's luma goes to a worker that
// finds the face and its eyes off the user-interface thread (the worker reads the model
// first, while live view goes on); the newest result becomes one state of the framing
// rules, drawn over the view with the template's crop and head oval (green once framed),
// the face's box and eye line, and the state's words. With the guide off nothing of it
// exists: no model, no thread, the frames as always; only a skin's photo place that asks
// for the template shows the crop and head oval, as its head mark.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "base/text.h"
#include "face/check.h"
#include "face/find.h"
#include "face/guide.h"
#include "face/worker.h"
#include "imaging/core/planes.h"
#include "win/handles.h"

namespace eos {

namespace ui {
class Form;
}

class FaceGuide {
 public:
  // Its words and lines are sized for `form`'s screen.
  explicit FaceGuide(const ui::Form& form);
  ~FaceGuide();
  FaceGuide(const FaceGuide&) = delete;
  FaceGuide& operator=(const FaceGuide&) = delete;

  // Told when the guide cannot run (no model, no thread), with the words to show the
  // operator the first time and none after.
  std::function<void(TextView words)> on_unavailable;

  // Whether the settings text and the host's input ask for the guide.
  bool Setting() const { return setting_; }
  void SetSetting(bool on) { setting_ = on; }
  void SetHostWants(bool on) { host_ = on; }
  bool HostWants() const { return host_; }
  // Begins reading the model for a guide that is asked for, while the camera connects;
  // the guide's start takes over the worker that reads it.
  void Preload();
  // Starts the guide while it is asked for and live view shows, else stops it.
  void Update(bool live_view);
  void Stop() noexcept;
  // Forgets what the guide found so far: its state and its worker's pending result.
  void Forget();
  // The frame just rendered (its luma, shown turned and mirrored so) to the worker, and
  // the newest result from it: true when one came.
  bool Frame(const imaging::Plane* luma, int angle, bool mirror);
  bool Running() const { return worker_ != nullptr; }
  bool Framed() const { return state_ == face::Guidance::kFramed; }
  // The guide, the face's box and eye line and the state's words over the view shown in
  // `view` (the frame's place on the DC, where it shows a frame of `shown` pixels). With
  // `id_template` the template's crop and head oval show while the guide does not run too:
  // a skin's head mark that is the guide's own.
  void Paint(HDC dc, const RECT& view, SIZE shown, bool id_template) const;
  // What the host asked to know of the taken picture shown at `angle`, from one face
  // search: its largest face in the pixels of the file as stored (nothing when there is
  // none), and with `check` the picture checked against the ID-photo rules. Neither when
  // the face model cannot be had or the picture cannot be decoded.
  struct PictureLook {
    std::optional<face::PictureFace> face;
    std::optional<face::CheckResult> check;
  };
  PictureLook LookAtPicture(std::span<const std::uint8_t> jpeg, int angle, bool check);

 private:
  // The face model, read by the worker or else here at the first need, and kept.
  std::shared_ptr<const face::FaceModel> FaceModel();
  // The state and its words as the operator reads them (translated once per state).
  void SetFaceState(face::Guidance state);
  void Unavailable();
  // A worker that reads the model (when there is none yet) into `loader_`; false with
  // `error` set when the model is missing or no thread can be made.
  bool StartWorker(std::string& error);

  const ui::Form& form_;
  bool setting_ = false;  // the settings text's FaceGuide
  bool host_ = false;     // the host's FaceGuide=1 for this run
  bool unavailable_said_ = false;
  std::shared_ptr<const face::FaceModel> model_;
  std::function<std::shared_ptr<const face::FaceModel>()> worker_model_;  // the model a worker read
  std::unique_ptr<face::FaceWorker> loader_;  // made early, reading the model, not guiding yet
  std::unique_ptr<face::FaceWorker> worker_;
  bool loading_ = false;  // the worker reads the model
  face::FaceTemplate template_;
  std::optional<face::ViewFaces> view_;  // the newest result, in the view's coordinates
  face::Guidance state_ = face::Guidance::kNoFace;
  Text words_;
  win::Gdi<HFONT> font_;
  // The guide's lines while it waits and once framed, and the face's.
  win::Gdi<HPEN> waiting_pen_, framed_pen_, face_pen_;
};

}  // namespace eos
