// Live view's own SDK codes and texts: the error table of the frame download, the
// outcome of a download result, the codes of the live-view values and the reading of the
// focus-point record. Pure functions, shared by the backend and the component's polling.
#pragma once

#include <cstdint>

#include "edsdk/EDSDK.h"
#include "camremote/core/CamDefines.h"
#include "base/text.h"

namespace eos {

// The live-view table's text of an SDK result code, keyed on its low 16 bits like
// EDSDKErrorText but with texts of its own (0x2003 is "Session not ppen" here); unlisted
// codes and 0 give "Unkown error".
Text EvfErrorText(EdsError value);

// "EdsDownloadEvfImage errorcode 0x<value, 8 hex digits>, <EvfErrorText(value)>": what
// a refused frame download raises.
Text EvfDownloadErrorMessage(EdsError value);

// What one frame download's result means for the polling.
enum class EvfDownloadOutcome : std::uint8_t {
  Frame,  // a frame is in the stream
  Skip,   // not ready, invalid handle or busy: no frame this time, no error
  Stop,   // the camera is gone: stop polling
  Fail,   // anything else: raise EvfDownloadErrorMessage
};
EvfDownloadOutcome ClassifyEvfDownload(EdsError result);

// The SDK value of each live-view setting; a byte outside its enumeration is sent as the
// enumeration's first value (drive lens and AF mode: their NotUsed code; zoom: fit).
EdsUInt32 EvfCode(RemoteViewFinderDriveLensType v);
EdsUInt32 EvfCode(RemoteViewFinderAFModeType v);
EdsUInt32 EvfCode(RemoteViewFinderZoomType v);

// kEdsPropID_Evf_AFMode read back: only the low byte counts; 1 to 3 are the live modes,
// anything else reads as Quick.
RemoteViewFinderAFModeType EvfAFModeFromCode(EdsUInt32 code);

// The focus frames of a focus-point record: the picture size of imageRect, the camera's
// point count, and the first pointNumber points (at most 128) marked used, valid when
// selected, selected when bit 0 of justFocus is set. The points' own valid field is not
// read.
AFFocusInfoType FocusInfoFromRecord(const EdsFocusInfo& record);

}  // namespace eos
