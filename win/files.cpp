#include "win/files.h"

#include "win/handles.h"
#include "win/wtext.h"

namespace eos::win {

std::wstring FileSystemPath(TextView path) {
  std::wstring p = Wide(path);
  if (p.size() >= MAX_PATH && p.size() > 2 && p[1] == L':') p = L"\\\\?\\" + p;
  return p;
}

bool FileExists(TextView path) { return GetFileAttributesW(FileSystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadWholeFile(TextView path, std::vector<std::uint8_t>& out, std::size_t max_bytes) {
  const UniqueFile file(CreateFileW(FileSystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF ||
      static_cast<std::size_t>(size.QuadPart) > max_bytes)
    return false;
  out.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < out.size()) {
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1u << 30));
    if (!ReadFile(file.get(), out.data() + done, ask, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

}  // namespace eos::win
