// One evaluation of the modifier on one object, whatever its mesh kind: read the parameters; replay
// the stored result while it may be replayed; otherwise make sure the target and partners are held
// (capturing and pairing only as the cache asks), apply the operation, carry the selection, and
// store the result for the next replay. The kind's adapter (mesh_adapter.h) supplies every step
// that differs.
//
// Sets the modifier's and the cache's resultValid flags together; reports nothing by return value.
#pragma once

#include "symmetry/mesh_adapter.h"

class ambiflex;

void EvaluateSymmetry(ambiflex* mod, ModContext& mc, TimeValue t, MeshAdapter& mesh);
