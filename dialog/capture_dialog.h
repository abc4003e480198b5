// The modal capture dialog. A capture run creates it and frees it when it ends.
#pragma once

namespace eos {

class TdlgCanonEosSDK {
 public:
  virtual ~TdlgCanonEosSDK() = default;
};

}  // namespace eos
