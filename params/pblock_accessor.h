// The accessor attached to most parameters: it sees every value set, from the rollout or a script,
// and turns two of them into work elsewhere. `updateResult` refreshes the rollout and asks every
// node cache for a new target capture; `operation` refreshes the rollout.
#pragma once

#include "iparamb2.h"

class vertMirrorPBAccessor : public PBAccessor {
 public:
  void Set(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t) override;
};
