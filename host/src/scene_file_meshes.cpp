// Base objects in scene files: triangle, polygon and patch meshes to chunks and back, with every
// index checked against the array it names before the mesh is handed to anyone.
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "patchobj.h"
#include "polyobj.h"
#include "scene_file_chunks.h"
#include "triobj.h"

using namespace scene_chunks;

std::string ChunkPlace(ChunkLoader& in) {
  return "chunk " + ChunkIdText(in.CurChunkID()) + " at byte " + std::to_string(in.CurChunkOffset());
}

namespace {

// --- writing -----------------------------------------------------------------------------------

void writeBits(ChunkSaver& out, unsigned short id, const BitArray& bits) {
  PayloadWriter w;
  int n = bits.GetSize();
  w.U32(std::uint32_t(n));
  for (int at = 0; at < n; at += 8) {
    std::uint8_t byte = 0;
    for (int k = 0; k < 8 && at + k < n; ++k) byte |= std::uint8_t(bits[at + k] << k);
    w.U8(byte);
  }
  out.WriteChunk(id, w.Bytes());
}

void writeFloats(ChunkSaver& out, unsigned short id, const float* values, int count) {
  PayloadWriter w;
  w.Reserve(4 * size_t(count));
  for (int i = 0; i < count; ++i) w.F32(values[i]);
  out.WriteChunk(id, w.Bytes());
}

void writeMesh(ChunkSaver& out, Mesh& mesh) {
  PayloadWriter verts;
  verts.Reserve(12 * size_t(mesh.numVerts));
  for (int i = 0; i < mesh.numVerts; ++i) verts.P3(mesh.verts[i]);
  out.WriteChunk(kMeshVerts, verts.Bytes());
  PayloadWriter faces;
  faces.Reserve(20 * size_t(mesh.numFaces));
  for (int f = 0; f < mesh.numFaces; ++f) {
    const Face& face = mesh.faces[f];
    for (int k = 0; k < 3; ++k) faces.U32(std::uint32_t(face.v[k]));
    faces.U32(std::uint32_t(face.smGroup));
    faces.U32(std::uint32_t(face.flags));
  }
  out.WriteChunk(kMeshFaces, faces.Bytes());
  writeBits(out, kMeshVertSel, mesh.vertSel);
  writeBits(out, kMeshFaceSel, mesh.faceSel);
  writeBits(out, kMeshEdgeSel, mesh.edgeSel);
  PayloadWriter levels;
  levels.U32(std::uint32_t(mesh.selLevel));
  levels.U32(std::uint32_t(mesh.dispFlags));
  out.WriteChunk(kMeshLevels, levels.Bytes());
  if (mesh.vDataSupport(VDATA_SELECT) && mesh.vertexFloat(VDATA_SELECT) != nullptr) {
    writeFloats(out, kMeshSoftSel, mesh.vertexFloat(VDATA_SELECT), mesh.numVerts);
  }
  if (mesh.mapSupport(1)) {
    PayloadWriter mapVerts;
    const UVVert* uv = mesh.mapVerts(1);
    for (int k = 0; k < mesh.getNumMapVerts(1); ++k) mapVerts.P3(uv[k]);
    out.WriteChunk(kMeshMapVerts, mapVerts.Bytes());
    PayloadWriter mapFaces;
    const TVFace* tf = mesh.mapFaces(1);
    for (int f = 0; f < mesh.numFaces && tf != nullptr; ++f) {
      for (int k = 0; k < 3; ++k) mapFaces.U32(std::uint32_t(tf[f].t[k]));
    }
    out.WriteChunk(kMeshMapFaces, mapFaces.Bytes());
  }
}

template <typename Corners>
void writePolyFaceCorners(PayloadWriter& w, int degree, const Corners& corners) {
  w.I32(degree);
  w.U32(std::uint32_t(corners.size()));
  for (int c : corners) w.I32(c);
}

void writePoly(ChunkSaver& out, MNMesh& mm) {
  PayloadWriter verts;
  verts.Reserve(16 * size_t(mm.numv));
  for (int i = 0; i < mm.numv; ++i) {
    verts.P3(mm.V(i)->p);
    verts.U32(std::uint32_t(mm.V(i)->ExportFlags()));
  }
  out.WriteChunk(kPolyVerts, verts.Bytes());
  PayloadWriter faces;
  for (int f = 0; f < mm.numf; ++f) {
    MNFace* face = mm.F(f);
    faces.U32(std::uint32_t(face->ExportFlags()));
    writePolyFaceCorners(faces, face->deg, face->vtx);
  }
  out.WriteChunk(kPolyFaces, faces.Bytes());
  PayloadWriter levels;
  levels.I32(mm.selLevel);
  levels.U32(std::uint32_t(mm.dispFlags));
  out.WriteChunk(kPolyLevels, levels.Bytes());
  if (mm.vDataSupport(VDATA_SELECT) && mm.vertexFloat(VDATA_SELECT) != nullptr) {
    writeFloats(out, kPolySoftSel, mm.vertexFloat(VDATA_SELECT), mm.numv);
  }
  PayloadWriter mapCount;
  mapCount.I32(mm.MNum());
  out.WriteChunk(kPolyMapCount, mapCount.Bytes());
  if (MNMap* map = mm.M(1)) {
    PayloadWriter mapVerts;
    mapVerts.I32(map->numv);
    for (const UVVert& uv : map->v) mapVerts.P3(uv);
    out.WriteChunk(kPolyMapVerts, mapVerts.Bytes());
    PayloadWriter mapFaces;
    mapFaces.I32(map->numf);
    for (const MNMapFace& mf : map->f) writePolyFaceCorners(mapFaces, mf.deg, mf.tv);
    out.WriteChunk(kPolyMapFaces, mapFaces.Bytes());
  }
}

void writePatch(ChunkSaver& out, PatchMesh& pm) {
  PayloadWriter verts;
  verts.Reserve(16 * size_t(pm.numVerts));
  for (int i = 0; i < pm.numVerts; ++i) {
    verts.P3(pm.verts[i].p);
    verts.U32(std::uint32_t(pm.verts[i].flags));
  }
  out.WriteChunk(kPatchVerts, verts.Bytes());
  PayloadWriter vecs;
  for (int i = 0; i < pm.numVecs; ++i) {
    vecs.P3(pm.vecs[i].p);
    vecs.I32(pm.vecs[i].vert);
    vecs.U32(std::uint32_t(pm.vecs[i].flags));
  }
  out.WriteChunk(kPatchVecs, vecs.Bytes());
  PayloadWriter patches;
  for (int p = 0; p < pm.numPatches; ++p) {
    const Patch& patch = pm.patches[p];
    patches.I32(patch.type);
    for (int v : patch.v) patches.I32(v);
    for (int v : patch.vec) patches.I32(v);
    for (int v : patch.interior) patches.I32(v);
    patches.U32(std::uint32_t(patch.flags));
  }
  out.WriteChunk(kPatchPatches, patches.Bytes());
  writeBits(out, kPatchVertSel, pm.vertSel);
  writeBits(out, kPatchPatchSel, pm.patchSel);
  PayloadWriter level;
  level.I32(pm.selLevel);
  out.WriteChunk(kPatchLevel, level.Bytes());
  if (const float* weights = pm.GetVSelectionWeights()) writeFloats(out, kPatchSoftSel, weights, pm.numVerts);
}

// --- reading -----------------------------------------------------------------------------------

struct Payload {
  std::string_view bytes;
  std::string place;
};

// The data sub-chunks of the open chunk by id. Ids this version does not know are skipped.
bool collectPayloads(ChunkLoader& in, const std::vector<unsigned short>& known, std::map<unsigned short, Payload>& r_payloads,
                     std::string& r_error) {
  IOResult r;
  while ((r = in.OpenChunk()) == IO_OK) {
    unsigned short id = in.CurChunkID();
    bool wanted = false;
    for (unsigned short k : known) wanted = wanted || k == id;
    if (wanted) {
      if (in.CurChunkHasSubChunks()) {
        r_error = ChunkPlace(in) + " should hold data, not further chunks";
        return false;
      }
      if (r_payloads.count(id)) {
        r_error = ChunkPlace(in) + " appears twice";
        return false;
      }
      r_payloads[id] = Payload{in.RemainingPayload(), ChunkPlace(in)};
    }
    in.CloseChunk();
  }
  if (r == IO_ERROR) {
    r_error = in.Error();
    return false;
  }
  return true;
}

// A payload of whole records of `size` bytes; false with a message otherwise.
bool recordCount(const Payload& p, size_t size, int& r_count, std::string& r_error) {
  if (p.bytes.size() % size != 0) {
    r_error = p.place + ": " + std::to_string(p.bytes.size()) + " bytes are not a whole number of " +
              std::to_string(size) + "-byte records";
    return false;
  }
  r_count = int(p.bytes.size() / size);
  return true;
}

bool readBits(const Payload& p, BitArray& r_bits, std::string& r_error) {
  PayloadReader r(p.bytes);
  std::uint32_t n = r.U32();
  if (!r.Ok() || n > 0x7fffffffu || r.Remaining() != (size_t(n) + 7) / 8) {
    r_error = p.place + ": a selection of " + std::to_string(n) + " bits needs " + std::to_string((size_t(n) + 7) / 8) +
              " bytes after its count, not " + std::to_string(r.Remaining());
    return false;
  }
  r_bits.SetSize(int(n));
  r_bits.ClearAll();
  for (std::uint32_t at = 0; at < n; at += 8) {
    std::uint8_t byte = r.U8();
    for (std::uint32_t k = 0; k < 8 && at + k < n; ++k) {
      if (byte & (1u << k)) r_bits.Set(int(at + k));
    }
  }
  return true;
}

bool readFloats(const Payload& p, std::vector<float>& r_values, std::string& r_error) {
  int n = 0;
  if (!recordCount(p, 4, n, r_error)) return false;
  PayloadReader r(p.bytes);
  r_values.resize(size_t(n));
  for (float& v : r_values) v = r.F32();
  return true;
}

bool requireSize(const Payload& p, size_t size, std::string& r_error) {
  if (p.bytes.size() == size) return true;
  r_error = p.place + ": holds " + std::to_string(p.bytes.size()) + " bytes, not " + std::to_string(size);
  return false;
}

bool indexError(const Payload& p, const std::string& what, long long index, int item, long long limit,
                std::string& r_error) {
  r_error = p.place + ": " + what + " " + std::to_string(item) + " names index " + std::to_string(index) + " of " +
            std::to_string(limit);
  return false;
}

// One polygon as written by writePolyFaceCorners; corners checked against `limit`.
bool readPolyCorners(PayloadReader& r, const Payload& p, const char* what, int item, int limit, int& r_degree,
                     std::vector<int>& r_corners, std::string& r_error) {
  r_degree = r.I32();
  std::uint32_t k = r.U32();
  if (!r.Ok() || size_t(k) > r.Remaining() / 4) {
    r_error = p.place + ": " + what + " " + std::to_string(item) + " is cut short";
    return false;
  }
  r_corners.resize(k);
  for (int& c : r_corners) {
    c = r.I32();
    if (c < 0 || c >= limit) return indexError(p, what, c, item, limit, r_error);
  }
  if (r_degree < 0 || size_t(r_degree) > r_corners.size()) {
    r_error = p.place + ": " + what + " " + std::to_string(item) + " has degree " + std::to_string(r_degree) + " but " +
              std::to_string(r_corners.size()) + " corners";
    return false;
  }
  return true;
}

TriObject* loadTri(ChunkLoader& in, std::string& r_error) {
  std::map<unsigned short, Payload> p;
  if (!collectPayloads(in, {kMeshVerts, kMeshFaces, kMeshVertSel, kMeshFaceSel, kMeshEdgeSel, kMeshLevels, kMeshSoftSel,
                            kMeshMapVerts, kMeshMapFaces},
                       p, r_error)) {
    return nullptr;
  }
  if (!p.count(kMeshVerts) || !p.count(kMeshFaces)) {
    r_error = "the triangle mesh lacks its vertices or faces";
    return nullptr;
  }
  std::unique_ptr<TriObject> obj(CreateNewTriObject());
  Mesh& mesh = obj->GetMesh();
  int n = 0, m = 0;
  if (!recordCount(p[kMeshVerts], 12, n, r_error) || !recordCount(p[kMeshFaces], 20, m, r_error)) return nullptr;
  mesh.setNumVerts(n);
  PayloadReader verts(p[kMeshVerts].bytes);
  for (int i = 0; i < n; ++i) mesh.verts[i] = verts.P3();
  mesh.setNumFaces(m);
  PayloadReader faces(p[kMeshFaces].bytes);
  for (int f = 0; f < m; ++f) {
    Face& face = mesh.faces[f];
    for (int k = 0; k < 3; ++k) {
      std::uint32_t v = faces.U32();
      if (v >= std::uint32_t(n)) {
        indexError(p[kMeshFaces], "face", v, f, n, r_error);
        return nullptr;
      }
      face.v[k] = DWORD(v);
    }
    face.smGroup = DWORD(faces.U32());
    face.flags = DWORD(faces.U32());
  }
  if (p.count(kMeshVertSel) && !readBits(p[kMeshVertSel], mesh.vertSel, r_error)) return nullptr;
  if (p.count(kMeshFaceSel) && !readBits(p[kMeshFaceSel], mesh.faceSel, r_error)) return nullptr;
  if (p.count(kMeshEdgeSel) && !readBits(p[kMeshEdgeSel], mesh.edgeSel, r_error)) return nullptr;
  if (p.count(kMeshLevels)) {
    if (!requireSize(p[kMeshLevels], 8, r_error)) return nullptr;
    PayloadReader r(p[kMeshLevels].bytes);
    mesh.selLevel = DWORD(r.U32());
    mesh.dispFlags = DWORD(r.U32());
  }
  if (p.count(kMeshSoftSel)) {
    std::vector<float> weights;
    if (!readFloats(p[kMeshSoftSel], weights, r_error)) return nullptr;
    if (int(weights.size()) != n) {
      r_error = p[kMeshSoftSel].place + ": " + std::to_string(weights.size()) + " soft-selection weights for " +
                std::to_string(n) + " vertices";
      return nullptr;
    }
    mesh.setVDataSupport(VDATA_SELECT, TRUE);
    float* w = mesh.vertexFloat(VDATA_SELECT);
    for (int i = 0; i < n && w != nullptr; ++i) w[i] = weights[size_t(i)];
  }
  if (p.count(kMeshMapVerts) != p.count(kMeshMapFaces)) {
    r_error = "map channel 1 of the triangle mesh lacks its " + std::string(p.count(kMeshMapVerts) ? "faces" : "vertices");
    return nullptr;
  }
  if (p.count(kMeshMapVerts)) {
    int uvCount = 0, mapFaces = 0;
    if (!recordCount(p[kMeshMapVerts], 12, uvCount, r_error) || !recordCount(p[kMeshMapFaces], 12, mapFaces, r_error)) {
      return nullptr;
    }
    if (mapFaces != m) {
      r_error = p[kMeshMapFaces].place + ": " + std::to_string(mapFaces) + " map faces for " + std::to_string(m) + " faces";
      return nullptr;
    }
    mesh.setMapSupport(1, TRUE);
    mesh.setNumMapVerts(1, uvCount);
    PayloadReader uv(p[kMeshMapVerts].bytes);
    for (int k = 0; k < uvCount; ++k) mesh.mapVerts(1)[k] = uv.P3();
    PayloadReader tf(p[kMeshMapFaces].bytes);
    for (int f = 0; f < m; ++f) {
      for (int k = 0; k < 3; ++k) {
        std::uint32_t t = tf.U32();
        if (t >= std::uint32_t(uvCount)) {
          indexError(p[kMeshMapFaces], "map face", t, f, uvCount, r_error);
          return nullptr;
        }
        mesh.mapFaces(1)[f].t[k] = DWORD(t);
      }
    }
  }
  return obj.release();
}

PolyObject* loadPoly(ChunkLoader& in, std::string& r_error) {
  std::map<unsigned short, Payload> p;
  if (!collectPayloads(in, {kPolyVerts, kPolyFaces, kPolyLevels, kPolySoftSel, kPolyMapCount, kPolyMapVerts, kPolyMapFaces},
                       p, r_error)) {
    return nullptr;
  }
  if (!p.count(kPolyVerts) || !p.count(kPolyFaces)) {
    r_error = "the polygon mesh lacks its vertices or faces";
    return nullptr;
  }
  std::unique_ptr<PolyObject> obj(new PolyObject());
  MNMesh& mm = obj->GetMesh();
  int n = 0;
  if (!recordCount(p[kPolyVerts], 16, n, r_error)) return nullptr;
  mm.setNumVerts(n);
  PayloadReader verts(p[kPolyVerts].bytes);
  for (int i = 0; i < n; ++i) {
    mm.V(i)->p = verts.P3();
    mm.V(i)->ImportFlags(DWORD(verts.U32()));
  }
  PayloadReader faces(p[kPolyFaces].bytes);
  std::vector<int> corners;
  for (int f = 0; !faces.AtEnd(); ++f) {
    std::uint32_t flags = faces.U32();
    int degree = 0;
    if (!faces.Ok() || !readPolyCorners(faces, p[kPolyFaces], "face", f, n, degree, corners, r_error)) {
      if (r_error.empty()) r_error = p[kPolyFaces].place + ": face " + std::to_string(f) + " is cut short";
      return nullptr;
    }
    int made = mm.NewFace(corners);
    mm.F(made)->deg = degree;
    mm.F(made)->ImportFlags(DWORD(flags));
  }
  if (p.count(kPolyLevels)) {
    if (!requireSize(p[kPolyLevels], 8, r_error)) return nullptr;
    PayloadReader r(p[kPolyLevels].bytes);
    mm.selLevel = r.I32();
    mm.dispFlags = DWORD(r.U32());
  }
  if (p.count(kPolySoftSel)) {
    std::vector<float> weights;
    if (!readFloats(p[kPolySoftSel], weights, r_error)) return nullptr;
    if (int(weights.size()) != n) {
      r_error = p[kPolySoftSel].place + ": " + std::to_string(weights.size()) + " soft-selection weights for " +
                std::to_string(n) + " vertices";
      return nullptr;
    }
    mm.setVDataSupport(VDATA_SELECT, TRUE);
    float* w = mm.vertexFloat(VDATA_SELECT);
    for (int i = 0; i < n && w != nullptr; ++i) w[i] = weights[size_t(i)];
  }
  int mapCount = 0;
  if (p.count(kPolyMapCount)) {
    if (!requireSize(p[kPolyMapCount], 4, r_error)) return nullptr;
    mapCount = PayloadReader(p[kPolyMapCount].bytes).I32();
    if (mapCount < 0 || mapCount > MAX_MESHMAPS) {
      r_error = p[kPolyMapCount].place + ": " + std::to_string(mapCount) + " map channels; at most " +
                std::to_string(MAX_MESHMAPS) + " exist";
      return nullptr;
    }
    mm.SetMapNum(mapCount);
  }
  if (p.count(kPolyMapVerts) != p.count(kPolyMapFaces) || (p.count(kPolyMapVerts) && mapCount < 2)) {
    r_error = "map channel 1 of the polygon mesh is incomplete";
    return nullptr;
  }
  if (p.count(kPolyMapVerts)) {
    MNMap* map = mm.M(1);
    PayloadReader uv(p[kPolyMapVerts].bytes);
    map->numv = uv.I32();
    if (!uv.Ok() || map->numv < 0 || uv.Remaining() % 12 != 0) {
      r_error = p[kPolyMapVerts].place + ": not a list of map vertices";
      return nullptr;
    }
    map->v.resize(uv.Remaining() / 12);
    for (UVVert& v : map->v) v = uv.P3();
    PayloadReader mf(p[kPolyMapFaces].bytes);
    map->numf = mf.I32();
    if (!mf.Ok() || map->numf < 0) {
      r_error = p[kPolyMapFaces].place + ": not a list of map faces";
      return nullptr;
    }
    for (int f = 0; !mf.AtEnd(); ++f) {
      MNMapFace face;
      if (!readPolyCorners(mf, p[kPolyMapFaces], "map face", f, int(map->v.size()), face.deg, face.tv, r_error)) {
        return nullptr;
      }
      map->f.push_back(std::move(face));
    }
  }
  return obj.release();
}

PatchObject* loadPatch(ChunkLoader& in, std::string& r_error) {
  std::map<unsigned short, Payload> p;
  if (!collectPayloads(in, {kPatchVerts, kPatchVecs, kPatchPatches, kPatchVertSel, kPatchPatchSel, kPatchLevel, kPatchSoftSel},
                       p, r_error)) {
    return nullptr;
  }
  if (!p.count(kPatchVerts) || !p.count(kPatchVecs) || !p.count(kPatchPatches)) {
    r_error = "the patch mesh lacks its vertices, vectors or patches";
    return nullptr;
  }
  std::unique_ptr<PatchObject> obj(new PatchObject());
  PatchMesh& pm = obj->patch;
  int n = 0, vecCount = 0, patchCount = 0;
  if (!recordCount(p[kPatchVerts], 16, n, r_error) || !recordCount(p[kPatchVecs], 20, vecCount, r_error) ||
      !recordCount(p[kPatchPatches], 72, patchCount, r_error)) {
    return nullptr;
  }
  pm.setNumVerts(n);
  PayloadReader verts(p[kPatchVerts].bytes);
  for (int i = 0; i < n; ++i) {
    pm.verts[i].p = verts.P3();
    pm.verts[i].flags = DWORD(verts.U32());
  }
  pm.setNumVecs(vecCount);
  PayloadReader vecs(p[kPatchVecs].bytes);
  for (int i = 0; i < vecCount; ++i) {
    pm.vecs[i].p = vecs.P3();
    pm.vecs[i].vert = vecs.I32();
    pm.vecs[i].flags = DWORD(vecs.U32());
  }
  pm.setNumPatches(patchCount);
  PayloadReader patches(p[kPatchPatches].bytes);
  for (int k = 0; k < patchCount; ++k) {
    Patch& patch = pm.patches[k];
    patch.type = patches.I32();
    for (int& v : patch.v) v = patches.I32();
    for (int& v : patch.vec) v = patches.I32();
    for (int& v : patch.interior) v = patches.I32();
    patch.flags = DWORD(patches.U32());
    // Indices outside the arrays mean "none" to every patch operation; the corner count does not.
    if (patch.type != PATCH_TRI && patch.type != PATCH_QUAD) {
      r_error = p[kPatchPatches].place + ": patch " + std::to_string(k) + " is of type " + std::to_string(patch.type) +
                ", neither a triangle nor a quad";
      return nullptr;
    }
  }
  if (p.count(kPatchVertSel) && !readBits(p[kPatchVertSel], pm.vertSel, r_error)) return nullptr;
  if (p.count(kPatchPatchSel) && !readBits(p[kPatchPatchSel], pm.patchSel, r_error)) return nullptr;
  if (p.count(kPatchLevel)) {
    if (!requireSize(p[kPatchLevel], 4, r_error)) return nullptr;
    pm.selLevel = PayloadReader(p[kPatchLevel].bytes).I32();
  }
  if (p.count(kPatchSoftSel)) {
    std::vector<float> weights;
    if (!readFloats(p[kPatchSoftSel], weights, r_error)) return nullptr;
    pm.SetSoftSelection(true);
    float* w = pm.GetVSelectionWeights();
    for (size_t i = 0; i < weights.size() && i < size_t(pm.numVerts); ++i) w[i] = weights[i];
  }
  return obj.release();
}

}  // namespace

bool SaveBaseObject(ChunkSaver& out, Object* obj) {
  if (obj == nullptr) return false;
  Class_ID cls = obj->ClassID();
  if (cls == triObjectClassID) {
    out.BeginChunk(kTriObject);
    writeMesh(out, static_cast<TriObject*>(obj)->GetMesh());
  } else if (cls == polyObjectClassID) {
    out.BeginChunk(kPolyObject);
    writePoly(out, static_cast<PolyObject*>(obj)->GetMesh());
  } else if (cls == patchObjectClassID) {
    out.BeginChunk(kPatchObject);
    writePatch(out, static_cast<PatchObject*>(obj)->patch);
  } else {
    return false;
  }
  out.EndChunk();
  return true;
}

bool IsBaseObjectChunk(unsigned short id) { return id == kTriObject || id == kPolyObject || id == kPatchObject; }

Object* LoadBaseObject(ChunkLoader& in, std::string& r_error) {
  switch (in.CurChunkID()) {
    case kTriObject: return loadTri(in, r_error);
    case kPolyObject: return loadPoly(in, r_error);
    case kPatchObject: return loadPatch(in, r_error);
    default:
      r_error = ChunkPlace(in) + " is not a mesh object";
      return nullptr;
  }
}
