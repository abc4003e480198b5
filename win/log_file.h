// The one writer of the system's optional text logs ("eoslog.txt", "camremotelog.txt").
#pragma once

#include "base/lumutils.h"
#include "base/text.h"

namespace eos::win {

// Appends `line` and CR LF, in the ANSI code page, to the file at `path` — but only
// when that file exists: creating the file by hand switches the log on, deleting it
// switches it off. With `restart` the old lines are dropped first. The file is held
// exclusively for the one line; a locked or read-only file loses the line, and nothing
// is ever reported to the caller.
void AppendLogLine(TextView path, TextView line, bool restart) noexcept;

// The local time, as the logs stamp it.
DateTime LocalNow();

}  // namespace eos::win
