// The host's modifier stack object and its pipeline evaluation.
#pragma once

#include <memory>
#include <vector>

#include "modstack.h"

class DerivedObject : public IDerivedObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  explicit DerivedObject(Object* obj);
  ~DerivedObject() override;

  int NumModifiers() override { return int(mods_.size()); }
  Modifier* GetModifier(int index) override;
  ModContext* GetModContext(int index) override;
  Object* GetObjRef() override { return object_; }
  void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) override;
  void DeleteModifier(int index = 0) override;
  void ReferenceObject(Object* obj) override;

  Class_ID ClassID() override { return Class_ID(GEN_DERIVOB_CLASS_ID, 0); }
  Object* MakeShallowCopy(ChannelMask channels) override;
  int NumRefs() override { return 1 + int(mods_.size()); }
  RefTargetHandle GetReference(int i) override;
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override {
    return REF_SUCCEED;
  }

  // Runs the stack for `node` at t: a copy of the object's state, then each enabled modifier from
  // the bottom up. `owned` receives the object the result lives in when the evaluation made one;
  // an object it holds on entry (the previous result) is reused for the copy when it can be.
  ObjectState EvalPipeline(TimeValue t, INode* node, std::unique_ptr<Object>& owned);

 private:
  Object* object_ = nullptr;
  std::vector<Modifier*> mods_;
  std::vector<std::unique_ptr<ModContext>> contexts_;
};
