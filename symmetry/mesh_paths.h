// The three evaluation paths of the modifier, one per mesh kind. Each changes the object it is
// given in place, fetches or creates the node's cache in `mc`, and sets the modifier's and the
// cache's resultValid flags; none reports errors by return value.
#pragma once

#include "max.h"

class ambiflex;

void ModifyTriObject(ambiflex* mod, TriObject* obj, TimeValue t, ModContext& mc);
// `tri` is the triangle-mesh conversion of `obj` made by the dispatch (same vertex numbering); the
// path writes the symmetric result into it too. The dispatch deletes it afterwards.
void ModifyPolyObject(ambiflex* mod, PolyObject* obj, TimeValue t, ModContext& mc, TriObject* tri);
void ModifyPatchObject(ambiflex* mod, PatchObject* obj, TimeValue t, ModContext& mc);
