#include "win/thread_priority.h"

#include <windows.h>

namespace eos::win {

void BelowUserInterface() noexcept { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL); }

}  // namespace eos::win
