// Not built yet: each operation refuses until its implementation lands.
#include "Sources/EDSDKApi.h"

namespace eos {

void TEDSDK::SetTimeInCamera(const DateTime&) { throw ECamException(u"TEDSDK::SetTimeInCamera is not built yet"); }
Text TEDSDK::GetBodyID() { throw ECamException(u"TEDSDK::GetBodyID is not built yet"); }
Text TEDSDK::GetFirmwareVersion() { throw ECamException(u"TEDSDK::GetFirmwareVersion is not built yet"); }
void TEDSDK::FormatCameraCard() { throw ECamException(u"TEDSDK::FormatCameraCard is not built yet"); }
ImageListType TEDSDK::OpenCameraCollection(TextView, bool) {
  throw ECamException(u"TEDSDK::OpenCameraCollection is not built yet");
}
void TEDSDK::CloseCameraCollection(ImageListType&) {
  throw ECamException(u"TEDSDK::CloseCameraCollection is not built yet");
}
void TEDSDK::GetPicture(std::int32_t, TextView, std::int32_t) {
  throw ECamException(u"TEDSDK::GetPicture is not built yet");
}
void TEDSDK::DeletePicture(ImageListType&, std::int32_t) {
  throw ECamException(u"TEDSDK::DeletePicture is not built yet");
}
RAWObjectDevAvailType TEDSDK::OpenRAWObject(TextView) {
  throw ECamException(u"TEDSDK::OpenRAWObject is not built yet");
}
void TEDSDK::SetRAWDevelopmentParameters(const RAWObjectDevType&) {
  throw ECamException(u"TEDSDK::SetRAWDevelopmentParameters is not built yet");
}
RAWObjectDevType TEDSDK::GetRAWDevelopmentParameters() {
  throw ECamException(u"TEDSDK::GetRAWDevelopmentParameters is not built yet");
}
void TEDSDK::DevelopRAWPicture(TextView, FileFormatType, BitsPerPixelType, TextView, std::int32_t) {
  throw ECamException(u"TEDSDK::DevelopRAWPicture is not built yet");
}
void TEDSDK::CloseRAWObject() { throw ECamException(u"TEDSDK::CloseRAWObject is not built yet"); }

}  // namespace eos
