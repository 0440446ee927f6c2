// Collects the scene nodes among a target's dependents, in the order the host reports them.
#pragma once

#include "inode.h"
#include "tab.h"

class MeshEnumProc : public DependentEnumProc {
 public:
  Tab<INode*> nodes;
  int proc(ReferenceMaker* rmaker) override;
};
