#include "win/window_class.h"

#include <mutex>
#include <string>
#include <vector>

#include "win/activation.h"
#include "win/module.h"
#include "win/timer.h"

namespace eos::win {

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::wstring> names;  // registered and not yet taken back
};

Registry& Classes() {
  static Registry registry;
  return registry;
}

}  // namespace

bool EnsureModuleClass(WNDCLASSEXW wc) {
  Registry& r = Classes();
  std::lock_guard lock(r.mutex);
  for (const std::wstring& name : r.names)
    if (name == wc.lpszClassName) return true;
  wc.cbSize = sizeof wc;
  wc.hInstance = ThisModule();
  if (RegisterClassExW(&wc) == 0) return false;
  r.names.emplace_back(wc.lpszClassName);
  return true;
}

void ReleaseModuleWindows() noexcept {
  ReleaseTimerWindow();
  ReleaseModuleContext();
  Registry& r = Classes();
  std::lock_guard lock(r.mutex);
  // A class still used by a window (of another thread, say) stays registered.
  std::erase_if(r.names, [](const std::wstring& name) { return UnregisterClassW(name.c_str(), ThisModule()) != 0; });
}

}  // namespace eos::win
