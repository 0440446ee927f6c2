// Function publishing: interfaces whose functions the host can call by id or, through the script
// bridge, by name. An FPInterfaceDesc describes an interface (id, name, functions); a mixin
// interface (FP_MIXIN) is implemented by the objects of a class, which dispatch calls themselves.
#pragma once

#include <vector>

#include "animatable.h"
#include "plugapi.h"

typedef int FPStatus;
#define FPS_FAIL 0
#define FPS_OK 1
#define FPS_NO_SUCH_FUNCTION -1
#define FPS_ACTION_DISABLED 2

#define FP_ACTIONS 0x0001
#define FP_MIXIN 0x0002
#define FP_CORE 0x0004
#define FP_STATIC_METHODS 0x0008

#define FP_NO_FUNCTION ((FunctionID)-1)

// Result of a call. Only void results exist in what this host publishes.
class FPValue {
 public:
  int type = 25;  // TYPE_VOID
};

// Arguments of a call.
class FPParams {
 public:
  int Count() const { return 0; }
};

struct FPFunctionDef {
  FunctionID ID = FP_NO_FUNCTION;
  const MCHAR* internal_name = nullptr;
  int description = 0;  // string id
  int result_type = 25;
  int flags = 0;
  int argumentCount = 0;
};

class FPInterface : public BaseInterface {
 public:
  virtual FPInterfaceDesc* GetDesc() = 0;
  // Calls function `fid`: FPS_OK, or FPS_NO_SUCH_FUNCTION for an id the interface does not have.
  virtual FPStatus Invoke(FunctionID fid, TimeValue t = 0, FPParams* params = nullptr);
  virtual FPStatus Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* params = nullptr);
  // The id of the function with this internal name, or FP_NO_FUNCTION.
  virtual FunctionID FindFn(const MCHAR* name);
  Interface_ID GetID() override;

 protected:
  virtual FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
    return FPS_NO_SUCH_FUNCTION;
  }
};

class FPInterfaceDesc : public FPInterface {
 public:
  // The tagged argument list: interface id, internal name, description string id, class
  // descriptor, flags; then for each function its id, internal name, local-name string id, result
  // type, function flags and argument count (arguments are not described here); a final p_end.
  // A mixin description with a class descriptor is attached to that class.
  FPInterfaceDesc(Interface_ID id, const MCHAR* int_name, int descr, ClassDesc* cd, ULONG flag, ...);

  FPInterfaceDesc* GetDesc() override { return this; }
  Interface_ID GetID() override { return ID; }

  Interface_ID ID;
  const MCHAR* internal_name;
  int description;
  ClassDesc* cd;
  ULONG flags;
  std::vector<FPFunctionDef> functions;
  bool WellFormed() const { return wellFormed_; }

 private:
  bool wellFormed_ = false;
};

// An interface implemented by the object that carries it. Ids (0, 2) and (0, 3) answer with the
// interface itself, (0, 4) with its description.
class FPMixinInterface : public FPInterface {
 public:
  BaseInterface* GetInterface(Interface_ID id) override;
};
