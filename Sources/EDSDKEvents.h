// What the backend asks of the component that owns it. Declared on the backend's side so
// the backend never includes the component: the component fills the table in and hands it
// to TEDSDK. The handlers are installed on the camera (and on every download stream) with
// the owner's instance number as their context.
#pragma once

#include <cstdint>

#include "edsdk/EDSDK.h"

namespace eos {

struct TEDSDKEvents {
  EdsObjectEventHandler ObjectEvent;
  EdsPropertyEventHandler PropertyEvent;
  EdsStateEventHandler StateEvent;
  EdsProgressCallback Progress;
  // Probing progress of the owner with this instance number, in percent.
  void (*ProbeProgress)(std::uint32_t InstanceNumber, std::int32_t Percent);
};

// Handlers that hear nothing, for a backend without a component.
extern const TEDSDKEvents kNoEDSDKEvents;

}  // namespace eos
