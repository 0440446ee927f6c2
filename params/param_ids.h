// Ids of the modifier's one parameter block and of its twenty parameters. The id is each
// parameter's position in the block: scripts and scene files see these values.
#pragma once

enum { ambiflex_params = 0 };

enum ambiflexParam {
  UndefObject = 0,
  mirrorAxis = 1,
  updateResult = 2,
  operation = 3,
  direction = 4,
  constantUpdate = 5,
  ignoreSO = 6,
  displayAxis = 7,
  axisOffset = 8,
  displaySize = 9,
  resetCentreVerts = 10,
  baseSelectionMasks = 11,
  invertBaseSelection = 12,
  enableAsymmetry = 13,
  asymNode = 14,
  asynType = 15,
  UVDominance = 16,
  NormXforms = 17,
  OperateOnSelection = 18,
  OperateOnlyOnSelection = 19
};

// Values of `operation`; the `direction` that writes the negative side (any other value writes the
// positive side); the `asynType` that adds the offsets as they are (any other carries them across
// the surface).
enum { kOperationMirror = 0, kOperationFlip = 1, kOperationReset = 2 };
enum { kDirectionNegative = 0 };
enum { kAsymmetryLocal = 0 };
