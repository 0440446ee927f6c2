// The polygon-mesh adapter: the evaluation flow on an editable polygon mesh. Its vertices carry flags
// (dead vertices never count as selected), its soft selection is vertex-data channel 0, and its
// geometry cache is invalidated after every replay and evaluation. It keeps the dispatch's
// triangle-mesh copy in step with the symmetric result, announces each replay in the script
// listener, and alone adds the asymmetry back on top of the symmetric result.
#include "maxscript/util/listener.h"
#include "modifier/ambiflex.h"
#include "symmetry/apply_vertex_operation.h"
#include "symmetry/evaluation_flow.h"
#include "symmetry/mesh_paths.h"
#include "symmetry/selection_write_back.h"
#include "symmetry/table_data.h"

namespace {

class PolyMeshAdapter : public MeshAdapter {
 public:
  PolyMeshAdapter(MNMesh& mm, TriObject* triangleCopy) : MeshAdapter(kPolygonKind), mm_(mm), copy_(triangleCopy) {}

  int vertexCount() const override { return mm_.numv; }

  void replay(const vLocalMeshData& cache, bool fits, const EvaluationParameters& p, TimeValue t) override {
    the_listener->edit_stream->puts(L"Deformed from Cache\n");
    if (fits) setPositions(TableData(cache.resultVerts));
    ApplyReplayAsymmetry(mm_, cache.resultVerts, p.asymmetry, t);
    mm_.InvalidateGeomCache();
  }

  // The engine sees the positions (dead vertices included) as one flat array.
  void apply(int operation, const vLocalMeshData& cache, const MirrorMatrices& matrices,
             const OperationOptions& options, const BaseSelectionGate& gate, float* record) override {
    BitArray hardSelection = mm_.VertexTempSel(MN_SEL | MN_DEAD, MN_SEL);
    VertexSelection selection;
    selection.bits = &hardSelection;
    if (mm_.vDataSupport(VDATA_SELECT)) selection.setWeights(mm_.vertexFloat(VDATA_SELECT), vertexCount());
    std::vector<Point3> positions = this->positions();
    ApplyVertexOperation(operation, positions.empty() ? nullptr : positions.data(), vertexCount(), cache, matrices,
                         options, selection, gate, record);
    setPositions(positions.data());
  }

  void writeSelectionBack(const std::vector<float>& record) override { WriteSelectionBack(mm_, record); }

  // The stored result and the triangle copy are the symmetric result, without the asymmetry.
  void store(vLocalMeshData& cache) override {
    if (copy_ != nullptr) {
      Mesh& copy = copy_->GetMesh();
      for (int i = 0; i < vertexCount() && i < copy.numVerts; ++i) copy.verts[i] = mm_.P(i);
    }
    Point3* stored = vLocalMeshData::Refill(cache.resultVerts, vertexCount());
    for (int i = 0; i < vertexCount(); ++i) stored[i] = mm_.P(i);
  }

  void finish(const vLocalMeshData& cache, const EvaluationParameters& p, TimeValue t) override {
    ApplyFullAsymmetry(mm_, cache.targetVerts, copy_, p.target, p.asymmetry, t);
    mm_.InvalidateGeomCache();
  }

 private:
  std::vector<Point3> positions() const {
    std::vector<Point3> r(static_cast<size_t>(vertexCount()));
    for (int i = 0; i < vertexCount(); ++i) r[size_t(i)] = mm_.P(i);
    return r;
  }
  void setPositions(const Point3* from) {
    for (int i = 0; i < vertexCount(); ++i) mm_.P(i) = from[i];
  }

  MNMesh& mm_;
  TriObject* copy_;
};

}  // namespace

void ModifyPolyObject(ambiflex* mod, PolyObject* obj, TimeValue t, ModContext& mc, TriObject* tri) {
  PolyMeshAdapter mesh(obj->GetMesh(), tri);
  EvaluateSymmetry(mod, mc, t, mesh);
}
