// velomorph apply on a glTF 2.0 character file (.gltf or .glb): every morph target of every mesh
// primitive, or those whose names match a pattern, run through the modifier with the primitive's
// POSITION as the base, and written back into the file as displacements.
//
// Each target is evaluated exactly as `apply` evaluates an OBJ input: the same host objects built
// from the same arrays (base + displacement), the same modifier, the base paired once per
// primitive (by position as the modifier pairs, or by topology). Normals and tangents of a target
// follow its positions: a vertex the modifier moved
// gets, under Mirror and Flip, the mirror image of its partner's displaced normal (tangent), and
// under Reset the base's; tangent w is the base's, which targets do not displace.
#pragma once

#include <ostream>
#include <string>

#include "host_mesh_builder.h"
#include "mesh_partners.h"
#include "parameter_options.h"

// Whether `path` names a glTF file (.gltf or .glb, in any case), which `apply` takes as a character
// file rather than an OBJ base.
inline bool IsGltfPath(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return extension == "gltf" || extension == "glb";
}

struct GltfApplyOptions {
  std::string target;  // the .gltf or .glb read
  std::string out;     // the .gltf or .glb written (may be `target`)
  std::string targets;  // a glob over target names ("smile_*"), or empty for every target
  // --derive FROM=TO: each target named X+FROM is flipped into X+TO (created when missing),
  // instead of every target being run through the operation.
  std::string deriveFrom, deriveTo;
  MeshKind kind = MeshKind::Polygon;
  // kTopology: each primitive's partners from its triangles' connectivity, handed to the modifier
  // (as apply hands an OBJ base's), and followed by normals and tangents too.
  PairingKind pairing = PairingKind::kPosition;
  std::string selection, baseSelection, asymmetry;  // only for a file of one primitive
  bool timings = false;
  bool quiet = false;
  const ParameterSettings* settings = nullptr;
};

// Returns apply's exit code (3 for a file that cannot be read, refused or damaged; 2 for options
// the file cannot take; 4, 5, 6 as apply). Nothing is written unless every target ran.
int RunGltfApply(const GltfApplyOptions& options, const std::string& pluginPath, std::ostream& err);
