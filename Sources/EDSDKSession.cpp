// Not built yet: each operation refuses until its implementation lands.
#include "Sources/EDSDKApi.h"

namespace eos {

void TEDSDK::InitCommunications() { throw ECamException(u"TEDSDK::InitCommunications is not built yet"); }
void TEDSDK::EnumerateCameras(CameraList&) { throw ECamException(u"TEDSDK::EnumerateCameras is not built yet"); }
ConnectInfoType TEDSDK::Connect(const void*, std::int32_t, std::int32_t) {
  throw ECamException(u"TEDSDK::Connect is not built yet");
}
void TEDSDK::Disconnect() { throw ECamException(u"TEDSDK::Disconnect is not built yet"); }
void TEDSDK::FinilizeCommunications() { throw ECamException(u"TEDSDK::FinilizeCommunications is not built yet"); }

}  // namespace eos
