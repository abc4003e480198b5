#include "Sources/EDSDKApi.h"

#include "Sources/core/EDSDKERRORS.h"

namespace eos {

namespace {

EdsError EDS_STDCALL IgnoreObjectEvent(EdsObjectEvent, EdsBaseRef, EdsVoid*) { return EDS_ERR_OK; }
EdsError EDS_STDCALL IgnorePropertyEvent(EdsPropertyEvent, EdsPropertyID, EdsUInt32, EdsVoid*) { return EDS_ERR_OK; }
EdsError EDS_STDCALL IgnoreStateEvent(EdsStateEvent, EdsUInt32, EdsVoid*) { return EDS_ERR_OK; }
EdsError EDS_STDCALL IgnoreProgress(EdsUInt32, EdsVoid*, EdsBool*) { return EDS_ERR_OK; }
void IgnoreProbeProgress(std::uint32_t, std::int32_t) {}

}  // namespace

const TEDSDKEvents kNoEDSDKEvents{IgnoreObjectEvent, IgnorePropertyEvent, IgnoreStateEvent, IgnoreProgress,
                                  IgnoreProbeProgress};

void TEDSDK::EDSDKCheck(EdsError Value, TextView Funcname) const {
  if (Value != EDS_ERR_OK) throw ECamException(EDSDKErrorMessage(Funcname, Value));
}

}  // namespace eos
