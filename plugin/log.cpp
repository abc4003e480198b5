#include <windows.h>

#include "plugin/services.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos {

namespace {

DateTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace

void WriteLog(TextView message, bool restart) {
  try {
    const std::wstring path = win::Wide(GetPluginFolder() + u"eoslog.txt");
    // The file's presence is the switch: logging is on only while it exists.
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (restart) DeleteFileW(path.c_str());
    win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    const std::string line = win::ToAnsi(FormatLogTime(Now()) + u" " + Text(message) + u"\r\n");
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  } catch (...) {
    // A log line is never worth a failure of the caller.
  }
}

void WriteLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart) {
  WriteLog(FormatText(pattern, args), restart);
}

}  // namespace eos
