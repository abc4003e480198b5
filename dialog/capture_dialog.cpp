#include "dialog/capture_dialog.h"

#include <windows.h>

#include "base/exception.h"
#include "base/lumutils.h"
#include "camremote/core/CamValues.h"
#include "dialog/camera_events.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/status_window.h"
#include "plugin/services/services.h"
#include "win/files.h"
#include "win/log_file.h"

namespace eos {

TdlgCanonEosSDK::TdlgCanonEosSDK() {
  CaptureFormActions& actions = form_.actions;
  actions.release = [this] {
    if (reviewing_) {
      Retake();
    } else {
      release_.btRelClick();
    }
  };
  actions.use_anyway = [this] {
    if (reviewing_) release_.Accept();
  };
  actions.release_pressed = [this] { release_.btRelMouseDown(); };
  actions.settings = [this] {
    focus_.StopAutoFocus(false);
    ShowSettingsDialog();
  };
  actions.focus_pressed = [this](int step) { focus_.btFocusFarXMouseDown(step); };
  actions.focus_released = [this] { focus_.btFocusFarXMouseUp(); };
  actions.autofocus = [this] { focus_.btAutoFocusClick(); };
  actions.view_resized = [this] { view_.paBordResize(); };
  actions.paint_view = [this](HDC dc, const RECT& bounds) { view_.PaintFrame(dc, bounds, false); };
  actions.paint_words = [this](HDC dc, const RECT& bounds) { words_.PaintDelay(dc, bounds); };
  values_.on_shown = [this] { UpdateButtons(); };
  link_.events = {
      .gone = [this] { CameraGone(); },
      .returning = [this] { guide_.Forget(); },  // what it found was of the view before
      .reconnected = [this] { focus_.ProbeAutofocus(); },
      .back = [this] { CameraBack(); },
  };
  guide_.on_unavailable = [this](TextView words) {
    release_.GuideUnavailable();
    if (!words.empty()) words_.ShowInfoText(words, 3000);
  };

  CamRemote.OnViewfinderEvent = [this](JpegBytes jpeg, const ViewfinderPositionType& meta) {
    if (!probe_.frame) return CamRemoteViewfinderEvent(jpeg, meta);
    const bool go_on = probe_.frame(
        jpeg,
        [&] {
          CamRemoteViewfinderEvent(jpeg, meta);
          Rect size;
          ShownView(size);
          return SIZE{size.width, size.height};
        },
        [this] { form_.PaintPending(); });
    if (!go_on) form_.SetModalResult(ui::kModalCancel);
  };
  CamRemote.OnStartupStep = [this](StartupStep step) { startup_.Mark(step, StartupTimes::Clock::now()); };
  CamRemote.OnEvent = [this](EventCallbackType e) { CamRemoteEvent(e); };
  CamRemote.OnRemoteEvent = [this](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType& data) {
    if (probe_.picture_ready && e == RemoteEventCallbackReleaseImageReady &&
        data.TypeOfPicture() == TypeOfPicturePicture)
      probe_.picture_ready();
    release_.CamRemoteRemoteEvent(e, data);
  };
  CamRemote.OnGetPictureEvent = [](std::int32_t percent) {
    WriteLogFmt(u"CamRemoteGetPictureEvent: %d", {int64_t{percent}});
  };
  CamRemote.OnRemoteTakePictureEvent = [](std::int32_t) { WriteLog(u"Handles the picture"); };
  CamRemote.OnRemoteGetPictureEvent = [](std::int32_t) { WriteLog(u"Receiving the picture to disc"); };
  CamRemote.OnRemoteProbeParamEvent = [](std::int32_t percent) {
    WriteLog(u"Probes remote parameters. " + IntToText(percent) + u" percent done.");
  };
  try {
    settings_ = std::make_unique<TdlgCanonEosSdkSettings>();
  } catch (...) {
    win::LogSwallowed(u"CreateSettingsDialog");  // the dialog runs without one
  }
  FMessageThread = std::make_unique<TMessageThread>();
}

TdlgCanonEosSDK::~TdlgCanonEosSDK() { FormDestroy(); }

void TdlgCanonEosSDK::FormDestroy() {
  if (std::exchange(destroyed_, true)) return;
  // Each step runs whatever became of the one before: the camera must be let go.
  const auto step = [](TextView where, auto&& action) {
    try {
      action();
    } catch (...) {
      win::LogSwallowed(where);
    }
  };
  WriteLog(u"FormDestroy");
  guide_.Stop();
  step(u"FormDestroy 1", [this] { settings_.reset(); });
  WriteLog(u"FormDestroy 1");
  step(u"FormDestroy 2", [this] {
    if (link_.Connected()) link_.DisconnectFromCamera();
  });
  WriteLog(u"FormDestroy 2");
  step(u"FormDestroy 3", [this] { CamRemote.CloseCameraEnumeration(); });
  WriteLog(u"FormDestroy 3");
  step(u"FormDestroy done", [this] {
    FMessageThread->Terminate();
    FMessageThread->WaitFor();
    FMessageThread.reset();
  });
  WriteLog(u"FormDestroy done");
}

// --- The run -------------------------------------------------------------------------

void TdlgCanonEosSDK::Prepare(const CaptureInput& input, const RunOptions& options, const RunChoices& choices) {
  options_ = options;
  choices_ = choices;
  startup_.Begin(options.called);
  const ButtonRowItems& row = form_.ButtonRow();
  row.btSettings->SetVisible(!input.HideSettings);
  for (ui::Button* focus : {row.btFocusFar, row.btFocusNear, row.btAF}) focus->SetVisible(!input.HideFocus);
  row.btRel->SetVisible(!input.HideTakePicture);
  release_.Prepare(input.File, input.Auto, input.FaceGuide);
  release_.review = nullptr;
  if (input.CheckRetake) release_.review = [this](const Text& file) { return ReviewPicture(file); };
  reviewed_.reset();
  guide_.SetHostWants(input.FaceGuide);
}

bool TdlgCanonEosSDK::Connect(const std::function<Text()>& stored_settings) {
  bool ok = true;
  {
    // The status window goes when the steps end, whatever they do.
    struct StatusShown {
      ~StatusShown() { HideStatus(); }
    } status;
    if (!link_.Connected()) {
      ShowStatus(Translate(u"Connecting to EOS-camera..."), false);
      ok = link_.ConnectToCamera();
    }
    if (ok) guide_.Preload();  // the host's guide reads its model while the camera connects
    if (ok && !link_.Active()) {
      UpdateStatusFmt(Translate(u"Starting remote connection to %s..."), {link_.Info().CameraModelName}, true);
      ok = link_.OpenCamera(false);
    }
    const Text settings = ok ? stored_settings() : Text();
    if (!settings.empty()) {
      try {
        ApplySettingsText(settings);
      } catch (...) {
        win::LogSwallowed(u"ApplySettingsText");
      }
    }
    if (ok && link_.ViewfinderSupported() && !link_.Viewfinder()) {
      UpdateStatusFmt(Translate(u"Opening %s..."), {link_.Info().CameraModelName}, true);
      ok = link_.SetViewfinder(true);
    }
    if (ok) focus_.ProbeAutofocus();
  }
  SetRunCaption(ok);
  return ok;
}

void TdlgCanonEosSDK::SetRunCaption(bool connected) {
  Text caption = u"Canon plugin EOS " + GetPluginVersion();
  if (connected) {
    try {
      const Text sdk = GetSdkFileVersion(u"EDSDK.DLL");
      caption += u" - SDK ver. " + sdk;
      skin_.SetSdkVersion(sdk);
    } catch (...) {
      win::LogSwallowed(u"RunCapture");
    }
  }
  form_.SetCaption(caption + u" | " + link_.Info().CameraModelName);
}

bool TdlgCanonEosSDK::RunModal() {
  // An automatic or settings-only run shows no button row; the window shrinks by it
  // while the dialog shows. One that waits for a framed face keeps Take picture.
  guide_.Update(link_.ViewfinderSupported());
  // One whose picture may be reviewed keeps its buttons for the operator's choice.
  const bool hide_row =
      ((release_.Automatic() && !release_.WaitsForFace() && !release_.review) || options_.settings_only) &&
      !skin_.Shown();
  if (hide_row) {
    const RECT r = form_.OuterBounds();
    form_.SetOuterSize(r.right - r.left, r.bottom - r.top - form_.ButtonRowHeight());
    form_.ShowButtonRow(false);
    row_shrunk_ = true;
  }
  if (!link_.ViewfinderSupported()) release_.StartAutoTimer();
  bool ok = false;
  try {
    FormShow();
    ok = form_.ShowModal() == ui::kModalOk;
    focus_.StopAutoFocus(false);
  } catch (...) {
    if (hide_row) form_.ShowButtonRow(true);
    release_.Discard();
    EndReview();
    throw;
  }
  if (hide_row) form_.ShowButtonRow(true);
  // A picture still under review was not chosen: the host's file stays as it was.
  release_.Discard();
  EndReview();
  return ok;
}

void TdlgCanonEosSDK::FormShow() {
  WriteLogTime(u"FormShow: ");
  if (options_.settings_only) timSettings.SetEnabled(true);
  UpdateButtons();
}

void TdlgCanonEosSDK::timSettingsTimer() {
  timSettings.SetEnabled(false);
  ShowSettingsDialog();
}

void TdlgCanonEosSDK::UpdateButtons() {
  const ButtonRowItems& row = form_.ButtonRow();
  const bool release = link_.ReleaseActive();
  row.btRel->SetEnabled(release);
  row.btSettings->SetEnabled(release && options_.can_settings);
  const bool focus = release && options_.can_focus;
  row.btFocusFar->SetEnabled(focus);
  row.btFocusNear->SetEnabled(focus);
  bool af_mode = false;
  if (settings_) {
    const ui::ComboBox& list = settings_->List(ValueList::AFMode);
    const RemoteFormatAFModeType mode = AFModeFromName(values_.GetComboValue(list));
    af_mode = !list.Enabled() || mode == RemoteFormatAFModeOneShot || mode == RemoteFormatAFModeAIServo ||
              mode == RemoteFormatAFModeAIFocus;
  }
  row.btAF->SetEnabled(focus && focus_.CanAF() && af_mode);
  skin_.UpdateSkinButtons();
}

bool TdlgCanonEosSDK::ReviewPicture(const Text& file) {
  std::vector<std::uint8_t> picture;
  reviewed_.reset();
  if (!win::ReadWholeFile(file, picture)) return true;  // placed as it is; the answer reads it again
  reviewed_ = guide_.LookAtPicture(picture, view_.Angle(), true);
  // A skin has no place for the choice: its picture goes to the host with its check.
  if (skin_.Shown() || !reviewed_->check || reviewed_->check->passed()) return true;
  reviewing_ = true;
  Rect size;
  ui::Painted& shown = ShownView(size);
  view_.Render(picture, shown, size);
  Text words = Translate(u"The picture does not pass the check:");
  for (const face::Fault fault : reviewed_->check->failed) words += u"\n" + Translate(Ascii(face::FaultText(fault)));
  words_.ShowReview(std::move(words));
  const ButtonRowItems& row = form_.ButtonRow();
  release_caption_ = row.btRel->Caption();
  row.btRel->SetCaption(Translate(u"Take again"));
  row.btUse->SetCaption(Translate(u"Use anyway"));
  row.btUse->SetVisible(true);
  return false;
}

void TdlgCanonEosSDK::Retake() {
  EndReview();
  reviewed_.reset();
  release_.btRelClick();
}

void TdlgCanonEosSDK::EndReview() {
  if (!std::exchange(reviewing_, false)) return;
  words_.Clear();
  const ButtonRowItems& row = form_.ButtonRow();
  row.btRel->SetCaption(release_caption_);
  row.btUse->SetVisible(false);
}

FaceGuide::PictureLook TdlgCanonEosSDK::LookAtPicture(std::span<const std::uint8_t> jpeg, bool check) {
  return guide_.LookAtPicture(jpeg, view_.Angle(), check);
}

// --- Live view -----------------------------------------------------------------------

void TdlgCanonEosSDK::DoSetRotate(int ang) {
  ang = view_.Turn(ang);
  if (settings_) settings_->SetAngle(ang);
  if (skin_.Shown()) skin_.ApplySkinShape(ang);
}

ui::Painted& TdlgCanonEosSDK::ShownView(Rect& size) const {
  if (ui::Painted* skin_view = skin_.View()) {
    size = skin_.ViewRect();
    return *skin_view;
  }
  return view_.StandardView(size);
}

void TdlgCanonEosSDK::CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType&) {
  if (reviewing_) return;  // the picture under review stays in the view
  view_.TakeFrame(Jpegdata, settings_ ? settings_->Angle() : view_.Angle(),
                  settings_ ? settings_->Mirror() : view_.Mirror());
  Rect size;
  ui::Painted& shown = ShownView(size);
  view_.Render(Jpegdata, shown, size);
  if (startup_.Awaits(StartupStep::kFramePainted)) FirstFramePainted();
  if (guide_.Frame(view_.Luma(), view_.Angle(), view_.Mirror()) && probe_.face_result) probe_.face_result();
  release_.FrameShown(guide_.Framed());
}

void TdlgCanonEosSDK::FirstFramePainted() {
  if (!form_.Visible()) return;  // a frame before the dialog shows is not yet seen
  form_.PaintPending();          // the first frame shows now, not when the queue runs dry
  if (!startup_.Mark(StartupStep::kFramePainted, StartupTimes::Clock::now())) return;
  WriteLog(u"Live view: " + startup_.Summary());
  if (probe_.first_frame) probe_.first_frame(startup_);
}

// --- Camera events -------------------------------------------------------------------

void TdlgCanonEosSDK::CamRemoteEvent(EventCallbackType Event) {
  if (Event.Severity == EventSeverityInfo) return;
  WriteLogTime(u"CamRemoteEvent: ");
  Text title;
  if (Event.Severity == EventSeverityWarning) {
    title = Translate(u"Camera warning event");
  } else if (Event.Severity == EventSeverityClosing) {
    // The camera switched off or its cable pulled: the dialog waits for it to come back.
    if (Event.Event == EventRemoteShutdownReasonNotKnown || Event.Event == EventConnectionDisappeared)
      link_.CameraGone();
    return;
  }
  const MessageQueueElementType box = CameraEventBox(Event.Event, title);
  WriteLogTime(u"CamRemoteEvent1: " + title + u" ");
  FMessageThread->AddMessage(box);
  WriteLogTime(u"CamRemoteEvent: " + title + u" ");
}

void TdlgCanonEosSDK::CameraGone() {
  if (probe_.camera_gone) probe_.camera_gone();
  release_.Stop();
  focus_.Stop();
  link_.LetGoOfTheCamera();
  words_.Clear();
  view_.Invalidate();
  if (ui::Painted* skin_view = skin_.View()) skin_view->Invalidate();
  UpdateButtons();
}

void TdlgCanonEosSDK::CameraBack() {
  words_.Clear();
  SetRunCaption(true);
  UpdateButtons();
  // An automatic run releases again: at the first frame of the new live view, or without
  // live view by its timer.
  release_.Again(guide_.HostWants() && guide_.Running());
  if (!link_.ViewfinderSupported()) release_.StartAutoTimer();
}

}  // namespace eos
