// Host objects from mesh files and back.
#include "host_mesh_builder.h"

#include "patch_builder.h"

#include "patchobj.h"
#include "polyobj.h"
#include "triobj.h"

bool ParseMeshKind(const std::string& text, MeshKind& r_kind) {
  if (text == "mesh") r_kind = MeshKind::Triangle;
  else if (text == "poly") r_kind = MeshKind::Polygon;
  else if (text == "patch") r_kind = MeshKind::Patch;
  else return false;
  return true;
}

namespace {

TriObject* buildTriObject(const ObjMesh& source) {
  TriObject* obj = CreateNewTriObject();
  Mesh& mesh = obj->GetMesh();
  mesh.setNumVerts(int(source.positions.size()));
  for (size_t i = 0; i < source.positions.size(); ++i) mesh.verts[i] = source.positions[i];
  mesh.setNumFaces(int(TriangleCount(source)));
  const bool textured = !source.texCoords.empty();
  if (textured) {
    mesh.setMapSupport(1, TRUE);
    mesh.setNumMapVerts(1, int(source.texCoords.size()));
    for (size_t k = 0; k < source.texCoords.size(); ++k) mesh.mapVerts(1)[k] = source.texCoords[k];
  }
  const int* vertex = source.cornerVertex.data();
  const bool mapped = !source.cornerTexCoord.empty();
  const int* texCoord = source.cornerTexCoord.data();
  int triangle = 0;
  ForEachTriangleInOrder(source, [&](int, int c0, int c1, int c2) {
    mesh.faces[triangle].setVerts(vertex[c0], vertex[c1], vertex[c2]);
    if (textured && mapped && texCoord[c0] >= 0) mesh.mapFaces(1)[triangle].setTVerts(texCoord[c0], texCoord[c1], texCoord[c2]);
    ++triangle;
  });
  return obj;
}

PolyObject* buildPolyObject(const ObjMesh& source) {
  auto* obj = new PolyObject();
  MNMesh& mm = obj->GetMesh();
  mm.setNumVerts(int(source.positions.size()));
  for (size_t i = 0; i < source.positions.size(); ++i) mm.P(int(i)) = source.positions[i];
  bool textured = !source.texCoords.empty();
  if (textured) {
    mm.SetMapNum(2);
    MNMap* map = mm.M(1);
    map->v = source.texCoords;
    map->numv = int(source.texCoords.size());
  }
  for (int f = 0; f < source.NumFaces(); ++f) {
    std::vector<int> corners(source.cornerVertex.begin() + source.faceStart[size_t(f)],
                             source.cornerVertex.begin() + source.faceStart[size_t(f) + 1]);
    mm.NewFace(corners);
    if (textured) {
      MNMapFace mf;
      mf.deg = int(corners.size());
      for (int c = source.faceStart[size_t(f)]; c < source.faceStart[size_t(f) + 1]; ++c) {
        int t = source.CornerTexCoord(size_t(c));
        mf.tv.push_back(t >= 0 ? t : 0);
      }
      mm.M(1)->f.push_back(mf);
      mm.M(1)->numf = int(mm.M(1)->f.size());
    }
  }
  return obj;
}

}  // namespace

Object* BuildHostObject(const ObjMesh& mesh, MeshKind kind, std::string& r_error) {
  switch (kind) {
    case MeshKind::Triangle:
      return buildTriObject(mesh);
    case MeshKind::Polygon:
      return buildPolyObject(mesh);
    case MeshKind::Patch: {
      std::vector<std::vector<int>> faces;
      for (int f = 0; f < mesh.NumFaces(); ++f) {
        faces.emplace_back(mesh.cornerVertex.begin() + mesh.faceStart[size_t(f)],
                           mesh.cornerVertex.begin() + mesh.faceStart[size_t(f) + 1]);
      }
      return BuildPatchObject(mesh.positions, faces, &r_error);
    }
  }
  return nullptr;
}

std::vector<Point3> ObjectPositions(Object* obj) {
  std::vector<Point3> out;
  if (auto* tri = dynamic_cast<TriObject*>(obj)) {
    out.assign(tri->mesh.verts, tri->mesh.verts + tri->mesh.numVerts);
  } else if (auto* poly = dynamic_cast<PolyObject*>(obj)) {
    for (int i = 0; i < poly->mm.numv; ++i) out.push_back(poly->mm.P(i));
  } else if (auto* patch = dynamic_cast<PatchObject*>(obj)) {
    for (int i = 0; i < patch->patch.numVerts; ++i) out.push_back(patch->patch.verts[i].p);
  }
  return out;
}

PositionsView ObjectPositionsView(Object* obj) {
  if (auto* tri = dynamic_cast<TriObject*>(obj)) {
    return PositionsView(tri->mesh.verts, size_t(tri->mesh.numVerts), sizeof(Point3));
  }
  if (auto* poly = dynamic_cast<PolyObject*>(obj); poly != nullptr && poly->mm.numv > 0) {
    return PositionsView(&poly->mm.P(0), size_t(poly->mm.numv), sizeof(MNVert));
  }
  if (auto* patch = dynamic_cast<PatchObject*>(obj); patch != nullptr && patch->patch.numVerts > 0) {
    return PositionsView(&patch->patch.verts[0].p, size_t(patch->patch.numVerts), sizeof(PatchVert));
  }
  return PositionsView();
}

bool MoveObjectVertices(Object* obj, const std::vector<Point3>& positions) {
  if (auto* tri = dynamic_cast<TriObject*>(obj); tri != nullptr && size_t(tri->mesh.numVerts) == positions.size()) {
    std::copy(positions.begin(), positions.end(), tri->mesh.verts);
    tri->mesh.InvalidateGeomCache();
  } else if (auto* poly = dynamic_cast<PolyObject*>(obj); poly != nullptr && size_t(poly->mm.numv) == positions.size()) {
    for (size_t i = 0; i < positions.size(); ++i) poly->mm.P(int(i)) = positions[i];
    poly->mm.InvalidateGeomCache();
  } else {
    return false;
  }
  obj->NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
  return true;
}

int ObjectVertexCount(Object* obj) {
  if (auto* tri = dynamic_cast<TriObject*>(obj)) return tri->mesh.numVerts;
  if (auto* poly = dynamic_cast<PolyObject*>(obj)) return poly->mm.numv;
  if (auto* patch = dynamic_cast<PatchObject*>(obj)) return patch->patch.numVerts;
  return 0;
}

void ApplyVertexSelection(Object* obj, const std::vector<float>& weights) {
  int n = int(weights.size());
  if (auto* tri = dynamic_cast<TriObject*>(obj)) {
    Mesh& mesh = tri->mesh;
    mesh.selLevel = MESH_VERTEX;
    mesh.vertSel.SetSize(mesh.numVerts);
    mesh.vertSel.ClearAll();
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
    float* w = mesh.vertexFloat(VDATA_SELECT);
    for (int i = 0; i < n && i < mesh.numVerts; ++i) {
      if (weights[size_t(i)] >= 1.0f) mesh.vertSel.Set(i);
      if (w) w[i] = weights[size_t(i)];
    }
  } else if (auto* poly = dynamic_cast<PolyObject*>(obj)) {
    MNMesh& mm = poly->mm;
    mm.selLevel = MNM_SL_VERTEX;
    mm.setVDataSupport(VDATA_SELECT, TRUE);
    float* w = mm.vertexFloat(VDATA_SELECT);
    for (int i = 0; i < n && i < mm.numv; ++i) {
      mm.V(i)->SetFlag(MN_SEL, weights[size_t(i)] >= 1.0f);
      if (w) w[i] = weights[size_t(i)];
    }
  } else if (auto* patch = dynamic_cast<PatchObject*>(obj)) {
    PatchMesh& pm = patch->patch;
    pm.selLevel = PATCH_VERTEX;
    pm.vertSel.SetSize(pm.numVerts);
    pm.vertSel.ClearAll();
    pm.SetSoftSelection(true);
    float* w = pm.GetVSelectionWeights();
    for (int i = 0; i < n && i < pm.numVerts; ++i) {
      if (weights[size_t(i)] >= 1.0f) pm.vertSel.Set(i);
      if (w) w[i] = weights[size_t(i)];
    }
  }
}

std::vector<float> ObjectSelectionWeights(Object* obj) {
  std::vector<float> out;
  if (auto* tri = dynamic_cast<TriObject*>(obj)) {
    Mesh& mesh = tri->mesh;
    const float* w = mesh.vDataSupport(VDATA_SELECT) ? mesh.vertexFloat(VDATA_SELECT) : nullptr;
    for (int i = 0; i < mesh.numVerts; ++i) out.push_back(w ? w[i] : (mesh.vertSel[i] ? 1.0f : 0.0f));
  } else if (auto* poly = dynamic_cast<PolyObject*>(obj)) {
    MNMesh& mm = poly->mm;
    const float* w = mm.vDataSupport(VDATA_SELECT) ? mm.vertexFloat(VDATA_SELECT) : nullptr;
    for (int i = 0; i < mm.numv; ++i) out.push_back(w ? w[i] : (mm.V(i)->GetFlag(MN_SEL) ? 1.0f : 0.0f));
  } else if (auto* patch = dynamic_cast<PatchObject*>(obj)) {
    PatchMesh& pm = patch->patch;
    const float* w = pm.GetVSelectionWeights();
    for (int i = 0; i < pm.numVerts; ++i) out.push_back(w ? w[i] : (pm.vertSel[i] ? 1.0f : 0.0f));
  }
  return out;
}
