#include "plugin/capture_run.h"

#include <chrono>

#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "base/paramtext.h"
#include "dialog/capture_dialog.h"
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

// The plug-in's settings that a run gives its dialog.
RunOptions OptionsOf(const PluginState& s, std::chrono::steady_clock::time_point called) {
  return {s.SettingsOnlyMode, s.CanSettings, s.CanFocus, called};
}
RunChoices ChoicesOf(const PluginState& s) { return {s.DelayIndex, s.AfterMode, s.CameraValuesApplied, false}; }

// The dialog's choices kept for the next run; confirmed settings are changed ones.
void KeepChoices(const RunChoices& c) {
  PluginState& s = State();
  s.DelayIndex = c.delay;
  s.AfterMode = c.after_mode;
  s.CameraValuesApplied = c.camera_values_applied;
  if (c.settings_confirmed) s.SettingsChanged = true;
}

// The stored settings for a run: from the registry, unless the host gave them.
Text StoredSettings() {
  PluginState& s = State();
  if (!s.SettingsFromHost) LoadSettings();
  return s.StoredSettings;
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

// The words of a fault that ended a run before its dialog closed: the host gets them,
// translated, instead of an answer that looks like a cancel.
Text FailureText() {
  try {
    throw;
  } catch (const Exception& e) {
    return Translate(e.message());
  } catch (const std::exception& e) {
    return Translate(FromUtf8(e.what()));
  } catch (...) {
    return Translate(u"The capture failed");
  }
}

// What the host asked for of what the dialog found on the picture.
PictureFindings Findings(const FaceGuide::PictureLook& look, const CaptureInput& in) {
  PictureFindings out;
  if (in.Face && look.face) {
    const face::PictureFace& f = *look.face;
    out.face = AnswerFace{f.left, f.top, f.width, f.height, f.eyes[0].x, f.eyes[0].y, f.eyes[1].x, f.eyes[1].y};
  }
  if (in.Check && look.check)
    out.check = AnswerCheck{Ascii(face::CheckVerdict(*look.check)), Ascii(face::CheckValues(*look.check))};
  return out;
}

}  // namespace

CaptureAnswerParts ConfirmedAnswer(TextView file, int angle, bool settings_changed, const LookAtPicture& look) {
  std::vector<std::uint8_t> picture;
  if (!win::ReadWholeFile(file, picture)) return CaptureAnswer(file, angle, settings_changed, std::nullopt);
  const PictureFindings found = look ? look(picture) : PictureFindings();
  return CaptureAnswer(file, angle, settings_changed, std::move(picture), found);
}

TdlgCanonEosSDK* CaptureDialog() { return DialogInstance().get(); }

bool CaptureRunning() { return g_running; }

bool CreateCaptureDialog() {
  if (DialogInstance()) return true;
  try {
    DialogInstance() = std::make_unique<TdlgCanonEosSDK>();
    return true;
  } catch (...) {
    win::LogSwallowed(u"CreateCaptureDialog");
    return false;
  }
}

bool RunCapture(Text& text, bool AutoDefault, const AnswerSink& sink) {
  const std::chrono::steady_clock::time_point called = std::chrono::steady_clock::now();
  g_running = true;
  PluginState& s = State();
  bool modal_ok = false;
  bool closed = false;        // the dialog has closed: a fault after that leaves the answer as it is
  bool choices_owed = false;  // the prepared dialog holds the run's choices until they are kept
  const auto take_choices = [&] {
    if (std::exchange(choices_owed, false)) KeepChoices(DialogInstance()->Choices());
  };
  try {
    PrepareSdkPath();
    if (!CreateCaptureDialog()) throw Exception(u"The capture dialog cannot be created");
    TdlgCanonEosSDK& dlg = *DialogInstance();
    const CaptureInput in = ReadCaptureInput(text, AutoDefault, GetTempFolder());
    dlg.Prepare(in, OptionsOf(s, called), ChoicesOf(s));
    choices_owed = true;
    text = in.CancelText;
    s.PictureFileName = in.File;
    s.WantBase64 = true;
    if (!dlg.Connect(StoredSettings)) {
      take_choices();
      text = dlg.Error();
    } else {
      modal_ok = dlg.RunModal();
      closed = true;
      take_choices();
      KeepSettings(dlg);
      if (modal_ok) {
        LookAtPicture look;
        if (in.Face || in.Check)
          look = [&dlg, &in](std::span<const std::uint8_t> picture) {
            // A reviewed picture was looked at in the dialog already.
            if (const std::optional<FaceGuide::PictureLook>& seen = dlg.Reviewed()) return Findings(*seen, in);
            return Findings(dlg.LookAtPicture(picture, in.Check), in);
          };
        CaptureAnswerParts answer = ConfirmedAnswer(s.PictureFileName, dlg.Angle(), s.SettingsChanged, look);
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
    if (!closed) text = FailureText();
    take_choices();
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
    // The dialog lets go of the camera first; a disconnection that failed is the last error.
    dialog->FormDestroy();
    State().LastErrorText = dialog->Error();
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
