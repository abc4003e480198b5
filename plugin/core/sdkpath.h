// The process PATH with the SDK folder put in front of it.
#pragma once

#include "base/text.h"

namespace eos {

// The longest environment value Windows keeps, without its terminating NUL.
constexpr size_t kMaxEnvValue = 32766;

// `folder`, ";" and `old_path`. When that would be longer than an environment value
// may be, the old entries that no longer fit are dropped from the end, whole.
Text ComposeSdkPath(TextView folder, TextView old_path);

}  // namespace eos
