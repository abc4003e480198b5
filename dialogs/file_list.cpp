#include "dialogs/file_list.h"

#include <windows.h>

#include "win/files.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos {

namespace {

std::vector<Text>& Found() {
  static std::vector<Text> found;
  return found;
}

}  // namespace

const std::vector<Text>& FoundFiles() { return Found(); }

int ListFiles(TextView Folder, TextView Masks) {
  std::vector<Text>& found = Found();
  found.clear();
  if (Folder.empty()) return 0;
  Text folder(Folder);
  if (folder.back() != u'\\') folder += u'\\';
  Text masks = Masks.empty() ? Text(u"*.*") : Text(Masks);
  if (masks.back() != u';') masks += u';';
  for (size_t at = 0, end; (end = masks.find(u';', at)) != Text::npos && end > at; at = end + 1) {
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = win::FileSystemPath(folder + masks.substr(at, end - at));
    const win::UniqueFind search(FindFirstFileW(pattern.c_str(), &entry));
    if (!search) continue;
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        found.push_back(win::FromWide(std::wstring(entry.cFileName)));
    } while (FindNextFileW(search.get(), &entry));
  }
  return static_cast<int>(found.size());
}

int ListFileNames(TextView Folder, TextView Masks) {
  const int n = ListFiles(Folder, Masks);
  for (Text& name : Found())
    if (const size_t dot = name.rfind(u'.'); dot != Text::npos) name.erase(dot);
  return n;
}

}  // namespace eos
