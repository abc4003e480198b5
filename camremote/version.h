// The version of the camera remote component.
#pragma once

#include "base/text.h"

namespace eos {

inline constexpr int kCamRemoteVersionMajor = 8;
inline constexpr int kCamRemoteVersionMinor = 2;

// "8.2": one decimal, with a point whatever the user's locale.
inline Text CamRemoteVersionText() {
  return IntToText(kCamRemoteVersionMajor) + u"." + IntToText(kCamRemoteVersionMinor);
}

}  // namespace eos
