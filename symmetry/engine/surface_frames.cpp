// Per-vertex frames from area-weighted normals and summed texture directions, and the carrying of
// offsets between the frames of two surfaces. Sums run over the triangles in index order, so the
// frames are reproducible bit for bit.
#include "symmetry/engine/surface_frames.h"

#include "symmetry/engine/degenerate_geometry.h"
#include "symmetry/engine/uv_directions.h"

void BuildVertexDirections(const SurfaceTriangles& mesh, int count, TextureDirections which,
                           VertexDirections& r_directions) {
  if (count < 0) count = 0;
  const bool wantU = which != TextureDirections::kV;
  const bool wantV = which != TextureDirections::kU;
  const Point3 zero(0.0f, 0.0f, 0.0f);
  r_directions.normals.assign(size_t(count), zero);
  r_directions.u.assign(wantU ? size_t(count) : 0, zero);
  r_directions.v.assign(wantV ? size_t(count) : 0, zero);
  Point3* normals = r_directions.normals.data();
  Point3* us = r_directions.u.data();
  Point3* vs = r_directions.v.data();

  const DWORD reach = DWORD(count < mesh.positionCount ? count : mesh.positionCount);
  const DWORD mapReach = DWORD(mesh.mapVertCount > 0 ? mesh.mapVertCount : 0);
  const bool mapped = mesh.HasMapping();
  for (int k = 0; k < mesh.faceCount; ++k) {
    const DWORD* v = mesh.faces[k].v;
    if (v[0] >= reach || v[1] >= reach || v[2] >= reach) continue;
    const Point3& p0 = mesh.positions[v[0]];
    const Point3& p1 = mesh.positions[v[1]];
    const Point3& p2 = mesh.positions[v[2]];
    // Unnormalised, so larger triangles weigh more.
    const Point3 n = (p1 - p0) ^ (p2 - p1);
    normals[v[0]] += n;
    normals[v[1]] += n;
    normals[v[2]] += n;
    if (!mapped) continue;
    const DWORD* t = mesh.mapFaces[k].t;
    if (t[0] >= mapReach || t[1] >= mapReach || t[2] >= mapReach) continue;
    const Point3& t0 = mesh.mapVerts[t[0]];
    const Point3& t1 = mesh.mapVerts[t[1]];
    const Point3& t2 = mesh.mapVerts[t[2]];
    if (wantU) {
      const Point3 d = TriangleUDirection(p0, p1, p2, t0, t1, t2);
      for (int j = 0; j < 3; ++j) us[v[j]] += d;
    }
    if (wantV) {
      const Point3 d = TriangleVDirection(p0, p1, p2, t0, t1, t2);
      for (int j = 0; j < 3; ++j) vs[v[j]] += d;
    }
  }
  for (int i = 0; i < count; ++i) normals[i] = UnitOrZero(normals[i]);
  for (int i = 0; wantU && i < count; ++i) us[i] = UnitOrZero(us[i]);
  for (int i = 0; wantV && i < count; ++i) vs[i] = UnitOrZero(vs[i]);
}

Matrix3 SurfaceFrame(const Point3& normal, const Point3& tangent, bool orthonormal) {
  const Point3 zero(0.0f, 0.0f, 0.0f);
  if (orthonormal) {
    const Point3 a = UnitOrZero(normal ^ tangent);
    const Point3 b = UnitOrZero(normal ^ a);
    const Point3 c = UnitOrZero(normal ^ b);
    return Matrix3(c, b, normal, zero);
  }
  return Matrix3(tangent, normal ^ tangent, normal, zero);
}

void TransportOffsets(const SurfaceTriangles& from, const SurfaceTriangles& to, int tableCount,
                      const SurfaceFrameOptions& options, Point3* offsets, int count) {
  if (count > tableCount) count = tableCount;
  if (count <= 0 || !from.HasMapping() || !to.HasMapping()) return;
  const TextureDirections tangent = options.tangentIsV ? TextureDirections::kV : TextureDirections::kU;
  VertexDirections f, t;
  BuildVertexDirections(from, tableCount, tangent, f);
  BuildVertexDirections(to, tableCount, tangent, t);
  const std::vector<Point3>& fromTangents = options.tangentIsV ? f.v : f.u;
  const std::vector<Point3>& toTangents = options.tangentIsV ? t.v : t.u;
  for (int i = 0; i < count; ++i) {
    const Matrix3 source = SurfaceFrame(f.normals[size_t(i)], fromTangents[size_t(i)], options.orthonormal);
    // A singular frame (a vertex without faces or texture directions) has no inverse: the plain
    // offset is the sound answer there.
    if (!Invertible(source)) continue;
    const Matrix3 destination = SurfaceFrame(t.normals[size_t(i)], toTangents[size_t(i)], options.orthonormal);
    Point3 o = offsets[i] * Inverse(source);
    offsets[i] = o * destination;
  }
}
