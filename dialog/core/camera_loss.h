// When the camera has gone away (the cable pulled, the camera switched off or asleep):
// what the camera stack's errors say about it. Pure functions.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text.h"

namespace eos {

// The SDK's result code in a camera stack message ("EdsOpenSession errorcode 0x00000081,
// Device busy"), if it holds one, and where the words after the code start.
struct ErrorCode {
  std::uint32_t code = 0;
  size_t end = 0;  // just after the eight digits
};
std::optional<ErrorCode> FindErrorCode(TextView message);

// True for the codes of a camera that is no longer there: communication disconnected
// (0xC1) and device not found (0x80).
bool IsCameraGoneCode(std::uint32_t code);
bool IsCameraGoneError(TextView message);

}  // namespace eos
