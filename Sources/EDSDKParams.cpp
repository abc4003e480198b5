// Not built yet: each operation refuses until its implementation lands.
#include "Sources/EDSDKApi.h"

namespace eos {

RemoteFuncType TEDSDK::RemoteStart(ReleaseModeType, ReleaseDataKindType, bool, TextView, const void*, std::int32_t) {
  throw ECamException(u"TEDSDK::RemoteStart is not built yet");
}
std::int32_t TEDSDK::RemoteGetNumberOfAvailableShots() {
  throw ECamException(u"TEDSDK::RemoteGetNumberOfAvailableShots is not built yet");
}
RemoteReleaseParametersType TEDSDK::RemoteGetRemoteParams() {
  throw ECamException(u"TEDSDK::RemoteGetRemoteParams is not built yet");
}
void TEDSDK::RemoteSetRemoteParams(const RemoteReleaseParametersType&) {
  throw ECamException(u"TEDSDK::RemoteSetRemoteParams is not built yet");
}

}  // namespace eos
