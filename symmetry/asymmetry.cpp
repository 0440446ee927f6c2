// Local and Surface asymmetry on the polygon mesh, adapting the scene objects to the engine's
// surface frames.
#include "symmetry/asymmetry.h"

#include <algorithm>
#include <vector>

#include "params/param_ids.h"
#include "symmetry/engine/surface_frames.h"
#include "symmetry/target_capture.h"
#include "symmetry/table_data.h"

namespace {

// A node's mesh at t as a triangle mesh, deleted on the way out when it is a temporary copy.
class EvaluatedMesh {
 public:
  EvaluatedMesh(INode* node, TimeValue t) : temporary_(false), tri_(EvalTargetAsTriMesh(node, t, temporary_)) {}
  ~EvaluatedMesh() {
    if (temporary_ && tri_ != nullptr) tri_->DeleteThis();
  }

  Mesh* mesh() const { return tri_ != nullptr ? &tri_->GetMesh() : nullptr; }

 private:
  EvaluatedMesh(const EvaluatedMesh&);
  EvaluatedMesh& operator=(const EvaluatedMesh&);

  bool temporary_;
  TriObject* tri_;
};

SurfaceTriangles surfaceOf(Mesh& mesh) {
  SurfaceTriangles s;
  s.positions = mesh.verts;
  s.positionCount = mesh.numVerts;
  s.faces = mesh.faces;
  s.faceCount = mesh.numFaces;
  if (mesh.mapSupport(1)) {
    s.mapFaces = mesh.mapFaces(1);
    s.mapVerts = mesh.mapVerts(1);
    s.mapVertCount = mesh.getNumMapVerts(1);
  }
  return s;
}

// Adds (asymmetry[i] - reference[i]) to the first `count` vertices.
void addOffsets(MNMesh& mesh, const Point3* asymmetry, const Point3* reference, int count) {
  for (int i = 0; i < count; ++i) mesh.P(i) += asymmetry[i] - reference[i];
}

int smallest(int a, int b, int c) { return std::min(a, std::min(b, c)); }

}  // namespace

void ApplyReplayAsymmetry(MNMesh& mesh, const Tab<Point3>& stored, const AsymmetrySettings& settings,
                          TimeValue t) {
  if (!settings.Active()) return;
  EvaluatedMesh asym(settings.node, t);
  const Mesh* a = asym.mesh();
  if (a == nullptr) return;
  const int count = smallest(a->numVerts, mesh.numv, stored.Count());
  if (count > 0) addOffsets(mesh, a->verts, TableData(stored), count);
}

void ApplyFullAsymmetry(MNMesh& mesh, const Tab<Point3>& target, TriObject* result, INode* targetNode,
                        const AsymmetrySettings& settings, TimeValue t) {
  if (!settings.Active()) return;
  EvaluatedMesh asym(settings.node, t);
  const Mesh* a = asym.mesh();
  if (a == nullptr) return;
  const int count = smallest(a->numVerts, mesh.numv, target.Count());
  if (count <= 0) return;
  if (settings.type == kAsymmetryLocal) {
    addOffsets(mesh, a->verts, TableData(target), count);
    return;
  }

  std::vector<Point3> offsets(static_cast<size_t>(count));
  const Point3* reference = TableData(target);
  for (int i = 0; i < count; ++i) offsets[size_t(i)] = a->verts[i] - reference[i];
  EvaluatedMesh surface(targetNode, t);
  if (surface.mesh() != nullptr && result != nullptr) {
    SurfaceFrameOptions options;
    options.tangentIsV = settings.uvDominance != 0;
    options.orthonormal = settings.normXforms != 0;
    TransportOffsets(surfaceOf(*surface.mesh()), surfaceOf(result->GetMesh()), a->numVerts,
                     options, offsets.data(), count);
  }
  for (int i = 0; i < count; ++i) mesh.P(i) += offsets[size_t(i)];
}
