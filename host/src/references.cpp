// The reference graph: registration of dependents, message propagation with the dependency test,
// dependent enumeration, and the clone mapping.
#include <algorithm>
#include <set>

#include "hold.h"
#include "ref.h"

BaseInterface* BaseInterface::GetInterface(Interface_ID id) {
  if (id == IID_FP_BASE) return this;
  return nullptr;
}

RefTargetHandle RemapDir::FindMapping(RefTargetHandle from) {
  auto it = map_.find(from);
  return it == map_.end() ? nullptr : it->second;
}

void RemapDir::AddEntry(RefTargetHandle from, RefTargetHandle to) { map_[from] = to; }

RefTargetHandle RemapDir::CloneRef(RefTargetHandle from) {
  if (from == nullptr) return nullptr;
  if (RefTargetHandle mapped = FindMapping(from)) return mapped;
  return from;
}

ReferenceMaker::~ReferenceMaker() {
  // Undo records of an object that is gone could only touch freed memory.
  theHold.Discard(static_cast<ReferenceMaker*>(this));
  for (RefTargetHandle target : held_) {
    if (target != nullptr) target->RemoveDependent(this);
  }
  held_.clear();
}

// Whether `target` depends on `maker` (or is it): a reference from maker to target would close a loop.
static bool dependsOn(RefTargetHandle target, ReferenceMaker* maker) {
  if (static_cast<ReferenceMaker*>(target) == maker) return true;
  if (!maker->IsRefTarget()) return false;
  std::set<ReferenceMaker*> seen;
  std::vector<ReferenceMaker*> pending{maker};
  while (!pending.empty()) {
    ReferenceMaker* m = pending.back();
    pending.pop_back();
    if (!seen.insert(m).second || !m->IsRefTarget()) continue;
    for (ReferenceMaker* d : static_cast<ReferenceTarget*>(m)->Dependents()) {
      if (d == static_cast<ReferenceMaker*>(target)) return true;
      pending.push_back(d);
    }
  }
  return false;
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
  if (which < 0) return REF_FAIL;
  // The host refuses references that would make an object depend on itself.
  if (newtarg != nullptr && dependsOn(newtarg, this)) return REF_FAIL;
  if (size_t(which) >= held_.size()) held_.resize(size_t(which) + 1, nullptr);
  RefTargetHandle old = held_[size_t(which)];
  if (old == newtarg) {
    SetReference(which, newtarg);
    return REF_SUCCEED;
  }
  if (newtarg != nullptr) newtarg->AddDependent(this);
  held_[size_t(which)] = newtarg;
  SetReference(which, newtarg);
  if (newtarg != nullptr) newtarg->RefAdded(this);
  if (old != nullptr) {
    old->RemoveDependent(this);
    if (delOld && old->Dependents().empty()) old->MaybeAutoDelete();
  }
  return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int i) { return ReplaceReference(i, nullptr, TRUE); }

void ReferenceMaker::DeleteAllRefs() {
  for (int i = 0; i < int(held_.size()); ++i) {
    if (held_[size_t(i)] != nullptr) DeleteReference(i);
  }
}

RefResult ReferenceMaker::DeliverMessage(Interval changeInt, RefTargetHandle from, PartID partID,
                                         RefMessage message, bool propagate) {
  if (message == REFMSG_TEST_DEPENDENCY) SetAFlag(A_DEPENDENCY_TEST);
  PartID part = partID;
  RefResult r = NotifyRefChanged(changeInt, from, part, message);
  if (r == REF_STOP || !propagate || !IsRefTarget()) return r;
  static_cast<ReferenceTarget*>(this)->NotifyDependents(changeInt, part, message, NOTIFY_ALL, TRUE);
  return r;
}

ReferenceTarget::~ReferenceTarget() {
  // Every maker still referring to this target loses that reference.
  std::vector<ReferenceMaker*> makers = dependents_;
  for (ReferenceMaker* maker : makers) {
    for (size_t i = 0; i < maker->held_.size(); ++i) {
      if (maker->held_[i] == this) {
        PartID deletedPart = PART_ALL;
        maker->held_[i] = nullptr;
        maker->NotifyRefChanged(FOREVER, this, deletedPart, REFMSG_TARGET_DELETED);
        maker->SetReference(int(i), nullptr);
      }
    }
  }
  dependents_.clear();
}

void ReferenceTarget::MaybeAutoDelete() {
  if (dependents_.empty()) DeleteMe();
}

void ReferenceTarget::DeleteMe() {
  DeleteAllRefs();
  DeleteThis();
}

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
  if (from != nullptr && to != nullptr) remap.AddEntry(from, to);
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) {
  auto it = std::find(dependents_.begin(), dependents_.end(), maker);
  if (it == dependents_.end()) {
    dependents_.push_back(maker);
    dependentRefCounts_.push_back(1);
  } else {
    ++dependentRefCounts_[size_t(it - dependents_.begin())];
  }
}

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
  auto it = std::find(dependents_.begin(), dependents_.end(), maker);
  if (it == dependents_.end()) return;
  size_t k = size_t(it - dependents_.begin());
  if (--dependentRefCounts_[k] == 0) {
    dependents_.erase(it);
    dependentRefCounts_.erase(dependentRefCounts_.begin() + long(k));
  }
}

RefResult ReferenceTarget::NotifyDependents(Interval changeInt, PartID partID, RefMessage message,
                                            SClass_ID sclass, BOOL propagate, RefTargetHandle hTarg) {
  // A target already passing a message on is not entered again, so a loop in the graph ends.
  if (notifying_) return REF_SUCCEED;
  notifying_ = true;
  std::vector<ReferenceMaker*> makers = dependents_;
  for (ReferenceMaker* maker : makers) {
    if (hTarg != nullptr && maker != static_cast<ReferenceMaker*>(hTarg)) continue;
    if (sclass != NOTIFY_ALL && maker->SuperClassID() != sclass) continue;
    // A maker that dropped its reference during an earlier delivery is skipped.
    if (std::find(dependents_.begin(), dependents_.end(), maker) == dependents_.end()) continue;
    maker->DeliverMessage(changeInt, this, partID, message, propagate != FALSE);
  }
  notifying_ = false;
  return REF_SUCCEED;
}

static int enumerate(ReferenceMaker* maker, DependentEnumProc* dep, std::set<ReferenceMaker*>& seen) {
  if (!seen.insert(maker).second) return 0;
  int r = dep->proc(maker);
  if (r == DEP_ENUM_HALT) return 1;
  if (r == DEP_ENUM_SKIP || !maker->IsRefTarget()) return 0;
  std::vector<ReferenceMaker*> makers = static_cast<ReferenceTarget*>(maker)->Dependents();
  for (ReferenceMaker* m : makers) {
    if (enumerate(m, dep, seen)) return 1;
  }
  return 0;
}

int ReferenceTarget::DoEnumDependents(DependentEnumProc* dep) {
  std::set<ReferenceMaker*> seen;
  return enumerate(this, dep, seen);
}

void ReferenceTarget::BeginDependencyTest() { ClearAFlag(A_DEPENDENCY_TEST); }

BOOL ReferenceTarget::EndDependencyTest() { return TestAFlag(A_DEPENDENCY_TEST) ? TRUE : FALSE; }
