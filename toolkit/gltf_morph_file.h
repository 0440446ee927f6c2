// glTF 2.0 files (.gltf and .glb) read and written for their morph targets.
//
// A mesh primitive's POSITION (and NORMAL, TANGENT) is its base; each of its morph targets holds
// displacements of those attributes, all primitives of a mesh having the same targets, named in
// the mesh's extras.targetNames. This class reads a file, checks everything it will read or write,
// hands out bases and displacements as plain float arrays, takes new displacements and new targets,
// and writes the file back:
//   - in place when only the values of dense float targets (or of sparse ones whose set of
//     vertices stays the same) change: every other byte stays, JSON text included, except the
//     changed accessors' min and max (and, in a .glb, the chunk and file lengths when the JSON's
//     length changes);
//   - restructured when a target is created, a sparse target's vertex set changes, or an accessor
//     written to is shared with anything else: the JSON text is then edited, never re-serialised,
//     so every member it does not change stays as written (extensions, extras, images, animations),
//     and new data is appended to the .glb's binary chunk or, in a .gltf, to a new embedded buffer.
// A buffer the file keeps outside itself (a .bin beside a .gltf) whose bytes change is written
// into the result as an embedded data: URI, so no file but the result is ever written.
//
// Parsing and the checks of the document's structure are tinygltf's; the ranges, counts and types
// of everything read or written here are checked again here, since the data is read and written in
// place. Every failure is one line of text; nothing is printed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class MorphAttribute { Position = 0, Normal = 1, Tangent = 2 };
// "POSITION", "NORMAL", "TANGENT".
const char* MorphAttributeName(MorphAttribute attribute);

// Reads the file at `uri` relative to the glTF file's folder (a buffer or image the file refers to);
// `uri` has already been checked to stay inside that folder. False with r_error set when it cannot.
using GltfExternalReader = std::function<bool(const std::string& uri, std::string& r_bytes, std::string& r_error)>;

// Whether a relative URI (after percent-decoding) stays inside the file's folder: no absolute path,
// no drive or scheme, no ".." segment. data: URIs are not paths and are always fine.
bool GltfUriStaysInFolder(const std::string& uri);

class GltfMorphFile {
 public:
  GltfMorphFile();
  ~GltfMorphFile();
  GltfMorphFile(const GltfMorphFile&) = delete;
  GltfMorphFile& operator=(const GltfMorphFile&) = delete;

  // Parses a whole file: a .glb when it starts with the binary magic, else .gltf JSON. `name` is
  // the file as messages name it. Refuses damaged or truncated .glb chunks, JSON errors, anything
  // out of range, counts that disagree, URIs leaving the folder, and quantized or compressed
  // vertex data (KHR_mesh_quantization, KHR_draco_mesh_compression, EXT_meshopt_compression).
  bool Load(std::string bytes, const std::string& name, const GltfExternalReader& readExternal,
            std::string& r_error);

  int MeshCount() const;
  // Only primitives with a POSITION attribute count.
  int PrimitiveCount(int mesh) const;
  int TargetCount(int mesh) const;
  // From extras.targetNames; "" for an unnamed target.
  std::string TargetName(int mesh, int target) const;
  std::string MeshName(int mesh) const;
  size_t VertexCount(int mesh, int primitive) const;

  bool HasTarget(int mesh, int primitive, int target, MorphAttribute attribute) const;
  // Base attribute values in vertex order: 3 floats a vertex (4 for TANGENT, w last); empty when
  // the primitive has none.
  std::vector<float> Base(int mesh, int primitive, MorphAttribute attribute) const;
  // The primitive's faces as triangles, 3 vertex indices each (strips and fans unrolled; points
  // and lines give none).
  std::vector<int> Triangles(int mesh, int primitive) const;
  // The target's displacements, 3 floats a vertex (TANGENT: x, y, z); zeros when it has none.
  std::vector<float> Displacement(int mesh, int primitive, int target, MorphAttribute attribute) const;

  // A new target named `name` on every primitive of `mesh`, with the attributes target `like`
  // has there, zero until set; its weight 0 is added to the mesh's and every instancing node's
  // weights. Returns its index.
  int AddTarget(int mesh, const std::string& name, int like);
  // Replaces the target's displacements (3 floats a vertex). Values bit for bit equal to those held
  // change nothing.
  void SetDisplacement(int mesh, int primitive, int target, MorphAttribute attribute, std::vector<float> values);

  // Whether writing needs the restructured path (see above).
  bool Restructured() const;
  // Relative URIs of the external files the written file still refers to (images, buffers whose
  // bytes did not change): they must resolve from the result's folder too.
  std::vector<std::string> ExternalReferences() const;
  // The file with every change, handed to `put` piece by piece; false when `put` gives up.
  bool Write(const std::function<bool(std::string_view)>& put) const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};
