// A new glTF 2.0 file holding one mesh with morph targets: for the demo's character file, and for
// tests and benchmarks that need files of a known shape.
//
// The file has one scene, one node instancing the mesh (with a weight per target) and one buffer:
// the .glb's binary chunk, or a .bin file the .gltf names. Every array is tightly packed floats or
// 32-bit indices; POSITION accessors carry min and max as the format requires.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GltfTargetDescription {
  std::vector<float> positions;  // displacements, 3 a vertex
  std::vector<float> normals;    // displacements, 3 a vertex, or empty for none
  bool sparse = false;           // stored as a sparse accessor of the vertices that move
};

struct GltfPrimitiveDescription {
  std::vector<float> positions;      // 3 a vertex
  std::vector<float> normals;        // 3 a vertex, or empty
  std::vector<uint32_t> triangles;   // 3 a triangle
  std::vector<GltfTargetDescription> targets;
};

struct GltfMeshDescription {
  std::string name;
  std::vector<std::string> targetNames;  // one a target, or empty for no extras.targetNames
  std::vector<GltfPrimitiveDescription> primitives;  // each with as many targets as targetNames
  // JSON members added to the root object as written ("\"extras\":{...}"), or empty.
  std::string extraRootMembers;
};

// The whole .glb when `binUri` is empty; otherwise the .gltf text, its buffer named `binUri`, and
// the .bin's bytes in r_bin.
std::string BuildMorphGltf(const GltfMeshDescription& mesh, const std::string& binUri = "", std::string* r_bin = nullptr);
