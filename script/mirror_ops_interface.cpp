// The vMirrorOps function map: each published function calls the modifier's reset of the same
// name (cache_resets.cpp).
#include "script/mirror_ops_interface.h"

#include "plugin/library_statics.h"

FPInterfaceDesc* IambiflexFP::GetDesc() { return &vMirrorOpsDesc; }

FPStatus IambiflexFP::_dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
  switch (fid) {
    case vMirrorOps_reset:
      fnReset();
      return FPS_OK;
    case vMirrorOps_resetTarget:
      fnResetTarget();
      return FPS_OK;
    case vMirrorOps_resetMatch:
      fnResetMatch();
      return FPS_OK;
    default:
      return FPS_NO_SUCH_FUNCTION;
  }
}
