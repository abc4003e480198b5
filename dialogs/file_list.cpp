#include "dialogs/file_list.h"

#include <windows.h>

#include "win/files.h"
#include "win/handles.h"
#include "win/wtext.h"

namespace eos {

std::vector<Text> ListFiles(TextView Folder, TextView Masks) {
  std::vector<Text> found;
  if (Folder.empty()) return found;
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
  return found;
}

std::vector<Text> ListFileNames(TextView Folder, TextView Masks) {
  std::vector<Text> names = ListFiles(Folder, Masks);
  for (Text& name : names)
    if (const size_t dot = name.rfind(u'.'); dot != Text::npos) name.erase(dot);
  return names;
}

}  // namespace eos
