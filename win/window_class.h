// Window classes of this module. Windows keeps a DLL's classes after it is unloaded, with
// their procedures pointing into code that is gone, so a host that frees the plug-in and
// loads it again would find the old class. Every class is therefore registered under this
// module's own instance, on first use (and again after a release), and ReleaseModuleWindows
// takes them all back: the plug-in calls it from its release command and when it is freed.
#pragma once

#include <windows.h>

namespace eos::win {

// Registers the class once under this module's instance (filling in hInstance and the
// size); true when it is registered.
bool EnsureModuleClass(WNDCLASSEXW wc);

// Destroys the calling thread's hidden windows that have nothing left to do and
// unregisters every class of this module that no window uses any more. Safe under the
// loader lock: it touches only this module's own windows and classes.
void ReleaseModuleWindows() noexcept;

}  // namespace eos::win
