// What sets the three mesh kinds apart. One evaluation flow (evaluation_flow.h) serves them all; each
// kind hands it an adapter, and every difference between the kinds is a field of its MeshKind or a
// step of its adapter:
//
//                             triangle (TriObject)  polygon (PolyObject)          patch (PatchObject)
//  fields (MeshKind)
//   noTargetClearsResult      no                    no                            yes
//   replayWatchesTargetDirty  yes                   yes                           no
//   baseMask                  bits and weights      Mirror: bits and weights;     none
//                                                   Flip, Reset: bits alone
//   carriesSelection          yes                   yes                           no
//  steps (MeshAdapter)
//   acceptsTarget             any node              any node                      a patch object only
//   holdsResult / fits        resultVerts           resultVerts                   + resultVecs, resultVertFlags
//   replay                    copy                  listener line, copy,          copy, update sequence
//                                                   replay asymmetry, invalidate
//   holdsTarget / capture     triangle-mesh copy    triangle-mesh copy            patch: + vectors, flags words
//   pair                      vertex partners       vertex partners               + vector partners and owners
//   apply                     vertex rules          vertex rules (dead vertices   patch rules (vertices,
//                                                   never selected)               flags words, vectors)
//   writeSelectionBack        Mesh vertSel          MN_SEL flags                  -
//   store                     resultVerts           resultVerts, triangle copy    + resultVecs, resultVertFlags
//   finish                    -                     full asymmetry, invalidate    update sequence twice
//
// An adapter wraps the one object being evaluated; it lives for one evaluation.
#pragma once

#include <vector>

#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/evaluation_parameters.h"
#include "symmetry/local_mesh_data.h"

// Which base-selection mask a kind applies (with baseSelectionMasks on).
enum BaseMask {
  kNone,                   // no mask: every vertex takes part
  kBitsAndWeights,         // the full gate, weights included when the target has them
  kBitsAloneOutsideMirror  // Mirror: the full gate; Flip and Reset: the target's bits alone
};

struct MeshKind {
  bool noTargetClearsResult;      // no target node clears both resultValid flags (one the kind does not
                                  // accept always does)
  bool replayWatchesTargetDirty;  // a pending target capture forbids the replay
  BaseMask baseMask;
  bool carriesSelection;  // the selection record and OperateOnSelection's write-back
};

//                                noTargetClearsResult  replayWatchesTargetDirty  baseMask                           carriesSelection
const MeshKind kTriangleKind = {false,                 true,                     BaseMask::kBitsAndWeights,         true};
const MeshKind kPolygonKind  = {false,                 true,                     BaseMask::kBitsAloneOutsideMirror, true};
const MeshKind kPatchKind    = {true,                  false,                    BaseMask::kNone,                   false};

class MeshAdapter {
 public:
  explicit MeshAdapter(const MeshKind& kind) : kind(kind) {}
  virtual ~MeshAdapter() {}

  const MeshKind& kind;

  virtual int vertexCount() const = 0;
  // Whether the target node's object can serve this kind as a target (checked before anything else).
  virtual bool acceptsTarget(INode* target, TimeValue t) { return true; }

  // The stored result: whether the cache holds one, whether it has this mesh's shape (and the held
  // target's), and handing it on. `fits` false: leave the positions, run only the kind's extra steps.
  virtual bool holdsResult(const vLocalMeshData& cache) const { return cache.resultVerts.Count() > 0; }
  virtual bool fitsStoredResult(const vLocalMeshData& cache) const;
  virtual void replay(const vLocalMeshData& cache, bool fits, const EvaluationParameters& p, TimeValue t) = 0;

  // The target: whether the cache holds a usable capture, capturing one (false: the target could not
  // be read, nothing changed), pairing it, and whether held partner tables belong to it.
  virtual bool holdsTarget(const vLocalMeshData& cache) const { return cache.targetVerts.Count() > 0; }
  virtual bool captureTarget(vLocalMeshData& cache, INode* target, TimeValue t);
  virtual void pair(vLocalMeshData& cache, const MirrorMatrices& matrices);
  virtual bool partnersFit(const vLocalMeshData& cache) const;

  // The operation, once the mesh matches the held target. `record`: vertexCount() floats, zero on
  // entry (kinds that carry no selection leave it).
  virtual bool matchesTarget(const vLocalMeshData& cache) const { return vertexCount() == cache.targetVerts.Count(); }
  virtual void apply(int operation, const vLocalMeshData& cache, const MirrorMatrices& matrices,
                     const OperationOptions& options, const BaseSelectionGate& gate, float* record) = 0;
  virtual void writeSelectionBack(const std::vector<float>& record) {}

  // The result as it now stands into the cache, then what the kind does after storing.
  virtual void store(vLocalMeshData& cache) = 0;
  virtual void finish(const vLocalMeshData& cache, const EvaluationParameters& p, TimeValue t) {}

 private:
  MeshAdapter(const MeshAdapter&);
  MeshAdapter& operator=(const MeshAdapter&);
};
