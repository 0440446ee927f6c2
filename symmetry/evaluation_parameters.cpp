// Reading the evaluation's parameters.
#include "symmetry/evaluation_parameters.h"

OperationOptions EvaluationParameters::operationOptions() const {
  OperationOptions options;
  options.axis = PlaneAxis(axis);
  options.offset = offset;
  options.direction = direction;
  options.resetCentreVerts = alignCentre == 1;
  options.ignoreSelection = ignoreSelection == 1;
  options.selectionOnly = selectionOnly != 0;
  return options;
}

EvaluationParameters ReadEvaluationParameters(IParamBlock2* pb, TimeValue t) {
  EvaluationParameters p;
  Interval valid = FOREVER;
  pb->GetValue(updateResult, t, p.keepTarget, valid);
  pb->GetValue(UndefObject, t, p.target, valid);
  pb->GetValue(constantUpdate, t, p.constantUpdate, valid);
  pb->GetValue(ignoreSO, t, p.ignoreSelection, valid);
  pb->GetValue(axisOffset, t, p.offset, valid);
  pb->GetValue(mirrorAxis, t, p.axis, valid);
  pb->GetValue(operation, t, p.operation, valid);
  pb->GetValue(direction, t, p.direction, valid);
  pb->GetValue(resetCentreVerts, t, p.alignCentre, valid);
  pb->GetValue(baseSelectionMasks, t, p.baseMasks, valid);
  pb->GetValue(invertBaseSelection, t, p.invertBase, valid);
  p.carrySelection = pb->GetInt(OperateOnSelection, t);
  p.selectionOnly = pb->GetInt(OperateOnlyOnSelection, t);
  pb->GetValue(asymNode, t, p.asymmetry.node, valid);
  pb->GetValue(enableAsymmetry, t, p.asymmetry.enabled, valid);
  pb->GetValue(asynType, t, p.asymmetry.type, valid);
  pb->GetValue(UVDominance, t, p.asymmetry.uvDominance, valid);
  pb->GetValue(NormXforms, t, p.asymmetry.normXforms, valid);
  return p;
}
