#include <windows.h>

#include <vector>

#include "plugin/core/sdkpath.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "win/wtext.h"

namespace eos {

namespace {

// The 8.3 form keeps PATH short; a folder without one (it may not exist) stays as it is.
Text ShortForm(TextView folder) {
  const std::wstring wide = win::Wide(folder);
  wchar_t buf[MAX_PATH + 1] = {};
  const DWORD n = GetShortPathNameW(wide.c_str(), buf, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? win::FromWide(buf, n) : Text(folder);
}

Text CurrentPath() {
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0) return Text();
  std::vector<wchar_t> buf(size, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"PATH", buf.data(), size);
  return win::FromWide(buf.data(), n < size ? n : 0);
}

}  // namespace

bool PrependToPath(TextView folder) {
  const Text path = ComposeSdkPath(ShortForm(folder), CurrentPath());
  return SetEnvironmentVariableW(L"PATH", win::W(path)) != 0;
}

void PrepareSdkPath() {
  PluginState& s = State();
  if (s.SdkPathPrepared) return;
  s.SdkPathPrepared = true;
  PrependToPath(GetPluginFolder() + kSdkFolderName);
  WriteLog(u"Init", true);
}

}  // namespace eos
