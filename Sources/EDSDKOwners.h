// Move-only owners of what the SDK hands out: a reference (camera, camera list, volume,
// directory item, stream, image, live-view image), given back with EdsRelease, and an
// open session, closed with EdsCloseSession. Code that must report a refused give-back
// calls Release() and checks its answer; the destructor is the fallback for every other
// way out and drops the answer, as there is nobody left to tell.
//
// References that must outlive a scope without an owner (the pending lists, the camera
// list of the last enumeration, the open collection and RAW file) stay plain pointers:
// the backend's destruction must not touch them, as the SDK may be gone by then. They
// are taken into an owner at the moment they are given back.
#pragma once

#include <utility>

#include "Sources/EDSDKBinding.h"

namespace eos {

template <EdsReleaseProc& GiveBack>
class SdkOwner {
 public:
  SdkOwner() = default;
  explicit SdkOwner(EdsBaseRef ref) noexcept : ref_(ref) {}
  SdkOwner(const SdkOwner&) = delete;
  SdkOwner& operator=(const SdkOwner&) = delete;
  SdkOwner(SdkOwner&& o) noexcept : ref_(std::exchange(o.ref_, nullptr)) {}
  SdkOwner& operator=(SdkOwner&& o) noexcept {
    if (this != &o) {
      Release();
      ref_ = std::exchange(o.ref_, nullptr);
    }
    return *this;
  }
  ~SdkOwner() { Release(); }

  EdsBaseRef get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }
  // For the SDK calls that answer a new reference through a pointer; the owner is empty.
  EdsBaseRef* out() noexcept {
    Release();
    return &ref_;
  }
  // Hands the reference to a holder that gives it back itself.
  EdsBaseRef Detach() noexcept { return std::exchange(ref_, nullptr); }
  // Gives the reference back now: the SDK's answer, EDS_ERR_OK when nothing was held.
  EdsError Release() noexcept { return ref_ ? GiveBack(std::exchange(ref_, nullptr)) : EDS_ERR_OK; }

 private:
  EdsBaseRef ref_ = nullptr;
};

using SdkRef = SdkOwner<EdsRelease>;
using SdkSession = SdkOwner<EdsCloseSession>;  // holds the camera whose session is open

}  // namespace eos
