// Patch Mirror, Flip and Reset. Vertex positions go through the shared vertex rules with no
// base-selection mask; the flags words are then carried by a second pass over the vertices in the
// same order that asks the same questions (which vertex was written, from which vertex). That split is
// exact because whether and from where a vertex is written depends only on the target, the partners,
// the selection and the options, never on positions. The vector rules follow, vector by vector.
#include "symmetry/engine/patch_operations.h"

#include <limits>
#include <vector>

#include "symmetry/engine/vertex_pairing.h"

namespace {

OperationOptions patchOptions(const OperationOptions& options) {
  OperationOptions o = options;
  o.selectionOnly = false;
  return o;
}

// The centre rule on vector i (Mirror and Flip): a vector that is its own partner goes back onto the
// target's plane coordinate. True when it handled the vector.
bool applyVectorCentreRule(const PatchArrays& patch, const PatchTarget& target, int i, const OperationOptions& options) {
  if (!IsCentre(target.vecMatch, i, options)) return false;
  patch.vecs[i][options.axis] = target.vecs[i][options.axis];
  return true;
}

// How Mirror wrote a vertex's position.
enum MirrorWrite { IgnoringSelection, Selected, Blended };

// The flags word a vertex takes from its partner p when Mirror writes its position: the partner's
// word as the patch holds it at that moment, except for a soft blend about X and for a full write
// with the selection ignored about Z, which take the partner's word from the captured target. The two
// exceptions are kept on purpose: existing scenes rely on the flags they produce, and changing them
// would change those scenes' vertices on their next evaluation.
DWORD mirroredFlags(const DWORD* flags, const DWORD* targetFlags, int p, MirrorWrite how, int axis) {
  const bool fromTarget = (how == MirrorWrite::Blended && axis == 0) ||
                          (how == MirrorWrite::IgnoringSelection && axis == 2);
  return fromTarget ? targetFlags[p] : flags[p];
}

void mirrorVertexFlags(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                       const VertexSelection& selection) {
  for (int i = 0; i < patch.numVerts; ++i) {
    if (IsCentre(target.vertMatch, i, options) || !OnWrittenSide(target.verts[i], options)) continue;
    const int p = target.vertMatch[i];
    MirrorWrite how;
    if (options.ignoreSelection) how = MirrorWrite::IgnoringSelection;
    else if (selection.Selected(i)) how = MirrorWrite::Selected;
    else if (selection.HasWeights() && selection.Weight(i) != 0.0f) how = MirrorWrite::Blended;
    else continue;
    patch.vertFlags[i] = mirroredFlags(patch.vertFlags, target.vertFlags, p, how, options.axis);
  }
}

void mirrorVectors(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
                   const OperationOptions& options, const VertexSelection& selection) {
  Point3* v = patch.vecs;
  for (int i = 0; i < patch.numVecs; ++i) {
    if (applyVectorCentreRule(patch, target, i, options)) continue;
    const int m = target.vecMatch[i];
    const int o = target.vecOwner[i];
    if (!OnWrittenSide(target.vecs[i], options)) continue;
    if (options.ignoreSelection || selection.Selected(o)) {
      v[i] = v[m] * mirror;
    } else if (selection.HasWeights()) {
      const float w = selection.Weight(o);
      if (w != 0.0f) v[i] = Blend(w, v[m] * mirror, v[i]);
    }
  }
}

// Each vertex written from the copy of vertex q takes q's flags word as the pass began.
void flipVertexFlags(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                     const VertexSelection& selection) {
  const std::vector<DWORD> original(patch.vertFlags, patch.vertFlags + patch.numVerts);
  DWORD* f = patch.vertFlags;
  for (int i = 0; i < patch.numVerts; ++i) {
    if (IsCentre(target.vertMatch, i, options)) continue;
    const int p = target.vertMatch[i];
    if (options.ignoreSelection) {
      f[i] = original[size_t(p)];
      continue;
    }
    const bool swapped = selection.Selected(i) || selection.Selected(p);
    const float wi = selection.Weight(i);
    const float wp = selection.Weight(p);
    const bool blended = selection.HasWeights() && (wp > wi || wp < wi);
    if (swapped || blended) {
      f[p] = original[size_t(i)];
      f[i] = original[size_t(p)];
    }
  }
}

void flipVectors(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
                 const OperationOptions& options, const VertexSelection& selection) {
  const std::vector<Point3> original(patch.vecs, patch.vecs + patch.numVecs);
  Point3* v = patch.vecs;
  for (int i = 0; i < patch.numVecs; ++i) {
    if (applyVectorCentreRule(patch, target, i, options)) continue;
    const int m = target.vecMatch[i];
    const int o = target.vecOwner[i];
    const Point3 fromPartner = original[size_t(m)] * mirror;
    if (options.ignoreSelection) {
      v[i] = fromPartner;
      continue;
    }
    const Point3 fromSelf = original[size_t(i)] * mirror;
    // Only the owner of i decides, whichever vector of the pair is visited.
    if (selection.Selected(o)) {
      v[i] = fromPartner;
      v[m] = fromSelf;
    } else if (selection.HasWeights()) {
      const float w = selection.Weight(o);
      if (w != 0.0f) {
        v[m] = Blend(w, fromSelf, v[m]);
        v[i] = Blend(w, fromPartner, v[i]);
      }
    }
  }
}

void resetVertexFlags(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                      const VertexSelection& selection) {
  for (int i = 0; i < patch.numVerts; ++i) {
    if (options.ignoreSelection || selection.Selected(i) ||
        (selection.HasWeights() && selection.Weight(i) != 0.0f)) {
      patch.vertFlags[i] = target.vertFlags[i];
    }
  }
}

void resetVectors(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                  const VertexSelection& selection) {
  Point3* v = patch.vecs;
  if (options.ignoreSelection) {
    for (int i = 0; i < patch.numVecs; ++i) v[i] = target.vecs[i];
    return;
  }
  // The owner recorded in the patch decides when it is selected; the others fall back on the target
  // vertex nearest to the vector, all found in one batch.
  std::vector<int> owner(size_t(patch.numVecs));
  std::vector<int> searched;
  std::vector<Point3> queries;
  for (int i = 0; i < patch.numVecs; ++i) {
    owner[size_t(i)] = patch.recordedOwners[i];
    if (!selection.Selected(owner[size_t(i)])) {
      searched.push_back(i);
      queries.push_back(target.vecs[i]);
    }
  }
  std::vector<int> nearest(searched.size());
  FindOwnerVertices(queries.data(), int(queries.size()), target.verts, patch.numVerts, nearest.data());
  for (size_t k = 0; k < searched.size(); ++k) owner[size_t(searched[k])] = nearest[k];

  for (int i = 0; i < patch.numVecs; ++i) {
    const int k = owner[size_t(i)];
    if (selection.Selected(k)) {
      v[i] = target.vecs[i];
    } else if (selection.HasWeights()) {
      const float w = selection.Weight(k);
      if (w != 0.0f) v[i] = Blend(w, target.vecs[i], v[i]);
    }
  }
}

typedef void (*VertexRule)(Point3*, const Point3*, const int*, int, const Matrix3&, const OperationOptions&,
                           const VertexSelection&, const BaseSelectionGate&, float*);
typedef void (*FlagsRule)(const PatchArrays&, const PatchTarget&, const OperationOptions&, const VertexSelection&);
typedef void (*VectorRule)(const PatchArrays&, const PatchTarget&, const Matrix3&, const OperationOptions&,
                           const VertexSelection&);

// Mirror and Flip on a patch: the vertex positions by the vertex rule (no base mask, the record
// unused), the flags words that travel with them, then the vectors.
void applyWithPartners(VertexRule positions, FlagsRule flags, VectorRule vectors, const PatchArrays& patch,
                       const PatchTarget& target, const Matrix3& mirror, const OperationOptions& options,
                       const VertexSelection& selection) {
  const OperationOptions o = patchOptions(options);
  std::vector<float> unusedRecord(size_t(patch.numVerts), 0.0f);
  positions(patch.verts, target.verts, target.vertMatch, patch.numVerts, mirror, o, selection, BaseSelectionGate(),
            unusedRecord.data());
  flags(patch, target, o, selection);
  vectors(patch, target, mirror, o, selection);
}

}  // namespace

void MirrorPatch(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
                 const OperationOptions& options, const VertexSelection& selection) {
  applyWithPartners(MirrorVertices, mirrorVertexFlags, mirrorVectors, patch, target, mirror, options, selection);
}

void FlipPatch(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
               const OperationOptions& options, const VertexSelection& selection) {
  applyWithPartners(FlipVertices, flipVertexFlags, flipVectors, patch, target, mirror, options, selection);
}

void ResetPatch(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                const VertexSelection& selection) {
  const OperationOptions o = patchOptions(options);
  ResetVertices(patch.verts, target.verts, patch.numVerts, o, selection, BaseSelectionGate());
  resetVertexFlags(patch, target, o, selection);
  resetVectors(patch, target, o, selection);
}

void FindOwnerVertices(const Point3* points, int count, const Point3* vertices, int vertexCount, int* r_owners) {
  // Searching without a threshold gives the thresholded search's answer whenever that one has any,
  // and the nearest vertex otherwise.
  FindNearestCandidates(points, count, vertices, vertexCount, std::numeric_limits<float>::infinity(), r_owners);
}

void FindOwnerVerticesBruteForce(const Point3* points, int count, const Point3* vertices, int vertexCount,
                                 int* r_owners) {
  FindNearestCandidatesBruteForce(points, count, vertices, vertexCount, std::numeric_limits<float>::infinity(),
                                  r_owners);
}
