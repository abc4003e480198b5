// The remote component's own diagnostic log, "camremotelog.txt" beside the plug-in,
// written only while that file exists. Lines carry milliseconds, unlike "eoslog.txt".
#pragma once

#include <initializer_list>

#include "base/lumutils.h"
#include "base/text.h"

namespace eos {

// The folder of the plug-in library (not of the host's program), ending with "\".
Text CamLogFolder();
// "yyyy-mm-dd hh:nn:ss,zzz"
Text CamLogTime(const DateTime& t);
// Appends the time, one space and `message` as one ANSI line; with `restart` the old
// lines go first. Never fails.
void CamLog(TextView message, bool restart = false);
// The same with a %s / %d pattern.
void CamLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart = false);

}  // namespace eos
