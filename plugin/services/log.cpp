#include "plugin/services/services.h"
#include "win/log_file.h"

namespace eos {

void WriteLog(TextView message, bool restart) { win::WriteLogLine(win::kPluginLog, message, restart); }

void WriteLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart) {
  WriteLog(FormatText(pattern, args), restart);
}

void WriteLogTime(TextView label) {
  const DateTime t = win::LocalNow();
  WriteLog(Text(label) + FormatText(u"%.2d:%.2d:%.3d", {int64_t{t.minute}, int64_t{t.second}, int64_t{t.millisecond}}));
}

}  // namespace eos
