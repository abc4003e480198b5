// Live view control of the EOS backend: switching the camera's live view on and off,
// its output device, focus steps, the white-balance click, the live-view autofocus and
// its frames, zoom, depth-of-field preview and movie recording. The frames themselves are
// fetched by the component's polling.
#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/core/EvfCodes.h"

namespace eos {

namespace {

// Writes the property until the camera takes it, as a camera busy switching live view or
// recording needs; only the last refusal is reported.
void PersistentWrite(const TEDSDK& sdk, EdsCameraRef camera, EdsPropertyID id, EdsUInt32 value, TextView text) {
  sdk.EDSDKCheck(RetryBusy(kCameraModeRetry, [&] { return SetUInt32(camera, id, value); }), text);
}

}  // namespace

void TEDSDK::RemoteStartViewfinder() {
  EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_Mode, 1), u"EdsSetPropertyData, kEdsPropID_Evf_Mode");
  PersistentWrite(*this, mCameraDevice, kEdsPropID_Evf_OutputDevice, kEdsEvfOutputDevice_PC,
                  u"EdsSetPropertyData, kEdsPropID_Evf_OutputDevice");
  // A camera whose own controls stay locked is still usable from the host.
  EdsSendStatusCommand(mCameraDevice, kEdsCameraStatusCommand_UIUnLock, 0);
}

void TEDSDK::RemoteStopViewfinder() {
  // Stopping must always get through: a refusal leaves nothing the caller could mend.
  SetUInt32(mCameraDevice, kEdsPropID_Evf_OutputDevice, 0);
  SetUInt32(mCameraDevice, kEdsPropID_Evf_Mode, 0);
}

void TEDSDK::RemoteSetViewfinderOutput(RemoteViewFinderOutputType ViewfinderOutput) {
  switch (ViewfinderOutput) {
    case RemoteViewFinderOutputLCD: {
      EdsUInt32 device = 0;
      EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_Evf_OutputDevice, device),
                 u"EdsGetPropertyData, kEdsPropID_Evf_OutputDevice");
      if ((device & kEdsEvfOutputDevice_TFT) == 0)
        EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_OutputDevice, device + kEdsEvfOutputDevice_TFT),
                   u"EdsSetPropertyData, kEdsPropID_Evf_OutputDevice");
      break;
    }
    case RemoteViewFinderOutputOff:
      // The camera's own screen goes dark and the host keeps its frames: output to the
      // host only, as live view starts.
      EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_OutputDevice, kEdsEvfOutputDevice_PC),
                 u"EdsSetPropertyData, kEdsPropID_Evf_OutputDevice");
      break;
    default:  // video output: nothing to switch
      break;
  }
}

void TEDSDK::RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensType DriveLens) {
  EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_DriveLensEvf, static_cast<EdsInt32>(EvfCode(DriveLens))),
             u"EdsSendCommand");
}

void TEDSDK::RemoteSetViewfinderWhitebalance(std::int32_t XCoord, std::int32_t YCoord) {
  const EdsUInt32 point = (static_cast<EdsUInt32>(XCoord) << 16) + static_cast<EdsUInt32>(YCoord);
  EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_DoClickWBEvf, static_cast<EdsInt32>(point)),
             u"EdsSendCommand");
}

void TEDSDK::RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeType AFMode) {
  EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_AFMode, EvfCode(AFMode)),
             u"EdsSetPropertyData, kEdsPropID_Evf_AFMode");
}

RemoteViewFinderAFModeType TEDSDK::RemoteGetViewfinderAutofocusMode() {
  const std::optional<EdsUInt32> mode = GetUInt32(mCameraDevice, kEdsPropID_Evf_AFMode);
  return mode ? EvfAFModeFromCode(*mode) : RemoteViewFinderAFModeNotUsed;
}

AFFocusInfoType TEDSDK::RemoteGetViewfinderAutofocusInfo() {
  EdsFocusInfo record{};
  if (GetProperty(mCameraDevice, kEdsPropID_FocusInfo, record) != EDS_ERR_OK) return {};
  return FocusInfoFromRecord(record);
}

void TEDSDK::RemoteSetViewfinderZoom(RemoteViewFinderZoomType Zoom) {
  EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_Zoom, EvfCode(Zoom)), u"EdsSetPropertyData, kEdsPropID_Evf_Zoom");
}

void TEDSDK::RemoteSetViewfinderZoomPosition(std::int32_t X, std::int32_t Y) {
  const EdsPoint point{X, Y};
  EDSDKCheck(SetProperty(mCameraDevice, kEdsPropID_Evf_ZoomPosition, point),
             u"EdsSetPropertyData, kEdsPropID_Evf_ZoomPosition");
}

void TEDSDK::RemoteSetViewfinderDepthOfFieldPreview(bool Activate) {
  EDSDKCheck(SetUInt32(mCameraDevice, kEdsPropID_Evf_DepthOfFieldPreview, Activate ? 1 : 0),
             u"EdsSetPropertyData, kEdsPropID_Evf_DepthOfFieldPreview");
}

bool TEDSDK::RemoteGetViewfinderDepthOfFieldPreview() {
  EdsUInt32 preview = 0;
  EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_Evf_DepthOfFieldPreview, preview),
             u"EdsGetPropertyData, kEdsPropID_Evf_DepthOfFieldPreview");
  return preview == 1;
}

void TEDSDK::RemoteActivateViewfinderAuto(bool EOSLockAF) {
  const EdsUInt32 af = EOSLockAF ? kEdsCameraCommand_EvfAf_ON : kEdsCameraCommand_EvfAf_OFF;
  EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_DoEvfAf, static_cast<EdsInt32>(af)), u"EdsSendCommand");
}

void TEDSDK::RemoteStartMovieRecording() {
  PersistentWrite(*this, mCameraDevice, kEdsPropID_Record, kEdsRecord_Begin,
                  u"EdsSetPropertyData, kEdsPropID_Record - start");
}

void TEDSDK::RemoteEndMovieRecording() {
  PersistentWrite(*this, mCameraDevice, kEdsPropID_Record, kEdsRecord_End,
                  u"EdsSetPropertyData, kEdsPropID_Record - end");
}

}  // namespace eos
