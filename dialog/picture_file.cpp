#include "dialog/picture_file.h"

#include <windows.h>

#include <vector>

#include "base/exception.h"
#include "win/files.h"
#include "win/wtext.h"

namespace eos {

namespace {

Text SystemMessage(DWORD code) {
  wchar_t buf[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                 static_cast<DWORD>(std::size(buf)), nullptr);
  Text text = win::FromWide(buf, n);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  return text;
}

[[noreturn]] void Fail(TextView what, const Text& path) {
  throw EInOutError(Text(what) + u" " + path + u": " + SystemMessage(GetLastError()));
}

// True when the ANSI code page holds every character of `text` and the result stays
// short enough for the camera's file functions.
bool PlainAnsi(const Text& text) {
  if (text.size() + 14 >= MAX_PATH) return false;
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, win::W(text), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, &lossy);
  return n > 0 && !lossy;
}

Text SystemTemporaryFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  wchar_t short_name[MAX_PATH + 1] = {};
  const DWORD s = n ? GetShortPathNameW(temp, short_name, MAX_PATH + 1) : 0;
  return s && s <= MAX_PATH ? win::FromWide(short_name, s) : win::FromWide(temp, n);
}

Text TemporaryFolderFor(const Text& path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash != Text::npos) {
    const Text folder = path.substr(0, slash + 1);
    if (PlainAnsi(folder)) return folder;
  }
  return SystemTemporaryFolder();
}

// A new temporary file where the picture for `path` can be written.
Text NewTemporaryFile(const Text& path) {
  const Text folder = TemporaryFolderFor(path);
  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(win::W(folder), L"eos", 0, temp) &&
      !GetTempFileNameW(win::W(SystemTemporaryFolder()), L"eos", 0, temp))
    Fail(u"No temporary file for the picture in", folder);
  return win::FromWide(temp, wcslen(temp));
}

}  // namespace

Text NewReviewFile(const Text& path) { return NewTemporaryFile(path); }

void PlacePictureFile(const Text& reviewed, const Text& path) {
  if (!MoveFileExW(win::W(reviewed), win::FileSystemPath(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    Fail(u"The picture cannot be written to", path);
}

void DeletePictureFile(const Text& path) noexcept {
  if (!path.empty()) DeleteFileW(win::W(path));
}

void DownloadPictureFile(const Text& path, const std::function<void(const Text& temp_path)>& download) {
  const std::wstring target = win::FileSystemPath(path);
  const bool removed =
      DeleteFileW(target.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
  const DWORD not_removed = GetLastError();

  // When the target cannot be written (its folder cannot take a file, or an old file there
  // cannot be removed: read-only, in use, a folder), the picture is still downloaded, into
  // the system's temporary folder if need be, so that the camera's picture is taken off its
  // list and released; the failure with its reason comes after. An old file that could not
  // be removed is never moved over either: not every system refuses that for a read-only file.
  const Text temp_path = NewTemporaryFile(path);
  try {
    download(temp_path);
    if (!removed) {
      SetLastError(not_removed);
      Fail(u"The picture cannot be written to", path);
    }
    PlacePictureFile(temp_path, path);
  } catch (...) {
    DeletePictureFile(temp_path);
    throw;
  }
}

}  // namespace eos
