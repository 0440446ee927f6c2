// The parameters one evaluation reads, all at one time t, and the rules' options made from them.
// Reading has no effect on the block, so every mesh kind reads the same set once; a kind that has no
// use for some of them (the patch has no base mask, no selection carrying and no asymmetry) ignores
// them.
#pragma once

#include "iparamb2.h"
#include "params/param_ids.h"
#include "symmetry/asymmetry.h"
#include "symmetry/engine/vertex_operations.h"

struct EvaluationParameters {
  INode* target = nullptr;  // UndefObject; null: nothing to do
  int keepTarget = 1;       // updateResult, 1 when the read gives nothing
  int constantUpdate = 1;   // 1 forbids the replay
  int ignoreSelection = 1;  // ignoreSO
  float offset = 0.0f;      // axisOffset
  int axis = 0;             // mirrorAxis as stored: the cache notes this value, the rules take PlaneAxis
  int operation = kOperationMirror;
  int direction = kDirectionNegative;
  int alignCentre = 1;     // resetCentreVerts
  int baseMasks = 0;       // baseSelectionMasks
  int invertBase = 0;      // invertBaseSelection
  int carrySelection = 0;  // OperateOnSelection
  int selectionOnly = 0;   // OperateOnlyOnSelection
  AsymmetrySettings asymmetry;

  OperationOptions operationOptions() const;
};

EvaluationParameters ReadEvaluationParameters(IParamBlock2* pb, TimeValue t);

// A mirrorAxis value as an axis index 0..2: the one place a stored value is clamped for the rules.
inline int PlaneAxis(int mirrorAxisValue) { return mirrorAxisValue < 0 ? 0 : (mirrorAxisValue > 2 ? 2 : mirrorAxisValue); }

// Whether `operation` names one of the three operations; any other value changes no position.
inline bool IsOperation(int operation) {
  return operation == kOperationMirror || operation == kOperationFlip || operation == kOperationReset;
}
