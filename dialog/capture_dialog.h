// The modal capture dialog: live view from the camera, turned and mirrored as the
// settings dialog says, and the release that takes the picture into the run's file. It
// owns the camera remote component, the settings dialog and the message thread that
// shows camera warnings. A capture run creates it, prepares it from the host's input,
// connects it, runs it modally and frees it.
//
// It is a form (CaptureForm) and parts that each own their state: the camera's link and
// values, the live view, the face guide, the skin, the words over the view, the focus
// and the release. The dialog makes them, routes the form's and the camera's events to
// them, and does what concerns several at once (the run's steps, the buttons' states,
// the settings text, a camera that goes and comes back).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "base/rect.h"
#include "base/text.h"
#include "camremote/CamRemote.h"
#include "dialog/camera_link.h"
#include "dialog/camera_values.h"
#include "dialog/capture_form.h"
#include "dialog/face_guide.h"
#include "dialog/focus.h"
#include "dialog/live_view.h"
#include "dialog/release.h"
#include "dialog/run_choices.h"
#include "dialog/skin.h"
#include "dialog/view_words.h"
#include "face/find.h"
#include "plugin/core/capture_input.h"
#include "win/ThreadMessage.h"
#include "win/timer.h"

namespace eos {

class TdlgCanonEosSdkSettings;

class TdlgCanonEosSDK {
 public:
  TdlgCanonEosSDK();
  ~TdlgCanonEosSDK();
  TdlgCanonEosSDK(const TdlgCanonEosSDK&) = delete;
  TdlgCanonEosSDK& operator=(const TdlgCanonEosSDK&) = delete;

  // The run's options from the host's input (automatic release, the buttons it hides, the
  // picture's file) and the plug-in's settings for it. Every run starts with every button
  // shown and no live-view frame seen.
  void Prepare(const CaptureInput& input, const RunOptions& options, const RunChoices& choices);
  // Connects to the first EOS camera, starts remote mode, applies the stored settings
  // (`stored_settings` asked for them once the camera is open) and opens live view, saying
  // so in the status window; the caption then names the plug-in, the SDK and the camera.
  // False when a step failed, and Error() says why; a fault of the camera stack beyond
  // those steps is thrown.
  bool Connect(const std::function<Text()>& stored_settings);
  // The run's settings as the dialog leaves them.
  const RunChoices& Choices() const { return choices_; }
  // Shows the dialog modally (without its button row in an automatic or settings-only
  // run); true when it closed with OK: a picture taken, or the settings confirmed.
  bool RunModal();
  // The live view's rotation in degrees, as the answer reports it.
  int Angle() const { return view_.Angle(); }
  // The settings text of the camera's values and the dialog's.
  Text GetSettingsText();
  // The error of the last step that failed; every step clears it first.
  const Text& Error() const { return error_; }
  // The taken picture's (`jpeg`, shown at Angle()) largest face and, with `check`, its
  // check (FaceGuide::LookAtPicture).
  FaceGuide::PictureLook LookAtPicture(std::span<const std::uint8_t> jpeg, bool check);
  // In a run of the host's CheckRetake, what the dialog found on the picture it closed
  // with, looked at already; nothing in other runs.
  const std::optional<FaceGuide::PictureLook>& Reviewed() const { return reviewed_; }
  // Lets go of the settings dialog, the camera and the message thread, in that order, each
  // step whatever became of the one before; the destructor does it when nobody did.
  // Error() then tells of a disconnection that failed.
  void FormDestroy();

  // A seam for benchmarks alone, which time the dialog's own work. `frame` gets each
  // live-view frame with the dialog's handling of it (which answers the size the frame is
  // shown at) and the painting of the window now; false from it ends the dialog as Cancel
  // does. `picture_ready` hears the camera's notice of a new picture first, and
  // `camera_gone` the dialog noticing that the camera went away.
  struct Probe {
    using Handle = std::function<SIZE()>;
    using Paint = std::function<void()>;
    std::function<bool(JpegBytes frame, const Handle& handle, const Paint& paint)> frame;
    std::function<void()> picture_ready;
    std::function<void()> camera_gone;
    // The run's steps once its first frame is painted.
    std::function<void(const StartupTimes& steps)> first_frame;
    // The face guide took a new result of its worker.
    std::function<void()> face_result;
  };
  void SetProbe(Probe probe) { probe_ = std::move(probe); }

 private:
  void FormShow();
  void timSettingsTimer();
  void SetRunCaption(bool connected);
  void UpdateButtons();
  // Turns the view to `ang` degrees (normalised into 0..270), the skin with it.
  void DoSetRotate(int ang);
  // The item that shows the live view now, and the size the frame is rendered at.
  ui::Painted& ShownView(Rect& size) const;
  void CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType& Metadata);
  // The run's first frame is on the screen: the log tells how long each step took.
  void FirstFramePainted();
  void CamRemoteEvent(EventCallbackType Event);
  // The camera went away: the parts let go of it and the view says so.
  void CameraGone();
  // The camera is back: the view, the buttons and an automatic release as before.
  void CameraBack();
  void ApplySettingsText(TextView Text);
  void ShowSettingsDialog();
  // The host's CheckRetake: the downloaded picture checked; one that fails is shown with
  // its faults until the operator takes another (Retake) or keeps it (btUse); false while
  // the operator decides.
  bool ReviewPicture(const Text& file);
  void Retake();
  // The view and the buttons as they are for taking a picture.
  void EndReview();

  CaptureForm form_;
  TCamRemote CamRemote;
  std::unique_ptr<TdlgCanonEosSdkSettings> settings_;
  std::unique_ptr<TMessageThread> FMessageThread;
  Text error_;
  RunOptions options_;
  RunChoices choices_;
  CameraValues values_{CamRemote, settings_};
  CameraLink link_{CamRemote, values_, form_, error_};
  FaceGuide guide_{form_};
  LiveView view_{form_.PictureFrame(), guide_, link_};
  SkinHost skin_{form_, form_.Skin(), form_.ButtonRow(), view_};
  ViewWords words_{form_, *form_.PictureFrame().laDelay, skin_, link_};
  Focus focus_{CamRemote, link_, words_};
  Release release_{CamRemote, link_, focus_, words_, form_, choices_, error_};
  win::Timer timSettings{[this] { timSettingsTimer(); }, 100};  // a settings-only run opens the settings
  StartupTimes startup_;                                        // the run's steps up to its first frame painted
  bool row_shrunk_ = false;  // the window lost the button row's height for an automatic run
  bool reviewing_ = false;   // a picture that failed its check is shown, live view held
  Text release_caption_;     // btRel's caption while it says "Take again"
  std::optional<FaceGuide::PictureLook> reviewed_;
  bool destroyed_ = false;
  Probe probe_;
};

}  // namespace eos
