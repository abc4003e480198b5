#include "plugin/services/services.h"
#include "win/log_file.h"

namespace eos {

void WriteLog(TextView message, bool restart) { win::WriteLogLine(win::kPluginLog, message, restart); }

void WriteLogFmt(TextView pattern, std::initializer_list<FormatArg> args, bool restart) {
  WriteLog(FormatText(pattern, args), restart);
}

}  // namespace eos
