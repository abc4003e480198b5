#include "camremote/cam_log.h"

#include "win/log_file.h"
#include "win/module.h"

namespace eos {

Text CamLogFolder() { return win::ThisModuleFolder(); }

Text CamLogTime(const DateTime& t) { return FormatLogTimeMs(t); }

void CamLog(TextView message, bool restart) {
  win::AppendLogLine(CamLogFolder() + u"camremotelog.txt", CamLogTime(win::LocalNow()) + u" " + Text(message), restart);
}

void CamLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart) {
  CamLog(FormatText(pattern, args), restart);
}

}  // namespace eos
