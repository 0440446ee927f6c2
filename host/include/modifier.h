// Modifiers and their per-application state. A modifier is one object; every place it is applied
// (each node, each stack position) has its own ModContext, on whose `localData` the modifier may hang
// its own LocalModData. The host owns contexts and their local data.
#pragma once

#include "ioapi.h"
#include "object.h"

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
