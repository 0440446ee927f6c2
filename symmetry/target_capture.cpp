// Capture and pairing.
#include "symmetry/target_capture.h"

#include <cstring>

#include "symmetry/engine/patch_operations.h"
#include "symmetry/engine/vertex_pairing.h"
#include "symmetry/table_data.h"

TriObject* EvalTargetAsTriMesh(INode* target, TimeValue t, bool& temporary) {
  temporary = false;
  ObjectState os = target->EvalWorldState(t, TRUE);
  if (os.obj == nullptr) return nullptr;
  Object* converted = os.obj->ConvertToType(t, triObjectClassID);
  if (converted == nullptr) return nullptr;
  temporary = converted != os.obj;
  return static_cast<TriObject*>(converted);
}

bool CaptureTriMeshTarget(vLocalMeshData& cache, INode* target, TimeValue t) {
  bool temporary = false;
  TriObject* tri = EvalTargetAsTriMesh(target, t, temporary);
  if (tri == nullptr) return false;
  const Mesh& mesh = tri->GetMesh();
  Point3* captured = vLocalMeshData::Refill(cache.targetVerts, mesh.numVerts);
  if (mesh.numVerts > 0) std::memcpy(captured, mesh.verts, sizeof(Point3) * size_t(mesh.numVerts));
  if (temporary) tri->DeleteThis();
  cache.targetDirty = 0;
  return true;
}

void PairVertices(vLocalMeshData& cache, const MirrorMatrices& matrices) {
  const int count = cache.targetVerts.Count();
  BuildPartnerTable(TableData(cache.targetVerts), count, matrices, vLocalMeshData::Refill(cache.vertMatch, count));
  cache.matchDirty = 0;
}

void PairVectors(vLocalMeshData& cache, const MirrorMatrices& matrices) {
  const int nv = cache.targetVecs.Count();
  const Point3* vecs = TableData(cache.targetVecs);
  Tab<int> vecMatch, vecOwner;
  vecMatch.SetCount(nv);
  vecOwner.SetCount(nv);
  BuildPartnerTable(vecs, nv, matrices, TableData(vecMatch));
  FindOwnerVertices(vecs, nv, TableData(cache.targetVerts), cache.targetVerts.Count(), TableData(vecOwner));
  cache.setVecMatch(std::move(vecMatch));
  cache.setVecOwner(std::move(vecOwner));
}
