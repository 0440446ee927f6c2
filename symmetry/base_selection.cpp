// Reading the target's selection for the base mask.
#include "symmetry/base_selection.h"

#include "symmetry/target_capture.h"

BaseSelectionGate BaseSelection::Gate(bool invert, bool bitsOnly) const {
  BaseSelectionGate gate;
  gate.enabled = true;
  gate.invert = invert;
  gate.bitsOnly = bitsOnly;
  gate.bits = &bits;
  if (hasWeights) {
    gate.weights = weights.data();
    gate.weightCount = int(weights.size());
  }
  return gate;
}

bool ReadBaseSelection(INode* target, TimeValue t, BaseSelection& r_selection) {
  bool temporary = false;
  TriObject* tri = EvalTargetAsTriMesh(target, t, temporary);
  if (tri == nullptr) return false;
  Mesh& mesh = tri->GetMesh();
  r_selection.bits = mesh.vertSel;
  r_selection.hasWeights = mesh.vDataSupport(VDATA_SELECT) != FALSE;
  r_selection.weights.clear();
  if (r_selection.hasWeights) {
    const float* w = mesh.vertexFloat(VDATA_SELECT);
    if (w != nullptr) r_selection.weights.assign(w, w + mesh.numVerts);
  }
  if (temporary) tri->DeleteThis();
  return true;
}
