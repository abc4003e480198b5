// Not built yet: each operation refuses until its implementation lands.
#include "Sources/EDSDKApi.h"

namespace eos {

void TEDSDK::RemoteTakePicture(std::int32_t) { throw ECamException(u"TEDSDK::RemoteTakePicture is not built yet"); }
void TEDSDK::RemotePressShutter(RemoteShutterButtonType) {
  throw ECamException(u"TEDSDK::RemotePressShutter is not built yet");
}
void TEDSDK::RemoteBULBMode(bool) { throw ECamException(u"TEDSDK::RemoteBULBMode is not built yet"); }
void TEDSDK::ExtendShutdownTimer() { throw ECamException(u"TEDSDK::ExtendShutdownTimer is not built yet"); }
void TEDSDK::SetOwnerName(TextView) { throw ECamException(u"TEDSDK::SetOwnerName is not built yet"); }
RemoteZoomCapabilityType TEDSDK::RemoteGetZoomPos() {
  throw ECamException(u"TEDSDK::RemoteGetZoomPos is not built yet");
}
void TEDSDK::RemoteSetZoomPos(std::int32_t) { throw ECamException(u"TEDSDK::RemoteSetZoomPos is not built yet"); }
void TEDSDK::RemoteAFLock(bool) { throw ECamException(u"TEDSDK::RemoteAFLock is not built yet"); }
void TEDSDK::RemoteGetPicture(TextView, PictureTypeType, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteGetPicture is not built yet");
}
void TEDSDK::RemoteGetMovie(TextView, bool, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteGetMovie is not built yet");
}
void TEDSDK::RemoteGetCFPicture(TextView, bool, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteGetCFPicture is not built yet");
}

}  // namespace eos
