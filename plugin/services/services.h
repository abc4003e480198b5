// The plug-in's process-wide services on Windows: files, versions, the log, message
// boxes, translations, the settings store and the SDK folder on PATH.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "base/lumutils.h"
#include "base/text.h"

namespace eos {

Text GetPluginFileName();
Text GetPluginFolder();
Text GetTempFolder();
// "%d.%d" (65535.65535 without a readable version), or with `full` "%d.%d.%d.%d",
// which throws std::runtime_error when the version cannot be read.
Text GetFileVersionText(bool full);
// The plug-in's "major.minor" version.
Text GetPluginVersion();
// The four-part file version of a library found by the system's search; empty without one.
Text GetSdkFileVersion(TextView file_name);

// The plug-in log "eoslog.txt" beside the plug-in, written only while that file exists.
void WriteLog(TextView message, bool restart = false);
void WriteLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart = false);
// A log line with the time as "nn:ss:zzz" (minutes, seconds, milliseconds) after its label.
void WriteLogTime(TextView label);

// A system-modal information box captioned "String".
void ShowInfoBox(TextView text);

Text Translate(TextView text);
Text TranslateDef(TextView key, TextView def);
void LoadTranslations(TextView text);

bool LoadSettings();
bool SaveSettings();

void PrepareSdkPath();
bool PrependToPath(TextView folder);

// Where the settings live under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Morvaken\\CanonEosPlugin";
inline constexpr wchar_t kSettingsValue[] = L"CameraSettings";
inline constexpr char16_t kSdkFolderName[] = u"Canon_EOS_SDK_redist";

}  // namespace eos
