#include "plugin/capture_run.h"

#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "base/paramtext.h"
#include "dialog/capture_dialog.h"
#include "dialogs/status_window.h"
#include "plugin/core/capture_answer.h"
#include "plugin/core/capture_input.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/files.h"
#include "win/log_file.h"

namespace eos {

namespace {

std::unique_ptr<TdlgCanonEosSDK>& DialogInstance() {
  static std::unique_ptr<TdlgCanonEosSDK> dialog;
  return dialog;
}

bool g_running = false;

// Hides the button row of an automatic or settings-only run for the time the dialog is
// shown; the form shrinks by its height.
class ButtonRowHidden {
 public:
  explicit ButtonRowHidden(TdlgCanonEosSDK& dlg) : dlg_(dlg) {
    shrink_ = dlg.ButtonRowHeight();
    Resize(-shrink_);
    dlg.paButtons.SetVisible(false);
    dlg.beButtons.SetVisible(false);
  }
  ~ButtonRowHidden() {
    dlg_.paButtons.SetVisible(true);
    dlg_.beButtons.SetVisible(true);
  }
  ButtonRowHidden(const ButtonRowHidden&) = delete;
  ButtonRowHidden& operator=(const ButtonRowHidden&) = delete;

 private:
  void Resize(int by) {
    const RECT r = dlg_.OuterBounds();
    SetWindowPos(dlg_.Window(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top + by,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  TdlgCanonEosSDK& dlg_;
  int shrink_ = 0;
};

void ConnectAndOpen(TdlgCanonEosSDK& dlg, bool& ok) {
  const PluginState& s = State();
  if (ok && !dlg.FCameraConnected) {
    ShowStatus(Translate(u"Connecting to EOS-camera..."), false);
    ok = dlg.ConnectToCamera();
  }
  if (ok && !dlg.FCameraActive) {
    UpdateStatusFmt(Translate(u"Starting remote connection to %s..."), {dlg.FCameraInfo.CameraModelName}, true);
    ok = dlg.OpenCamera(false);
  }
  if (ok && !s.SettingsFromHost) LoadSettings();
  if (ok && !s.StoredSettings.empty()) {
    try {
      dlg.ApplySettingsText(s.StoredSettings);
    } catch (...) {
      win::LogSwallowed(u"ApplySettingsText");
    }
  }
  if (ok && s.ViewfinderSupported && !dlg.FCameraVF) {
    UpdateStatusFmt(Translate(u"Opening %s..."), {dlg.FCameraInfo.CameraModelName}, true);
    ok = dlg.SetViewfinder(true);
  }
  if (ok) dlg.FCanAF = dlg.StopAutoFocus(true);
}

// The settings as the dialog leaves them; changed ones become the stored settings.
void KeepSettings(TdlgCanonEosSDK& dlg) {
  PluginState& s = State();
  try {
    const Text settings = dlg.GetSettingsText();
    if (!s.SettingsChanged) s.SettingsChanged = settings != s.StoredSettings;
    if (s.SettingsChanged) s.StoredSettings = settings;
  } catch (...) {
    win::LogSwallowed(u"GetSettingsText");
  }
}

void SetCaption(TdlgCanonEosSDK& dlg, bool ok) {
  Text caption = u"Canon plugin EOS " + GetPluginVersion();
  if (ok) {
    try {
      dlg.FSDKVersion = GetSdkFileVersion(u"EDSDK.DLL");
      caption += u" - SDK ver. " + dlg.FSDKVersion;
      if (dlg.paSkin.Visible()) dlg.FillSkinFields();  // the skin's texts name the SDK too
    } catch (...) {
      win::LogSwallowed(u"RunCapture");
    }
  }
  dlg.SetCaption(caption + u" | " + dlg.FCameraInfo.CameraModelName);
}

}  // namespace

CaptureAnswerParts ConfirmedAnswer(TextView file, int angle, bool settings_changed) {
  std::vector<std::uint8_t> picture;
  if (!win::ReadWholeFile(file, picture)) return CaptureAnswer(file, angle, settings_changed, std::nullopt);
  return CaptureAnswer(file, angle, settings_changed, std::move(picture));
}

TdlgCanonEosSDK* CaptureDialog() { return DialogInstance().get(); }

bool CaptureRunning() { return g_running; }

bool CreateCaptureDialog() {
  if (DialogInstance()) return true;
  try {
    DialogInstance() = std::make_unique<TdlgCanonEosSDK>();
    CreateSettingsDialog();
    return true;
  } catch (...) {
    win::LogSwallowed(u"CreateCaptureDialog");
    return false;
  }
}

bool RunCapture(Text& text, bool AutoDefault, const AnswerSink& sink) {
  g_running = true;
  PluginState& s = State();
  bool modal_ok = false;
  try {
    PrepareSdkPath();
    if (!CreateCaptureDialog()) throw Exception(u"The capture dialog cannot be created");
    TdlgCanonEosSDK& dlg = *DialogInstance();
    dlg.FVFFirstImageDone = false;
    const CaptureInput in = ReadCaptureInput(text, AutoDefault, GetTempFolder());
    // Every run has a fresh dialog with every button shown; only the host's keys hide one.
    dlg.btSettings.SetVisible(!in.HideSettings);
    for (ui::Button* focus : {&dlg.btFocusFar, &dlg.btFocusNear, &dlg.btAF}) focus->SetVisible(!in.HideFocus);
    dlg.btRel.SetVisible(!in.HideTakePicture);
    text = in.CancelText;
    s.PictureFileName = in.File;
    s.WantBase64 = true;
    dlg.FAuto = in.Auto;

    bool ok = true;
    try {
      ConnectAndOpen(dlg, ok);
    } catch (...) {
      HideStatus();
      throw;
    }
    HideStatus();
    SetCaption(dlg, ok);
    if (!ok) {
      text = s.LastErrorText;
    } else {
      {
        std::optional<ButtonRowHidden> hidden;
        if ((dlg.FAuto || s.SettingsOnlyMode) && !dlg.paSkin.Visible()) hidden.emplace(dlg);
        if (dlg.FAuto && !s.ViewfinderSupported) dlg.timAuto.SetEnabled(true);
        dlg.FormShow();
        modal_ok = dlg.ShowModal() == ui::kModalOk;
        dlg.StopAutoFocus(false);
      }
      KeepSettings(dlg);
      if (modal_ok) {
        CaptureAnswerParts answer = ConfirmedAnswer(s.PictureFileName, dlg.FAngle, s.SettingsChanged);
        if (sink) {
          sink(std::move(answer));
        } else {
          text = answer.Whole();
        }
      }
      if (s.SettingsChanged && !s.SettingsFromHost) SaveSettings();
      s.AfterMode = 0;
    }
  } catch (...) {
    win::LogSwallowed(u"RunCapture");
  }
  g_running = false;
  DoCanonSDKFree();
  return modal_ok;
}

bool RunSettingsOnly(Text& text) {
  PluginState& s = State();
  s.SettingsOnlyMode = true;
  Text own;
  const bool ok = RunCapture(own, false);
  if (ok) text = s.StoredSettings;
  s.SettingsOnlyMode = false;
  return ok;
}

bool DoCanonSDKFree() {
  WriteLog(u"DoCanonSDKFree");
  auto& dialog = DialogInstance();
  if (!dialog) {
    WriteLog(u"DoCanonSDKFree allready done");
    return true;
  }
  if (g_running) {
    // Called from inside the run's own dialog: the run frees it when it ends.
    WriteLog(u"DoCanonSDKFree - the dialog is in use");
    return false;
  }
  try {
    dialog.reset();
    WriteLog(u"DoCanonSDKFree OK");
    return true;
  } catch (...) {
    win::LogSwallowed(u"DoCanonSDKFree");
    dialog.release();
    WriteLog(u"DoCanonSDKFree Failed");
    return false;
  }
}

}  // namespace eos
