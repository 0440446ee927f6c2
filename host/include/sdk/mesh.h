// Mesh: the triangle mesh of a TriObject. Vertex positions and faces are public arrays (`verts`,
// `faces`) sized by `numVerts` and `numFaces`; selections, per-vertex data channels (channel 0 holds
// soft-selection weights) and texture map channels (channel 1 is the default texture) hang off it.
#pragma once

#include <vector>

#include "bitarray.h"
#include "box3.h"

typedef Point3 UVVert;

class Face {
 public:
  DWORD v[3] = {0, 0, 0};
  DWORD smGroup = 0;
  DWORD flags = 0;
  void setVerts(int a, int b, int c) { v[0] = DWORD(a); v[1] = DWORD(b); v[2] = DWORD(c); }
  DWORD getVert(int i) const { return v[i]; }
};

class TVFace {
 public:
  DWORD t[3] = {0, 0, 0};
  void setTVerts(int a, int b, int c) { t[0] = DWORD(a); t[1] = DWORD(b); t[2] = DWORD(c); }
};

// Selection levels and display flags.
#define MESH_OBJECT (1 << 0)
#define MESH_VERTEX (1 << 1)
#define MESH_FACE (1 << 2)
#define MESH_EDGE (1 << 3)
#define DISP_VERTTICKS (1 << 0)
#define DISP_SELVERTS (1 << 10)
#define DISP_SELFACES (1 << 11)
#define DISP_SELEDGES (1 << 12)

#define VDATA_SELECT 0
#define MAX_VDATA_CHANNELS 3
#define MAX_MESHMAPS 100

class Mesh {
 public:
  Mesh();
  Mesh(const Mesh& from);
  Mesh& operator=(const Mesh& from);
  ~Mesh();

  int numVerts = 0;
  int numFaces = 0;
  Point3* verts = nullptr;
  Face* faces = nullptr;
  BitArray vertSel;
  BitArray faceSel;
  BitArray edgeSel;  // three bits per face
  DWORD selLevel = MESH_OBJECT;
  DWORD dispFlags = 0;

  int getNumVerts() const { return numVerts; }
  int getNumFaces() const { return numFaces; }
  // Resizes; with keep the leading elements stay, otherwise contents are reset (new ones zero).
  BOOL setNumVerts(int n, BOOL keep = FALSE);
  BOOL setNumFaces(int n, BOOL keep = FALSE);
  Point3& getVert(int i) { return verts[i]; }
  void setVert(int i, const Point3& p) { verts[i] = p; }

  // The vertices the current selection level implies: vertex level the selected vertices, face
  // and edge level the vertices of the selected faces and edges, object level every vertex.
  BitArray VertexTempSel();

  // Per-vertex float data channels.
  BOOL vDataSupport(int chan) const;
  void setVDataSupport(int chan, BOOL support = TRUE);
  // One float per vertex, or null when the channel is not supported.
  float* vertexFloat(int chan);

  // Texture map channels: map faces parallel the mesh faces.
  int getNumMaps() const { return int(maps_.size()); }
  void setNumMaps(int count, BOOL keep = FALSE);
  BOOL mapSupport(int mp) const;
  void setMapSupport(int mp, BOOL support = TRUE);
  int getNumMapVerts(int mp) const;
  void setNumMapVerts(int mp, int count, BOOL keep = FALSE);
  UVVert* mapVerts(int mp);
  TVFace* mapFaces(int mp);

  void InvalidateGeomCache() { ++geomCacheInvalidations; }
  Box3 getBoundingBox() const;

  // Host bookkeeping, read by tests: how often the geometry cache was invalidated.
  int geomCacheInvalidations = 0;

 private:
  struct MapChannel {
    bool supported = false;
    std::vector<UVVert> verts;
    std::vector<TVFace> faces;
  };
  std::vector<Point3> vertStore_;
  std::vector<Face> faceStore_;
  std::vector<MapChannel> maps_;
  std::vector<float> vdata_[MAX_VDATA_CHANNELS];
  bool vdataSupported_[MAX_VDATA_CHANNELS] = {false, false, false};
  void syncPointers();
};
