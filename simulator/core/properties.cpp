#include "simulator/core/properties.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

namespace eos::sim {
namespace {

// Third-stop codes: a full stop every 8, thirds at +3 and +5.
template <size_t N>
constexpr std::array<int32_t, N> ThirdStops(int32_t first) {
  std::array<int32_t, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = first + 8 * static_cast<int32_t>(i / 3) + std::array{0, 3, 5}[i % 3];
  return out;
}

constexpr std::array<int32_t, 3> kSaveTo = {kEdsSaveTo_Camera, kEdsSaveTo_Host, kEdsSaveTo_Both};
constexpr std::array<int32_t, 8> kQualityNew = {0x0013FF0F, 0x0012FF0F, 0x0113FF0F, 0x0112FF0F,
                                                0x0213FF0F, 0x0212FF0F, 0x0064FF0F, 0x00640013};
constexpr std::array<int32_t, 8> kQualityOld = {0x00130000, 0x00120000, 0x01130000, 0x01120000,
                                                0x02130000, 0x02120000, 0x00240000, 0x00240013};
constexpr std::array<int32_t, 9> kWhiteBalance = {0, 1, 2, 3, 4, 5, 6, 8, 9};
constexpr std::array<int32_t, 2> kColorSpace = {1, 2};
constexpr std::array<int32_t, 2> kPhotoEffect = {0, 5};
constexpr std::array<int32_t, 10> kPictureStyle = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x21, 0x22, 0x23};
constexpr std::array<int32_t, 6> kAEMode = {0x00, 0x01, 0x02, 0x03, 0x04, 0x16};
constexpr std::array<int32_t, 6> kDriveMode = {0x00, 0x01, 0x04, 0x05, 0x10, 0x11};
constexpr std::array<int32_t, 19> kISO = {0x00, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55, 0x58, 0x5B, 0x5D,
                                          0x60, 0x63, 0x65, 0x68, 0x6B, 0x6D, 0x70, 0x78, 0x80};
constexpr std::array<int32_t, 4> kMetering = {1, 3, 4, 5};
constexpr std::array<int32_t, 3> kAFMode = {0, 1, 2};  // the lens switch is on AF
constexpr auto kAv = ThirdStops<22>(0x20);             // f/2.8 to f/32
constexpr auto kTv = ThirdStops<49>(0x10);             // 30 s to 1/2000 s
constexpr std::array<int32_t, 31> kExposure = {0xD8, 0xDB, 0xDD, 0xE0, 0xE3, 0xE5, 0xE8, 0xEB, 0xED, 0xF0, 0xF3,
                                               0xF5, 0xF8, 0xFB, 0xFD, 0x00, 0x03, 0x05, 0x08, 0x0B, 0x0D, 0x10,
                                               0x13, 0x15, 0x18, 0x1B, 0x1D, 0x20, 0x23, 0x25, 0x28};
constexpr std::array<int32_t, 2> kOnOff = {0, 1};
constexpr std::array<int32_t, 3> kZoom = {kEdsEvfZoom_Fit, kEdsEvfZoom_x5, kEdsEvfZoom_x10};
constexpr std::array<int32_t, 4> kEvfAFMode = {0, 1, 2, 3};
constexpr std::array<int32_t, 2> kRecord = {kEdsRecord_End, kEdsRecord_Begin};

constexpr std::span<const int32_t> kAny{};
constexpr int64_t kU32 = 0xFFFFFFFF;

// clang-format off
constexpr std::array<PropertyDef, 32> kProperties = {{
  // id                                   name                                type                         size  write  evf    offered       low  high
  {kEdsPropID_OwnerName,               "kEdsPropID_OwnerName",               kEdsDataType_String,         0,    true,  false, kAny,         0,   0},
  {kEdsPropID_DateTime,                "kEdsPropID_DateTime",                kEdsDataType_Time,           28,   true,  false, kAny,         0,   0},
  {kEdsPropID_FirmwareVersion,         "kEdsPropID_FirmwareVersion",         kEdsDataType_String,         0,    false, false, kAny,         0,   0},
  {kEdsPropID_BatteryLevel,            "kEdsPropID_BatteryLevel",            kEdsDataType_UInt32,         4,    false, false, kAny,         0,   kU32},
  {kEdsPropID_SaveTo,                  "kEdsPropID_SaveTo",                  kEdsDataType_UInt32,         4,    true,  false, kSaveTo,      0,   0},
  {kEdsPropID_BodyIDEx,                "kEdsPropID_BodyIDEx",                kEdsDataType_String,         0,    false, false, kAny,         0,   0},
  {kEdsPropID_ImageQuality,            "kEdsPropID_ImageQuality",            kEdsDataType_UInt32,         4,    true,  false, kQualityNew,  0,   0},
  {kEdsPropID_FocusInfo,               "kEdsPropID_FocusInfo",               kEdsDataType_ByteBlock,      4120, false, true,  kAny,         0,   0},
  {kEdsPropID_WhiteBalance,            "kEdsPropID_WhiteBalance",            kEdsDataType_Int32,          4,    true,  false, kWhiteBalance, 0,  0},
  {kEdsPropID_ColorTemperature,        "kEdsPropID_ColorTemperature",        kEdsDataType_UInt32,         4,    true,  false, kAny,         2500, 10000},
  {kEdsPropID_WhiteBalanceShift,       "kEdsPropID_WhiteBalanceShift",       kEdsDataType_Int32_Array,    8,    true,  false, kAny,         -9,  9},
  {kEdsPropID_ColorSpace,              "kEdsPropID_ColorSpace",              kEdsDataType_UInt32,         4,    true,  false, kColorSpace,  0,   0},
  {kEdsPropID_PhotoEffect,             "kEdsPropID_PhotoEffect",             kEdsDataType_UInt32,         4,    true,  false, kPhotoEffect, 0,   0},
  {kEdsPropID_PictureStyle,            "kEdsPropID_PictureStyle",            kEdsDataType_UInt32,         4,    true,  false, kPictureStyle, 0,  0},
  {kEdsPropID_PictureStyleDesc,        "kEdsPropID_PictureStyleDesc",        kEdsDataType_ByteBlock,      32,   true,  false, kAny,         0,   0},
  {kEdsPropID_AEMode,                  "kEdsPropID_AEMode",                  kEdsDataType_UInt32,         4,    true,  false, kAEMode,      0,   0},
  {kEdsPropID_DriveMode,               "kEdsPropID_DriveMode",               kEdsDataType_UInt32,         4,    true,  false, kDriveMode,   0,   0},
  {kEdsPropID_ISOSpeed,                "kEdsPropID_ISOSpeed",                kEdsDataType_UInt32,         4,    true,  false, kISO,         0,   0},
  {kEdsPropID_MeteringMode,            "kEdsPropID_MeteringMode",            kEdsDataType_UInt32,         4,    true,  false, kMetering,    0,   0},
  {kEdsPropID_AFMode,                  "kEdsPropID_AFMode",                  kEdsDataType_UInt32,         4,    true,  false, kAFMode,      0,   0},
  {kEdsPropID_Av,                      "kEdsPropID_Av",                      kEdsDataType_UInt32,         4,    true,  false, kAv,          0,   0},
  {kEdsPropID_Tv,                      "kEdsPropID_Tv",                      kEdsDataType_UInt32,         4,    true,  false, kTv,          0,   0},
  {kEdsPropID_ExposureCompensation,    "kEdsPropID_ExposureCompensation",    kEdsDataType_UInt32,         4,    true,  false, kExposure,    0,   0},
  {kEdsPropID_AvailableShots,          "kEdsPropID_AvailableShots",          kEdsDataType_UInt32,         4,    false, false, kAny,         0,   kU32},
  {kEdsPropID_Evf_OutputDevice,        "kEdsPropID_Evf_OutputDevice",        kEdsDataType_UInt32,         4,    true,  true,  kAny,         0,   3},
  {kEdsPropID_Evf_Mode,                "kEdsPropID_Evf_Mode",                kEdsDataType_UInt32,         4,    true,  true,  kOnOff,       0,   0},
  {kEdsPropID_Evf_WhiteBalance,        "kEdsPropID_Evf_WhiteBalance",        kEdsDataType_Int32,          4,    true,  true,  kWhiteBalance, 0,  0},
  {kEdsPropID_Evf_DepthOfFieldPreview, "kEdsPropID_Evf_DepthOfFieldPreview", kEdsDataType_UInt32,         4,    true,  true,  kOnOff,       0,   0},
  {kEdsPropID_Evf_Zoom,                "kEdsPropID_Evf_Zoom",                kEdsDataType_UInt32,         4,    true,  true,  kZoom,        0,   0},
  {kEdsPropID_Evf_ZoomPosition,        "kEdsPropID_Evf_ZoomPosition",        kEdsDataType_Point,          8,    true,  true,  kAny,         0,   0},
  {kEdsPropID_Evf_AFMode,              "kEdsPropID_Evf_AFMode",              kEdsDataType_UInt32,         4,    true,  true,  kEvfAFMode,   0,   0},
  {kEdsPropID_Record,                  "kEdsPropID_Record",                  kEdsDataType_UInt32,         4,    true,  false, kRecord,      0,   0},
}};
// clang-format on

bool Offered(std::span<const int32_t> list, int32_t v) { return std::find(list.begin(), list.end(), v) != list.end(); }

struct SizeCode {
  uint32_t nibble;
  int width, height;
};
constexpr std::array<SizeCode, 5> kPictureSizes = {{
    {0, 5184, 3456},  // Large
    {1, 3456, 2304},  // Medium
    {2, 2592, 1728},  // Small
    {5, 3840, 2560},  // Medium1
    {6, 2880, 1920},  // Medium2
}};

}  // namespace

const PropertyDef* FindProperty(EdsPropertyID id) {
  const auto it =
      std::find_if(kProperties.begin(), kProperties.end(), [&](const PropertyDef& d) { return d.id == id; });
  return it == kProperties.end() ? nullptr : &*it;
}

std::span<const int32_t> OfferedImageQualities(bool new_protocol) {
  return new_protocol ? std::span<const int32_t>(kQualityNew) : std::span<const int32_t>(kQualityOld);
}

void PictureSizeFor(uint32_t image_quality, int* width, int* height) {
  const uint32_t nibble = (image_quality >> 24) & 0xF;
  const auto it =
      std::find_if(kPictureSizes.begin(), kPictureSizes.end(), [&](const SizeCode& s) { return s.nibble == nibble; });
  const SizeCode& s = it == kPictureSizes.end() ? kPictureSizes[0] : *it;
  *width = s.width;
  *height = s.height;
}

PropertyStore::PropertyStore(const Scenario& sc)
    : new_protocol_(sc.device_sub_type != 0), clock_type_(sc.clock_type), live_view_(sc.live_view) {
  auto text = [&](EdsPropertyID id, const std::string& s) { Put(id, s.c_str(), static_cast<uint32_t>(s.size() + 1)); };
  text(kEdsPropID_OwnerName, sc.owner);
  text(kEdsPropID_FirmwareVersion, sc.firmware);
  text(kEdsPropID_BodyIDEx, sc.body_id);
  const std::time_t now = std::time(nullptr);
  std::tm t{};
#if defined(_WIN32)
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  const EdsTime clock{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 0};
  Put(kEdsPropID_DateTime, &clock, sizeof clock);
  PutUInt32(kEdsPropID_BatteryLevel, sc.battery_level);
  PutUInt32(kEdsPropID_SaveTo, kEdsSaveTo_Camera);
  PutUInt32(kEdsPropID_ImageQuality, static_cast<uint32_t>(OfferedImageQualities(new_protocol_)[0]));
  PutUInt32(kEdsPropID_WhiteBalance, 0);
  PutUInt32(kEdsPropID_ColorTemperature, 5200);
  const EdsInt32 shift[2] = {0, 0};
  Put(kEdsPropID_WhiteBalanceShift, shift, sizeof shift);
  PutUInt32(kEdsPropID_ColorSpace, 1);
  PutUInt32(kEdsPropID_PhotoEffect, 0);
  PutUInt32(kEdsPropID_PictureStyle, 0x81);
  const EdsPictureStyleDesc style{0, 3, 0, 0, kEdsEffect_Absent, kEdsEffect_Absent, 0, 0};
  Put(kEdsPropID_PictureStyleDesc, &style, sizeof style);
  PutUInt32(kEdsPropID_AEMode, 0x03);
  PutUInt32(kEdsPropID_DriveMode, 0x00);
  PutUInt32(kEdsPropID_ISOSpeed, 0x48);
  PutUInt32(kEdsPropID_MeteringMode, 3);
  PutUInt32(kEdsPropID_AFMode, 0);
  PutUInt32(kEdsPropID_Av, 0x30);
  PutUInt32(kEdsPropID_Tv, 0x68);
  PutUInt32(kEdsPropID_ExposureCompensation, 0);
  PutUInt32(kEdsPropID_AvailableShots, sc.available_shots);
  PutUInt32(kEdsPropID_Record, kEdsRecord_End);
  if (live_view_) {
    PutUInt32(kEdsPropID_Evf_OutputDevice, 0);
    PutUInt32(kEdsPropID_Evf_Mode, 0);
    PutUInt32(kEdsPropID_Evf_WhiteBalance, 0);
    PutUInt32(kEdsPropID_Evf_DepthOfFieldPreview, 0);
    PutUInt32(kEdsPropID_Evf_Zoom, kEdsEvfZoom_Fit);
    const EdsPoint center{0, 0};
    Put(kEdsPropID_Evf_ZoomPosition, &center, sizeof center);
    PutUInt32(kEdsPropID_Evf_AFMode, kEdsEvfAFMode_Live);
  }
}

const PropertyDef* PropertyStore::Known(EdsPropertyID id) const {
  const PropertyDef* def = FindProperty(id);
  if (def == nullptr || (def->live_view && !live_view_) || !values_.count(id)) return nullptr;
  return def;
}

EdsError PropertyStore::Size(EdsPropertyID id, EdsDataType* type, EdsUInt32* size) const {
  const PropertyDef* def = Known(id);
  if (def == nullptr) return EDS_ERR_PROPERTIES_UNAVAILABLE;
  *type = id == kEdsPropID_DateTime ? clock_type_ : def->type;
  *size = static_cast<EdsUInt32>(values_.at(id).size());
  return EDS_ERR_OK;
}

EdsError PropertyStore::Get(EdsPropertyID id, EdsUInt32 size, void* out) const {
  const PropertyDef* def = Known(id);
  if (def == nullptr) return EDS_ERR_PROPERTIES_UNAVAILABLE;
  const std::vector<uint8_t>& v = values_.at(id);
  if (def->size != 0) {
    if (size != def->size) return EDS_ERR_INVALID_LENGTH;
    std::memcpy(out, v.data(), v.size());
    return EDS_ERR_OK;
  }
  // A text fills the caller's buffer, zero-padded; the buffer must hold all of it.
  if (size < v.size()) return EDS_ERR_INVALID_LENGTH;
  std::memset(out, 0, size);
  std::memcpy(out, v.data(), v.size());
  return EDS_ERR_OK;
}

EdsError PropertyStore::Set(EdsPropertyID id, EdsUInt32 size, const void* data) {
  const PropertyDef* def = Known(id);
  if (def == nullptr) return EDS_ERR_PROPERTIES_UNAVAILABLE;
  if (!def->writable) return EDS_ERR_NOT_SUPPORTED;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (def->size == 0) {
    if (size == 0 || size > kMaxText) return EDS_ERR_INVALID_LENGTH;
    const auto* end = static_cast<const uint8_t*>(std::memchr(bytes, 0, size));
    if (end == nullptr) return EDS_ERR_INVALID_PARAMETER;  // no terminating zero
    Put(id, bytes, static_cast<uint32_t>(end - bytes + 1));
    return EDS_ERR_OK;
  }
  if (size != def->size) return EDS_ERR_INVALID_LENGTH;
  if (def->type == kEdsDataType_UInt32 || def->type == kEdsDataType_Int32) {
    int32_t v;
    std::memcpy(&v, bytes, 4);
    const auto offered = id == kEdsPropID_ImageQuality ? OfferedImageQualities(new_protocol_) : def->offered;
    const bool ok = offered.empty() ? static_cast<int64_t>(static_cast<uint32_t>(v)) >= def->low &&
                                          static_cast<int64_t>(static_cast<uint32_t>(v)) <= def->high
                                    : Offered(offered, v);
    if (!ok) return EDS_ERR_INVALID_DEVICEPROP_VALUE;
  } else if (def->type == kEdsDataType_Int32_Array) {
    for (uint32_t i = 0; i < size / 4; ++i) {
      int32_t v;
      std::memcpy(&v, bytes + i * 4, 4);
      if (v < def->low || v > def->high) return EDS_ERR_INVALID_DEVICEPROP_VALUE;
    }
  } else if (def->type == kEdsDataType_Point) {
    EdsPoint pt;
    std::memcpy(&pt, bytes, sizeof pt);
    if (pt.x < 0 || pt.y < 0 || pt.x > kSensorSize.width || pt.y > kSensorSize.height)
      return EDS_ERR_INVALID_DEVICEPROP_VALUE;
  } else if (def->type == kEdsDataType_Time) {
    EdsTime t;
    std::memcpy(&t, bytes, sizeof t);
    if (t.year < 1970 || t.year > 2100 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
      return EDS_ERR_INVALID_DEVICEPROP_VALUE;
  }
  Put(id, bytes, size);
  return EDS_ERR_OK;
}

EdsError PropertyStore::Desc(EdsPropertyID id, EdsPropertyDesc* out) const {
  const PropertyDef* def = Known(id);
  if (def == nullptr) return EDS_ERR_PROPERTIES_UNAVAILABLE;
  *out = EdsPropertyDesc{};
  const auto offered = id == kEdsPropID_ImageQuality ? OfferedImageQualities(new_protocol_) : def->offered;
  out->access = def->writable ? 1 : 0;
  out->numElements = static_cast<EdsInt32>(std::min(offered.size(), kEdsMaxPropDesc));
  std::copy_n(offered.begin(), out->numElements, out->propDesc);
  return EDS_ERR_OK;
}

void PropertyStore::Put(EdsPropertyID id, const void* data, uint32_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  values_[id].assign(bytes, bytes + size);
}

uint32_t PropertyStore::UInt32(EdsPropertyID id) const {
  const auto it = values_.find(id);
  uint32_t v = 0;
  if (it != values_.end() && it->second.size() >= 4) std::memcpy(&v, it->second.data(), 4);
  return v;
}

}  // namespace eos::sim
