// Camera utilities and stored pictures: the clock, body ID and firmware, formatting the
// card, the collection of files on the card with their thumbnails, and developing a RAW
// file on the host.
#include <exception>
#include <string_view>
#include <utility>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/EDSDKHelpers.h"
#include "Sources/EDSDKOwners.h"
#include "Sources/core/EdsValueCodes.h"

namespace eos {

namespace {

// The camera's first volume (its card); raises "<Operation> : No volumes found" when it
// has none.
SdkRef FirstVolume(const TEDSDK& sdk, EdsCameraRef camera, const char16_t* operation) {
  EdsUInt32 count = 0;
  sdk.EDSDKCheck(EdsGetChildCount(camera, &count), u"EdsGetChildCount");
  if (count == 0) throw ECamException(Text(operation) + u" : No volumes found");
  SdkRef volume;
  sdk.EDSDKCheck(EdsGetChildAtIndex(camera, 0, volume.out()), u"EdsGetChildAtIndex");
  return volume;
}

// Only JPEG files carry a thumbnail worth showing; the camera names them in upper case.
bool HasJpegExtension(const Text& name) {
  const std::size_t dot = name.rfind(u'.');
  return dot != Text::npos && TextView(name).substr(dot) == u".JPG";
}

// The thumbnail of a card file, as the bytes of its JPEG file.
std::vector<std::uint8_t> Thumbnail(const TEDSDK& sdk, EdsDirectoryItemRef item) {
  std::vector<std::uint8_t> bytes;
  SdkRef stream;
  sdk.EDSDKCheck(EdsCreateMemoryStream(0, stream.out()), u"EdsCreateMemoryStream");
  Protected(
      [&] {
        sdk.EDSDKCheck(EdsDownloadThumbnail(item, stream.get()), u"EdsDownloadThumbnail");
        sdk.EDSDKCheck(EdsSeek(stream.get(), 0, kEdsSeek_Begin), u"EdsSeek");
        EdsUInt64 length = 0;
        sdk.EDSDKCheck(EdsGetLength(stream.get(), &length), u"EdsGetLength");
        // Read until the stream gives no more, in pieces of the announced length.
        const std::size_t piece = length > 0 && length < (64u << 20) ? static_cast<std::size_t>(length) : 65536;
        for (;;) {
          const std::size_t at = bytes.size();
          bytes.resize(at + piece);
          EdsUInt64 got = 0;
          sdk.EDSDKCheck(EdsRead(stream.get(), piece, bytes.data() + at, &got), u"EdsRead");
          bytes.resize(at + static_cast<std::size_t>(got < piece ? got : piece));
          if (got == 0) break;
        }
      },
      [&] { sdk.EDSDKCheck(stream.Release(), u"EdsRelease"); });
  return bytes;
}

// Walks the children of a volume or folder depth first, in SDK order. Files join the
// collection (their references kept in `refs`, aligned with `images`); every folder
// reference is given back once its files are listed, and so is any reference that a
// failure left unclaimed.
void WalkChildren(const TEDSDK& sdk, EdsBaseRef parent, bool GetThumbnails, EdsRefList& refs, ImageListType& images) {
  EdsUInt32 count = 0;
  sdk.EDSDKCheck(EdsGetChildCount(parent, &count), u"EdsGetChildCount");
  for (EdsUInt32 i = 0; i < count; ++i) {
    SdkRef child;
    sdk.EDSDKCheck(EdsGetChildAtIndex(parent, static_cast<EdsInt32>(i), child.out()), u"EdsGetChildAtIndex");
    Protected(
        [&] {
          EdsDirectoryItemInfo info{};
          sdk.EDSDKCheck(EdsGetDirectoryItemInfo(child.get(), &info), u"EdsGetDirectoryItemInfo");
          if (info.isFolder) {
            WalkChildren(sdk, child.get(), GetThumbnails, refs, images);
            return;
          }
          const EdsDirectoryItemRef file = child.get();
          refs.push_back(file);
          child.Detach();
          ImageDataType image;
          image.NameOfImage = SdkText(info.szFileName, sizeof info.szFileName);
          images.push_back(std::move(image));
          if (GetThumbnails && HasJpegExtension(images.back().NameOfImage))
            images.back().Thumbnail = Thumbnail(sdk, file);
        },
        [&] { sdk.EDSDKCheck(child.Release(), u"EdsRelease"); });
  }
}

// The SDK's image type for a developed RAW picture.
EdsTargetImageType RawTargetType(FileFormatType FileFormat, BitsPerPixelType BitsPerPixel) {
  switch (FileFormat) {
    case FileFormatTIFF:
      return BitsPerPixel == BitsPerPixel48Bits ? kEdsTargetImageType_TIFF16 : kEdsTargetImageType_TIFF;
    case FileFormatJPEG:
      return kEdsTargetImageType_Jpeg;
    case FileFormatThumbnail:
      throw ECamException(u"Thumbnail in RAW development not implemented");
    default:
      throw ECamException(u"JPEG in RAW development not implemented");
  }
}

// Raises unless `NrInList` names an entry of a list of `count`.
void CheckIndex(std::int32_t NrInList, std::size_t count, const char16_t* what) {
  if (NrInList < 0 || static_cast<std::size_t>(NrInList) >= count)
    throw ECamException(u"Requested " + Text(what) + u" of picture " + IntToText(NrInList) + u" but max is only " +
                        IntToText(static_cast<long long>(count) - 1));
}

}  // namespace

void TEDSDK::SetTimeInCamera(const DateTime& TimeToSet) {
  EdsDataType type = kEdsDataType_Unknown;
  EdsUInt32 size = 0;
  EDSDKCheck(EdsGetPropertySize(mCameraDevice, kEdsPropID_DateTime, 0, &type, &size), u"EdsGetPropertySize");
  if (type != kEdsDataType_Time) throw ECamException(u"SetTimeInCamera : Date/Time is of incorrect type");
  const EdsTime time{TimeToSet.year,   TimeToSet.month,  TimeToSet.day,        TimeToSet.hour,
                     TimeToSet.minute, TimeToSet.second, TimeToSet.millisecond};
  EDSDKCheck(SetProperty(mCameraDevice, kEdsPropID_DateTime, time), u"EdsSetPropertyData, kEdsPropID_DateTime");
}

Text TEDSDK::GetBodyID() {
  std::vector<EdsChar> buffer(2001, 0);
  EDSDKCheck(
      EdsGetPropertyData(mCameraDevice, kEdsPropID_BodyIDEx, 0, static_cast<EdsUInt32>(buffer.size()), buffer.data()),
      u"EdsGetPropertyData, kEdsPropID_BodyIDEx");
  return SdkText(buffer.data(), buffer.size());
}

Text TEDSDK::GetFirmwareVersion() {
  EdsChar buffer[32] = {};
  EDSDKCheck(GetProperty(mCameraDevice, kEdsPropID_FirmwareVersion, buffer),
             u"EdsGetPropertyData, kEdsPropID_FirmwareVersion");
  return SdkText(buffer, sizeof buffer);
}

void TEDSDK::FormatCameraCard() {
  SdkRef volume = FirstVolume(*this, mCameraDevice, u"FormatCameraCard");
  Protected([&] { EDSDKCheck(EdsFormatVolume(volume.get()), u"EdsFormatVolume"); },
            [&] { EDSDKCheck(volume.Release(), u"EdsRelease"); });
}

ImageListType TEDSDK::OpenCameraCollection(TextView, bool GetThumbnails) {
  // A collection still open is closed first, so the references stay aligned with the
  // list this call returns.
  ImageListType stale;
  if (mVolumeRef || !mPicOnCamList.empty()) CloseCameraCollection(stale);
  ImageListType images;
  mVolumeRef = FirstVolume(*this, mCameraDevice, u"OpenCameraCollection").Detach();
  WalkChildren(*this, mVolumeRef, GetThumbnails, mPicOnCamList, images);
  return images;
}

void TEDSDK::CloseCameraCollection(ImageListType& ImageListToClear) {
  Protected([&] { EDSDKCheck(SdkRef(std::exchange(mVolumeRef, nullptr)).Release(), u"EdsRelease"); },
            [&] {
              // Newest first, every one even when one is refused; the first refusal is raised.
              std::exception_ptr first;
              while (!mPicOnCamList.empty()) {
                SdkRef item(mPicOnCamList.back());
                mPicOnCamList.pop_back();
                try {
                  EDSDKCheck(item.Release(), u"EdsRelease");
                } catch (...) {
                  if (!first) first = std::current_exception();
                }
              }
              if (first) std::rethrow_exception(first);
            },
            [&] { ImageListToClear.clear(); });
}

void TEDSDK::GetPicture(std::int32_t NrInList, TextView FileName, std::int32_t) {
  const std::string path = SdkFileName(FileName);
  CheckIndex(NrInList, mPicOnCamList.size(), u"download");
  DownloadItem(*this, mPicOnCamList[static_cast<std::size_t>(NrInList)], path, true, FileTransferFromCameraCard,
               mTypeOfFileTransfer, &mInstanceNumber);
}

void TEDSDK::DeletePicture(ImageListType& ImageList, std::int32_t NrInList) {
  CheckIndex(NrInList, mPicOnCamList.size(), u"delete");
  const auto at = static_cast<std::size_t>(NrInList);
  const EdsDirectoryItemRef item = mPicOnCamList[at];
  EDSDKCheck(EdsDeleteDirectoryItem(item), u"EdsDeleteDirectoryItem");
  mPicOnCamList.erase(mPicOnCamList.begin() + NrInList);
  if (at < ImageList.size()) ImageList.erase(ImageList.begin() + NrInList);
  // The file is gone from the card; its reference goes back too.
  EDSDKCheck(SdkRef(item).Release(), u"EdsRelease");
}

RAWObjectDevAvailType TEDSDK::OpenRAWObject(TextView FileName) {
  RAWObjectDevAvailType avail;
  const std::string path = SdkFileName(FileName);
  // A RAW file still open is closed first, or its stream and image would never go back.
  if (mRAWFileImageRef || mRAWFileStream) CloseRAWObject();
  EDSDKCheck(
      EdsCreateFileStream(path.c_str(), kEdsFileCreateDisposition_OpenExisting, kEdsAccess_Read, &mRAWFileStream),
      u"EdsCreateFileStream");
  EDSDKCheck(EdsCreateImageRef(mRAWFileStream, &mRAWFileImageRef), u"EdsCreateImageRef");
  const RAWObjectDevType remembered = GetRAWDevelopmentParameters();
  for (int v = RemoteFormatWBAuto; v <= RemoteFormatWBPCSet3; ++v) {
    const std::optional<std::uint32_t> code = SdkCode(static_cast<RemoteFormatWBType>(v));
    if (!code) continue;
    const auto value = static_cast<EdsInt32>(*code);
    if (SetProperty(mRAWFileImageRef, kEdsPropID_WhiteBalance, value) == EDS_ERR_OK)
      avail.WhiteBalance[static_cast<std::size_t>(v)] = true;
  }
  SetRAWDevelopmentParameters(remembered);
  return avail;
}

void TEDSDK::SetRAWDevelopmentParameters(const RAWObjectDevType& RAWDevPara) {
  const std::optional<std::uint32_t> code = SdkCode(RAWDevPara.WhiteBalance);
  if (!code) throw ECamException(u"Whitebalance not known");
  const auto value = static_cast<EdsInt32>(*code);
  EDSDKCheck(SetProperty(mRAWFileImageRef, kEdsPropID_WhiteBalance, value),
             u"EdsSetPropertyData, kEdsPropID_WhiteBalance");
  if (RAWDevPara.WhiteBalance == RemoteFormatWBKelvin) {
    const EdsInt32 kelvin = RAWDevPara.WhiteBalanceKelvin / 100 * 100;
    EDSDKCheck(SetProperty(mRAWFileImageRef, kEdsPropID_ColorTemperature, kelvin),
               u"EdsSetPropertyData, kEdsPropID_ColorTemperature");
  }
}

RAWObjectDevType TEDSDK::GetRAWDevelopmentParameters() {
  RAWObjectDevType para;
  EdsInt32 wb = 0;
  if (GetProperty(mRAWFileImageRef, kEdsPropID_WhiteBalance, wb) == EDS_ERR_OK)
    para.WhiteBalance = FromSdkCode<RemoteFormatWBType>(static_cast<std::uint32_t>(wb));
  EdsInt32 kelvin = 0;
  if (para.WhiteBalance == RemoteFormatWBKelvin &&
      GetProperty(mRAWFileImageRef, kEdsPropID_ColorTemperature, kelvin) == EDS_ERR_OK)
    para.WhiteBalanceKelvin = kelvin;
  return para;
}

void TEDSDK::DevelopRAWPicture(TextView OutFileName, FileFormatType FileFormat, BitsPerPixelType BitsPerPixel,
                               TextView ICCProfileFileName, std::int32_t JPEGQuality) {
  const std::string out_path = SdkFileName(OutFileName);
  if (ICCProfileFileName.size() > kMaxSdkFileName)
    throw ECamException(u"ICC profile filename " + Text(ICCProfileFileName) + u" too long");
  // Refused before the output file is created, so an existing file is left as it was.
  const EdsTargetImageType target = RawTargetType(FileFormat, BitsPerPixel);
  SdkRef out;
  SdkRef profile;
  EDSDKCheck(EdsCreateFileStream(out_path.c_str(), kEdsFileCreateDisposition_CreateAlways, kEdsAccess_Write, out.out()),
             u"EdsCreateFileStream");
  Protected(
      [&] {
        if (!ICCProfileFileName.empty())
          EDSDKCheck(EdsCreateFileStream(SdkFileName(ICCProfileFileName).c_str(),
                                         kEdsFileCreateDisposition_OpenExisting, kEdsAccess_Read, profile.out()),
                     u"EdsCreateFileStream");
        const EdsSaveImageSetting setting{static_cast<EdsUInt32>(JPEGQuality), profile.get(), 0};
        EDSDKCheck(EdsSaveImage(mRAWFileImageRef, target, setting, out.get()), u"EdsSaveImage");
      },
      [&] { EDSDKCheck(profile.Release(), u"EdsRelease"); }, [&] { EDSDKCheck(out.Release(), u"EdsRelease"); });
}

void TEDSDK::CloseRAWObject() {
  Protected([&] { EDSDKCheck(SdkRef(std::exchange(mRAWFileImageRef, nullptr)).Release(), u"EdsRelease"); },
            [&] { EDSDKCheck(SdkRef(std::exchange(mRAWFileStream, nullptr)).Release(), u"EdsRelease"); });
}

}  // namespace eos
