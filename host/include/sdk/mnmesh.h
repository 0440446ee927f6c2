// MNMesh: the polygon mesh of a PolyObject. Vertices carry a flags word (MN_SEL, MN_DEAD) and a
// position; faces have any number of corners. Per-vertex data channel 0 holds soft selection; map
// channel 1 is the default texture, with map faces parallel to the mesh faces.
#pragma once

#include <algorithm>
#include <vector>

#include "bitarray.h"
#include "box3.h"
#include "mesh.h"

#define MN_SEL (1 << 0)
#define MN_DEAD (1 << 1)

#define MNM_SL_OBJECT 0
#define MNM_SL_VERTEX 1
#define MNM_SL_EDGE 2
#define MNM_SL_FACE 3

#define MNDISP_VERTTICKS 0x01
#define MNDISP_SELVERTS 0x02
#define MNDISP_SELFACES 0x04
#define MNDISP_SELEDGES 0x08

class FlagUser {
 public:
  void SetFlag(DWORD fl, bool val = true) { if (val) FlagBits |= fl; else FlagBits &= ~fl; }
  void ClearFlag(DWORD fl) { FlagBits &= ~fl; }
  bool GetFlag(DWORD fl) const { return (FlagBits & fl) != 0; }
  DWORD ExportFlags() const { return FlagBits; }
  void ImportFlags(DWORD fl) { FlagBits = fl; }
  DWORD FlagBits = 0;
};

class MNVert : public FlagUser {
 public:
  Point3 p;
};

// The corners of one polygon. Up to four are held in place (triangles and quads, nearly every face
// of a dense mesh) and more on the heap, so building or copying a polygon mesh of a million faces
// is not a million allocations.
class MNFaceCorners {
 public:
  MNFaceCorners() = default;
  ~MNFaceCorners() { release(); }
  MNFaceCorners(const MNFaceCorners& other) { assign(other.begin(), other.end()); }
  MNFaceCorners& operator=(const MNFaceCorners& other) {
    if (size_ <= kInPlace && other.size_ <= kInPlace) {
      // Nearly every face of a dense mesh: a plain copy of the corners held in place.
      held_ = other.held_;
      size_ = other.size_;
    } else if (this != &other) {
      assign(other.begin(), other.end());
    }
    return *this;
  }
  MNFaceCorners(MNFaceCorners&& other) noexcept { take(other); }
  MNFaceCorners& operator=(MNFaceCorners&& other) noexcept {
    if (this != &other) {
      release();
      take(other);
    }
    return *this;
  }
  MNFaceCorners& operator=(const std::vector<int>& corners) {
    assign(corners.data(), corners.data() + corners.size());
    return *this;
  }

  size_t size() const { return size_; }
  int* begin() { return size_ <= kInPlace ? held_.inPlace : held_.onHeap; }
  int* end() { return begin() + size_; }
  const int* begin() const { return size_ <= kInPlace ? held_.inPlace : held_.onHeap; }
  const int* end() const { return begin() + size_; }
  int& operator[](size_t i) { return begin()[i]; }
  const int& operator[](size_t i) const { return begin()[i]; }

 private:
  static constexpr size_t kInPlace = 4;
  void release() {
    if (size_ > kInPlace) delete[] held_.onHeap;
    size_ = 0;
  }
  void take(MNFaceCorners& other) {
    held_ = other.held_;
    size_ = other.size_;
    other.size_ = 0;
  }
  void assign(const int* first, const int* last) {
    const size_t count = size_t(last - first);
    if (count > kInPlace && count > size_) {
      int* corners = new int[count];
      release();
      held_.onHeap = corners;
    } else if (count <= kInPlace && size_ > kInPlace) {
      release();
    }
    size_ = static_cast<unsigned>(count);
    std::copy(first, last, begin());
  }

  // The corners in place, or (more than four) on the heap: a face of a dense mesh takes 32 bytes.
  union Held {
    int inPlace[kInPlace];
    int* onHeap;
  } held_ = {};
  unsigned size_ = 0;
};

class MNFace : public FlagUser {
 public:
  int deg = 0;
  MNFaceCorners vtx;
};

class MNMapFace {
 public:
  int deg = 0;
  std::vector<int> tv;
};

class MNMap {
 public:
  int numv = 0;
  int numf = 0;
  std::vector<UVVert> v;
  std::vector<MNMapFace> f;
};

class MNMesh {
 public:
  int numv = 0;
  int numf = 0;
  int selLevel = MNM_SL_OBJECT;
  DWORD dispFlags = 0;

  int VNum() const { return numv; }
  int FNum() const { return numf; }
  MNVert* V(int i) { return &v_[size_t(i)]; }
  Point3& P(int i) { return v_[size_t(i)].p; }
  MNFace* F(int i) { return &f_[size_t(i)]; }
  void setNumVerts(int n);
  void setNumFaces(int n);
  int NewVert(const Point3& p);
  // A face through the given vertices, in order.
  int NewFace(const std::vector<int>& corners);

  // Vertices implied by the current selection level: vertex level those whose flags masked by
  // `fmask` equal `fset`; face level the vertices of selected faces; object level every live vertex.
  // Dead vertices are never included.
  BitArray VertexTempSel(DWORD fmask = MN_DEAD | MN_SEL, DWORD fset = MN_SEL);

  BOOL vDataSupport(int chan) const;
  void setVDataSupport(int chan, BOOL support = TRUE);
  void freeVData(int chan);
  float* vertexFloat(int chan);

  int MNum() const { return int(maps_.size()); }
  void SetMapNum(int n);
  // Map channel mp, or null when the mesh has no such channel.
  MNMap* M(int mp);
  void ClearDispFlag(DWORD fl) { dispFlags &= ~fl; }
  void SetDispFlag(DWORD fl) { dispFlags |= fl; }

  void InvalidateGeomCache() { ++geomCacheInvalidations; }
  // Triangulates every live face in order (a fan from its first corner) into `out`, keeping the
  // vertex numbering and count (dead vertices included), and carries map channel 1, the vertex
  // selection of live vertices (into `vertSel`) and the soft selection of vertex-data channel 0.
  void OutToTri(Mesh& out) const;

  int geomCacheInvalidations = 0;

 private:
  std::vector<MNVert> v_;
  std::vector<MNFace> f_;
  std::vector<MNMap> maps_;
  std::vector<float> vdata_[MAX_VDATA_CHANNELS];
  bool vdataSupported_[MAX_VDATA_CHANNELS] = {false, false, false};
};
