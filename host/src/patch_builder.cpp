// Patch objects from polygon meshes: one patch per face, shared edge handles, automatic interiors.
#include "patch_builder.h"

#include <cstdint>
#include <unordered_map>
#include <utility>

namespace {

bool refuse(std::string* r_error, size_t face, const std::string& why) {
  if (r_error != nullptr) *r_error = "face " + std::to_string(face + 1) + " " + why;
  return false;
}

bool validFaces(int vertexCount, const std::vector<std::vector<int>>& faces, std::string* r_error) {
  for (size_t f = 0; f < faces.size(); ++f) {
    const std::vector<int>& face = faces[f];
    if (face.size() < 3 || face.size() > 4) {
      return refuse(r_error, f, "has " + std::to_string(face.size()) + " corners; a patch has 3 or 4");
    }
    for (size_t k = 0; k < face.size(); ++k) {
      if (face[k] < 0 || face[k] >= vertexCount) {
        return refuse(r_error, f, "names vertex " + std::to_string(face[k]) + ", but the mesh has " +
                                      std::to_string(vertexCount));
      }
      for (size_t j = 0; j < k; ++j) {
        if (face[j] == face[k]) return refuse(r_error, f, "names vertex " + std::to_string(face[k]) + " twice");
      }
    }
  }
  return true;
}

std::uint64_t edgeKey(int a, int b) {
  if (a > b) std::swap(a, b);
  return (std::uint64_t(std::uint32_t(a)) << 32) | std::uint32_t(b);
}

struct EdgeHandles {
  int first;  // the handle at `from`; first + 1 is the handle at the other end
  int from;
};

}  // namespace

PatchObject* BuildPatchObject(const std::vector<Point3>& vertices, const std::vector<std::vector<int>>& faces,
                              std::string* r_error) {
  const int n = int(vertices.size());
  if (!validFaces(n, faces, r_error)) return nullptr;

  auto* obj = new PatchObject();
  PatchMesh& mesh = obj->patch;
  mesh.setNumVerts(n);
  for (int i = 0; i < n; ++i) mesh.verts[i].p = vertices[size_t(i)];

  // Handles first, in order of first appearance, then one interior per patch corner.
  std::unordered_map<std::uint64_t, EdgeHandles> edges;
  edges.reserve(faces.size() * 2 + 4);
  std::vector<PatchVec> vecs;
  mesh.setNumPatches(int(faces.size()));
  for (size_t f = 0; f < faces.size(); ++f) {
    const std::vector<int>& face = faces[f];
    const int corners = int(face.size());
    Patch& patch = mesh.patches[f];
    patch.type = corners == 3 ? PATCH_TRI : PATCH_QUAD;
    for (int k = 0; k < corners; ++k) {
      const int a = face[size_t(k)];
      const int b = face[size_t((k + 1) % corners)];
      patch.v[k] = a;
      auto found = edges.find(edgeKey(a, b));
      if (found == edges.end()) {
        const Point3& pa = vertices[size_t(a)];
        const Point3& pb = vertices[size_t(b)];
        PatchVec atA, atB;
        // a + (b - a) / 3 keeps mirror-image edges mirror images, bit for bit.
        atA.p = pa + (pb - pa) / 3.0f;
        atA.vert = a;
        atB.p = pb + (pa - pb) / 3.0f;
        atB.vert = b;
        found = edges.emplace(edgeKey(a, b), EdgeHandles{int(vecs.size()), a}).first;
        vecs.push_back(atA);
        vecs.push_back(atB);
      }
      const EdgeHandles& handles = found->second;
      patch.vec[2 * k] = handles.from == a ? handles.first : handles.first + 1;
      patch.vec[2 * k + 1] = handles.from == a ? handles.first + 1 : handles.first;
    }
  }
  for (size_t f = 0; f < faces.size(); ++f) {
    Patch& patch = mesh.patches[f];
    for (int k = 0; k < int(faces[f].size()); ++k) {
      patch.interior[k] = int(vecs.size());
      vecs.emplace_back();
    }
  }

  mesh.setNumVecs(int(vecs.size()));
  for (size_t k = 0; k < vecs.size(); ++k) mesh.vecs[k] = vecs[k];
  mesh.computeInteriors();
  return obj;
}
