#include <windows.h>

#include <stdexcept>
#include <vector>

#include "plugin/services/services.h"
#include "plugin/services/version.h"
#include "win/log_file.h"
#include "win/message_box.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos {

Text GetPluginFileName() { return win::ThisModulePath(); }
Text GetPluginFolder() { return win::ThisModuleFolder(); }

Text GetTempFolder() {
  wchar_t buf[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  Text folder = win::FromWide(buf, n <= MAX_PATH + 1 ? n : 0);
  if (!folder.empty() && folder.back() != u'\\') folder.push_back(u'\\');
  return folder;
}

namespace {

// The fixed version block of a file, found by the system's library search when the name
// has no folder. False when the file or its version resource cannot be read.
bool ReadFixedVersion(TextView file_name, VS_FIXEDFILEINFO& info) {
  const std::wstring name = win::Wide(file_name);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return false;
  void* fixed = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(block.data(), L"\\", &fixed, &len) || len < sizeof(VS_FIXEDFILEINFO)) return false;
  info = *static_cast<VS_FIXEDFILEINFO*>(fixed);
  return true;
}

}  // namespace

Text GetFileVersionText(bool full) {
  VS_FIXEDFILEINFO v{};
  const bool ok = ReadFixedVersion(GetPluginFileName(), v);
  if (full) {
    if (!ok) throw std::runtime_error("The plug-in's version resource cannot be read");
    return FormatText(u"%d.%d.%d.%d", {HIWORD(v.dwFileVersionMS), LOWORD(v.dwFileVersionMS), HIWORD(v.dwFileVersionLS),
                                       LOWORD(v.dwFileVersionLS)});
  }
  if (!ok) return u"65535.65535";
  return FormatText(u"%d.%d", {HIWORD(v.dwFileVersionMS), LOWORD(v.dwFileVersionMS)});
}

Text GetPluginVersion() {
  try {
    return GetFileVersionText(false);
  } catch (...) {
    win::LogSwallowed(u"GetPluginVersion");
    return kPluginVersion;
  }
}

Text GetSdkFileVersion(TextView file_name) {
  VS_FIXEDFILEINFO v{};
  if (!ReadFixedVersion(file_name, v)) return Text();
  return FormatText(u"%d.%d.%d.%d", {HIWORD(v.dwFileVersionMS), LOWORD(v.dwFileVersionMS), HIWORD(v.dwFileVersionLS),
                                     LOWORD(v.dwFileVersionLS)});
}

void ShowInfoBox(TextView text) {
  ModuleMessageBox(nullptr, text, u"String", MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

}  // namespace eos
