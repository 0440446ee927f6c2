// ambiflex: the symmetry modifier. It owns one parameter block (reference 0, its only
// sub-animatable), reports the channels it reads and writes, opens its rollout, publishes the
// vMirrorOps interface, and routes each evaluation to the mesh path for the incoming object. Each
// host entry point here is short and delegates to the folder that owns the behaviour.
//
// Where the members live: the host entry points not named below in ambiflex.cpp; ModifyObject in
// modify_dispatch.cpp; Display and GetWorldBoundBox in mirror_gizmo.cpp; UpdateRolloutState in
// rollout_state.cpp; the vMirrorOps resets and resetCaches in script/cache_resets.cpp.
#pragma once

#include "iparamb2.h"
#include "max.h"
#include "script/mirror_ops_interface.h"

class ambiflex : public Modifier, public IambiflexFP {
 public:
  ambiflex();
  ~ambiflex() override;

  IParamBlock2* pblock;
  // The open rollout's dialog: set when it initialises, null again once it closes.
  HWND hwndRollout;
  // 1 while the last evaluation produced a result; the rollout enables its operation controls
  // from it.
  int resultValid;

  // Animatable
  BaseInterface* GetInterface(Interface_ID id) override;
  void DeleteThis() override { delete this; }
  void GetClassName(MSTR& s) override;
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  Class_ID ClassID() override;
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
  int NumSubs() override { return 1; }
  Animatable* SubAnim(int i) override { return pblock; }
  MSTR SubAnimName(int i) override;
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return pblock; }
  IParamBlock2* GetParamBlockByID(BlockID id) override;

  // References
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return pblock; }
  void SetReference(int i, RefTargetHandle rtarg) override { pblock = static_cast<IParamBlock2*>(rtarg); }
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  // BaseObject / Modifier
  const MCHAR* GetObjectName() override;
  // A modifier is applied, not created with the mouse.
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  Interval LocalValidity(TimeValue t) override { return NEVER; }
  ChannelMask ChannelsUsed() override;
  ChannelMask ChannelsChanged() override;
  void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;
  // The mirror-plane gizmo (mirror_gizmo.cpp): drawn while displayAxis is on, in the node's object
  // space moved along the axis by axisOffset; its world box holds every line it draws.
  int Display(TimeValue t, INode* inode, ViewExp* vpt, int flags, ModContext* mc) override;
  void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box, ModContext* mc) override;
  Class_ID InputType() override { return defObjectClassID; }
  // The per-node cache in scene files (persist/local_data_chunks).
  IOResult SaveLocalData(ISave* isave, LocalModData* ld) override;
  IOResult LoadLocalData(ILoad* iload, LocalModData** pld) override;

  // vMirrorOps (script/cache_resets.cpp): each walks every node cache of this modifier, then
  // notifies and redraws once.
  void reset() override;
  void resetTarget() override;
  void resetMatch() override;
  // Which of the cache's three resets a walk applies.
  enum CacheReset { kResult, kTarget, kMatch };

  // Enables the rollout's controls from the target, the last result and the operation, and shows
  // the target's name (rollout_state.cpp); nothing without a rollout.
  void UpdateRolloutState();

 private:
  void resetCaches(CacheReset which);
};
