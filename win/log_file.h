// The one writer of the system's optional text logs: the plug-in's "eoslog.txt" and the
// remote component's "camremotelog.txt", beside the plug-in library. They differ only in
// their file and in how a line is stamped.
#pragma once

#include "base/lumutils.h"
#include "base/text.h"

namespace eos::win {

struct LogKind {
  const char16_t* file_name;
  Text (*stamp)(const DateTime&);
};
inline constexpr LogKind kPluginLog{u"eoslog.txt", FormatLogTime};
inline constexpr LogKind kComponentLog{u"camremotelog.txt", FormatLogTimeMs};

// Appends `line` and CR LF, in the ANSI code page, to the file at `path` — but only
// when that file exists: creating the file by hand switches the log on, deleting it
// switches it off. With `restart` the old lines are dropped first. The file is held
// exclusively for the one line; a locked or read-only file loses the line, and nothing
// is ever reported to the caller.
void AppendLogLine(TextView path, TextView line, bool restart) noexcept;

// The stamp of the local time, one space and `message`, as a line of the log's file in
// this module's folder.
void WriteLogLine(const LogKind& log, TextView message, bool restart = false) noexcept;

// For a catch block that lets a failure go (a boundary no exception may cross): writes
// "<where> - <message of the exception in flight>" to the component's log, so no failure
// vanishes without a trace.
void LogSwallowed(TextView where) noexcept;

// The local time, as the logs stamp it.
DateTime LocalNow();

}  // namespace eos::win
