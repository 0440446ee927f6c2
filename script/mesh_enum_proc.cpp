// The node collector behind the cache resets.
#include "script/mesh_enum_proc.h"

int MeshEnumProc::proc(ReferenceMaker* rmaker) {
  if (rmaker->SuperClassID() == BASENODE_CLASS_ID) {
    INode* node = static_cast<INode*>(rmaker);
    nodes.Append(1, &node);
  }
  return DEP_ENUM_CONTINUE;
}
