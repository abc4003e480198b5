#include <windows.h>

#include <vector>

#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/handles.h"
#include "win/message_box.h"
#include "win/wtext.h"

namespace eos {

namespace {

// The registry keeps the settings text with ";" in place of TAB.
constexpr char16_t kStoredSeparator = u';';

enum class ReadResult { Ok, Missing, NotAString };

// A string value up to its first NUL, as string readers see it.
ReadResult ReadString(HKEY key, Text& out) {
  DWORD type = 0;
  DWORD bytes = 0;
  LONG rc = RegQueryValueExW(key, kSettingsValue, nullptr, &type, nullptr, &bytes);
  if (rc == ERROR_FILE_NOT_FOUND) return ReadResult::Missing;
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return ReadResult::NotAString;
  std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
  rc = RegQueryValueExW(key, kSettingsValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
  if (rc != ERROR_SUCCESS) return ReadResult::NotAString;
  out = Text(reinterpret_cast<const char16_t*>(data.data()));
  return ReadResult::Ok;
}

}  // namespace

bool LoadSettings() {
  win::UniqueRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) {
    State().StoredSettings.clear();
    return false;
  }
  Text value;
  switch (ReadString(key.get(), value)) {
    case ReadResult::Ok:
      State().StoredSettings = ReplaceChar(kStoredSeparator, kTab, value);
      break;
    case ReadResult::Missing:
      State().StoredSettings.clear();
      break;
    case ReadResult::NotAString:  // left as it was, like any failed read
      break;
  }
  return true;
}

bool SaveSettings() {
  PluginState& s = State();
  win::UniqueRegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.out(),
                      nullptr) != ERROR_SUCCESS)
    return false;
  const Text stored = ReplaceChar(kTab, kStoredSeparator, s.StoredSettings);
  const DWORD bytes = static_cast<DWORD>((stored.size() + 1) * sizeof(char16_t));
  if (RegSetValueExW(key.get(), kSettingsValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(stored.c_str()), bytes) !=
      ERROR_SUCCESS) {
    CamShowMessage(Translate(u"Could not save settings."));
    return false;
  }
  s.SettingsChanged = false;
  bool ok = true;
  Text back;
  if (ReadString(key.get(), back) != ReadResult::Ok) {
    CamShowMessage(Translate(u"Could not save settings."));
  } else if (ReplaceChar(kStoredSeparator, kTab, back) != s.StoredSettings) {
    ok = false;
    CamShowMessage(Translate(u"Could not save settings in registry."));
  }
  RegFlushKey(key.get());
  return ok;
}

}  // namespace eos
