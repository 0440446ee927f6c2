// INode: a scene node. It has a name, an object transform and an object reference (a base object or
// a modifier stack); EvalWorldState runs the node's pipeline and keeps the result until something
// the node depends on changes.
#pragma once

#include <memory>
#include <set>

#include "object.h"

class IDerivedObject;

class INode : public ReferenceTarget {
 public:
  INode();
  ~INode() override;

  SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(BASENODE_CLASS_ID, 0); }
  void GetClassName(MSTR& s) override { s = L"Node"; }

  const MCHAR* GetName() { return name_.data(); }
  void SetName(const MCHAR* s) { name_ = s; }

  Object* GetObjectRef() { return object_; }
  void SetObjectRef(Object* obj);

  // The node's evaluated object at t: the object reference's output after every modifier. The
  // state stays owned by the node; a modifier that fails with a table index error is skipped for
  // this evaluation (the object is handed on as it was before it) and the failure is reported to
  // the core interface. A request made while the node's own pipeline runs gets an empty state.
  const ObjectState& EvalWorldState(TimeValue t, BOOL evalHidden = TRUE);

  Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) { return objectTM_; }
  void SetObjectTM(const Matrix3& tm) { objectTM_ = tm; }
  bool IsHidden() const { return hidden_; }
  void Hide(bool on) { hidden_ = on; }

  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override;
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override;
  // Nodes belong to the scene, not to whoever refers to them.
  void MaybeAutoDelete() override {}

  // Host bookkeeping, read by tests: how many pipeline evaluations ran.
  int evaluations = 0;

 private:
  void Invalidate();

  MSTR name_;
  Object* object_ = nullptr;
  Matrix3 objectTM_;
  bool hidden_ = false;
  ObjectState state_;
  std::unique_ptr<Object> ownedState_;
  bool stateValid_ = false;
  bool evaluating_ = false;
  TimeValue stateTime_ = 0;
};
