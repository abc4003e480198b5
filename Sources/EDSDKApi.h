// TEDSDK: the EOS backend of the camera remote component. Every camera operation of an
// EOS camera ends in one of its methods, and each reaches the camera only through the
// entry points bound in EDSDKBinding.h; a refused SDK call becomes an ECamException in
// EDSDKCheck and nowhere else.
#pragma once

#include <cstdint>
#include <vector>

#include "Sources/EDSDKEvents.h"
#include "base/lumutils.h"
#include "base/text.h"
#include "camremote/core/CamDefines.h"
#include "edsdk/EDSDK.h"

namespace eos {

// Where the download running now comes from; the progress handler reads it to pick the
// component event it reports.
enum FileTransferType : std::uint8_t {
  FileTransferNotUsed,           // no download running
  FileTransferFromCameraMemory,  // a picture the camera holds for the host
  FileTransferFromCameraCard,    // a file on the memory card
};

// The pending lists hold SDK references as plain pointers. The object owns the
// containers, not the references: a reference leaves its list when the operation that
// downloads, deletes or releases it takes it out.
using EdsRefList = std::vector<EdsDirectoryItemRef>;

// The cameras of the last enumeration, in SDK order; a camera's position is the number
// Connect takes. Process-wide: every component of the process shares it.
std::vector<EdsCameraRef>& EOSCameraRefs();

class TEDSDK final {
 public:
  // Create: empty lists, instance number 0, no transfer, no live view. Neither loads the
  // SDK nor touches a camera. Events go to the owner's table, which outlives the backend.
  explicit TEDSDK(const TEDSDKEvents& Events = kNoEDSDKEvents) : mEvents(Events) {}
  // Destroy: frees the list containers only. References still held are not released,
  // no session is closed and the library stays loaded.
  ~TEDSDK() = default;
  TEDSDK(const TEDSDK&) = delete;
  TEDSDK& operator=(const TEDSDK&) = delete;

  // Does nothing for 0; otherwise raises ECamException
  // "<Funcname> errorcode 0x<Value, 8 upper-case hex digits>, <EDSDKErrorText(Value)>".
  void EDSDKCheck(EdsError Value, TextView Funcname) const;

  // --- SDK life, cameras and the session (EDSDKSession.cpp) ---
  void InitCommunications();
  // One product name per camera, in SDK order; refills EOSCameraRefs in the same order.
  void EnumerateCameras(CameraList& cameras);
  // EventCallback and InstanceNumber are accepted and not used: the handlers are fixed
  // and the instance number arrives through SetInstanceNumber.
  ConnectInfoType Connect(const void* EventCallback, std::int32_t ConnectToCamera, std::int32_t InstanceNumber);
  // Gives back the items still pending download, then closes the session.
  void Disconnect();
  void FinilizeCommunications();

  // --- Remote mode and shooting parameters (EDSDKParams.cpp) ---
  bool RemoteSupported() const { return true; }
  RemoteFuncType RemoteStart(ReleaseModeType ReleaseMode, ReleaseDataKindType ReleaseDataKind,
                             bool ProbeRemoteParameters, TextView CacheRemoteParamDir, const void* RemoteEventCallback,
                             std::int32_t InstanceNumber);
  void RemoteEnd() {}
  std::int32_t RemoteGetNumberOfAvailableShots();
  RemoteReleaseParametersType RemoteGetRemoteParams();
  void RemoteSetRemoteParams(const RemoteReleaseParametersType& RemoteParam);

  // --- Shooting and downloads (EDSDKShoot.cpp) ---
  void RemoteTakePicture(std::int32_t InstanceNumber);
  void RemotePressShutter(RemoteShutterButtonType ShutterButton);
  void RemoteBULBMode(bool ActivateBULB);
  void ExtendShutdownTimer();
  void SetOwnerName(TextView NameOfOwner);
  RemoteZoomCapabilityType RemoteGetZoomPos();
  void RemoteSetZoomPos(std::int32_t ZoomPos);
  void RemoteAFLock(bool AFLock);
  void RemoteGetPicture(TextView FileName, PictureTypeType PictureType, std::int32_t InstanceNumber);
  void RemoteGetMovie(TextView FileName, bool DeleteFromCameraAfterTransfer, std::int32_t InstanceNumber);
  void RemoteGetCFPicture(TextView FileName, bool DeleteFromCameraAfterTransfer, std::int32_t InstanceNumber);
  // Take over an announced item; the download that removes it also releases it.
  void AddPictureToDownload(EdsDirectoryItemRef Picture) { mPicList.push_back(Picture); }
  void AddMovieToDownload(EdsDirectoryItemRef Movie) { mMovieList.push_back(Movie); }
  void AddCFPictureToDownload(EdsDirectoryItemRef Picture) { mPicCFList.push_back(Picture); }

  // --- Live view (EDSDKViewfinder.cpp) ---
  void RemoteStartViewfinder();
  void RemoteStopViewfinder();
  void RemoteSetViewfinderOutput(RemoteViewFinderOutputType ViewfinderOutput);
  void RemoteSetViewfinderDriveLens(RemoteViewFinderDriveLensType DriveLens);
  void RemoteSetViewfinderWhitebalance(std::int32_t XCoord, std::int32_t YCoord);
  void RemoteSetViewfinderAutofocusMode(RemoteViewFinderAFModeType AFMode);
  RemoteViewFinderAFModeType RemoteGetViewfinderAutofocusMode();
  AFFocusInfoType RemoteGetViewfinderAutofocusInfo();
  void RemoteSetViewfinderZoom(RemoteViewFinderZoomType Zoom);
  void RemoteSetViewfinderZoomPosition(std::int32_t X, std::int32_t Y);
  void RemoteSetViewfinderDepthOfFieldPreview(bool Activate);
  bool RemoteGetViewfinderDepthOfFieldPreview();
  void RemoteActivateViewfinderAuto(bool EOSLockAF);
  void RemoteStartMovieRecording();
  void RemoteEndMovieRecording();

  // --- Camera utilities, stored pictures, RAW (EDSDKUtils.cpp) ---
  void SetTimeInCamera(const DateTime& TimeToSet);
  Text GetBodyID();
  Text GetFirmwareVersion();
  void FormatCameraCard();
  ImageListType OpenCameraCollection(TextView TempDir, bool GetThumbnails);
  void CloseCameraCollection(ImageListType& ImageListToClear);
  void GetPicture(std::int32_t NrInList, TextView FileName, std::int32_t InstanceNumber);
  void DeletePicture(ImageListType& ImageList, std::int32_t NrInList);
  RAWObjectDevAvailType OpenRAWObject(TextView FileName);
  void SetRAWDevelopmentParameters(const RAWObjectDevType& RAWDevPara);
  RAWObjectDevType GetRAWDevelopmentParameters();
  void DevelopRAWPicture(TextView OutFileName, FileFormatType FileFormat, BitsPerPixelType BitsPerPixel,
                         TextView ICCProfileFileName, std::int32_t JPEGQuality);
  void CloseRAWObject();

  // Properties.
  void SetInstanceNumber(std::uint32_t value) { mInstanceNumber = value; }
  FileTransferType TypeOfFileTransfer() const { return mTypeOfFileTransfer; }
  const TEDSDKEvents& Events() const { return mEvents; }
  EdsCameraRef CameraDevice() const { return mCameraDevice; }

 private:
  const TEDSDKEvents& mEvents;
  // Index of the owning component in CamRemoteInstances. Its address is the context
  // pointer handed to every SDK event and progress handler, so it must stay put for the
  // object's life (the object is neither copied nor moved).
  std::uint32_t mInstanceNumber = 0;
  ConnectInfoType mCameraInfo;           // what the last Connect learned
  EdsCameraRef mCameraDevice = nullptr;  // the camera of the open session
  EdsVolumeRef mVolumeRef = nullptr;     // the card volume of the stored pictures
  EdsRefList mMovieList;                 // movies announced, not yet downloaded
  EdsRefList mPicCFList;                 // card pictures announced, not yet downloaded
  EdsRefList mPicOnCamList;              // pictures of the open camera collection
  FileTransferType mTypeOfFileTransfer = FileTransferNotUsed;
  EdsStreamRef mRAWFileStream = nullptr;   // stream of the opened RAW file
  EdsImageRef mRAWFileImageRef = nullptr;  // image of the opened RAW file
  bool mSupportViewfinder = false;         // the camera offers live view

 public:
  // Pictures the camera asked the host to take over, oldest first, not yet downloaded.
  EdsRefList mPicList;
};

}  // namespace eos
