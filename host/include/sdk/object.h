// Objects flowing through the pipeline: BaseObject (anything that can be displayed), Object (has
// channels with validity intervals and converts between types) and ObjectState (one evaluated
// object handed from one pipeline stage to the next); and modifiers with their per-application
// state. A modifier is one object; every place it is applied (each node, each stack position) has
// its own ModContext, on whose `localData` the modifier may hang its own LocalModData. The host
// owns contexts and their local data.
#pragma once

#include "ioapi.h"
#include "ref.h"

class INode;
class ViewExp;
class ModContext;
class IObjParam;
class CreateMouseCallBack;

// Pipeline channels.
#define TOPO_CHAN_NUM 0
#define GEOM_CHAN_NUM 1
#define TEXMAP_CHAN_NUM 2
#define MTL_CHAN_NUM 3
#define SELECT_CHAN_NUM 4
#define SUBSEL_TYPE_CHAN_NUM 5
#define DISP_ATTRIB_CHAN_NUM 6
#define VERT_COLOR_CHAN_NUM 7
#define NUM_OBJ_CHANS 8

#define TOPO_CHANNEL (1 << 0)
#define GEOM_CHANNEL (1 << 1)
#define TEXMAP_CHANNEL (1 << 2)
#define MTL_CHANNEL (1 << 3)
#define SELECT_CHANNEL (1 << 4)
#define SUBSEL_TYPE_CHANNEL (1 << 5)
#define DISP_ATTRIB_CHANNEL (1 << 6)
#define VERTCOLOR_CHANNEL (1 << 7)
#define ALL_CHANNELS 0xff

class BaseObject : public ReferenceTarget {
 public:
  virtual int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) { return 0; }
  virtual void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vp, Box3& box) { box.Init(); }
  virtual const MCHAR* GetObjectName() { return L""; }
  // How the user creates the object with the mouse; every concrete class answers (a modifier, which
  // is not created that way, with null).
  virtual CreateMouseCallBack* GetCreateMouseCallBack() = 0;
};

class Object;

class ObjectState {
 public:
  ObjectState() = default;
  explicit ObjectState(Object* o) : obj(o) {}
  Object* obj = nullptr;
};

class Object : public BaseObject {
 public:
  Object();
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override {
    return REF_SUCCEED;
  }

  virtual int IsSubClassOf(Class_ID classID) { return classID == ClassID(); }
  virtual int CanConvertToType(Class_ID obtype) { return obtype == ClassID(); }
  // This object itself when it already is of that type, a new temporary object the caller deletes,
  // or null when it cannot be converted.
  virtual Object* ConvertToType(TimeValue t, Class_ID obtype) {
    return obtype == ClassID() ? this : nullptr;
  }
  virtual ObjectState Eval(TimeValue t) { return ObjectState(this); }
  // A copy of the object that a pipeline stage may change freely; the caller owns it.
  virtual Object* MakeShallowCopy(ChannelMask channels) = 0;
  // Makes `into`, an earlier copy of an object of the same class, a copy of this object again,
  // reusing its storage; false when the classes differ (the caller then makes a new copy).
  virtual bool CopyStateInto(Object* into) { return false; }

  virtual Interval ChannelValidity(TimeValue t, int nchan);
  virtual void SetChannelValidity(int nchan, Interval v);
  // Narrows channel `nchan`'s validity to its intersection with `v`.
  virtual void UpdateValidity(int nchan, Interval v);

  // Compound objects expose their inputs as pipe branches.
  virtual int NumPipeBranches(bool selected = true) { return 0; }
  virtual Object* GetPipeBranch(int i, bool selected = true) { return nullptr; }

  // Takes over `from`'s channel validities (used when copying an object).
  void CopyValidity(const Object& from);

 private:
  Interval validity_[NUM_OBJ_CHANS];
};

class GeomObject : public Object {
 public:
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
};

class LocalModData : public InterfaceServer {
 public:
  ~LocalModData() override = default;
  virtual LocalModData* Clone() = 0;
  virtual void* GetInterface(ULONG id) { return nullptr; }
  using InterfaceServer::GetInterface;
};

class ModContext {
 public:
  ModContext();
  ModContext(const ModContext& mc);  // copies tm and box, clones the local data
  ModContext& operator=(const ModContext&) = delete;
  ~ModContext();  // deletes tm, box and the local data

  Matrix3* tm = nullptr;
  Box3* box = nullptr;
  LocalModData* localData = nullptr;
};

class Modifier : public BaseObject {
 public:
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }

  virtual Interval LocalValidity(TimeValue t) { return FOREVER; }
  virtual ChannelMask ChannelsUsed() = 0;
  virtual ChannelMask ChannelsChanged() = 0;
  virtual void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) = 0;
  virtual Class_ID InputType() = 0;
  virtual BOOL DependOnTopology(ModContext& mc) { return FALSE; }
  virtual BOOL NeedUseSubselButton() { return TRUE; }
  BOOL ChangesSelType() { return (ChannelsChanged() & SUBSEL_TYPE_CHANNEL) != 0; }
  void ForceNotify(Interval& i) { NotifyDependents(i, ChannelsChanged(), REFMSG_CHANGE); }

  // Display forms with the application's context.
  virtual int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags, ModContext* mc) { return 0; }
  virtual void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box, ModContext* mc) {
    box.Init();
  }
  virtual int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                      ViewExp* vpt, ModContext* mc) {
    return 0;
  }
  using BaseObject::Display;
  using BaseObject::GetWorldBoundBox;

  // The modifier's own data in a scene file (name and enabled state); subclasses add theirs.
  virtual IOResult Save(ISave* isave);
  virtual IOResult Load(ILoad* iload);
  virtual IOResult SaveLocalData(ISave* isave, LocalModData* ld) { return IO_OK; }
  virtual IOResult LoadLocalData(ILoad* iload, LocalModData** pld) { return IO_OK; }

  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  const MSTR& GetName() const { return name_; }
  void SetName(const MSTR& n) { name_ = n; }

 private:
  bool enabled_ = true;
  MSTR name_;
};
