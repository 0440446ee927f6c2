// A reference maker that holds one reference and records every message it receives through it,
// with the interval, the part and the animatable flags of the sender at that moment. Tests use it
// to watch what a modifier tells its dependents.
//
// The recorder takes its reference in the constructor and drops it (with delOld FALSE, so the
// target survives) when it goes away; `target` must outlive it or be deleted while it is held.
#pragma once

#include <vector>

#include "ref.h"

namespace testing_support {

class MessageRecorder : public ReferenceMaker {
 public:
  struct Message {
    RefMessage message;
    Interval interval;
    PartID part;
    DWORD senderFlags;  // the target's animatable flags when the message arrived
  };

  explicit MessageRecorder(ReferenceTarget* target) { ReplaceReference(0, target, FALSE); }
  ~MessageRecorder() override {
    if (target_ != nullptr) ReplaceReference(0, nullptr, FALSE);
  }

  SClass_ID SuperClassID() override { return 0x5a17; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return target_; }
  void SetReference(int i, RefTargetHandle rtarg) override { target_ = rtarg; }
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override {
    received.push_back({message, changeInt, partID, hTarget ? hTarget->GetAFlags() : 0});
    return REF_SUCCEED;
  }

  int Count(RefMessage message) const {
    int n = 0;
    for (const Message& m : received) n += m.message == message ? 1 : 0;
    return n;
  }
  std::vector<RefMessage> Messages() const {
    std::vector<RefMessage> r;
    for (const Message& m : received) r.push_back(m.message);
    return r;
  }

  std::vector<Message> received;

 private:
  RefTargetHandle target_ = nullptr;
};

}  // namespace testing_support
