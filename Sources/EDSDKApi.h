// TEDSDK: the EOS backend of the camera remote component. Every camera operation of an
// EOS camera ends in one of its methods, and each reaches the camera only through the
// entry points bound in EDSDKBinding.h; a refused SDK call becomes an ECamException in
// EDSDKCheck and nowhere else.
#pragma once

#include <cstdint>
#include <vector>

#include "Sources/EDSDK.h"
#include "camremote/core/CamDefines.h"
#include "plugin/core/text.h"

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

class TEDSDK final {
 public:
  // Create: empty lists, instance number 0, no transfer, no live view. Neither loads the
  // SDK nor touches a camera.
  TEDSDK() = default;
  // Destroy: frees the list containers only. References still held are not released,
  // no session is closed and the library stays loaded.
  ~TEDSDK() = default;
  TEDSDK(const TEDSDK&) = delete;
  TEDSDK& operator=(const TEDSDK&) = delete;

  // Does nothing for 0; otherwise raises ECamException
  // "<Funcname> errorcode 0x<Value, 8 upper-case hex digits>, <EDSDKErrorText(Value)>".
  void EDSDKCheck(EdsError Value, TextView Funcname) const;

  // Properties.
  void SetInstanceNumber(std::uint32_t value) { mInstanceNumber = value; }
  FileTransferType TypeOfFileTransfer() const { return mTypeOfFileTransfer; }
  EdsCameraRef CameraDevice() const { return mCameraDevice; }

 private:
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
