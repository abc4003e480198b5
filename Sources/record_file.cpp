#include "Sources/record_file.h"

#include <windows.h>

#include <utility>

#include "win/wtext.h"

namespace eos {
namespace {

// "<what> "<name>". <the system's text for the last error>"
[[noreturn]] void Fail(const char16_t* what, const Text& name) {
  const DWORD code = GetLastError();
  win::UniqueLocal buffer;
  // With ALLOCATE_BUFFER the text argument is where the system puts its buffer.
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.out()), 0, nullptr);
  Text reason =
      n != 0 ? win::FromWide(static_cast<const wchar_t*>(buffer.get()), n) : u"System error " + IntToText(code);
  while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r' || reason.back() == u' '))
    reason.pop_back();
  throw EInOutError(Text(what) + u" \"" + name + u"\". " + reason);
}

}  // namespace

RecordFile RecordFile::OpenRead(const Text& name) {
  win::UniqueFile file(
      CreateFileW(win::W(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail(u"Cannot open file", name);
  return RecordFile(std::move(file), name);
}

RecordFile RecordFile::Create(const Text& name) {
  win::UniqueFile file(
      CreateFileW(win::W(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail(u"Cannot create file", name);
  return RecordFile(std::move(file), name);
}

std::size_t RecordFile::Read(void* data, std::size_t size) {
  DWORD got = 0;
  if (!ReadFile(file_.get(), data, static_cast<DWORD>(size), &got, nullptr)) Fail(u"Cannot read file", name_);
  return got;
}

void RecordFile::Write(const void* data, std::size_t size) {
  DWORD put = 0;
  if (!WriteFile(file_.get(), data, static_cast<DWORD>(size), &put, nullptr) || put != size)
    Fail(u"Cannot write file", name_);
}

void ForceDirectories(const Text& folder) {
  // Each prefix ending before a separator, then the whole path. A prefix that cannot be
  // made (a drive, a network share's server) is passed over: only the whole path counts.
  auto is_folder = [](const Text& path) {
    const DWORD attributes = GetFileAttributesW(win::W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  for (std::size_t i = 1; i < folder.size(); ++i)
    if ((folder[i] == u'\\' || folder[i] == u'/') && !is_folder(folder.substr(0, i)))
      CreateDirectoryW(win::W(folder.substr(0, i)), nullptr);
  if (!is_folder(folder) && !CreateDirectoryW(win::W(folder), nullptr)) Fail(u"Cannot create folder", folder);
}

}  // namespace eos
