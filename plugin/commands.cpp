#include "plugin/commands.h"

#include <memory>

#include "base/paramtext.h"
#include "camremote/version.h"
#include "dialog/capture_dialog.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/log_file.h"
#include "win/window_class.h"

namespace eos {

namespace {

// The capture dialog a run left behind, if any.
std::unique_ptr<TdlgCanonEosSDK>& CaptureDialog() {
  static std::unique_ptr<TdlgCanonEosSDK> dialog;
  return dialog;
}

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

bool DoCanonSDKFree() {
  WriteLog(u"DoCanonSDKFree");
  auto& dialog = CaptureDialog();
  if (!dialog) {
    WriteLog(u"DoCanonSDKFree allready done");
    return true;
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

int32_t CanonEosSDKParams(int32_t cmd, Text& text) {
  PluginState& s = State();
  try {
    switch (cmd) {
      case ctEos_Capture:
      case ctEos_CaptureAuto:
      case ctEos_Settings:
        return -1;  // the capture run arrives with the capture dialog
      case ctEos_GetSettings:
        text = s.StoredSettings;
        break;
      case ctEos_SetSettings:
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
