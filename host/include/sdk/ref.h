// References: a ReferenceMaker holds numbered references to ReferenceTargets; a target knows its
// dependents and notifies them of changes, which then propagate further up the dependency graph.
#pragma once

#include <map>
#include <vector>

#include "animatable.h"

class ReferenceTarget;
typedef ReferenceTarget* RefTargetHandle;

#define PART_ALL 0x800037ff
#define PART_GEOM (1 << 1)
#define PART_TOPO (1 << 0)

// Messages.
#define REFMSG_CHANGE 0x00000050
#define REFMSG_BEGIN_EDIT 0x00000090
#define REFMSG_END_EDIT 0x000000A0
#define REFMSG_TARGET_DELETED 0x00000100
#define REFMSG_TEST_DEPENDENCY 0x00000107
#define REFMSG_MOD_DISPLAY_ON 0x000000F2
#define REFMSG_MOD_DISPLAY_OFF 0x000000F3

#define DEP_ENUM_CONTINUE 0
#define DEP_ENUM_HALT 1
#define DEP_ENUM_SKIP 2

class ReferenceMaker;

// Visitor of a target's dependents (the target itself first, then every maker that depends on it,
// transitively, each visited once).
class DependentEnumProc {
 public:
  virtual ~DependentEnumProc() = default;
  virtual int proc(ReferenceMaker* rmaker) = 0;
};

// Maps originals to their copies while a group of objects is cloned.
class RemapDir {
 public:
  virtual ~RemapDir() = default;
  virtual RefTargetHandle FindMapping(RefTargetHandle from);
  virtual void AddEntry(RefTargetHandle from, RefTargetHandle to);
  // The copy of `from` if one was made in this clone, else `from` itself.
  virtual RefTargetHandle CloneRef(RefTargetHandle from);

 private:
  std::map<RefTargetHandle, RefTargetHandle> map_;
};

class ReferenceMaker : public Animatable {
 public:
  ReferenceMaker() = default;
  // Drops every reference this maker holds.
  ~ReferenceMaker() override;

  virtual int NumRefs() { return 0; }
  virtual RefTargetHandle GetReference(int i) { return nullptr; }
  virtual void SetReference(int i, RefTargetHandle rtarg) {}
  virtual RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                     RefMessage message) = 0;
  virtual bool IsRefTarget() { return false; }

  // Makes reference i point at `target` (or nothing), registering this maker as the target's
  // dependent; `delOld` deletes the old target when nothing else refers to it any more.
  RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
  RefResult DeleteReference(int i);
  void DeleteAllRefs();

  // Host-side delivery of a message to this maker: the dependency test flag, the maker's own
  // handler, then propagation to this maker's dependents unless the handler stopped it.
  RefResult DeliverMessage(Interval changeInt, RefTargetHandle from, PartID partID, RefMessage message,
                           bool propagate);

 private:
  friend class ReferenceTarget;
  // The targets this maker refers to, by reference index, as the host registered them; kept apart
  // from the subclass's own fields so the host can drop them when either side goes away.
  std::vector<RefTargetHandle> held_;
};

class ReferenceTarget : public ReferenceMaker {
 public:
  ~ReferenceTarget() override;
  bool IsRefTarget() override { return true; }

  virtual ReferenceTarget* Clone(RemapDir& remap) { return nullptr; }
  // Copies what the base classes hold (nothing the plug-in relies on beyond the mapping).
  void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

  RefResult NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                             SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                             RefTargetHandle hTarg = nullptr);
  int DoEnumDependents(DependentEnumProc* dep);

  // Called after `maker` took a new reference to this target.
  virtual void RefAdded(ReferenceMaker* maker) {}
  // Called when the last reference to this target is dropped with delOld: deletes the target.
  // Objects owned elsewhere (scene nodes) keep themselves.
  virtual void MaybeAutoDelete();
  // Drops every reference this target holds (which may delete what only it referred to), then
  // deletes it through DeleteThis.
  void DeleteMe();

  // Whether a REFMSG_TEST_DEPENDENCY notification sent between the two reached this target: Begin
  // clears the mark, delivery sets it, End answers TRUE when it was set.
  void BeginDependencyTest();
  BOOL EndDependencyTest();

  // The makers that hold a reference to this target, once each, in the order they took it.
  const std::vector<ReferenceMaker*>& Dependents() const { return dependents_; }

 private:
  friend class ReferenceMaker;
  void AddDependent(ReferenceMaker* maker);
  void RemoveDependent(ReferenceMaker* maker);

  std::vector<ReferenceMaker*> dependents_;
  std::vector<int> dependentRefCounts_;
  bool notifying_ = false;
};

