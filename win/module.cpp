#include "win/module.h"

#include "base/lumutils.h"
#include "win/wtext.h"

namespace eos::win {

HMODULE ThisModule() {
  HMODULE m = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &m);
  return m;
}

Text ThisModulePath() {
  wchar_t buf[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameW(ThisModule(), buf, MAX_PATH);
  return FromWide(buf, n);
}

Text ThisModuleFolder() {
  const Text path = ThisModulePath();
  return path.substr(0, path.find_last_of(u"\\/:") + 1);
}

Text ApplicationTitle() {
  const Text path = ThisModulePath();
  return FileNameNoExt(TextView(path).substr(path.find_last_of(u"\\/:") + 1));
}

}  // namespace eos::win
