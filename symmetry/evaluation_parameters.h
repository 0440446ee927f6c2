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
  EvaluationParameters()
      : target(nullptr), keepTarget(1), constantUpdate(1), ignoreSelection(1), offset(0.0f), axis(0),
        operation(kOperationMirror), direction(kDirectionNegative), alignCentre(1), baseMasks(0), invertBase(0),
        carrySelection(0), selectionOnly(0) {}

  INode* target;        // UndefObject; null: nothing to do
  int keepTarget;       // updateResult, 1 when the read gives nothing
  int constantUpdate;   // 1 forbids the replay
  int ignoreSelection;  // ignoreSO
  float offset;         // axisOffset
  int axis;             // mirrorAxis as stored: the cache notes this value, the rules take PlaneAxis
  int operation;
  int direction;
  int alignCentre;     // resetCentreVerts
  int baseMasks;       // baseSelectionMasks
  int invertBase;      // invertBaseSelection
  int carrySelection;  // OperateOnSelection
  int selectionOnly;   // OperateOnlyOnSelection
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
