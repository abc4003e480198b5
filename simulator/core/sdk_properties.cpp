// Properties: a camera's from its store, a live-view image's metadata and a RAW image's
// development settings from fields of their objects.
#include "simulator/core/sdk_state.h"

#include <algorithm>
#include <cstdlib>

namespace eos::sim {
namespace {

// The properties of live-view images and RAW images: where each lives in its object.
struct ImageField {
  RefKind kind;
  EdsPropertyID id;
  EdsDataType type;
  EdsUInt32 size;
  const void* (*at)(const Object&);
};
#define EOS_SIM_AT(member) [](const Object& o) -> const void* { return &o.member; }
constexpr std::array<ImageField, 11> kImageFields = {{
    {RefKind::EvfImage, kEdsPropID_Evf_ZoomPosition, kEdsDataType_Point, 8, EOS_SIM_AT(evf.zoom_position)},
    {RefKind::EvfImage, kEdsPropID_Evf_ImagePosition, kEdsDataType_Point, 8, EOS_SIM_AT(evf.image_position)},
    {RefKind::EvfImage, kEdsPropID_Evf_ZoomRect, kEdsDataType_Rect, 16, EOS_SIM_AT(evf.zoom_rect)},
    {RefKind::EvfImage, kEdsPropID_Evf_CoordinateSystem, kEdsDataType_ByteBlock, 8, EOS_SIM_AT(evf.coords)},
    {RefKind::EvfImage, kEdsPropID_Evf_Zoom, kEdsDataType_UInt32, 4, EOS_SIM_AT(evf.zoom)},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramY, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[0])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramR, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[1])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramG, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[2])},
    {RefKind::EvfImage, kEdsPropID_Evf_HistogramB, kEdsDataType_UInt32_Array, 1024, EOS_SIM_AT(evf.histogram[3])},
    {RefKind::Image, kEdsPropID_WhiteBalance, kEdsDataType_Int32, 4, EOS_SIM_AT(white_balance)},
    {RefKind::Image, kEdsPropID_ColorTemperature, kEdsDataType_UInt32, 4, EOS_SIM_AT(color_temperature)},
}};
#undef EOS_SIM_AT
static_assert(sizeof(EvfMeta::histogram[0]) == 1024 && sizeof(EdsRect) == 16);

}  // namespace

// The property store a reference reads and writes, for the references that have one.
EdsError Sdk::State::Properties(EdsBaseRef ref, PropertyStore** out) {
  Device* d = nullptr;
  if (const EdsError e = SessionCamera(ref, &d)) return e;
  *out = &d->props;
  return EDS_ERR_OK;
}

EdsError Sdk::State::FocusInfo(const Device& d, EdsFocusInfo* info) {
  *info = EdsFocusInfo{};
  info->imageRect = {{0, 0}, kSensorSize};
  info->pointNumber = 9;
  for (uint32_t i = 0; i < 9; ++i) {
    EdsFocusPoint& p = info->focusPoint[i];
    p.valid = 1;
    p.selected = i == 4 ? 1 : 0;
    p.justFocus = (i == 4 && std::abs(d.focus - kFocusSharp) <= 20) ? 1 : 0;
    p.rect = {{static_cast<EdsInt32>(1296 + (i % 3) * 1152), static_cast<EdsInt32>(864 + (i / 3) * 768)}, {300, 200}};
  }
  return EDS_ERR_OK;
}

// Live-view image metadata and RAW image settings, as properties of those references.
EdsError Sdk::State::ImageProperty(const Object& o, EdsPropertyID id, EdsUInt32 size, void* out, EdsDataType* type,
                                   EdsUInt32* need) {
  if (o.kind != RefKind::EvfImage && o.kind != RefKind::Image) return EDS_ERR_INVALID_HANDLE;
  const auto f = std::find_if(kImageFields.begin(), kImageFields.end(),
                              [&](const ImageField& field) { return field.kind == o.kind && field.id == id; });
  if (f == kImageFields.end()) return EDS_ERR_PROPERTIES_UNAVAILABLE;
  if (o.kind == RefKind::EvfImage && !o.evf.valid) return EDS_ERR_OBJECT_NOTREADY;  // nothing downloaded yet
  if (need) {
    *type = f->type;
    *need = f->size;
    return EDS_ERR_OK;
  }
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  if (size != f->size) return EDS_ERR_INVALID_LENGTH;
  std::memcpy(out, f->at(o), f->size);
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetPropertySize(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsDataType* type,
                                        EdsUInt32* size) {
  if (type == nullptr || size == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (o->kind != RefKind::Camera) return ImageProperty(*o, id, 0, nullptr, type, size);
  PropertyStore* props = nullptr;
  if (const EdsError e = Properties(ref, &props)) return e;
  return props->Size(id, type, size);
}

EdsError Sdk::State::EdsGetPropertyData(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsUInt32 size, EdsVoid* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (o->kind != RefKind::Camera) return ImageProperty(*o, id, size, out, nullptr, nullptr);
  PropertyStore* props = nullptr;
  if (const EdsError e = Properties(ref, &props)) return e;
  if (id == kEdsPropID_FocusInfo && FindProperty(id) && scenario.live_view) {
    if (size != sizeof(EdsFocusInfo)) return EDS_ERR_INVALID_LENGTH;
    return FocusInfo(devices[static_cast<size_t>(o->device)], static_cast<EdsFocusInfo*>(out));
  }
  return props->Get(id, size, out);
}

EdsError Sdk::State::EdsSetPropertyData(EdsBaseRef ref, EdsPropertyID id, EdsInt32, EdsUInt32 size,
                                        const EdsVoid* data) {
  if (data == nullptr) return EDS_ERR_INVALID_POINTER;
  Object* o = Find(ref);
  if (o == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (o->kind == RefKind::Image) {
    if (size != 4) return EDS_ERR_INVALID_LENGTH;
    int32_t v;
    std::memcpy(&v, data, 4);
    if (id == kEdsPropID_WhiteBalance) {
      const PropertyDef* def = FindProperty(kEdsPropID_WhiteBalance);
      if (std::find(def->offered.begin(), def->offered.end(), v) == def->offered.end())
        return EDS_ERR_INVALID_DEVICEPROP_VALUE;
      o->white_balance = v;
    } else if (id == kEdsPropID_ColorTemperature) {
      if (v < 2500 || v > 10000) return EDS_ERR_INVALID_DEVICEPROP_VALUE;
      o->color_temperature = static_cast<uint32_t>(v);
    } else {
      return EDS_ERR_PROPERTIES_UNAVAILABLE;
    }
    return EDS_ERR_OK;
  }
  if (o->kind != RefKind::Camera) return o->kind == RefKind::EvfImage ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_INVALID_HANDLE;
  PropertyStore* props = nullptr;
  if (const EdsError e = Properties(ref, &props)) return e;
  const bool recording = props->UInt32(kEdsPropID_Record) == kEdsRecord_Begin;
  if (id == kEdsPropID_Record && !scenario.card) return EDS_ERR_DEVICE_NO_DISK;
  // A camera without remote shooting keeps its pictures to itself.
  if (id == kEdsPropID_SaveTo && !scenario.remote && size == 4) {
    uint32_t to;
    std::memcpy(&to, data, 4);
    if (to != kEdsSaveTo_Camera) return EDS_ERR_NOT_SUPPORTED;
  }
  if (const EdsError e = props->Set(id, size, data)) return e;
  if (size == 4) {  // the value itself, for tests that check what reached the camera
    uint32_t v;
    std::memcpy(&v, data, 4);
    std::string line;
    Append(line, "property 0x%X := 0x%X", static_cast<unsigned>(id), static_cast<unsigned>(v));
    books.Trace(line);
  }
  PostProperty(o->device, id);
  if (id == kEdsPropID_Record && recording && props->UInt32(kEdsPropID_Record) == kEdsRecord_End) StoreMovie(o->device);
  return EDS_ERR_OK;
}

EdsError Sdk::State::EdsGetPropertyDesc(EdsBaseRef ref, EdsPropertyID id, EdsPropertyDesc* out) {
  if (out == nullptr) return EDS_ERR_INVALID_POINTER;
  PropertyStore* props = nullptr;
  if (const EdsError e = Properties(ref, &props)) return e;
  return props->Desc(id, out);
}

}  // namespace eos::sim
