// Objects flowing through the pipeline: BaseObject (anything that can be displayed), Object (has
// channels with validity intervals and converts between types) and ObjectState (one evaluated
// object handed from one pipeline stage to the next).
#pragma once

#include "ref.h"

class INode;
class ViewExp;
class ModContext;
class IObjParam;

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
