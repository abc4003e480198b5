#include "Sources/EDSDKApi.h"

#include "Sources/core/EDSDKERRORS.h"

namespace eos {

void TEDSDK::EDSDKCheck(EdsError Value, TextView Funcname) const {
  if (Value != EDS_ERR_OK) throw ECamException(EDSDKErrorMessage(Funcname, Value));
}

}  // namespace eos
