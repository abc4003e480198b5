// RAW images: this camera's carry a JPEG, developed again to JPEG or TIFF.
#include "simulator/core/sdk_state.h"

#include <optional>

#include "simulator/core/jpeg.h"
#include "simulator/core/tiff.h"

namespace eos::sim {

EdsError Sdk::State::EdsCreateImageRef(EdsStreamRef ref, EdsImageRef* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  *out = nullptr;
  Stream* s = FindStream(ref);
  if (s == nullptr) return EDS_ERR_INVALID_HANDLE;
  std::vector<uint8_t> bytes;
  if (const EdsError e = ReadAll(*s, &bytes)) return e;
  std::optional<Image> img = DecodeJpeg(bytes.data(), bytes.size());
  if (!img) return EDS_ERR_NOT_SUPPORTED;  // this camera's RAW files carry a JPEG
  auto o = std::make_unique<Object>();
  o->kind = RefKind::Image;
  o->image = std::move(*img);
  *out = Hand(std::move(o));
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetImageInfo(EdsImageRef ref, EdsImageSource source, EdsImageInfo* info) {
  if (info == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(ref, RefKind::Image);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (source > kEdsImageSrc_Thumbnail) return EDS_ERR_INVALID_PARAMETER;
  const bool thumb = source == kEdsImageSrc_Thumbnail;
  const auto w = static_cast<EdsUInt32>(thumb ? 160 : o->image.width);
  const auto h = static_cast<EdsUInt32>(thumb ? 120 : o->image.height);
  *info = EdsImageInfo{w, h, 3, 8, {{0, 0}, {static_cast<EdsInt32>(w), static_cast<EdsInt32>(h)}}};
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetImage(EdsImageRef ref, EdsImageSource, EdsTargetImageType, EdsRect, EdsSize,
                                 EdsStreamRef out) {
  if (Find(ref, RefKind::Image) == nullptr || FindStream(out) == nullptr) return EDS_ERR_INVALID_HANDLE;
  return EDS_ERR_NOT_SUPPORTED;
}

EdsError Sdk::State::EdsSaveImage(EdsImageRef ref, EdsTargetImageType type, EdsSaveImageSetting setting,
                                  EdsStreamRef out) {
  Object* o = Find(ref, RefKind::Image);
  Stream* s = FindStream(out);
  if (o == nullptr || s == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (setting.iccProfileStream != nullptr && FindStream(setting.iccProfileStream) == nullptr)
    return EDS_ERR_INVALID_HANDLE;
  std::vector<uint8_t> bytes;
  if (type == kEdsTargetImageType_Jpeg) {
    if (setting.JPEGQuality < 1 || setting.JPEGQuality > 10) return EDS_ERR_INVALID_PARAMETER;
    bytes = EncodeJpeg(o->image, static_cast<int>(setting.JPEGQuality) * 10);
  } else if (type == kEdsTargetImageType_TIFF || type == kEdsTargetImageType_TIFF16) {
    bytes = EncodeTiff(o->image, type == kEdsTargetImageType_TIFF16);
  } else {
    return EDS_ERR_INVALID_PARAMETER;
  }
  uint64_t done = 0;
  return s->Write(bytes.size(), bytes.data(), &done);
}

EdsError Sdk::State::EdsCacheImage(EdsImageRef ref, EdsBool) {
  return Find(ref, RefKind::Image) ? EDS_ERR_OK : EDS_ERR_INVALID_HANDLE;
}

EdsError Sdk::State::EdsReflectImageProperty(EdsImageRef ref) {
  return Find(ref, RefKind::Image) ? EDS_ERR_OK : EDS_ERR_INVALID_HANDLE;
}

}  // namespace eos::sim
