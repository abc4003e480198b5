#include "plugin/commands.h"
#include "base/paramtext.h"
#include "camremote/version.h"
#include "plugin/capture_run.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/log_file.h"
#include "win/window_class.h"

namespace eos {

namespace {

void SetCapabilities(TextView text) {
  PluginState& s = State();
  s.CanSettings = GetParamValue(u"CanSettings", text) != u"0";
  s.CanFocus = GetParamValue(u"CanFocus", text) != u"0";
}

void Free() {
  WriteLog(u"CanonEosSDKParams - ctEos_Free 1");
  State().Translations.reset();
  WriteLog(u"CanonEosSDKParams - ctEos_Free 2");
  WriteLog(u"CanonEosSDKParams - ctEos_Free 3");
  DoCanonSDKFree();
  // Before a host unloads the plug-in it calls this command: take the hidden windows and
  // window classes back here, outside the loader lock.
  win::ReleaseModuleWindows();
  WriteLog(u"CanonEosSDKParams - ctEos_Free 4");
}

void Versions(Text& text) {
  text = SetParamValue(u"Version", GetPluginVersion(), text);
  Text sdk;
  try {
    PrepareSdkPath();
    sdk = GetSdkFileVersion(u"EDSDK.DLL");
  } catch (...) {
    win::LogSwallowed(u"Versions");  // no SDK to be found: its version stays empty
    sdk.clear();
  }
  text = SetParamValue(u"SDKVersion", sdk, text);
  text = SetParamValue(u"CamRemoteVersion", CamRemoteVersionText(), text);
}

}  // namespace

int32_t CanonEosSDKParams(int32_t cmd, Text& text, const AnswerSink& sink) {
  PluginState& s = State();
  try {
    switch (cmd) {
      case ctEos_Capture:
      case ctEos_CaptureAuto:
      case ctEos_Settings:
        // A host window's message dispatched by the running dialog's loop may call again:
        // that call must leave the run alone.
        if (CaptureRunning()) return -1;
        if (cmd == ctEos_Settings) {
          if (RunSettingsOnly(text)) return 0;
          text = s.LastErrorText;
          return -1;
        }
        return RunCapture(text, cmd == ctEos_CaptureAuto, sink) ? 0 : -1;
      case ctEos_GetSettings:
        text = s.StoredSettings;
        break;
      case ctEos_SetSettings:
        // New settings from the host reach the camera at the next capture, even when
        // earlier ones of this process already did.
        if (text != s.StoredSettings) s.CameraValuesApplied = false;
        s.StoredSettings = text;
        s.SettingsFromHost = true;
        break;
      case ctEos_Translations:
        LoadTranslations(text);
        break;
      case ctEos_Capabilities:
        SetCapabilities(text);
        break;
      case ctEos_Free:
        Free();
        break;
      case ctEos_Version:
        Versions(text);
        break;
      case ctEos_Ping:
        text += u" hopp";
        break;
      default:
        break;
    }
    return 0;
  } catch (...) {
    // Only memory exhaustion gets here; the host keeps its text.
    win::LogSwallowed(u"CanonEosSDKParams");
    return -1;
  }
}

}  // namespace eos
