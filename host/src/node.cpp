// Scene nodes: the object reference and the cached world state.
#include "derived_object.h"
#include "inode.h"

INode::INode() = default;

INode::~INode() {
  ownedState_.reset();
  DeleteAllRefs();
}

void INode::SetObjectRef(Object* obj) {
  ReplaceReference(0, obj);
  Invalidate();
}

RefTargetHandle INode::GetReference(int i) { return i == 0 ? object_ : nullptr; }

void INode::SetReference(int i, RefTargetHandle rtarg) {
  if (i == 0) object_ = static_cast<Object*>(rtarg);
}

RefResult INode::NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                                  RefMessage message) {
  if (message == REFMSG_CHANGE || message == REFMSG_TARGET_DELETED) Invalidate();
  return REF_SUCCEED;
}

void INode::Invalidate() { stateValid_ = false; }

const ObjectState& INode::EvalWorldState(TimeValue t, BOOL evalHidden) {
  if (stateValid_ && stateTime_ == t && state_.obj != nullptr) {
    // A stack whose modifiers are valid only now must run again at every request.
    bool constant = true;
    if (auto* derived = dynamic_cast<IDerivedObject*>(object_)) {
      for (int i = 0; i < derived->NumModifiers(); ++i) {
        if (!derived->GetModifier(i)->LocalValidity(t).InInterval(t)) constant = false;
      }
    }
    if (constant) return state_;
  }
  static const ObjectState empty;
  if (evaluating_) return empty;
  struct Running {
    bool& flag;
    ~Running() { flag = false; }
  } running{evaluating_ = true};
  ++evaluations;
  state_ = ObjectState();
  if (auto* derived = dynamic_cast<DerivedObject*>(object_)) {
    state_ = derived->EvalPipeline(t, this, ownedState_);
  } else {
    ownedState_.reset();
    if (object_ != nullptr) state_ = object_->Eval(t);
  }
  stateValid_ = true;
  stateTime_ = t;
  return state_;
}
