// The polygon-mesh path: the triangle path's flow on an editable polygon mesh. It differs where
// polygon meshes differ (vertex flags with dead vertices, soft selection in vertex-data channel 0,
// the polygon selection write-back, a geometry cache to invalidate), announces each replay in the
// script listener, keeps the dispatch's triangle-mesh copy in step with the result, and alone adds
// the asymmetry back on top of the symmetric result.
#include <vector>

#include "maxscript/maxscript.h"
#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "symmetry/apply_operation.h"
#include "symmetry/asymmetry.h"
#include "symmetry/base_selection.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/local_mesh_data.h"
#include "symmetry/mesh_paths.h"
#include "symmetry/target_capture.h"

namespace {

std::vector<Point3> positionsOf(MNMesh& mm) {
  std::vector<Point3> positions(static_cast<size_t>(mm.numv));
  for (int i = 0; i < mm.numv; ++i) positions[size_t(i)] = mm.P(i);
  return positions;
}

// Replaces the polygon mesh's vertex selection by the carried selection record.
void writeSelectionBack(MNMesh& mm, const std::vector<float>& record) {
  mm.selLevel = MNM_SL_VERTEX;
  mm.ClearDispFlag(MNDISP_SELFACES | MNDISP_SELEDGES);
  mm.SetDispFlag(MNDISP_VERTTICKS | MNDISP_SELVERTS);
  if (int(record.size()) != mm.numv) return;
  for (int k = 0; k < mm.numv; ++k) mm.V(k)->ClearFlag(MN_SEL);
  mm.freeVData(VDATA_SELECT);
  mm.setVDataSupport(VDATA_SELECT, TRUE);
  for (int k = 0; k < mm.numv; ++k) mm.V(k)->ClearFlag(MN_SEL);
  for (int k = 0; k < mm.numv; ++k) {
    if (record[size_t(k)] > kSelectedWeight) mm.V(k)->SetFlag(MN_SEL);
  }
  mm.setVDataSupport(VDATA_SELECT, TRUE);
  if (mm.vDataSupport(VDATA_SELECT)) {
    float* weights = mm.vertexFloat(VDATA_SELECT);
    for (int k = 0; k < mm.numv && weights != nullptr; ++k) weights[k] = record[size_t(k)];
  }
}

// Runs the chosen operation over the polygon mesh's positions (dead vertices included), which the
// engine sees as one flat array. Flip and Reset judge the base mask by the target's bits alone.
void applyOperation(int op, MNMesh& mm, vLocalMeshData* cache, const MirrorMatrices& matrices,
                    const OperationOptions& options, const BaseSelection* base, bool invertBase,
                    std::vector<float>& record) {
  const int n = mm.numv;
  BaseSelectionGate gate;
  if (base != nullptr) gate = base->Gate(invertBase, op != kOperationMirror);

  // Dead vertices never count as selected, whatever their flags say.
  BitArray hardSelection = mm.VertexTempSel(MN_SEL | MN_DEAD, MN_SEL);
  VertexSelection selection;
  selection.bits = &hardSelection;
  if (mm.vDataSupport(VDATA_SELECT)) {
    selection.weights = mm.vertexFloat(VDATA_SELECT);
    selection.weightCount = selection.weights ? n : 0;
  }

  std::vector<Point3> positions = positionsOf(mm);
  Point3* p = n > 0 ? positions.data() : nullptr;
  ApplyVertexOperation(op, p, n, *cache, matrices, options, selection, gate, record.data());
  for (int i = 0; i < n; ++i) mm.P(i) = positions[size_t(i)];
}

}  // namespace

void ModifyPolyObject(ambiflex* mod, PolyObject* obj, TimeValue t, ModContext& mc, TriObject* tri) {
  vLocalMeshData* cache = vLocalMeshData::FetchOrCreate(mc);
  IParamBlock2* pb = mod->pblock;
  Interval valid = FOREVER;

  TargetCaptureSettings capture;
  pb->GetValue(updateResult, t, capture.keepTarget, valid);
  INode* target = nullptr;
  pb->GetValue(UndefObject, t, target, valid);
  AsymmetrySettings asymmetry;
  pb->GetValue(asymNode, t, asymmetry.node, valid);
  if (target == nullptr) return;

  int constant = 1, ignoreSelection = 1;
  pb->GetValue(constantUpdate, t, constant, valid);
  pb->GetValue(ignoreSO, t, ignoreSelection, valid);
  pb->GetValue(axisOffset, t, capture.offset, valid);
  pb->GetValue(enableAsymmetry, t, asymmetry.enabled, valid);
  pb->GetValue(asynType, t, asymmetry.type, valid);
  pb->GetValue(UVDominance, t, asymmetry.uvDominance, valid);
  pb->GetValue(NormXforms, t, asymmetry.normXforms, valid);
  pb->GetValue(mirrorAxis, t, capture.axis, valid);
  cache->noteAxis(capture.axis);

  MNMesh& mm = obj->GetMesh();
  const int n = mm.numv;
  if (cache->replaysResult(constant)) {
    the_listener->edit_stream->puts(L"Deformed from Cache\n");
    if (n == cache->resultVerts.Count() && n == cache->targetVerts.Count()) {
      const Point3* stored = cache->resultVerts.Addr(0);
      for (int i = 0; i < n; ++i) mm.P(i) = stored[i];
    } else {
      SetResultValid(mod, cache, 0);
    }
    ApplyReplayAsymmetry(mm, cache->resultVerts, asymmetry, t);
    mm.InvalidateGeomCache();
    return;
  }

  MirrorMatrices matrices;
  if (!PrepareTargetAndPartners(cache, target, t, capture, matrices)) {
    SetResultValid(mod, cache, 0);
    return;
  }

  int masks = 0, invert = 0;
  pb->GetValue(baseSelectionMasks, t, masks, valid);
  pb->GetValue(invertBaseSelection, t, invert, valid);
  BaseSelection base;
  if (masks == 1 && !ReadBaseSelection(target, t, base)) {
    SetResultValid(mod, cache, 0);
    return;
  }

  int op = kOperationMirror, side = kDirectionNegative, alignCentre = 1;
  pb->GetValue(operation, t, op, valid);
  pb->GetValue(direction, t, side, valid);
  pb->GetValue(resetCentreVerts, t, alignCentre, valid);
  int carrySelection = pb->GetInt(OperateOnSelection, t);
  int selectionOnly = pb->GetInt(OperateOnlyOnSelection, t);
  std::vector<float> record(size_t(n), 0.0f);

  if (op == kOperationMirror || op == kOperationFlip || op == kOperationReset) {
    if (n == cache->targetVerts.Count()) {
      SetResultValid(mod, cache, 1);
      const OperationOptions options =
          MakeOperationOptions(capture.axis, capture.offset, side, alignCentre, ignoreSelection, selectionOnly);
      applyOperation(op, mm, cache, matrices, options, masks == 1 ? &base : nullptr, invert != 0, record);
    } else {
      SetResultValid(mod, cache, 0);
    }
  }

  if ((op == kOperationMirror || op == kOperationFlip) && carrySelection != 0) writeSelectionBack(mm, record);

  // The stored result and the triangle copy are the symmetric result, without the asymmetry.
  Tab<Point3> result;
  result.SetCount(n);
  Point3* stored = result.Addr(0);
  for (int i = 0; i < n; ++i) stored[i] = mm.P(i);
  if (tri != nullptr) {
    Mesh& copy = tri->GetMesh();
    const int shared = n < copy.numVerts ? n : copy.numVerts;
    for (int i = 0; i < shared; ++i) copy.verts[i] = mm.P(i);
  }
  cache->setResultVerts(std::move(result));
  cache->needsUpdate = 0;

  ApplyFullAsymmetry(mm, cache->targetVerts, tri, target, asymmetry, t);
  mm.InvalidateGeomCache();
}
