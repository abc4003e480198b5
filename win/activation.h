// The plug-in's own activation context: its manifest (resource 2) names the version 6
// common controls, so the buttons, lists and message boxes it makes look the same in
// every host, whatever the host's own manifest says. The context is active only for the
// scopes that register classes and create windows, never while the host's messages are
// dispatched, so the host's own windows keep the host's context.
#pragma once

#include <windows.h>

namespace eos::win {

// Activates the module's context on the calling thread for the life of the object; does
// nothing when the module carries no manifest or the context cannot be made.
class ModuleContextScope {
 public:
  ModuleContextScope();
  ~ModuleContextScope();
  ModuleContextScope(const ModuleContextScope&) = delete;
  ModuleContextScope& operator=(const ModuleContextScope&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

// Lets go of the module's context; the next scope makes it again. Safe under the loader
// lock, and a no-op while no context was made.
void ReleaseModuleContext() noexcept;

}  // namespace eos::win
