// OBJ text through the command line's reader. Whatever the bytes, the reader either refuses them
// with a message or hands back a mesh whose every index lies inside it; a mesh it accepted is
// written back with moved positions and must read back as exactly those positions and the same
// faces, since the writer edits the accepted text in place. An accepted mesh is also paired by
// topology (quads read back from its triangles included): refused with a message, or every partner
// a vertex of the mesh that names its vertex back, and exactly the unpaired ones listed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "obj_mesh_file.h"
#include "toolkit/mesh_topology_pairing.h"

namespace {

void checkIndices(const ObjMesh& mesh, std::string_view text) {
  FUZZ_CHECK(mesh.source == text, "the mesh keeps the text it was read from");
  FUZZ_CHECK(!mesh.positions.empty(), "a file without vertices is refused");
  FUZZ_CHECK(mesh.coordStart.size() == mesh.positions.size(), "one coordinate start per position");
  for (uint32_t start : mesh.coordStart) FUZZ_CHECK(start < mesh.source.size(), "a coordinate inside the text");
  FUZZ_CHECK(!mesh.faceStart.empty() && mesh.faceStart.front() == 0, "faceStart starts at 0");
  FUZZ_CHECK(size_t(mesh.faceStart.back()) == mesh.cornerVertex.size(), "faceStart ends at the corner count");
  FUZZ_CHECK(mesh.cornerTexCoord.empty() || mesh.cornerTexCoord.size() == mesh.cornerVertex.size(),
             "one texture index per corner, or none while no face has any");
  size_t triangles = 0;
  for (int f = 0; f < mesh.NumFaces(); ++f) {
    FUZZ_CHECK(mesh.FaceDegree(f) >= 3, "every face has three corners or more");
    triangles += size_t(mesh.FaceDegree(f) - 2);
    const bool mapped = mesh.FaceHasTexCoords(f);
    for (int c = mesh.faceStart[f]; c < mesh.faceStart[f + 1]; ++c) {
      int v = mesh.cornerVertex[size_t(c)], t = mesh.CornerTexCoord(size_t(c));
      FUZZ_CHECK(v >= 0 && size_t(v) < mesh.positions.size(), "a corner names a vertex of the mesh");
      FUZZ_CHECK(mapped ? t >= 0 && size_t(t) < mesh.texCoords.size() : t == -1,
                 "a face's texture indices are all valid or all -1");
    }
  }
  size_t visited = 0;
  ForEachTriangleInOrder(mesh, [&](int face, int c0, int c1, int c2) {
    ++visited;
    FUZZ_CHECK(c0 < c1 && c1 < c2 && c2 < mesh.faceStart[size_t(face) + 1], "a triangle's corners lie in its face");
  });
  FUZZ_CHECK(visited == triangles && TriangleCount(mesh) == triangles, "n - 2 triangles per face of n corners");
}

bool allFinite(const std::vector<Point3>& points) {
  for (const Point3& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  }
  return true;
}

void checkRewrite(const ObjMesh& mesh) {
  std::vector<Point3> moved = mesh.positions;
  for (size_t i = 0; i < moved.size(); i += 1 + i % 2) moved[i] = moved[i] * 0.5f + Point3(float(i % 7), -0.25f, 1e-3f);
  std::string text, error;
  bool written = FormatObjWithPositions(mesh, moved, text, error);
  FUZZ_CHECK(written == allFinite(moved), "finite positions are written, others refused");
  if (!written) {
    FUZZ_CHECK(!error.empty(), "a refused write says why");
    return;
  }
  // The same rewrite with the source handed over in pieces of 1 to 13 bytes.
  std::string pieced;
  const bool rewritten = RewriteObjInPieces(
      mesh, mesh.positions, moved,
      [&](const std::function<bool(std::string_view)>& take) {
        for (size_t at = 0, step = 1; at < mesh.source.size(); at += step, step = step % 13 + 1) {
          if (!take(std::string_view(mesh.source).substr(at, step))) return false;
        }
        return true;
      },
      [&](std::string_view piece) {
        pieced.append(piece);
        return true;
      });
  FUZZ_CHECK(rewritten && pieced == text, "a source read in pieces is rewritten as a whole one");
  ObjReadResult again = ParseObjText(text, "rewritten.obj");
  FUZZ_CHECK(again.ok, "a rewritten file reads back");
  FUZZ_CHECK(again.mesh.positions.size() == moved.size(), "the rewrite keeps the vertex count");
  for (size_t i = 0; i < moved.size(); ++i) {
    const Point3& a = again.mesh.positions[i];
    FUZZ_CHECK(a.x == moved[i].x && a.y == moved[i].y && a.z == moved[i].z, "positions read back exactly");
  }
  FUZZ_CHECK(again.mesh.faceStart == mesh.faceStart && again.mesh.cornerVertex == mesh.cornerVertex &&
                 again.mesh.cornerTexCoord == mesh.cornerTexCoord,
             "the rewrite keeps the faces");
}

void checkTopologyPairing(const ObjMesh& mesh) {
  const int n = int(mesh.positions.size());
  if (mesh.NumFaces() == 0) return;
  const TopologyPairing r = PairMeshByTopology(mesh.faceStart.data(), mesh.cornerVertex.data(), mesh.NumFaces(), n,
                                               mesh.positions.data(), TopologyPairingOptions());
  if (!r.error.empty()) return;
  FUZZ_CHECK(r.partners.size() == size_t(n), "a partner entry per vertex");
  std::vector<int> unpaired;
  for (int v = 0; v < n; ++v) {
    const int w = r.partners[size_t(v)];
    FUZZ_CHECK(w >= -1 && w < n, "a partner is a vertex of the mesh, or none");
    if (w < 0) unpaired.push_back(v);
    else FUZZ_CHECK(r.partners[size_t(w)] == v, "a partner names its vertex back");
  }
  FUZZ_CHECK(unpaired == r.unsettled, "the unpaired vertices are listed, in order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ObjReadResult read = ParseObjText(text, "fuzz.obj");
  if (!read.ok) {
    FUZZ_CHECK(!read.error.empty(), "a refused file says why");
    return 0;
  }
  checkIndices(read.mesh, text);
  checkRewrite(read.mesh);
  checkTopologyPairing(read.mesh);
  return 0;
}
