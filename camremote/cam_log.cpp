#include "camremote/cam_log.h"

#include "win/log_file.h"
#include "win/module.h"

namespace eos {

Text CamLogFolder() { return win::ThisModuleFolder(); }

Text CamLogTime(const DateTime& t) { return win::kComponentLog.stamp(t); }

void CamLog(TextView message, bool restart) { win::WriteLogLine(win::kComponentLog, message, restart); }

void CamLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart) {
  CamLog(FormatText(pattern, args), restart);
}

}  // namespace eos
