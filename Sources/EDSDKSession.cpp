// The SDK's life and one camera session: starting and stopping the SDK, listing the
// cameras, opening a session with the three event handlers, and what the camera tells
// about itself.
#include <array>
#include <cstdint>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/EDSDKOwners.h"

namespace eos {

namespace {

// The low byte of kEdsPropID_BatteryLevel and what it says; any other byte says nothing.
struct BatteryRow {
  std::uint8_t level;
  BatteryType battery;
};
constexpr std::array<BatteryRow, 4> kBatteryLevels = {{
    {255, {BatterySourceAC, BatteryStatusNormal}},  // mains power: the SDK reports 0xFFFFFFFF
    {80, {BatterySourceLitium, BatteryStatusNormal}},
    {49, {BatterySourceLitium, BatteryStatusWeak}},
    {9, {BatterySourceLitium, BatteryStatusSafetyLow}},
}};

BatteryType BatteryFromLevel(EdsUInt32 level) {
  for (const BatteryRow& row : kBatteryLevels)
    if (row.level == (level & 0xFF)) return row.battery;
  return {};
}

// Gives back the camera references of the last enumeration, newest first. They may
// already be dead (the SDK was stopped since), so the answers do not matter.
void DropCameraRefs() {
  auto& refs = EOSCameraRefs();
  while (!refs.empty()) {
    SdkRef(refs.back()).Release();
    refs.pop_back();
  }
}

}  // namespace

std::vector<EdsCameraRef>& EOSCameraRefs() {
  static std::vector<EdsCameraRef> refs;
  return refs;
}

void TEDSDK::InitCommunications() {
  LoadEDSDKLibrary();
  EDSDKCheck(EdsInitializeSDK(), u"EdsInitializeSDK");
}

void TEDSDK::EnumerateCameras(CameraList& cameras) {
  cameras.clear();
  DropCameraRefs();
  SdkRef list;
  EDSDKCheck(EdsGetCameraList(list.out()), u"EdsGetCameraList");
  Protected(
      [&] {
        EdsUInt32 count = 0;
        EDSDKCheck(EdsGetChildCount(list.get(), &count), u"EdsGetChildCount");
        for (EdsUInt32 i = 0; i < count; ++i) {
          EdsCameraRef camera = nullptr;
          EDSDKCheck(EdsGetChildAtIndex(list.get(), static_cast<EdsInt32>(i), &camera), u"EdsGetChildAtIndex");
          // Listed before its name is read, so a camera whose name cannot be read is
          // still given back with the others.
          EOSCameraRefs().push_back(camera);
          EdsDeviceInfo info{};
          EDSDKCheck(EdsGetDeviceInfo(camera, &info), u"EdsGetDeviceInfo");
          cameras.push_back(SdkText(info.szDeviceDescription, sizeof info.szDeviceDescription));
        }
      },
      [&] { EDSDKCheck(list.Release(), u"EdsRelease"); });
}

ConnectInfoType TEDSDK::Connect(const void*, std::int32_t ConnectToCamera, std::int32_t) {
  LoadEDSDKLibrary();
  const auto& refs = EOSCameraRefs();
  if (ConnectToCamera < 0)
    throw ECamException(
        u"Not valid value in parameter ConnectToCamera when calling Connect. Value must be at least zero. Currently "
        u"ConnectToCamera = " +
        IntToText(ConnectToCamera));
  if (refs.empty())
    throw ECamException(
        u"There seems to be no connected EOS cameras connected. Have you called the EnumerateCameras function before "
        u"calling Connect?");
  if (static_cast<std::size_t>(ConnectToCamera) >= refs.size())
    throw ECamException(u"Not valid value in parameter ConnectToCamera when calling Connect. There are only " +
                        IntToText(static_cast<long long>(refs.size())) +
                        u" EOS cameras connected. Currently is parameter ConnectToCamera = " +
                        IntToText(ConnectToCamera));

  mCameraInfo.CameraModel = CamModNone;
  mCameraDevice = refs[static_cast<std::size_t>(ConnectToCamera)];
  EdsVoid* context = &mInstanceNumber;
  EDSDKCheck(EdsSetObjectEventHandler(mCameraDevice, kEdsObjectEvent_All, mEvents.ObjectEvent, context),
             u"EdsSetObjectEventHandler");
  EDSDKCheck(EdsSetPropertyEventHandler(mCameraDevice, kEdsPropertyEvent_All, mEvents.PropertyEvent, context),
             u"EdsSetPropertyEventHandler");
  EDSDKCheck(EdsSetCameraStateEventHandler(mCameraDevice, kEdsStateEvent_All, mEvents.StateEvent, context),
             u"EdsSetCameraStateEventHandler");
  EDSDKCheck(EdsOpenSession(mCameraDevice), u"EdsOpenSession");
  mCameraInfo.CameraModel = CamModEOS;
  // Until the camera is read the component counts as disconnected and would never close
  // this session: a failed read closes it here, or the camera stays held until the SDK
  // stops.
  SdkSession session(mCameraDevice);
  EdsDeviceInfo info{};
  EDSDKCheck(EdsGetDeviceInfo(mCameraDevice, &info), u"EdsGetDeviceInfo");
  mCameraInfo.CameraModelName = SdkText(info.szDeviceDescription, sizeof info.szDeviceDescription);

  EdsChar owner[256] = {};
  EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_OwnerName, owner), u"EdsGetPropertyData, kEdsPropID_OwnerName");
  mCameraInfo.OwnerName = SdkText(owner, sizeof owner);

  EdsUInt32 level = 0;
  EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_BatteryLevel, level),
             u"EdsGetPropertyData, kEdsPropID_BatteryLevel");
  mCameraInfo.Battery = BatteryFromLevel(level);
  session.Detach();  // open until Disconnect
  return mCameraInfo;
}

void TEDSDK::Disconnect() {
  // Items announced and never fetched cannot be fetched once the session is closed: they
  // go back with it, or the SDK would hold them until it stops.
  for (EdsRefList* pending : {&mPicList, &mMovieList, &mPicCFList}) {
    for (EdsDirectoryItemRef item : *pending) SdkRef(item).Release();
    pending->clear();
  }
  // The session closes whatever the camera answers: there is nothing left to do about a
  // refusal.
  SdkSession(mCameraDevice).Release();
}

void TEDSDK::FinilizeCommunications() {
  // The listed cameras go back before the SDK stops, while their references still count.
  DropCameraRefs();
  EdsTerminateSDK();
}

}  // namespace eos
