// Chunk ids of scene files (layout in scene_file.h) and the base-object part of the format, shared
// by the scene saver and loader.
#pragma once

#include <string>

#include "chunk_stream.h"

namespace scene_chunks {

enum : unsigned short {
  kScene = 0x5000,
  kModifiers = 0x5100,
  kModifier = 0x5110,
  kModifierClass = 0x5111,
  kModifierData = 0x5112,
  kParamBlock = 0x5120,
  kParamBlockId = 0x5121,
  kParam = 0x5122,
  kObjects = 0x5200,
  kTriObject = 0x5210,
  kPolyObject = 0x5220,
  kPatchObject = 0x5230,
  kDerivedObject = 0x5240,
  kDerivedObjectRef = 0x5241,
  kApplication = 0x5250,
  kApplicationModifier = 0x5251,
  kApplicationTM = 0x5252,
  kApplicationBox = 0x5253,
  kApplicationLocalData = 0x5254,
  kNodes = 0x5300,
  kNode = 0x5310,
  kNodeName = 0x5311,
  kNodeTM = 0x5312,
  kNodeObject = 0x5313,
  kNodeHidden = 0x5314,

  // Triangle mesh.
  kMeshVerts = 0x6010,         // P3 each
  kMeshFaces = 0x6011,         // u32 v[3], u32 smoothing group, u32 flags
  kMeshVertSel = 0x6012,       // bits
  kMeshFaceSel = 0x6013,       // bits
  kMeshEdgeSel = 0x6014,       // bits
  kMeshLevels = 0x6015,        // u32 selection level, u32 display flags
  kMeshSoftSel = 0x6016,       // f32 per vertex
  kMeshMapVerts = 0x6017,      // map channel 1: P3 each
  kMeshMapFaces = 0x6018,      // map channel 1: u32 t[3] per face
  // Polygon mesh.
  kPolyVerts = 0x6020,         // P3, u32 flags
  kPolyFaces = 0x6021,         // per face: u32 flags, i32 degree, u32 corner count k, k i32
  kPolyLevels = 0x6022,        // i32 selection level, u32 display flags
  kPolySoftSel = 0x6023,       // f32 per vertex
  kPolyMapCount = 0x6024,      // i32 map channel count
  kPolyMapVerts = 0x6025,      // map channel 1: i32 numv, then P3 each
  kPolyMapFaces = 0x6026,      // map channel 1: i32 numf, then per face i32 degree, u32 k, k i32
  // Patch mesh.
  kPatchVerts = 0x6030,        // P3, u32 flags
  kPatchVecs = 0x6031,         // P3, i32 owner vertex, u32 flags
  kPatchPatches = 0x6032,      // i32 type, i32 v[4], i32 vec[8], i32 interior[4], u32 flags
  kPatchVertSel = 0x6033,      // bits
  kPatchPatchSel = 0x6034,     // bits
  kPatchLevel = 0x6035,        // i32 selection level
  kPatchSoftSel = 0x6036,      // f32 per soft-selection weight
};

}  // namespace scene_chunks

class Object;

// Where the loader is, for messages: "chunk 0x6011 at byte 96".
std::string ChunkPlace(ChunkLoader& in);

// Writes `obj` as one object chunk (kTriObject, kPolyObject or kPatchObject). False, writing
// nothing, for an object of any other class.
bool SaveBaseObject(ChunkSaver& out, Object* obj);

bool IsBaseObjectChunk(unsigned short id);
// Reads the open base-object chunk into a new object that the caller owns. Every index the mesh
// holds is checked against the arrays it refers to. Null with `r_error` saying what and where when
// the chunk is damaged or inconsistent.
Object* LoadBaseObject(ChunkLoader& in, std::string& r_error);
