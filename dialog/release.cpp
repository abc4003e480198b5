#include "dialog/release.h"

#include <windows.h>

#include "base/exception.h"
#include "base/lumutils.h"
#include "dialog/camera_link.h"
#include "dialog/core/camera_loss.h"
#include "dialog/core/picture_frame.h"
#include "dialog/countdown.h"
#include "dialog/focus.h"
#include "dialog/picture_file.h"
#include "dialog/run_choices.h"
#include "dialog/view_words.h"
#include "plugin/services/services.h"
#include "ui/form.h"
#include "win/log_file.h"

namespace eos {

Release::Release(TCamRemote& camera, CameraLink& link, Focus& focus, ViewWords& words, ui::Form& form,
                 const RunChoices& choices, Text& error)
    : camera_(camera), link_(link), focus_(focus), words_(words), form_(form), choices_(choices), error_(error) {}

void Release::Prepare(const Text& file, bool automatic, bool wait_for_face) {
  file_ = file;
  FVFFirstImageDone = false;
  FAuto = automatic;
  release_when_framed_ = FAuto && wait_for_face;
}

void Release::btRelMouseDown() { timHalfShutter.SetEnabled(true); }

void Release::timHalfShutterTimer() {
  timHalfShutter.SetEnabled(false);
  for (RemoteShutterButtonType button : {RemoteShutterButtonHalfPressed, RemoteShutterButtonOff}) {
    try {
      camera_.RemotePressShutter(button);
    } catch (const Exception&) {
      win::LogSwallowed(u"timHalfShutterTimer");
    }
  }
  FFocusDone = true;
  ui::ProcessMessages();
}

void Release::btRelClick() {
  timHalfShutter.SetEnabled(false);
  if (link_.Gone()) return;  // Enter or the automatic release while no camera is there
  if (!FFocusDone) {
    focus_.StopAutoFocus(false);
    if (choices_.delay > 0) ShowDelay(choices_.delay, [this](int del) { words_.UpdateValueDelay(del); });
  }
  FFocusDone = false;
  TakePicture();
}

void Release::timAutoTimer() {
  timAuto.SetEnabled(false);
  btRelClick();
}

void Release::StartAutoTimer() {
  if (FAuto) timAuto.SetEnabled(true);
}

void Release::FrameShown(bool framed) {
  if (!FVFFirstImageDone) {
    FVFFirstImageDone = true;
    if (FAuto && !release_when_framed_) btRelClick();
  }
  // The host's guide lets its automatic release wait for the first framed face.
  if (release_when_framed_ && framed) {
    release_when_framed_ = false;
    btRelClick();
  }
}

void Release::Stop() {
  for (win::Timer* timer : {&timHalfShutter, &timAuto}) timer->SetEnabled(false);
  FFocusDone = false;
}

void Release::Again(bool guide_running) {
  FVFFirstImageDone = false;
  release_when_framed_ = FAuto && guide_running;
}

void Release::GuideUnavailable() {
  // At the first frame, or at the next one when the first went by while the model was read.
  if (std::exchange(release_when_framed_, false)) FVFFirstImageDone = false;
}

bool Release::TakePicture() {
  error_.clear();
  if (!link_.Active() && !link_.OpenCamera(false)) {
    ShowInfoBox(u"fel");
    error_ = Translate(u"Error opening camera while taking picture");
    return false;
  }
  WriteLogTime(u"TakePicture: ");
  bool result = false;
  const bool viewfinder_off = link_.Capability().ReqViewfinderOffWhenShooting;
  try {
    WriteLog(u"Taking the picture " + IntToText(viewfinder_off ? 1 : 0));
    if (viewfinder_off) link_.SetViewfinder(false);
    WriteLogTime(u"RemoteTakePicture: ");
    camera_.RemoteTakePicture();
    WriteLogTime(u"RemoteTakePicture after: ");
    result = true;
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Remote process stopped: %s"), {e.message()});
  }
  WriteLogTime(u"TakePicture done: ");
  if (!result && IsCameraGoneError(error_)) {
    link_.CameraGone();
  } else if (!result) {
    // The user sees why nothing was taken: the camera's words over the view for 2 s.
    words_.ShowInfoText(ShotFailureText(error_), 2000);
    try {
      link_.SetViewfinder(true);
    } catch (const Exception&) {
      win::LogSwallowed(u"TakePicture");
    }
  }
  return result;
}

void Release::PictureTaken() {
  WriteLog(u"PictureTaken");
  if (link_.Gone()) return;  // a notice the camera sent before it went
  try {
    if (!link_.Active()) {
      ShowInfoBox(u"Exception, nearly. mReleaseProcessActive");
      return;
    }
    const std::int32_t n = camera_.PicturesToDownload();
    WriteLogFmt(u"PictureTaken - PicturesToDownload: %d", {int64_t{n}});
    if (n <= 0) {
      ui::ProcessMessages();
      return;
    }
    if (review && review_file_.empty()) review_file_ = NewReviewFile(file_);
    DownloadPictureFile(review ? review_file_ : file_,
                        [this](const Text& temp) { camera_.RemoteGetPicture(temp, PictureTypeFull); });
  } catch (const Exception& e) {
    // A download the drop cut off left nothing at the host's path: the picture is taken
    // again once the camera is back.
    error_ = e.message();
    if (IsCameraGoneError(error_)) link_.CameraGone();
    return;
  }
  if (!review) {
    form_.SetModalResult(ui::kModalOk);
  } else if (review(review_file_)) {
    Accept();
  }  // else the operator decides
}

bool Release::Accept() {
  try {
    PlacePictureFile(review_file_, file_);
  } catch (const Exception& e) {
    error_ = e.message();
    words_.ShowInfoText(error_, 2000);
    return false;
  }
  review_file_.clear();
  form_.SetModalResult(ui::kModalOk);
  return true;
}

void Release::Discard() noexcept {
  DeletePictureFile(review_file_);
  review_file_.clear();
}

void Release::CamRemoteRemoteEvent(RemoteEventCallbackType Event, const AdditionNotifyRemoteEventType& EventData) {
  WriteLogTime(u"CamRemoteRemoteEvent: ");
  switch (Event) {
    case RemoteEventCallbackReleaseComplete:
      WriteLog(u"RemoteEventCallbackReleaseComplete");
      WriteLog(u"ReleaseDataKindTakeOnlyPicture");
      break;
    case RemoteEventCallbackChangedByUI:
      WriteLog(u"RemoteEventCallbackChangedByUI");
      break;
    case RemoteEventCallbackCamReleaseOn:
      WriteLog(u"RemoteEventCallbackCamReleaseOn");
      break;
    case RemoteEventCallbackReleaseImageReady:
      WriteLog(u"RemoteEventCallbackReleaseImageReady");
      if (EventData.TypeOfPicture() == TypeOfPictureThumbnail) {
        ++FThumbnailsToReceive;
      } else if (EventData.TypeOfPicture() == TypeOfPicturePicture) {
        ++FPicturesToReceive;
        ui::ProcessMessages();
        Sleep(10);
        ui::ProcessMessages();
        PictureTaken();
      }
      WriteLog(u"FThumbnailsToReceive :" + IntToText(FThumbnailsToReceive));
      WriteLog(u"FPicturesToReceive :" + IntToText(FPicturesToReceive));
      break;
    default:
      break;
  }
}

}  // namespace eos
