// The run-time binding of EDSDK.DLL: the library is loaded on first use and each of its
// 54 entry points is reached through a process-wide pointer of the same name (in
// namespace eos), so the rest of the backend calls eos::EdsOpenSession(...) as it would
// call the SDK directly.
#pragma once

#include "base/exception.h"
#include "edsdk/EDSDK.h"

namespace eos {

// Loads "EDSDK.DLL" by its plain name through the process's library search and binds
// every entry point, once per process; later calls do nothing. Raises EInOutError when
// the library cannot be loaded and EAssertionFailed when an entry point is missing; in
// both cases nothing stays bound and the next call tries again. The library is freed
// when the module holding this code is unloaded.
void LoadEDSDKLibrary();

// The entry points. Until bound, each answers EDS_ERR_UNIMPLEMENTED without touching
// its arguments, so a call made without a bound SDK fails as an SDK call, not as a jump
// through a null pointer.
#define EDSDK_DECLARE_POINTER(name, exported, ret, params, args) extern name##Proc name;
EDSDK_ENTRY_POINTS(EDSDK_DECLARE_POINTER)
#undef EDSDK_DECLARE_POINTER

}  // namespace eos
