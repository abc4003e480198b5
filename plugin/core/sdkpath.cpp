#include "plugin/core/sdkpath.h"

namespace eos {

Text ComposeSdkPath(TextView folder, TextView old_path) {
  Text path(folder);
  if (path.size() >= kMaxEnvValue) return path.substr(0, kMaxEnvValue);
  path.push_back(u';');
  const size_t room = kMaxEnvValue - path.size();
  if (old_path.size() <= room) return path.append(old_path);
  const size_t cut = old_path.substr(0, room + 1).rfind(u';');
  if (cut == TextView::npos) {
    path.pop_back();
    return path;
  }
  return path.append(old_path.substr(0, cut));
}

}  // namespace eos
