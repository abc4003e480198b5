// Small pieces the backend's source files share: texts of SDK records, file names handed
// to the SDK, whole properties read and written, a busy camera asked again, and clean-up
// that runs whatever happened before it.
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "Sources/EDSDKApi.h"
#include "Sources/EDSDKBinding.h"
#include "Sources/core/busy_retry.h"
#include "base/text.h"
#include "edsdk/EDSDK.h"

namespace eos {

// The longest file name (in characters) the backend hands to the SDK.
inline constexpr std::size_t kMaxSdkFileName = 254;

// An 8-bit text of an SDK record or property, in the ANSI code page: up to its first zero
// and never past `size` bytes, so a buffer the SDK filled to the brim is still safe.
Text SdkText(const EdsChar* buffer, std::size_t size);

// The 8-bit path the SDK takes for `FileName`. Raises ECamException "Filename <name> too
// long" beyond kMaxSdkFileName characters.
std::string SdkFileName(TextView FileName);

// A property of a camera, image or live-view image read or written whole; the SDK's answer.
template <class T>
EdsError GetProperty(EdsBaseRef ref, EdsPropertyID id, T& value) {
  return EdsGetPropertyData(ref, id, 0, sizeof value, &value);
}
template <class T>
EdsError SetProperty(EdsBaseRef ref, EdsPropertyID id, const T& value) {
  return EdsSetPropertyData(ref, id, 0, sizeof value, &value);
}

// A 32-bit property; nothing when the SDK refuses it.
std::optional<EdsUInt32> GetUInt32(EdsBaseRef ref, EdsPropertyID id);
inline EdsError SetUInt32(EdsBaseRef ref, EdsPropertyID id, EdsUInt32 value) { return SetProperty(ref, id, value); }

// Tries `attempt` on a busy camera as `pattern` says, sleeping between tries; the last
// answer.
EdsError RetryBusy(const BusyRetry& pattern, const std::function<EdsError()>& attempt);

// Runs `body`, then every clean-up step in order, each one whatever the earlier ones did.
// The first failure is raised after all have run: the body's own, else the earliest
// step's. A failing clean-up step thus never hides the error that led to it, nor keeps a
// later step from giving back what it holds.
template <class Body, class... Steps>
void Protected(Body&& body, Steps&&... steps) {
  std::exception_ptr first;
  const auto run = [&first](auto&& f) {
    try {
      f();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  run(body);
  (run(steps), ...);
  if (first) std::rethrow_exception(first);
}

// Downloads the directory item into a new file at `path` (replaced when it exists): the
// whole file, reporting progress to the component with `transfer_now` set to `Transfer`
// meanwhile, or (Full false) only its thumbnail. Once the file stream exists the clean-up
// always runs, step by step: the transfer kind is reset, the stream released (the file
// is then complete and closed) and, for a whole file, the item completed and `after` run.
void DownloadItem(const TEDSDK& sdk, EdsDirectoryItemRef item, const std::string& path, bool Full,
                  FileTransferType Transfer, FileTransferType& transfer_now, EdsVoid* progress_context,
                  const std::function<void()>& after = {});

}  // namespace eos
