#include "dialog/capture_dialog.h"

#include <windows.h>

#include "base/exception.h"
#include "base/lumutils.h"
#include "camremote/core/CamValues.h"
#include "dialog/camera_events.h"
#include "dialog/core/camera_loss.h"
#include "dialog/core/picture_frame.h"
#include "dialog/core/tool_pictures.h"
#include "dialog/countdown.h"
#include "dialog/picture_file.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/status_window.h"
#include "imaging/LumImageEx.h"
#include "layout/layout_engine.h"
#include "plugin/services/services.h"
#include "win/log_file.h"
#include "win/rect.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

constexpr COLORREF kCream = RGB(255, 251, 240);
constexpr COLORREF kDelayGreen = RGB(0, 160, 0);

constexpr ui::FormSpec kSpec{u"", 624, 470, ui::kSizeable};

}  // namespace

constexpr ui::Row<D> D::kRows[] = {
    {.member = &D::paNoSkin, .bounds = {0, 0, 624, 470}, .align = ui::Align::Client},
    {.member = &D::paButtons, .parent = &D::paNoSkin, .bounds = {0, 435, 624, 35}, .align = ui::Align::Bottom},
    {.member = &D::beButtons, .parent = &D::paNoSkin, .bounds = {0, 427, 624, 8}, .align = ui::Align::Bottom},
    {.member = &D::Panel3,
     .parent = &D::paNoSkin,
     .bounds = {0, 0, 624, 427},
     .align = ui::Align::Client,
     .on_event = &D::Panel3Resize},
    {.member = &D::paBord, .parent = &D::Panel3, .bounds = {8, 8, 608, 411}, .on_event = &D::paBordResize},
    {.member = &D::paImx, .parent = &D::paBord, .bounds = {0, 0, 608, 408}},
    {.member = &D::shImx, .parent = &D::paImx, .bounds = {0, 0, 608, 408}},
    {.member = &D::paIm, .parent = &D::paImx, .bounds = {1, 1, 606, 406}},
    {.member = &D::ImageR,
     .parent = &D::paIm,
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &D::PaintLiveView},
    {.member = &D::Image1, .parent = &D::paIm, .align = ui::Align::Client, .on_paint = &D::PaintLiveView},
    {.member = &D::laDelay,
     .parent = &D::paIm,
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &D::PaintDelay},
    {.member = &D::btSettings,
     .parent = &D::paButtons,
     .bounds = {8, 5, 27, 25},
     .caption = u"...",
     .hint = u"Inställningar",
     .on_event = &D::btSettingsXClick},
    {.member = &D::btFocusFar,
     .parent = &D::paButtons,
     .bounds = {44, 5, 27, 25},
     .caption = u">",
     .hint = u"Fokusera längre bort",
     .tag = 1,
     .on_mouse_down = &D::btFocusFarXMouseDown,
     .on_mouse_up = &D::btFocusFarXMouseUp},
    {.member = &D::btFocusNear,
     .parent = &D::paButtons,
     .bounds = {72, 5, 27, 25},
     .caption = u"<",
     .hint = u"Fokusera närmare",
     .tag = -1,
     .on_mouse_down = &D::btFocusFarXMouseDown,
     .on_mouse_up = &D::btFocusFarXMouseUp},
    {.member = &D::btAF,
     .parent = &D::paButtons,
     .bounds = {100, 5, 27, 25},
     .caption = u"AF",
     .hint = u"Autofokus",
     .on_event = &D::btAutoFocusClick},
    {.member = &D::btRel,
     .parent = &D::paButtons,
     .bounds = {456, 5, 80, 25},
     .caption = u"Take picture",
     .options = ui::kDefault,
     .on_event = &D::btRelClick,
     .on_mouse_down = &D::btRelMouseDown},
    {.member = &D::btCancel,
     .parent = &D::paButtons,
     .bounds = {541, 5, 75, 25},
     .caption = u"Cancel",
     .on_event = &D::btCancelClick},
    {.member = &D::paSkin, .bounds = {0, 0, 624, 470}, .options = ui::kHidden},
    // Click areas over a skin's button pictures; a skin's reload keeps them (Tag 999).
    {.member = &D::lumlabTakePicture, .parent = &D::paSkin, .tag = 999, .on_event = &D::btRelClick},
    {.member = &D::lumlabSettings, .parent = &D::paSkin, .tag = 999, .on_event = &D::btSettingsXClick},
    {.member = &D::lumlabCancel, .parent = &D::paSkin, .tag = 999, .on_event = &D::btCancelClick},
    {.member = &D::timSettings, .options = ui::kDisabled, .interval_ms = 100, .on_event = &D::timSettingsTimer},
    {.member = &D::timAuto, .options = ui::kDisabled, .interval_ms = 200, .on_event = &D::timAutoTimer},
    {.member = &D::timInfoEnd, .options = ui::kDisabled, .interval_ms = 2000, .on_event = &D::timInfoEndTimer},
    {.member = &D::timHalfShutter, .options = ui::kDisabled, .interval_ms = 300, .on_event = &D::timHalfShutterTimer},
    {.member = &D::timFocusRepeat, .options = ui::kDisabled, .interval_ms = 100, .on_event = &D::timFocusRepeatTimer},
    {.member = &D::timReconnect, .options = ui::kDisabled, .interval_ms = 1000, .on_event = &D::timReconnectTimer},
    {.member = &D::timAutoFocusDone,
     .options = ui::kDisabled,
     .interval_ms = 8000,
     .on_event = &D::timAutoFocusDoneTimer},
};

TdlgCanonEosSDK::TdlgCanonEosSDK() : Form(kSpec) {
  Build(*this, kRows);
  SetDragByBody(true);
  SetIcon(L"MainIcon");
  // Each tool button shows its picture; one whose icon cannot be made keeps its caption.
  btSettings->SetPicture(ToolPictureOf(ToolPicture::Settings));
  btFocusFar->SetPicture(ToolPictureOf(ToolPicture::Farther));
  btFocusNear->SetPicture(ToolPictureOf(ToolPicture::Nearer));
  btAF->SetPicture(ToolPictureOf(ToolPicture::Autofocus));
  paIm->SetColor(kCream);
  LOGFONTW font{};
  font.lfHeight = -64;
  font.lfWeight = FW_NORMAL;
  wcscpy(font.lfFaceName, L"Arial");
  delay_font_.reset(CreateFontIndirectW(&font));
  font.lfHeight = -Scale(28);
  font.lfWeight = FW_BOLD;
  gone_font_.reset(CreateFontIndirectW(&font));
  font.lfHeight = -Scale(20);
  face_font_.reset(CreateFontIndirectW(&font));
  // The view is rendered at the size of the item that shows it (until the next frame
  // after a resize).
  for (ui::Painted* image : {ImageR, Image1})
    image->fills_bounds = [this, image] {
      return !camera_gone_ && view_.view().width == image->Width() && view_.view().height == image->Height();
    };

  CamRemote.SetEOSViewfinderRefreshInterval(100);
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
        [this] { PaintPending(); });
    if (!go_on) btCancelClick(*btCancel);
  };
  CamRemote.OnEvent = [this](EventCallbackType e) { CamRemoteEvent(e); };
  CamRemote.OnRemoteEvent = [this](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType& data) {
    if (probe_.picture_ready && e == RemoteEventCallbackReleaseImageReady &&
        data.TypeOfPicture() == TypeOfPicturePicture)
      probe_.picture_ready();
    CamRemoteRemoteEvent(e, data);
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
    FSettings = std::make_unique<TdlgCanonEosSdkSettings>();
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
  StopFaceGuide();
  step(u"FormDestroy 1", [this] { FSettings.reset(); });
  WriteLog(u"FormDestroy 1");
  step(u"FormDestroy 2", [this] {
    if (FCameraConnected) DisconnectFromCamera();
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

void TdlgCanonEosSDK::SetProbe(Probe probe) { probe_ = std::move(probe); }

// --- The run -------------------------------------------------------------------------

void TdlgCanonEosSDK::Prepare(const CaptureInput& input, const RunOptions& options, const RunChoices& choices) {
  options_ = options;
  choices_ = choices;
  file_ = input.File;
  FVFFirstImageDone = false;
  btSettings->SetVisible(!input.HideSettings);
  for (ui::Button* focus : {btFocusFar, btFocusNear, btAF}) focus->SetVisible(!input.HideFocus);
  btRel->SetVisible(!input.HideTakePicture);
  FAuto = input.Auto;
  face_guide_host_ = input.FaceGuide;
  release_when_framed_ = FAuto && face_guide_host_;
}

bool TdlgCanonEosSDK::Connect(const std::function<Text()>& stored_settings) {
  bool ok = true;
  try {
    if (!FCameraConnected) {
      ShowStatus(Translate(u"Connecting to EOS-camera..."), false);
      ok = ConnectToCamera();
    }
    if (ok && !FCameraActive) {
      UpdateStatusFmt(Translate(u"Starting remote connection to %s..."), {FCameraInfo.CameraModelName}, true);
      ok = OpenCamera(false);
    }
    const Text settings = ok ? stored_settings() : Text();
    if (!settings.empty()) {
      try {
        ApplySettingsText(settings);
      } catch (...) {
        win::LogSwallowed(u"ApplySettingsText");
      }
    }
    if (ok && viewfinder_supported_ && !FCameraVF) {
      UpdateStatusFmt(Translate(u"Opening %s..."), {FCameraInfo.CameraModelName}, true);
      ok = SetViewfinder(true);
    }
    if (ok) FCanAF = StopAutoFocus(true);
  } catch (...) {
    HideStatus();
    throw;
  }
  HideStatus();
  SetRunCaption(ok);
  return ok;
}

void TdlgCanonEosSDK::SetRunCaption(bool connected) {
  Text caption = u"Canon plugin EOS " + GetPluginVersion();
  if (connected) {
    try {
      FSDKVersion = GetSdkFileVersion(u"EDSDK.DLL");
      caption += u" - SDK ver. " + FSDKVersion;
      if (paSkin->Visible()) FillSkinFields();  // the skin's texts name the SDK too
    } catch (...) {
      win::LogSwallowed(u"RunCapture");
    }
  }
  SetCaption(caption + u" | " + FCameraInfo.CameraModelName);
}

bool TdlgCanonEosSDK::RunModal() {
  // An automatic or settings-only run shows no button row; the window shrinks by it
  // while the dialog shows. One that waits for a framed face keeps Take picture.
  UpdateFaceGuide();
  const bool hide_row = ((FAuto && !release_when_framed_) || options_.settings_only) && !paSkin->Visible();
  if (hide_row) {
    const RECT r = OuterBounds();
    SetOuterSize(r.right - r.left, r.bottom - r.top - ButtonRowHeight());
    paButtons->SetVisible(false);
    beButtons->SetVisible(false);
    row_shrunk_ = true;
  }
  if (FAuto && !viewfinder_supported_) timAuto->SetEnabled(true);
  bool ok = false;
  try {
    FormShow();
    ok = ShowModal() == ui::kModalOk;
    StopAutoFocus(false);
  } catch (...) {
    if (hide_row) {
      paButtons->SetVisible(true);
      beButtons->SetVisible(true);
    }
    throw;
  }
  if (hide_row) {
    paButtons->SetVisible(true);
    beButtons->SetVisible(true);
  }
  return ok;
}

// --- Connection ----------------------------------------------------------------------

bool TdlgCanonEosSDK::ConnectToCamera() {
  error_.clear();
  WriteLogTime(u"ConnectToCamera: ");
  if (FCameraConnected) return true;
  try {
    const CameraConnectedType cameras = CamRemote.OpenCameraEnumeration();
    if (cameras.EOSCameras == nullptr || cameras.EOSCameras->empty()) {
      error_ = Translate(u"No EOS-camera is connected to the computer");
      return false;
    }
    FCameraInfo = CamRemote.Connect(CamModEOS, 0);
    WriteLog(u"Camera is connected");
    FCameraConnected = true;
    return true;
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    FCameraConnected = false;
    return false;
  }
}

bool TdlgCanonEosSDK::OpenCamera(bool ProbeParams) {
  error_.clear();
  if (!FCameraConnected && !ConnectToCamera()) return false;
  WriteLogTime(u"OpenCamera: ");
  if (!CamRemote.RemoteSupported()) {
    error_ = Translate(u"The connected camera does not support remote mode");
    return false;
  }
  WriteLog(u"Starts remote process and probes remote parameters");
  try {
    FCameraCapability = CamRemote.RemoteStart(FCameraReleaseMode, ReleaseDataKindTakeOnlyPicture, ProbeParams, u"");
  } catch (const Exception& e) {
    // A camera that will not go remote fails the run with its reason, as a refused
    // connection does; passed on, it would reach the host as a plain cancel.
    error_ = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    return false;
  }
  FCameraActive = true;
  FCameraReleaseActive = true;
  if (FCameraCapability.DoSupportShootingPara) {
    viewfinder_supported_ = FCameraCapability.DoSupportViewfinder;
    WriteLogTime(u"GetCameraSettings: ");
    GetCameraValues();
    if (ProbeParams) FCameraProbeDone = true;
    UpdateComboValues();
    WriteLogTime(u"GetCameraSettings done: ");
  }
  WriteLog(u"Remote process is opened");
  return FCameraActive;
}

bool TdlgCanonEosSDK::SetViewfinder(bool Open) {
  error_.clear();
  if (!FCameraActive && !OpenCamera(false)) {
    ShowInfoBox(u"fel");
    return false;
  }
  try {
    if (Open) {
      CamRemote.RemoteStartViewfinder(true);
      FCameraVF = true;
    } else {
      CamRemote.RemoteStopViewfinder();
      FCameraVF = false;
    }
    return true;
  } catch (const Exception& e) {
    WriteLog(u"SetViewfinder - " + e.message());
    return false;
  }
}

bool TdlgCanonEosSDK::CloseCamera() {
  error_.clear();
  if (FCameraVF && !SetViewfinder(false)) return false;
  WriteLogTime(u"CloseCamera: ");
  if (FCameraReleaseActive) {
    CamRemote.RemoteEnd();
    FCameraActive = false;
    FCameraReleaseActive = false;
  }
  WriteLog(u"Remote process stopped");
  return true;
}

void TdlgCanonEosSDK::DisconnectFromCamera() {
  error_.clear();
  if (FCameraActive && !CloseCamera()) return;
  WriteLogTime(u"DisconnectFromCamera: ");
  if (!FCameraConnected) {
    WriteLog(u"Camera already disconnected");
    return;
  }
  try {
    FCameraConnected = false;
    CamRemote.Disconnect();
    CamRemote.CloseCameraEnumeration();
    WriteLog(u"Camera is disconnected");
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Camera communication error: %s"), {e.message()});
    WriteLog(u"Camera communication error " + e.message());
  }
}

void TdlgCanonEosSDK::UpdateButtons() {
  btRel->SetEnabled(FCameraReleaseActive);
  btSettings->SetEnabled(FCameraReleaseActive && options_.can_settings);
  const bool focus = FCameraReleaseActive && options_.can_focus;
  btFocusFar->SetEnabled(focus);
  btFocusNear->SetEnabled(focus);
  bool af_mode = false;
  if (FSettings) {
    const ui::ComboBox& list = FSettings->List(ValueList::AFMode);
    const RemoteFormatAFModeType mode = AFModeFromName(GetComboValue(list));
    af_mode = !list.Enabled() || mode == RemoteFormatAFModeOneShot || mode == RemoteFormatAFModeAIServo ||
              mode == RemoteFormatAFModeAIFocus;
  }
  btAF->SetEnabled(focus && FCanAF && af_mode);
  UpdateSkinButtons();
}

void TdlgCanonEosSDK::FormShow() {
  WriteLogTime(u"FormShow: ");
  if (options_.settings_only) timSettings->SetEnabled(true);
  UpdateButtons();
}

bool TdlgCanonEosSDK::FormKeyDown(WORD key) {
  if (key == VK_ESCAPE) {
    btCancelClick(*btCancel);
    return true;
  }
  if (key == VK_RETURN) {
    btRelClick(*btRel);
    return true;
  }
  return false;
}

// --- Live view -----------------------------------------------------------------------

void TdlgCanonEosSDK::Panel3Resize(ui::Component&) {
  constexpr int kBorder = 8;
  paBord->SetBounds({kBorder, kBorder, Panel3->Width() - kBorder, Panel3->Height() - kBorder});
}

SIZE TdlgCanonEosSDK::ShownFrameSize() const {
  if (!FPreviewSizeSet) return {0, 0};
  return FAngle == 90 || FAngle == 270 ? SIZE{FPreviewH, FPreviewW} : SIZE{FPreviewW, FPreviewH};
}

void TdlgCanonEosSDK::paBordResize(ui::Component&) {
  const double ratio = FPreviewSizeSet ? static_cast<double>(FPreviewH) / FPreviewW : 2.0 / 3.0;
  const Rect r = FitPictureFrame(paBord->Width(), paBord->Height(), paImx->Width(), paImx->Height(), ratio);
  paImx->SetBounds(win::ToRECT(r));
  shImx->SetBounds({0, 0, r.width, r.height});
  paIm->SetBounds({1, 1, r.width - 1, r.height - 1});
}

void TdlgCanonEosSDK::DoSetRotate(int ang) {
  ang = NormaliseAngle(ang);
  if (TurnSwapsSides(ang, paImx->Width(), paImx->Height())) {
    const RECT b = paImx->Bounds();
    paImx->SetBounds({b.left, b.top, b.left + paImx->Height(), b.top + paImx->Width()});
    paBordResize(*paBord);
  }
  if (FSettings) FSettings->SetAngle(ang);
  FAngle = ang;
  Image1->SetVisible(ang == 0);
  ImageR->SetVisible(ang != 0);
  if (paSkin->Visible()) ApplySkinShape(ang);
}

ui::Painted& TdlgCanonEosSDK::ShownView(Rect& size) const {
  if (ui::Painted* skin_view = SkinView()) {
    size = SkinViewRect();
    return *skin_view;
  }
  ui::Painted& shown = FAngle == 0 ? *Image1 : *ImageR;
  size = {0, 0, shown.Width(), shown.Height()};
  return shown;
}

void TdlgCanonEosSDK::CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType&) {
  std::string error;
  if (!FPreviewSizeSet) {
    imaging::JpegDecoder header;
    if (!header.Begin(Jpegdata, error)) throw ECamException(u"Live view frame: " + FromUtf8(error));
    FPreviewSizeSet = true;
    FPreviewW = header.width();
    FPreviewH = header.height();
    paBordResize(*paBord);
  }
  if (FSettings) {
    FAngle = FSettings->Angle();
    FMirror = FSettings->Mirror();
  }
  Rect size;
  ui::Painted& shown = ShownView(size);
  if (!view_.Render(Jpegdata, size.width, size.height, FAngle, FMirror, error))
    throw ECamException(u"Live view frame: " + FromUtf8(error));
  // A change of view lays the panel out again; most frames change nothing but pixels.
  if (Image1->Visible() != (FAngle == 0)) Image1->SetVisible(FAngle == 0);
  if (ImageR->Visible() != (FAngle != 0)) ImageR->SetVisible(FAngle != 0);
  shown.Invalidate();
  FaceGuideFrame();
  if (!FVFFirstImageDone) {
    FVFFirstImageDone = true;
    if (FAuto && !release_when_framed_) btRelClick(*btRel);
  }
  // The host's guide lets its automatic release wait for the first framed face.
  if (release_when_framed_ && face_state_ == face::Guidance::kFramed) {
    release_when_framed_ = false;
    btRelClick(*btRel);
  }
}

void TdlgCanonEosSDK::PaintLiveView(HDC dc, const RECT& bounds) {
  // No still picture of a camera that is gone: the words stand on the panel alone.
  if (view_.view().empty() || camera_gone_) return;
  imaging::DrawPixels(dc, {bounds.left, bounds.top, bounds.right, bounds.bottom}, view_.view());
  PaintFaceGuide(dc, bounds);
}

void TdlgCanonEosSDK::PaintDelay(HDC dc, const RECT& bounds) {
  const bool gone_words = delay_text_.empty();
  const Text text = gone_words ? GoneText() : delay_text_;
  if (text.empty()) return;
  const win::Selected keep_font(dc, gone_words ? gone_font_.get() : delay_font_.get());
  const COLORREF old_color = SetTextColor(dc, kDelayGreen);
  ui::DrawLabelText(dc, bounds, text, ui::kCentre | ui::kMiddle | ui::kWordWrap);
  SetTextColor(dc, old_color);
}

// --- Taking the picture --------------------------------------------------------------

void TdlgCanonEosSDK::btRelMouseDown(ui::Component&) { timHalfShutter->SetEnabled(true); }

void TdlgCanonEosSDK::timHalfShutterTimer(ui::Component&) {
  timHalfShutter->SetEnabled(false);
  for (RemoteShutterButtonType button : {RemoteShutterButtonHalfPressed, RemoteShutterButtonOff}) {
    try {
      CamRemote.RemotePressShutter(button);
    } catch (const Exception&) {
      win::LogSwallowed(u"timHalfShutterTimer");
    }
  }
  FFocusDone = true;
  ui::ProcessMessages();
}

void TdlgCanonEosSDK::btRelClick(ui::Component&) {
  timHalfShutter->SetEnabled(false);
  if (camera_gone_) return;  // Enter or the automatic release while no camera is there
  if (!FFocusDone) {
    StopAutoFocus(false);
    if (choices_.delay > 0) ShowDelay(choices_.delay, [this](int del) { UpdateValueDelay(del); });
  }
  FFocusDone = false;
  TakePicture();
}

void TdlgCanonEosSDK::timAutoTimer(ui::Component&) {
  timAuto->SetEnabled(false);
  btRelClick(*btRel);
}

void TdlgCanonEosSDK::btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }

void TdlgCanonEosSDK::btSettingsXClick(ui::Component&) {
  StopAutoFocus(false);
  ShowSettingsDialog();
}

void TdlgCanonEosSDK::timSettingsTimer(ui::Component&) {
  timSettings->SetEnabled(false);
  ShowSettingsDialog();
}

void TdlgCanonEosSDK::timInfoEndTimer(ui::Component&) {
  SetOverlayText(Text());
  SetSkinMessage(Text());
}

// The countdown's digit or a message over the live view, else the words of a camera that
// is gone; hidden while there is none, so the live view alone is painted straight to the
// screen.
void TdlgCanonEosSDK::SetOverlayText(Text text) {
  delay_text_ = std::move(text);
  laDelay->SetVisible(!delay_text_.empty() || camera_gone_);
  laDelay->Invalidate();
}

// In a skin the same words go to its "Message" field, shown by a label that names it.
void TdlgCanonEosSDK::SetSkinMessage(TextView text) {
  const Text shown = text.empty() ? GoneText() : Text(text);
  if (!paSkin->Visible() || (shown.empty() && !skin_message_shown_)) return;
  layout::Engine().SetFieldValueAndRefresh(u"Message", shown, *paSkin);
  skin_message_shown_ = !shown.empty();
}

void TdlgCanonEosSDK::UpdateValueDelay(int del) {
  SetOverlayText(del == -1 ? Text(u" ") : IntToText(del));
  if (paSkin->Visible()) layout::Engine().SetFieldValueAndRefresh(u"Delay", delay_text_, *paSkin);
  ui::ProcessMessages();
}

void TdlgCanonEosSDK::ShowInfoText(TextView Message, unsigned Interval) {
  SetOverlayText(Text(Message));
  SetSkinMessage(Message);
  timInfoEnd->Clock().SetInterval(Interval);
  timInfoEnd->SetEnabled(true);
}

bool TdlgCanonEosSDK::TakePicture() {
  error_.clear();
  if (!FCameraActive && !OpenCamera(false)) {
    ShowInfoBox(u"fel");
    error_ = Translate(u"Error opening camera while taking picture");
    return false;
  }
  WriteLogTime(u"TakePicture: ");
  bool result = false;
  try {
    WriteLog(u"Taking the picture " + IntToText(FCameraCapability.ReqViewfinderOffWhenShooting ? 1 : 0));
    if (FCameraCapability.ReqViewfinderOffWhenShooting) SetViewfinder(false);
    WriteLogTime(u"RemoteTakePicture: ");
    CamRemote.RemoteTakePicture();
    WriteLogTime(u"RemoteTakePicture after: ");
    result = true;
  } catch (const Exception& e) {
    error_ = FormatText(Translate(u"Remote process stopped: %s"), {e.message()});
  }
  WriteLogTime(u"TakePicture done: ");
  if (!result && IsCameraGoneError(error_)) {
    CameraGone();
  } else if (!result) {
    // The user sees why nothing was taken: the camera's words over the view for 2 s.
    ShowInfoText(ShotFailureText(error_), 2000);
    try {
      SetViewfinder(true);
    } catch (const Exception&) {
      win::LogSwallowed(u"TakePicture");
    }
  }
  return result;
}

void TdlgCanonEosSDK::PictureTaken() {
  WriteLog(u"PictureTaken");
  if (camera_gone_) return;  // a notice the camera sent before it went
  try {
    if (!FCameraActive) {
      ShowInfoBox(u"Exception, nearly. mReleaseProcessActive");
      return;
    }
    const std::int32_t n = CamRemote.PicturesToDownload();
    WriteLogFmt(u"PictureTaken - PicturesToDownload: %d", {int64_t{n}});
    if (n <= 0) {
      ui::ProcessMessages();
      return;
    }
    DownloadPictureFile(file_, [this](const Text& temp) { CamRemote.RemoteGetPicture(temp, PictureTypeFull); });
  } catch (const Exception& e) {
    // A download the drop cut off left nothing at the host's path: the picture is taken
    // again once the camera is back.
    error_ = e.message();
    if (IsCameraGoneError(error_)) CameraGone();
    return;
  }
  SetModalResult(ui::kModalOk);
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
    if (Event.Event == EventRemoteShutdownReasonNotKnown || Event.Event == EventConnectionDisappeared) CameraGone();
    return;
  }
  const MessageQueueElementType box = CameraEventBox(Event.Event, title);
  WriteLogTime(u"CamRemoteEvent1: " + title + u" ");
  FMessageThread->AddMessage(box);
  WriteLogTime(u"CamRemoteEvent: " + title + u" ");
}

void TdlgCanonEosSDK::CamRemoteRemoteEvent(RemoteEventCallbackType Event,
                                           const AdditionNotifyRemoteEventType& EventData) {
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
