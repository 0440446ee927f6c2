// Scene files (.vms): the host's scene saved whole and loaded back. A file holds the nodes (name,
// object transform, hidden flag, object), their objects (triangle, polygon and patch meshes with
// their selections, soft selection and texture map channel 1; modifier stacks), the modifiers
// (class, the modifier's own Save data, parameter block values with node references by node index)
// and, for every application of a modifier, its local data as the modifier's SaveLocalData wrote
// it. Instancing survives: a modifier applied to several nodes, or an object shared by several
// nodes or stacks, is stored once.
//
// Layout: a 12-byte header, the 8 bytes "VMSCENE\0" and the u32 format version (1), then exactly
// one chunk (framing in chunk_stream.h) and nothing after it:
//
//   0x5000 scene
//     0x5100 modifiers: 0x5110 per modifier, in index order
//       0x5111 class: u32 super class, u32 class id part A, u32 part B
//       0x5112 the modifier's Save chunks (loaded with Load on an object from ClassDesc::Create(TRUE))
//       0x5120 per parameter block: 0x5121 i32 block id, then 0x5122 per parameter: i32 id,
//              u8 kind (0 int, 1 float, 2 node), i32 / f32 / i32 node index (-1 none)
//     0x5200 objects: one per object in index order; an object refers only to earlier ones
//       0x5210 triangle mesh, 0x5220 polygon mesh, 0x5230 patch mesh (chunks: scene_file_meshes)
//       0x5240 modifier stack: 0x5241 i32 index of the object it modifies (-1 none), then 0x5250
//              per application from the top of the stack: 0x5251 i32 modifier index, optional
//              0x5252 context transform (12 f32) and 0x5253 context box (6 f32), optional 0x5254
//              the modifier's local data chunks (present when the context had local data)
//     0x5300 nodes: 0x5310 per node: 0x5311 UTF-8 name, 0x5312 transform (12 f32), 0x5313 i32
//            object index (-1 none), 0x5314 u8 hidden
//
// Chunks of ids this version does not know are passed over, except in the object list, where
// every entry is numbered by its place.
//
// Loading parses and checks the whole file into a staging area before the scene is touched: a file
// that is not a scene, was cut short, has a damaged chunk, an index out of range, a mesh index
// outside its mesh, an unknown modifier class, or references that would form a loop is refused
// with a message saying what and where, and the scene stays as it was. Only a complete, valid file
// replaces the scene's content. Loading needs the plug-ins whose classes the file names to be
// loaded already.
#pragma once

#include <string>
#include <string_view>

#include "scene.h"

constexpr char kSceneFileMagic[8] = {'V', 'M', 'S', 'C', 'E', 'N', 'E', '\0'};
constexpr unsigned kSceneFileVersion = 1;

// Scene::Get() to and from the file at `path`. Saving writes a temporary file beside `path` and
// renames it over `path` once complete, so a failed save leaves an existing file as it was. False
// with `r_error` (may be null) set to one line naming the file.
bool SaveScene(const std::string& path, std::string* r_error);
bool LoadScene(const std::string& path, std::string* r_error);

// The same over bytes in memory; `name` stands for the file in messages.
bool SaveSceneToBytes(Scene& scene, std::string& r_bytes, std::string* r_error);
bool LoadSceneFromBytes(Scene& scene, std::string_view bytes, const std::string& name, std::string* r_error);
