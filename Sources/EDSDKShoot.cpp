// Shooting and picture download: the shutter, bulb exposures, keeping the camera awake,
// the owner name, and the three pending lists of announced items with their downloads.
#include <array>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/EDSDKOwners.h"
#include "win/wtext.h"

namespace eos {

namespace {

// kEdsCameraCommand_PressShutterButton's parameter for each button state.
struct ShutterButtonRow {
  RemoteShutterButtonType button;
  EdsUInt32 param;
};
constexpr std::array<ShutterButtonRow, kEnumCount<RemoteShutterButtonType>> kShutterButtons = {{
    {RemoteShutterButtonOff, kEdsCameraCommand_ShutterButton_OFF},
    {RemoteShutterButtonHalfPressed, kEdsCameraCommand_ShutterButton_Halfway},
    {RemoteShutterButtonCompletelyPressed, kEdsCameraCommand_ShutterButton_Completely},
    {RemoteShutterButtonHalfPressedNonAF, kEdsCameraCommand_ShutterButton_Halfway_NonAF},
    {RemoteShutterButtonCompletelyPressedNonAF, kEdsCameraCommand_ShutterButton_Completely_NonAF},
}};

EdsInt32 ShutterButtonParam(RemoteShutterButtonType button) {
  for (const ShutterButtonRow& row : kShutterButtons)
    if (row.button == button) return static_cast<EdsInt32>(row.param);
  throw ECamException(u"Shutter button state not known");
}

}  // namespace

void TEDSDK::RemoteTakePicture(std::int32_t) {
  EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_TakePicture, 0), u"EdsSendCommand");
}

void TEDSDK::RemotePressShutter(RemoteShutterButtonType ShutterButton) {
  const EdsInt32 param = ShutterButtonParam(ShutterButton);
  EDSDKCheck(RetryBusy(kShutterButtonRetry,
                       [&] { return EdsSendCommand(mCameraDevice, kEdsCameraCommand_PressShutterButton, param); }),
             u"EdsSendCommand");
}

void TEDSDK::RemoteBULBMode(bool ActivateBULB) {
  if (ActivateBULB) {
    EDSDKCheck(EdsSendStatusCommand(mCameraDevice, kEdsCameraStatusCommand_UILock, 0), u"EdsSendStatusCommand");
    EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_BulbStart, 0), u"EdsSendCommand");
  } else {
    EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_BulbEnd, 0), u"EdsSendCommand");
    EDSDKCheck(EdsSendStatusCommand(mCameraDevice, kEdsCameraStatusCommand_UIUnLock, 0), u"EdsSendStatusCommand");
  }
}

void TEDSDK::ExtendShutdownTimer() {
  EDSDKCheck(EdsSendCommand(mCameraDevice, kEdsCameraCommand_ExtendShutDownTimer, 0), u"EdsSendCommand");
}

void TEDSDK::SetOwnerName(TextView NameOfOwner) {
  if (NameOfOwner.size() > kMaxSdkFileName) throw ECamException(u"The owner name to set is too long");
  const std::string name = win::ToAnsi(NameOfOwner);
  EDSDKCheck(
      EdsSetPropertyData(mCameraDevice, kEdsPropID_OwnerName, 0, static_cast<EdsUInt32>(name.size() + 1), name.c_str()),
      u"EdsSetPropertyData, kEdsPropID_OwnerName");
}

RemoteZoomCapabilityType TEDSDK::RemoteGetZoomPos() {
  throw ECamException(u"RemoteGetZoomPos is not supported for your EOS camera.");
}

void TEDSDK::RemoteSetZoomPos(std::int32_t) {
  throw ECamException(u"RemoteSetZoomPos is not supported for your EOS camera.");
}

void TEDSDK::RemoteAFLock(bool) { throw ECamException(u"RemoteAFLock is not supported for your EOS camera."); }

void DownloadItem(const TEDSDK& sdk, EdsDirectoryItemRef item, const std::string& path, bool Full,
                  FileTransferType Transfer, FileTransferType& transfer_now, EdsVoid* progress_context,
                  const std::function<void()>& after) {
  SdkRef stream;
  sdk.EDSDKCheck(
      EdsCreateFileStream(path.c_str(), kEdsFileCreateDisposition_CreateAlways, kEdsAccess_Write, stream.out()),
      u"EdsCreateFileStream");
  Protected(
      [&] {
        if (!Full) {
          sdk.EDSDKCheck(EdsDownloadThumbnail(item, stream.get()), u"EdsDownloadThumbnail");
          return;
        }
        EdsDirectoryItemInfo info{};
        sdk.EDSDKCheck(EdsGetDirectoryItemInfo(item, &info), u"EdsGetDirectoryItemInfo");
        sdk.EDSDKCheck(EdsSetProgressCallback(stream.get(), sdk.Events().Progress, kEdsProgressOption_Periodically,
                                              progress_context),
                       u"EdsSetProgressCallback");
        transfer_now = Transfer;
        sdk.EDSDKCheck(EdsDownload(item, info.size, stream.get()), u"EdsDownload");
      },
      [&] { transfer_now = FileTransferNotUsed; },
      [&] { sdk.EDSDKCheck(stream.Release(), u"EdsRelease"); },  // the file is complete and closed now
      [&] {
        if (Full) sdk.EDSDKCheck(EdsDownloadComplete(item), u"EdsDownloadComplete");
      },
      [&] {
        if (Full && after) after();
      });
}

namespace {

// One of the three downloads of the oldest pending item.
struct PendingDownload {
  EdsRefList& list;
  const char16_t* empty_message;  // raised when nothing is pending
  bool full;                      // the whole file, or only its thumbnail
  FileTransferType transfer;      // what the progress handler is told meanwhile
  bool delete_after;              // delete the file on the card once it is here
};

void DownloadFirst(const TEDSDK& sdk, const PendingDownload& d, TextView FileName, FileTransferType& transfer_now,
                   EdsVoid* progress_context) {
  if (d.list.empty()) throw ECamException(d.empty_message);
  const std::string path = SdkFileName(FileName);
  const EdsDirectoryItemRef item = d.list.front();
  // A whole file consumes its item even when the download failed: it is deleted when
  // asked, given back and dropped, each step whatever the others did, so a failed item
  // never blocks those behind it. A thumbnail leaves it pending for the whole picture.
  DownloadItem(sdk, item, path, d.full, d.transfer, transfer_now, progress_context, [&] {
    Protected(
        [&] {
          if (d.delete_after) sdk.EDSDKCheck(EdsDeleteDirectoryItem(item), u"EdsDeleteDirectoryItem");
        },
        [&] { sdk.EDSDKCheck(SdkRef(item).Release(), u"EdsRelease"); }, [&] { d.list.erase(d.list.begin()); });
  });
}

}  // namespace

void TEDSDK::RemoteGetPicture(TextView FileName, PictureTypeType PictureType, std::int32_t) {
  DownloadFirst(*this,
                {mPicList, u"There are no pictures to download", PictureType != PictureTypeThumbnail,
                 FileTransferFromCameraMemory, false},
                FileName, mTypeOfFileTransfer, &mInstanceNumber);
}

void TEDSDK::RemoteGetMovie(TextView FileName, bool DeleteFromCameraAfterTransfer, std::int32_t) {
  DownloadFirst(
      *this,
      {mMovieList, u"There are no movies to download", true, FileTransferFromCameraCard, DeleteFromCameraAfterTransfer},
      FileName, mTypeOfFileTransfer, &mInstanceNumber);
}

void TEDSDK::RemoteGetCFPicture(TextView FileName, bool DeleteFromCameraAfterTransfer, std::int32_t) {
  DownloadFirst(*this,
                {mPicCFList, u"There are no pictures on CF card to download", true, FileTransferFromCameraCard,
                 DeleteFromCameraAfterTransfer},
                FileName, mTypeOfFileTransfer, &mInstanceNumber);
}

}  // namespace eos
