// Animatable: the root of every host object the plug-in sees. Carries the animatable flags, the
// sub-animatable tree, class identity and interface lookup.
#pragma once

#include "box3.h"
#include "class_id.h"
#include "interval.h"
#include "strclass.h"

class IParamBlock2;
class IObjParam;
class FPInterface;
class FPInterfaceDesc;

// Animatable flags the host and the plug-in use.
#define A_MOD_BEING_EDITED 0x00000040
#define A_DEPENDENCY_TEST 0x04000000

// Interface ids with host meaning for every interface server.
#define IID_FP_MIXIN_BASE Interface_ID(0, 2)
#define IID_FP_BASE Interface_ID(0, 3)
#define IID_FP_DESC Interface_ID(0, 4)

// A holder of interfaces, looked up by id.
class BaseInterface;
class InterfaceServer {
 public:
  virtual ~InterfaceServer() = default;
  virtual BaseInterface* GetInterface(Interface_ID id) { return nullptr; }
};

class BaseInterface : public InterfaceServer {
 public:
  BaseInterface* GetInterface(Interface_ID id) override;
  virtual Interface_ID GetID() { return Interface_ID(0, 0); }
};

// A handle that names one animatable for the life of the process; never reused.
typedef ULONG_PTR AnimHandle;

class Animatable : public InterfaceServer {
 public:
  Animatable() = default;
  Animatable(const Animatable&) = delete;
  Animatable& operator=(const Animatable&) = delete;
  ~Animatable() override;

  // The handle of `anim` (0 for null), and the animatable a handle names: null once it has been
  // deleted. What keeps an undo record or a callback from reaching a deleted object.
  static AnimHandle GetHandleByAnim(Animatable* anim);
  static Animatable* GetAnimByHandle(AnimHandle handle);

  virtual void DeleteThis() { delete this; }
  virtual void GetClassName(MSTR& s) { s = L""; }
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual void* GetInterface(ULONG id) { return nullptr; }
  BaseInterface* GetInterface(Interface_ID id) override { return nullptr; }

  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int i) { return nullptr; }
  virtual MSTR SubAnimName(int i) { return MSTR(); }
  virtual int NumParamBlocks() { return 0; }
  virtual IParamBlock2* GetParamBlock(int i) { return nullptr; }
  virtual IParamBlock2* GetParamBlockByID(short id) { return nullptr; }
  virtual void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {}
  virtual void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {}

  void SetAFlag(DWORD mask) { aflag_ |= mask; }
  void ClearAFlag(DWORD mask) { aflag_ &= ~mask; }
  bool TestAFlag(DWORD mask) const { return (aflag_ & mask) != 0; }
  DWORD GetAFlags() const { return aflag_; }

 private:
  DWORD aflag_ = 0;
  AnimHandle handle_ = 0;  // given on first request
};
