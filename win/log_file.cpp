#include "win/log_file.h"

#include <windows.h>

#include <string>

#include "base/exception.h"
#include "win/handles.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::win {

void AppendLogLine(TextView path, TextView line, bool restart) noexcept {
  try {
    const std::wstring file_name = Wide(path);
    if (GetFileAttributesW(file_name.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (restart) DeleteFileW(file_name.c_str());
    // Exclusive for one line. A reader that has the file open for a moment (a log viewer,
    // a test polling it) would otherwise cost the line, so a sharing violation is tried
    // again for up to 100 ms by the clock (a count of tries is too short when the machine
    // is busy and the reader's thread waits for a core); a file held longer still loses
    // only this line.
    UniqueFile file;
    const ULONGLONG give_up = GetTickCount64() + 100;
    for (;;) {
      file.reset(CreateFileW(file_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file || GetLastError() != ERROR_SHARING_VIOLATION || GetTickCount64() >= give_up) break;
      Sleep(2);
    }
    if (!file) return;
    SetFilePointer(file.get(), 0, nullptr, FILE_END);
    const std::string bytes = ToAnsi(Text(line) + u"\r\n");
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  } catch (...) {
    // A log line is never worth a failure of the caller.
  }
}

void WriteLogLine(const LogKind& log, TextView message, bool restart) noexcept {
  try {
    AppendLogLine(ThisModuleFolder() + log.file_name, log.stamp(LocalNow()) + u" " + Text(message), restart);
  } catch (...) {
    // A log line is never worth a failure of the caller.
  }
}

void LogSwallowed(TextView where) noexcept {
  try {
    WriteLogLine(kComponentLog, Text(where) + u" - " + CurrentExceptionText());
  } catch (...) {
    // Nothing is left to report it with.
  }
}

DateTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

}  // namespace eos::win
