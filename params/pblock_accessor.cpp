// Parameter accessor.
#include "params/pblock_accessor.h"

#include "modifier/ambiflex.h"
#include "params/param_ids.h"

void vertMirrorPBAccessor::Set(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t) {
  auto* mod = dynamic_cast<ambiflex*>(owner);
  if (mod == nullptr) return;
  if (id == updateResult || id == operation) mod->UpdateRolloutState();
  if (id == updateResult) mod->resetTarget();
}
