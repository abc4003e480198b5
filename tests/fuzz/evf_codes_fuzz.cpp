// Live view reads numbers from the camera: a result code of the frame download, the AF
// mode, a focus-point record whose count may be anything. For any input the readers must
// answer within their tables and never read past the record's 128 points.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Sources/core/EvfCodes.h"

using namespace eos;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EdsFocusInfo record{};
  std::memcpy(&record, data, std::min(size, sizeof record));
  const AFFocusInfoType info = FocusInfoFromRecord(record);
  const std::size_t used = std::min<std::size_t>(record.pointNumber, kAFFrameCount);
  for (std::size_t i = 0; i < info.Frames.size(); ++i) Check(info.Frames[i].FrameUsed == (i < used));
  Check(info.NrOfFrames == static_cast<std::int32_t>(record.pointNumber));

  EdsUInt32 code = 0;
  std::memcpy(&code, data, std::min(size, sizeof code));
  Check(!EvfErrorText(code).empty());
  const Text message = EvfDownloadErrorMessage(code);
  Check(message.rfind(u"EdsDownloadEvfImage errorcode 0x", 0) == 0);
  Check(InEnumRange(EvfAFModeFromCode(code)) && EvfAFModeFromCode(code) != RemoteViewFinderAFModeNotUsed);
  const auto outcome = ClassifyEvfDownload(code);
  Check(outcome == EvfDownloadOutcome::Frame ? code == 0 : code != 0);
  const auto byte = static_cast<std::uint8_t>(code);
  Check(EvfCode(static_cast<RemoteViewFinderZoomType>(byte)) >= 1);
  Check((EvfCode(static_cast<RemoteViewFinderDriveLensType>(byte)) & 0x7FFFu) <= 3);
  Check(EvfCode(static_cast<RemoteViewFinderAFModeType>(byte)) <= 3);
  return 0;
}
