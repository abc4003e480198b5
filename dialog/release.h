// Taking the picture: the half-press while the release button is held, the countdown, the
// automatic release (at the first live-view frame, at the first framed face when the host's
// guide asks for one, or by its timer without live view), the shot, and the download of
// the picture into the host's file once the camera says it is ready.
#pragma once

#include <cstdint>
#include <functional>

#include "base/text.h"
#include "camremote/CamRemote.h"
#include "win/timer.h"

namespace eos {

class CameraLink;
class Focus;
class ViewWords;
struct RunChoices;
namespace ui {
class Form;
}

class Release {
 public:
  // The countdown is the run's `choices`; a failure's reason goes to the dialog's `error`,
  // and a picture taken ends `form` with OK.
  Release(TCamRemote& camera, CameraLink& link, Focus& focus, ViewWords& words, ui::Form& form,
          const RunChoices& choices, Text& error);

  // The run's picture file and its automatic release, which with the host's guide waits
  // for a framed face. No live-view frame is seen yet.
  void Prepare(const Text& file, bool automatic, bool wait_for_face);
  bool Automatic() const { return FAuto; }
  bool WaitsForFace() const { return release_when_framed_; }

  void btRelMouseDown();
  void btRelClick();
  // A live-view frame is on screen; `framed` when the guide finds the face framed.
  void FrameShown(bool framed);
  // Without live view an automatic run releases by its timer.
  void StartAutoTimer();
  // The camera's notices of the shot and the picture.
  void CamRemoteRemoteEvent(RemoteEventCallbackType Event, const AdditionNotifyRemoteEventType& EventData);
  // The camera is gone: no half-press, no automatic release pending.
  void Stop();
  // The camera is back: an automatic run releases again, at the next frame or, with the
  // guide running, at the next framed face.
  void Again(bool guide_running);
  // The guide cannot run: an automatic run releases without it, at the next frame.
  void GuideUnavailable();

  // With a review, each picture is downloaded into a file of its own (the host's file
  // stays as it is) and `review` is asked about it: true places it in the host's file and
  // ends the dialog with OK, false keeps the dialog open for the operator, who takes
  // another (btRelClick) or keeps this one (Accept).
  std::function<bool(const Text& picture)> review;
  // The picture under review goes to the host's file and the dialog ends with OK; false
  // when it cannot be placed, and the dialog's error says why.
  bool Accept();
  // The picture under review, if any, is given up.
  void Discard() noexcept;

 private:
  void timHalfShutterTimer();
  void timAutoTimer();
  bool TakePicture();
  void PictureTaken();

  TCamRemote& camera_;
  CameraLink& link_;
  Focus& focus_;
  ViewWords& words_;
  ui::Form& form_;
  const RunChoices& choices_;
  Text& error_;
  Text file_;         // where the picture goes
  Text review_file_;  // where a picture under review is, while there is one
  bool FAuto = false;
  bool release_when_framed_ = false;  // an automatic run of the host's guide, not released yet
  bool FVFFirstImageDone = false;
  bool FFocusDone = false;
  std::int32_t FThumbnailsToReceive = 0;
  std::int32_t FPicturesToReceive = 0;
  win::Timer timHalfShutter{[this] { timHalfShutterTimer(); }, 300};
  win::Timer timAuto{[this] { timAutoTimer(); }, 200};
};

}  // namespace eos
