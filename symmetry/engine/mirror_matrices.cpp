// Mirror-plane matrices, built from the axis and offset with the host's matrix operations so that
// the match and base products are computed exactly as the pairing compares them.
#include "symmetry/engine/mirror_matrices.h"

MirrorMatrices BuildMirrorMatrices(int axis, float offset) {
  Point3 sign(1.0f, 1.0f, 1.0f);
  sign[axis] = -1.0f;

  MirrorMatrices r;
  r.match = ScaleMatrix(sign);
  r.match.SetRow(3, r.match.GetRow(3) - offset * Normalize(r.match.GetRow(axis)));

  r.base.IdentityMatrix();
  r.base.SetRow(3, r.base.GetRow(3) - offset * Normalize(r.base.GetRow(axis)));

  r.mirror = r.match * Inverse(r.base);
  return r;
}
