// The triangle-mesh path, the reference evaluation flow: replay the stored result while it may be
// replayed; otherwise make sure the target and partners are held, apply the operation vertex by
// vertex, optionally carry the selection across the plane, and store the result for the next
// replay.
#include <vector>

#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "symmetry/apply_operation.h"
#include "symmetry/base_selection.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/local_mesh_data.h"
#include "symmetry/mesh_paths.h"
#include "symmetry/target_capture.h"

namespace {

// Replaces the mesh's vertex selection by the carried selection record.
void writeSelectionBack(Mesh& mesh, const std::vector<float>& record) {
  mesh.selLevel = MESH_VERTEX;
  mesh.dispFlags |= DISP_VERTTICKS | DISP_SELVERTS;
  if (int(record.size()) != mesh.numVerts) return;
  mesh.vertSel.SetSize(mesh.numVerts);
  mesh.vertSel.ClearAll();
  mesh.setVDataSupport(VDATA_SELECT, FALSE);
  mesh.setVDataSupport(VDATA_SELECT, TRUE);
  for (int k = 0; k < mesh.numVerts; ++k) {
    if (record[size_t(k)] > kSelectedWeight) mesh.vertSel.Set(k);
  }
  mesh.setVDataSupport(VDATA_SELECT, TRUE);
  if (mesh.vDataSupport(VDATA_SELECT)) {
    float* weights = mesh.vertexFloat(VDATA_SELECT);
    for (int k = 0; k < mesh.numVerts && weights != nullptr; ++k) weights[k] = record[size_t(k)];
  }
}

}  // namespace

void ModifyTriObject(ambiflex* mod, TriObject* obj, TimeValue t, ModContext& mc) {
  vLocalMeshData* cache = vLocalMeshData::FetchOrCreate(mc);
  IParamBlock2* pb = mod->pblock;
  Interval valid = FOREVER;

  TargetCaptureSettings capture;
  pb->GetValue(updateResult, t, capture.keepTarget, valid);
  INode* target = nullptr;
  pb->GetValue(UndefObject, t, target, valid);
  if (target == nullptr) return;

  int constant = 1, ignoreSelection = 1;
  pb->GetValue(constantUpdate, t, constant, valid);
  pb->GetValue(ignoreSO, t, ignoreSelection, valid);
  pb->GetValue(axisOffset, t, capture.offset, valid);
  pb->GetValue(mirrorAxis, t, capture.axis, valid);
  cache->noteAxis(capture.axis);

  Mesh& mesh = obj->GetMesh();
  const int n = mesh.numVerts;
  if (cache->replaysResult(constant)) {
    if (n == cache->resultVerts.Count() && n == cache->targetVerts.Count()) {
      if (n > 0) std::memcpy(mesh.verts, cache->resultVerts.Addr(0), sizeof(Point3) * size_t(n));
    } else {
      SetResultValid(mod, cache, 0);
    }
    return;
  }

  MirrorMatrices matrices;
  if (!PrepareTargetAndPartners(cache, target, t, capture, matrices)) {
    SetResultValid(mod, cache, 0);
    return;
  }

  int op = kOperationMirror, side = kDirectionNegative, alignCentre = 1, masks = 0, invert = 0;
  pb->GetValue(operation, t, op, valid);
  pb->GetValue(direction, t, side, valid);
  pb->GetValue(resetCentreVerts, t, alignCentre, valid);
  pb->GetValue(baseSelectionMasks, t, masks, valid);
  pb->GetValue(invertBaseSelection, t, invert, valid);

  BaseSelection base;
  BaseSelectionGate gate;
  if (masks == 1) {
    if (!ReadBaseSelection(target, t, base)) {
      SetResultValid(mod, cache, 0);
      return;
    }
    gate = base.Gate(invert != 0, false);
  }

  int carrySelection = pb->GetInt(OperateOnSelection, t);
  int selectionOnly = pb->GetInt(OperateOnlyOnSelection, t);
  std::vector<float> record(size_t(n), 0.0f);

  if (op == kOperationMirror || op == kOperationFlip || op == kOperationReset) {
    if (n == cache->targetVerts.Count()) {
      SetResultValid(mod, cache, 1);
      BitArray hardSelection = mesh.VertexTempSel();
      VertexSelection selection;
      selection.bits = &hardSelection;
      if (mesh.vDataSupport(VDATA_SELECT)) {
        selection.weights = mesh.vertexFloat(VDATA_SELECT);
        selection.weightCount = selection.weights ? n : 0;
      }
      const OperationOptions options =
          MakeOperationOptions(capture.axis, capture.offset, side, alignCentre, ignoreSelection, selectionOnly);
      ApplyVertexOperation(op, n > 0 ? mesh.verts : nullptr, n, *cache, matrices, options, selection, gate,
                           record.data());
    } else {
      SetResultValid(mod, cache, 0);
    }
  }

  if ((op == kOperationMirror || op == kOperationFlip) && carrySelection != 0) writeSelectionBack(mesh, record);

  Tab<Point3> result;
  result.SetCount(n);
  if (n > 0) std::memcpy(result.Addr(0), mesh.verts, sizeof(Point3) * size_t(n));
  cache->setResultVerts(std::move(result));
  cache->needsUpdate = 0;
}
