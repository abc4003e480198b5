// Not built yet: each operation refuses until its implementation lands.
#include "Sources/EDSDKApi.h"

namespace eos {

void TEDSDK::RemoteStartViewfinder() { throw ECamException(u"TEDSDK::RemoteStartViewfinder is not built yet"); }
void TEDSDK::RemoteStopViewfinder() { throw ECamException(u"TEDSDK::RemoteStopViewfinder is not built yet"); }
void TEDSDK::RemoteSetViewfinderOutput(RemoteViewFinderOutputType) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderOutput is not built yet");
}
void TEDSDK::RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensType) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderDriveLens is not built yet");
}
void TEDSDK::RemoteSetViewfinderWhitebalance(std::int32_t, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderWhitebalance is not built yet");
}
void TEDSDK::RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeType) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderAutofocusMode is not built yet");
}
RemoteViewFinderAFModeType TEDSDK::RemoteGetViewfinderAutofocusMode() {
  throw ECamException(u"TEDSDK::RemoteGetViewfinderAutofocusMode is not built yet");
}
AFFocusInfoType TEDSDK::RemoteGetViewfinderAutofocusInfo() {
  throw ECamException(u"TEDSDK::RemoteGetViewfinderAutofocusInfo is not built yet");
}
void TEDSDK::RemoteSetViewfinderZoom(RemoteViewFinderZoomType) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderZoom is not built yet");
}
void TEDSDK::RemoteSetViewfinderZoomPosition(std::int32_t, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderZoomPosition is not built yet");
}
void TEDSDK::RemoteSetViewfinderDepthOfFieldPreview(bool) {
  throw ECamException(u"TEDSDK::RemoteSetViewfinderDepthOfFieldPreview is not built yet");
}
bool TEDSDK::RemoteGetViewfinderDepthOfFieldPreview() {
  throw ECamException(u"TEDSDK::RemoteGetViewfinderDepthOfFieldPreview is not built yet");
}
void TEDSDK::RemoteActivateViewfinderAuto(bool) {
  throw ECamException(u"TEDSDK::RemoteActivateViewfinderAuto is not built yet");
}
void TEDSDK::RemoteStartMovieRecording() { throw ECamException(u"TEDSDK::RemoteStartMovieRecording is not built yet"); }
void TEDSDK::RemoteEndMovieRecording() { throw ECamException(u"TEDSDK::RemoteEndMovieRecording is not built yet"); }

}  // namespace eos
