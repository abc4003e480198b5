// The camera's properties: one table gives each property's identifier, type, size,
// whether the host may write it, and the values the camera offers.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edsdk/EDSDK.h"
#include "simulator/core/scenario.h"

namespace eos::sim {

struct PropertyDef {
  EdsPropertyID id;
  std::string_view name;
  EdsDataType type;
  uint32_t size;  // 0: a zero-terminated text of up to max_text bytes
  bool writable;
  bool live_view;                    // exists only on a camera with live view
  std::span<const int32_t> offered;  // empty: any value from low to high
  int64_t low;
  int64_t high;
};

// The camera's definition of a property, or null for an identifier it does not know.
const PropertyDef* FindProperty(EdsPropertyID id);
// The image-quality codes a camera offers, in the encoding of its protocol.
std::span<const int32_t> OfferedImageQualities(bool new_protocol);
// Picture size in pixels for an image-quality code (main size nibble).
void PictureSizeFor(uint32_t image_quality, int* width, int* height);

inline constexpr uint32_t kMaxText = 256;
// The live-view coordinate system and focus frames are in sensor pixels.
inline constexpr EdsSize kSensorSize{5184, 3456};

class PropertyStore {
 public:
  explicit PropertyStore(const Scenario& scenario);

  EdsError Size(EdsPropertyID id, EdsDataType* type, EdsUInt32* size) const;
  EdsError Get(EdsPropertyID id, EdsUInt32 size, void* out) const;
  // Checks size, range and offered values before anything changes.
  EdsError Set(EdsPropertyID id, EdsUInt32 size, const void* data);
  EdsError Desc(EdsPropertyID id, EdsPropertyDesc* out) const;

  // The camera's own changes, without the host's checks.
  void Put(EdsPropertyID id, const void* data, uint32_t size);
  void PutUInt32(EdsPropertyID id, uint32_t value) { Put(id, &value, sizeof value); }
  uint32_t UInt32(EdsPropertyID id) const;

 private:
  const PropertyDef* Known(EdsPropertyID id) const;
  bool new_protocol_;
  EdsDataType clock_type_;
  bool live_view_;
  std::map<EdsPropertyID, std::vector<uint8_t>> values_;
};

}  // namespace eos::sim
