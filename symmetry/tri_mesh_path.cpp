// The triangle-mesh adapter: the evaluation flow on a TriObject's mesh, whose vertex array the
// vertex rules change in place.
#include <cstring>

#include "modifier/ambiflex.h"
#include "symmetry/apply_vertex_operation.h"
#include "symmetry/evaluation_flow.h"
#include "symmetry/mesh_paths.h"
#include "symmetry/selection_write_back.h"
#include "symmetry/table_data.h"

namespace {

class TriMeshAdapter : public MeshAdapter {
 public:
  explicit TriMeshAdapter(Mesh& mesh) : MeshAdapter(kTriangleKind), mesh_(mesh) {}

  int vertexCount() const override { return mesh_.numVerts; }

  void replay(const vLocalMeshData& cache, bool fits, const EvaluationParameters&, TimeValue) override {
    if (fits) copyPositions(mesh_.verts, TableData(cache.resultVerts));
  }

  void apply(int operation, const vLocalMeshData& cache, const MirrorMatrices& matrices,
             const OperationOptions& options, const BaseSelectionGate& gate, float* record) override {
    BitArray hardSelection = mesh_.VertexTempSel();
    VertexSelection selection;
    selection.bits = &hardSelection;
    if (mesh_.vDataSupport(VDATA_SELECT)) selection.setWeights(mesh_.vertexFloat(VDATA_SELECT), vertexCount());
    ApplyVertexOperation(operation, vertexCount() > 0 ? mesh_.verts : nullptr, vertexCount(), cache, matrices, options,
                         selection, gate, record);
  }

  void writeSelectionBack(const std::vector<float>& record) override { WriteSelectionBack(mesh_, record); }

  void store(vLocalMeshData& cache) override {
    copyPositions(vLocalMeshData::Refill(cache.resultVerts, vertexCount()), mesh_.verts);
  }

 private:
  void copyPositions(Point3* to, const Point3* from) const {
    if (vertexCount() > 0) std::memcpy(to, from, sizeof(Point3) * size_t(vertexCount()));
  }

  Mesh& mesh_;
};

}  // namespace

void ModifyTriObject(ambiflex* mod, TriObject* obj, TimeValue t, ModContext& mc) {
  TriMeshAdapter mesh(obj->GetMesh());
  EvaluateSymmetry(mod, mc, t, mesh);
}
