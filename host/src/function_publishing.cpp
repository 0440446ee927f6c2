// Function-publishing descriptions and calls by id and by name.
#include <cstdarg>
#include <cwchar>

#include "iFnPub.h"
#include "iparamb2.h"

FPStatus FPInterface::Invoke(FunctionID fid, TimeValue t, FPParams* params) {
  FPValue result;
  return _dispatch_fn(fid, t, result, params);
}

FPStatus FPInterface::Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* params) {
  return _dispatch_fn(fid, t, result, params);
}

FunctionID FPInterface::FindFn(const MCHAR* name) {
  FPInterfaceDesc* desc = GetDesc();
  if (desc == nullptr || name == nullptr) return FP_NO_FUNCTION;
  for (const FPFunctionDef& fn : desc->functions) {
    if (fn.internal_name != nullptr && std::wcscmp(fn.internal_name, name) == 0) return fn.ID;
  }
  return FP_NO_FUNCTION;
}

Interface_ID FPInterface::GetID() {
  FPInterfaceDesc* desc = GetDesc();
  return desc ? desc->ID : Interface_ID(0, 0);
}

FPInterfaceDesc::FPInterfaceDesc(Interface_ID id, const MCHAR* int_name, int descr, ClassDesc* classDesc,
                                 ULONG flag, ...)
    : ID(id), internal_name(int_name), description(descr), cd(classDesc), flags(flag) {
  va_list args;
  va_start(args, flag);
  bool ok = true;
  for (int guard = 0; guard < 4096; ++guard) {
    int first = va_arg(args, int);
    if (first == p_end) break;
    FPFunctionDef fn;
    fn.ID = FunctionID(first);
    fn.internal_name = va_arg(args, const MCHAR*);
    fn.description = va_arg(args, int);
    fn.result_type = va_arg(args, int);
    fn.flags = va_arg(args, int);
    fn.argumentCount = va_arg(args, int);
    if (fn.argumentCount != 0) {
      // Described arguments are not part of this host's publishing.
      ok = false;
      break;
    }
    functions.push_back(fn);
  }
  va_end(args);
  wellFormed_ = ok;
  if ((flags & FP_MIXIN) && cd != nullptr) cd->AddInterface(this);
}

BaseInterface* FPMixinInterface::GetInterface(Interface_ID id) {
  if (id == IID_FP_MIXIN_BASE || id == IID_FP_BASE) return this;
  if (id == IID_FP_DESC) return GetDesc();
  return FPInterface::GetInterface(id);
}
