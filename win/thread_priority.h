// The priority of the calling thread.
#pragma once

namespace eos::win {

// Below the user-interface thread's: a worker that would use a whole core leaves the
// user-interface thread the core it needs for the frames the operator watches.
void BelowUserInterface() noexcept;

}  // namespace eos::win
