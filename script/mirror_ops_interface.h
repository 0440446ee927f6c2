// The vMirrorOps scripting interface, a mixin on every modifier instance. Its three functions
// throw away parts of every node cache of the modifier so the next evaluation rebuilds them:
// reset (the stored result), resetTarget (the captured target and partners), resetMatch (the
// partners only).
#pragma once

#include "iFnPub.h"

#define VMIRROROPS_INTERFACE_ID Interface_ID(0xae24a34f, 0x8e23a9d1)

enum { vMirrorOps_reset = 0, vMirrorOps_resetTarget = 1, vMirrorOps_resetMatch = 2 };

class Iambiflex : public FPMixinInterface {
 public:
  virtual void reset() = 0;
  virtual void resetTarget() = 0;
  virtual void resetMatch() = 0;
};

class IambiflexFP : public Iambiflex {
 public:
  virtual void fnReset() { reset(); }
  virtual void fnResetTarget() { resetTarget(); }
  virtual void fnResetMatch() { resetMatch(); }
  FPInterfaceDesc* GetDesc() override;

 protected:
  FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) override;
};
