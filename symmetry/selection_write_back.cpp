// One write-back for both mesh types, each adapted by a few calls.
#include "symmetry/selection_write_back.h"

#include "symmetry/engine/vertex_operations.h"

namespace {

template <class Selection>
void writeBack(Selection mesh, const std::vector<float>& record) {
  mesh.showVertexLevel();
  if (int(record.size()) != mesh.count()) return;
  mesh.clearSelection();
  mesh.discardWeights();
  for (int k = 0; k < mesh.count(); ++k) {
    if (record[size_t(k)] > kSelectedWeight) mesh.select(k);
  }
  if (float* weights = mesh.enabledWeights()) {
    for (int k = 0; k < mesh.count(); ++k) weights[k] = record[size_t(k)];
  }
}

struct TriSelection {
  explicit TriSelection(Mesh& m) : mesh(m) {}
  Mesh& mesh;
  int count() const { return mesh.numVerts; }
  void showVertexLevel() {
    mesh.selLevel = MESH_VERTEX;
    mesh.dispFlags |= DISP_VERTTICKS | DISP_SELVERTS;
  }
  void clearSelection() {
    mesh.vertSel.SetSize(mesh.numVerts);
    mesh.vertSel.ClearAll();
  }
  void discardWeights() {
    mesh.setVDataSupport(VDATA_SELECT, FALSE);
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
  }
  void select(int k) { mesh.vertSel.Set(k); }
  float* enabledWeights() {
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
    return mesh.vDataSupport(VDATA_SELECT) ? mesh.vertexFloat(VDATA_SELECT) : nullptr;
  }
};

struct PolySelection {
  explicit PolySelection(MNMesh& m) : mesh(m) {}
  MNMesh& mesh;
  int count() const { return mesh.numv; }
  void showVertexLevel() {
    mesh.selLevel = MNM_SL_VERTEX;
    mesh.ClearDispFlag(MNDISP_SELFACES | MNDISP_SELEDGES);
    mesh.SetDispFlag(MNDISP_VERTTICKS | MNDISP_SELVERTS);
  }
  void clearSelection() {
    for (int k = 0; k < mesh.numv; ++k) mesh.V(k)->ClearFlag(MN_SEL);
  }
  void discardWeights() {
    mesh.freeVData(VDATA_SELECT);
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
  }
  void select(int k) { mesh.V(k)->SetFlag(MN_SEL); }
  float* enabledWeights() {
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
    return mesh.vDataSupport(VDATA_SELECT) ? mesh.vertexFloat(VDATA_SELECT) : nullptr;
  }
};

}  // namespace

void WriteSelectionBack(Mesh& mesh, const std::vector<float>& record) { writeBack(TriSelection(mesh), record); }

void WriteSelectionBack(MNMesh& mesh, const std::vector<float>& record) { writeBack(PolySelection(mesh), record); }
