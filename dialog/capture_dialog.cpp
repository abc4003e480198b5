#include "dialog/capture_dialog.h"

#include <windows.h>

#include "base/exception.h"
#include "base/lumutils.h"
#include "camremote/core/CamValues.h"
#include "dialog/core/picture_frame.h"
#include "dialog/countdown.h"
#include "dialog/picture_file.h"
#include "dialogs/settings_dialog.h"
#include "imaging/LumImageEx.h"
#include "layout/layout_engine.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/log_file.h"

namespace eos {

namespace {

using D = TdlgCanonEosSDK;

constexpr COLORREF kCream = RGB(255, 251, 240);
constexpr COLORREF kDelayGreen = RGB(0, 160, 0);

constexpr ui::Row<D> kRows[] = {
    {.name = u"paNoSkin", .kind = ui::Kind::Panel, .bounds = {0, 0, 624, 470}, .align = ui::Align::Client},
    {.name = u"paButtons",
     .kind = ui::Kind::Panel,
     .parent = u"paNoSkin",
     .bounds = {0, 435, 624, 35},
     .align = ui::Align::Bottom},
    {.name = u"beButtons",
     .kind = ui::Kind::Bevel,
     .parent = u"paNoSkin",
     .bounds = {0, 427, 624, 8},
     .align = ui::Align::Bottom},
    {.name = u"Panel3",
     .kind = ui::Kind::Panel,
     .parent = u"paNoSkin",
     .bounds = {0, 0, 624, 427},
     .align = ui::Align::Client,
     .on_event = &D::Panel3Resize},
    {.name = u"paBord",
     .kind = ui::Kind::Panel,
     .parent = u"Panel3",
     .bounds = {8, 8, 608, 411},
     .on_event = &D::paBordResized},
    {.name = u"paImx", .kind = ui::Kind::Panel, .parent = u"paBord", .bounds = {0, 0, 608, 408}},
    {.name = u"shImx", .kind = ui::Kind::Shape, .parent = u"paImx", .bounds = {0, 0, 608, 408}},
    {.name = u"paIm", .kind = ui::Kind::Panel, .parent = u"paImx", .bounds = {1, 1, 606, 406}},
    {.name = u"ImageR",
     .kind = ui::Kind::Painted,
     .parent = u"paIm",
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &D::PaintLiveView},
    {.name = u"Image1",
     .kind = ui::Kind::Painted,
     .parent = u"paIm",
     .align = ui::Align::Client,
     .on_paint = &D::PaintLiveView},
    {.name = u"laDelay",
     .kind = ui::Kind::Painted,
     .parent = u"paIm",
     .align = ui::Align::Client,
     .options = ui::kHidden,
     .on_paint = &D::PaintDelay},
    {.name = u"btSettings",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {8, 5, 27, 25},
     .caption = u"...",
     .hint = u"Inställningar",
     .on_event = &D::btSettingsXClick},
    {.name = u"btFocusFar",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {44, 5, 27, 25},
     .caption = u">",
     .hint = u"Fokusera längre bort",
     .tag = 1,
     .on_mouse_down = &D::btFocusFarXMouseDown,
     .on_mouse_up = &D::btFocusFarXMouseUp},
    {.name = u"btFocusNear",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {72, 5, 27, 25},
     .caption = u"<",
     .hint = u"Fokusera närmare",
     .tag = -1,
     .on_mouse_down = &D::btFocusFarXMouseDown,
     .on_mouse_up = &D::btFocusFarXMouseUp},
    {.name = u"btAF",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {100, 5, 27, 25},
     .caption = u"AF",
     .hint = u"Autofokus",
     .on_event = &D::btAutoFocusClick},
    {.name = u"btRel",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {456, 5, 80, 25},
     .caption = u"Take picture",
     .options = ui::kDefault,
     .on_event = &D::btRelClick,
     .on_mouse_down = &D::btRelMouseDown},
    {.name = u"btCancel",
     .kind = ui::Kind::Button,
     .parent = u"paButtons",
     .bounds = {541, 5, 75, 25},
     .caption = u"Cancel",
     .on_event = &D::btCancelClick},
    {.name = u"paSkin", .kind = ui::Kind::Panel, .bounds = {0, 0, 624, 470}, .options = ui::kHidden},
    // Click areas over a skin's button pictures; a skin's reload keeps them (Tag 999).
    {.name = u"lumlabTakePicture",
     .kind = ui::Kind::Painted,
     .parent = u"paSkin",
     .tag = 999,
     .on_event = &D::btRelClick},
    {.name = u"lumlabSettings",
     .kind = ui::Kind::Painted,
     .parent = u"paSkin",
     .tag = 999,
     .on_event = &D::btSettingsXClick},
    {.name = u"lumlabCancel",
     .kind = ui::Kind::Painted,
     .parent = u"paSkin",
     .tag = 999,
     .on_event = &D::btCancelClick},
    {.name = u"timSettings",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 100,
     .on_event = &D::timSettingsTimer},
    {.name = u"timAuto",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 200,
     .on_event = &D::timAutoTimer},
    {.name = u"timInfoEnd",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 2000,
     .on_event = &D::timInfoEndTimer},
    {.name = u"timHalfShutter",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 300,
     .on_event = &D::timHalfShutterTimer},
    {.name = u"timFocusRepeat",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 100,
     .on_event = &D::timFocusRepeatTimer},
    {.name = u"timAutoFocusDone",
     .kind = ui::Kind::Timer,
     .options = ui::kDisabled,
     .interval_ms = 8000,
     .on_event = &D::timAutoFocusDoneTimer},
};

constexpr ui::FormSpec kSpec{u"", 624, 470};

std::unique_ptr<TdlgCanonEosSdkSettings>& SettingsInstance() {
  static std::unique_ptr<TdlgCanonEosSdkSettings> instance;
  return instance;
}

// The built-in text of a camera event, before translation.
Text EventText(EventEnumType event) {
  struct Row {
    EventEnumType event;
    const char16_t* text;
  };
  static constexpr Row kTexts[] = {
      {EventBatteryLevelNormal, u"Battery level normal"},
      {EventBatteryLevelWeak, u"Battery level weak"},
      {EventBatteryLevelSafetyLow, u"Battery level safety low"},
      {EventBatteryLevelLB, u"Battery level LB"},
      {EventDialChanged, u"Dial changed"},
      {EventCFGateOpened, u"CF gate opened"},
      {EventBatteryCoverOpened, u"Battery cover opened"},
      {EventConnectionDisappeared, u"Camera connection disappeared"},
      {EventUnrecoverableError, u"Unrecoverable error"},
      {EventUnkonwnCommandReceived, u"Unknown command received"},
      {EventRemoteParameterChanged, u"Remote parameter changed"},
      {EventRemoteCaptureError, u"Capture error"},
      {EventRemoteShutdownReasonNotKnown, u"Shutdown reason not known"},
  };
  for (const Row& r : kTexts)
    if (r.event == event) return Translate(r.text);
  return Translate(FormatText(u"Unknown error: %s", {IntToText(event)}));
}

}  // namespace

TdlgCanonEosSdkSettings* SettingsDialog() { return SettingsInstance().get(); }

bool CreateSettingsDialog() {
  try {
    if (!SettingsInstance()) SettingsInstance() = std::make_unique<TdlgCanonEosSdkSettings>();
    return true;
  } catch (...) {
    win::LogSwallowed(u"CreateSettingsDialog");
    return false;
  }
}

bool FreeSettingsDialog() {
  try {
    SettingsInstance().reset();
    return true;
  } catch (...) {
    win::LogSwallowed(u"FreeSettingsDialog");
    return false;
  }
}

TdlgCanonEosSDK::TdlgCanonEosSDK()
    : Form(kSpec, kRows),
      paNoSkin(Get<ui::Panel>(u"paNoSkin")),
      Panel3(Get<ui::Panel>(u"Panel3")),
      paBord(Get<ui::Panel>(u"paBord")),
      paImx(Get<ui::Panel>(u"paImx")),
      shImx(Get<ui::Shape>(u"shImx")),
      paIm(Get<ui::Panel>(u"paIm")),
      ImageR(Get<ui::Painted>(u"ImageR")),
      Image1(Get<ui::Painted>(u"Image1")),
      laDelay(Get<ui::Painted>(u"laDelay")),
      beButtons(Get<ui::Bevel>(u"beButtons")),
      paButtons(Get<ui::Panel>(u"paButtons")),
      btSettings(Get<ui::Button>(u"btSettings")),
      btFocusFar(Get<ui::Button>(u"btFocusFar")),
      btFocusNear(Get<ui::Button>(u"btFocusNear")),
      btAF(Get<ui::Button>(u"btAF")),
      btRel(Get<ui::Button>(u"btRel")),
      btCancel(Get<ui::Button>(u"btCancel")),
      paSkin(Get<ui::Panel>(u"paSkin")),
      lumlabTakePicture(Get<ui::Painted>(u"lumlabTakePicture")),
      lumlabSettings(Get<ui::Painted>(u"lumlabSettings")),
      lumlabCancel(Get<ui::Painted>(u"lumlabCancel")),
      timSettings(Get<ui::Timer>(u"timSettings")),
      timAuto(Get<ui::Timer>(u"timAuto")),
      timInfoEnd(Get<ui::Timer>(u"timInfoEnd")),
      timHalfShutter(Get<ui::Timer>(u"timHalfShutter")),
      timFocusRepeat(Get<ui::Timer>(u"timFocusRepeat")),
      timAutoFocusDone(Get<ui::Timer>(u"timAutoFocusDone")) {
  paIm.SetColor(kCream);
  LOGFONTW font{};
  font.lfHeight = -64;
  font.lfWeight = FW_NORMAL;
  wcscpy(font.lfFaceName, L"Arial");
  delay_font_.reset(CreateFontIndirectW(&font));
  // The view is rendered at the size of the item that shows it (until the next frame
  // after a resize).
  for (ui::Painted* image : {&ImageR, &Image1})
    image->fills_bounds = [this, image] {
      return view_.view().width == image->Width() && view_.view().height == image->Height();
    };

  CamRemote.SetEOSViewfinderRefreshInterval(100);
  CamRemote.OnViewfinderEvent = [this](JpegBytes jpeg, const ViewfinderPositionType& meta) {
    CamRemoteViewfinderEvent(jpeg, meta);
  };
  CamRemote.OnEvent = [this](EventCallbackType e) { CamRemoteEvent(e); };
  CamRemote.OnRemoteEvent = [this](RemoteEventCallbackType e, const AdditionNotifyRemoteEventType& data) {
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
  FMessageThread = std::make_unique<TMessageThread>();
}

TdlgCanonEosSDK::~TdlgCanonEosSDK() {
  // Each step runs whatever became of the one before: the camera must be let go.
  const auto step = [](TextView where, auto&& action) {
    try {
      action();
    } catch (...) {
      win::LogSwallowed(where);
    }
  };
  WriteLog(u"FormDestroy");
  step(u"FormDestroy 1", [] { FreeSettingsDialog(); });
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

// --- Connection ----------------------------------------------------------------------

bool TdlgCanonEosSDK::ConnectToCamera() {
  PluginState& s = State();
  s.LastErrorText.clear();
  WriteLogTime(u"ConnectToCamera: ");
  if (FCameraConnected) return true;
  try {
    const CameraConnectedType cameras = CamRemote.OpenCameraEnumeration();
    FCameraEnumerated = true;
    if (cameras.EOSCameras == nullptr || cameras.EOSCameras->empty()) {
      s.LastErrorText = Translate(u"No EOS-camera is connected to the computer");
      return false;
    }
    FCameraInfo = CamRemote.Connect(CamModEOS, 0);
    WriteLog(u"Camera is connected");
    FCameraConnected = true;
    return true;
  } catch (const Exception& e) {
    s.LastErrorText = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    FCameraConnected = false;
    return false;
  }
}

bool TdlgCanonEosSDK::OpenCamera(bool ProbeParams) {
  PluginState& s = State();
  s.LastErrorText.clear();
  if (!FCameraConnected && !ConnectToCamera()) return false;
  WriteLogTime(u"OpenCamera: ");
  if (!CamRemote.RemoteSupported()) {
    s.LastErrorText = Translate(u"The connected camera does not support remote mode");
    return false;
  }
  WriteLog(u"Starts remote process and probes remote parameters");
  try {
    FCameraCapability = CamRemote.RemoteStart(FCameraReleaseMode, ReleaseDataKindTakeOnlyPicture, ProbeParams, u"");
  } catch (const Exception& e) {
    // A camera that will not go remote fails the run with its reason, as a refused
    // connection does; passed on, it would reach the host as a plain cancel.
    s.LastErrorText = FormatText(Translate(u"Connection to camera failed: %s"), {e.message()});
    WriteLog(u"Connection to camera failed");
    return false;
  }
  FCameraActive = true;
  FCameraReleaseActive = true;
  if (FCameraCapability.DoSupportShootingPara) {
    s.ViewfinderSupported = FCameraCapability.DoSupportViewfinder;
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
  State().LastErrorText.clear();
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
  State().LastErrorText.clear();
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
  PluginState& s = State();
  s.LastErrorText.clear();
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
    FCameraEnumerated = false;
    WriteLog(u"Camera is disconnected");
  } catch (const Exception& e) {
    s.LastErrorText = FormatText(Translate(u"Camera communication error: %s"), {e.message()});
    WriteLog(u"Camera communication error " + e.message());
  }
}

void TdlgCanonEosSDK::UpdateButtons() {
  const PluginState& s = State();
  btRel.SetEnabled(FCameraReleaseActive);
  btSettings.SetEnabled(FCameraReleaseActive && s.CanSettings);
  const bool focus = FCameraReleaseActive && s.CanFocus;
  btFocusFar.SetEnabled(focus);
  btFocusNear.SetEnabled(focus);
  bool af_mode = false;
  if (const TdlgCanonEosSdkSettings* settings = SettingsDialog()) {
    const ui::ComboBox& list = settings->List(ValueList::AFMode);
    const RemoteFormatAFModeType mode = AFModeFromName(GetComboValue(list));
    af_mode = !list.Enabled() || mode == RemoteFormatAFModeOneShot || mode == RemoteFormatAFModeAIServo ||
              mode == RemoteFormatAFModeAIFocus;
  }
  btAF.SetEnabled(focus && FCanAF && af_mode);
}

void TdlgCanonEosSDK::FormShow() {
  WriteLogTime(u"FormShow: ");
  if (State().SettingsOnlyMode) timSettings.SetEnabled(true);
  UpdateButtons();
}

bool TdlgCanonEosSDK::FormKeyDown(WORD key) {
  if (key == VK_ESCAPE) {
    btCancelClick(btCancel);
    return true;
  }
  if (key == VK_RETURN) {
    btRelClick(btRel);
    return true;
  }
  return false;
}

// --- Live view -----------------------------------------------------------------------

void TdlgCanonEosSDK::Panel3Resize(ui::Component&) {
  constexpr int kBorder = 8;
  paBord.SetBounds({kBorder, kBorder, Panel3.Width() - kBorder, Panel3.Height() - kBorder});
}

void TdlgCanonEosSDK::paBordResize(ui::Component*) {
  const double ratio = FPreviewSizeSet ? static_cast<double>(FPreviewH) / FPreviewW : 2.0 / 3.0;
  const FrameRect r = FitPictureFrame(paBord.Width(), paBord.Height(), paImx.Width(), paImx.Height(), ratio);
  paImx.SetBounds({r.Left, r.Top, r.Left + r.Width, r.Top + r.Height});
  shImx.SetBounds({0, 0, r.Width, r.Height});
  paIm.SetBounds({1, 1, r.Width - 1, r.Height - 1});
}

void TdlgCanonEosSDK::DoSetRotate(int ang) {
  ang = NormaliseAngle(ang);
  if (TurnSwapsSides(ang, paImx.Width(), paImx.Height())) {
    const RECT b = paImx.Bounds();
    paImx.SetBounds({b.left, b.top, b.left + paImx.Height(), b.top + paImx.Width()});
    paBordResize(nullptr);
  }
  if (TdlgCanonEosSdkSettings* settings = SettingsDialog()) settings->SetAngle(ang);
  FAngle = ang;
  Image1.SetVisible(ang == 0);
  ImageR.SetVisible(ang != 0);
  if (paSkin.Visible()) ApplySkinShape(ang);
}

void TdlgCanonEosSDK::CamRemoteViewfinderEvent(JpegBytes Jpegdata, const ViewfinderPositionType&) {
  std::string error;
  if (!FPreviewSizeSet) {
    imaging::JpegDecoder header;
    if (!header.Begin(Jpegdata, error)) throw ECamException(u"Live view frame: " + FromUtf8(error));
    FPreviewSizeSet = true;
    FPreviewW = header.width();
    FPreviewH = header.height();
    paBordResize(nullptr);
  }
  if (const TdlgCanonEosSdkSettings* settings = SettingsDialog()) {
    FAngle = settings->Angle();
    FMirror = settings->Mirror();
  }
  ui::Painted* skin_view = SkinView();
  ui::Painted& shown = skin_view ? *skin_view : FAngle == 0 ? Image1 : ImageR;
  const SkinRect size = skin_view ? SkinViewRect() : SkinRect{0, 0, shown.Width(), shown.Height()};
  if (!view_.Render(Jpegdata, size.width, size.height, FAngle, FMirror, error))
    throw ECamException(u"Live view frame: " + FromUtf8(error));
  // A change of view lays the panel out again; most frames change nothing but pixels.
  if (Image1.Visible() != (FAngle == 0)) Image1.SetVisible(FAngle == 0);
  if (ImageR.Visible() != (FAngle != 0)) ImageR.SetVisible(FAngle != 0);
  shown.Invalidate();
  if (!FVFFirstImageDone) {
    FVFFirstImageDone = true;
    if (FAuto) btRelClick(btRel);
  }
}

void TdlgCanonEosSDK::PaintLiveView(HDC dc, const RECT& bounds) {
  if (!view_.view().empty())
    imaging::DrawPixels(dc, {bounds.left, bounds.top, bounds.right, bounds.bottom}, view_.view());
}

void TdlgCanonEosSDK::PaintDelay(HDC dc, const RECT& bounds) {
  if (delay_text_.empty()) return;
  const HGDIOBJ old_font = SelectObject(dc, delay_font_.get());
  const COLORREF old_color = SetTextColor(dc, kDelayGreen);
  ui::DrawLabelText(dc, bounds, delay_text_, ui::kCentre | ui::kMiddle | ui::kWordWrap);
  SetTextColor(dc, old_color);
  SelectObject(dc, old_font);
}

// --- Taking the picture --------------------------------------------------------------

void TdlgCanonEosSDK::btRelMouseDown(ui::Component&) { timHalfShutter.SetEnabled(true); }

void TdlgCanonEosSDK::timHalfShutterTimer(ui::Component&) {
  timHalfShutter.SetEnabled(false);
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
  timHalfShutter.SetEnabled(false);
  if (!FFocusDone) {
    StopAutoFocus(false);
    if (State().DelayIndex > 0) ShowDelay(State().DelayIndex, [this](int del) { UpdateValueDelay(del); });
  }
  FFocusDone = false;
  TakePicture();
}

void TdlgCanonEosSDK::timAutoTimer(ui::Component&) {
  timAuto.SetEnabled(false);
  btRelClick(btRel);
}

void TdlgCanonEosSDK::btCancelClick(ui::Component&) { SetModalResult(ui::kModalCancel); }

void TdlgCanonEosSDK::btSettingsXClick(ui::Component&) {
  StopAutoFocus(false);
  ShowSettingsDialog();
}

void TdlgCanonEosSDK::timSettingsTimer(ui::Component&) {
  timSettings.SetEnabled(false);
  ShowSettingsDialog();
}

void TdlgCanonEosSDK::timInfoEndTimer(ui::Component&) { SetOverlayText(Text()); }

// The countdown's digit or a message over the live view; hidden while there is none, so
// the live view alone is painted straight to the screen.
void TdlgCanonEosSDK::SetOverlayText(Text text) {
  delay_text_ = std::move(text);
  laDelay.SetVisible(!delay_text_.empty());
}

void TdlgCanonEosSDK::UpdateValueDelay(int del) {
  SetOverlayText(del == -1 ? Text(u" ") : IntToText(del));
  if (paSkin.Visible()) layout::Engine().SetFieldValueAndRefresh(u"Delay", delay_text_, paSkin);
  ui::ProcessMessages();
}

void TdlgCanonEosSDK::ShowInfoText(TextView Message, unsigned Interval) {
  SetOverlayText(Text(Message));
  timInfoEnd.Clock().SetInterval(Interval);
  timInfoEnd.SetEnabled(true);
}

bool TdlgCanonEosSDK::TakePicture() {
  PluginState& s = State();
  s.LastErrorText.clear();
  if (!FCameraActive && !OpenCamera(false)) {
    ShowInfoBox(u"fel");
    s.LastErrorText = Translate(u"Error opening camera while taking picture");
    return false;
  }
  WriteLogTime(u"TakePicture: ");
  bool result = false;
  try {
    WriteLog(u"Taking the picture " + IntToText(FCameraCapability.ReqViewfinderOffWhenShooting ? 1 : 0));
    FUseTumbnail = false;
    if (FCameraCapability.ReqViewfinderOffWhenShooting) SetViewfinder(false);
    FLastEventCallback = -1;
    FGetPictureFailed = false;
    WriteLogTime(u"RemoteTakePicture: ");
    CamRemote.RemoteTakePicture();
    WriteLogTime(u"RemoteTakePicture after: ");
    result = true;
  } catch (const Exception& e) {
    s.LastErrorText = FormatText(Translate(u"Remote process stopped: %s"), {e.message()});
  }
  WriteLogTime(u"TakePicture done: ");
  if (!result) {
    // The user sees why nothing was taken: the camera's words over the view for 2 s.
    ShowInfoText(ShotFailureText(s.LastErrorText), 2000);
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
  PluginState& s = State();
  try {
    if (!FCameraActive) {
      ShowInfoBox(u"Exception, nearly. mReleaseProcessActive");
      return;
    }
    const std::int32_t n = CamRemote.PicturesToDownload();
    WriteLogFmt(u"PictureTaken - PicturesToDownload: %d", {int64_t{n}});
    if (n <= 0) {
      FGetPictureFailed = true;
      ui::ProcessMessages();
      return;
    }
    DownloadPictureFile(s.PictureFileName,
                        [this](const Text& temp) { CamRemote.RemoteGetPicture(temp, PictureTypeFull); });
  } catch (const Exception& e) {
    s.LastErrorText = e.message();
    return;
  }
  SetModalResult(ui::kModalOk);
}

// --- Camera events -------------------------------------------------------------------

void TdlgCanonEosSDK::CamRemoteEvent(EventCallbackType Event) {
  if (Event.Severity == EventSeverityInfo) return;
  WriteLogTime(u"CamRemoteEvent: ");
  Text title;
  if (Event.Severity == EventSeverityWarning)
    title = Translate(u"Camera warning event");
  else if (Event.Severity == EventSeverityClosing)
    return;
  const Text caption = u"Camera event - " + EventText(Event.Event);
  WriteLogTime(u"CamRemoteEvent1: " + title + u" ");
  FMessageThread->AddMessage({caption, title, 48, false});
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
