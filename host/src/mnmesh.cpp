// Polygon mesh storage, flag-based selection, vertex data, map channels and triangulation.
#include "mnmesh.h"

void MNMesh::setNumVerts(int n) {
  if (n < 0) n = 0;
  v_.resize(size_t(n));
  numv = n;
  for (int c = 0; c < MAX_VDATA_CHANNELS; ++c) {
    if (vdataSupported_[c]) vdata_[c].resize(size_t(n), 0.0f);
  }
}

void MNMesh::setNumFaces(int n) {
  if (n < 0) n = 0;
  f_.resize(size_t(n));
  numf = n;
}

int MNMesh::NewVert(const Point3& p) {
  setNumVerts(numv + 1);
  v_.back().p = p;
  return numv - 1;
}

int MNMesh::NewFace(const std::vector<int>& corners) {
  setNumFaces(numf + 1);
  MNFace& face = f_.back();
  face.deg = int(corners.size());
  face.vtx = corners;
  return numf - 1;
}

BitArray MNMesh::VertexTempSel(DWORD fmask, DWORD fset) {
  BitArray sel(numv);
  switch (selLevel) {
    case MNM_SL_VERTEX:
      for (int i = 0; i < numv; ++i) {
        if ((v_[size_t(i)].ExportFlags() & fmask) == fset) sel.Set(i);
      }
      break;
    case MNM_SL_FACE:
    case MNM_SL_EDGE:
      for (const MNFace& face : f_) {
        if (face.GetFlag(MN_DEAD) || !face.GetFlag(MN_SEL)) continue;
        for (int k : face.vtx) sel.Set(k);
      }
      break;
    default:
      sel.SetAll();
      break;
  }
  for (int i = 0; i < numv; ++i) {
    if (v_[size_t(i)].GetFlag(MN_DEAD)) sel.Clear(i);
  }
  return sel;
}

BOOL MNMesh::vDataSupport(int chan) const {
  return chan >= 0 && chan < MAX_VDATA_CHANNELS && vdataSupported_[chan];
}

void MNMesh::setVDataSupport(int chan, BOOL support) {
  if (chan < 0 || chan >= MAX_VDATA_CHANNELS) return;
  vdataSupported_[chan] = support != FALSE;
  if (support) vdata_[chan].resize(size_t(numv), 0.0f);
  else vdata_[chan].clear();
}

void MNMesh::freeVData(int chan) {
  if (chan < 0 || chan >= MAX_VDATA_CHANNELS) return;
  vdataSupported_[chan] = false;
  vdata_[chan].clear();
  vdata_[chan].shrink_to_fit();
}

float* MNMesh::vertexFloat(int chan) {
  if (!vDataSupport(chan) || vdata_[chan].empty()) return nullptr;
  return vdata_[chan].data();
}

void MNMesh::SetMapNum(int n) {
  if (n < 0) n = 0;
  maps_.resize(size_t(n));
}

MNMap* MNMesh::M(int mp) {
  if (mp < 0 || mp >= int(maps_.size())) return nullptr;
  return &maps_[size_t(mp)];
}

namespace {

// The corners a face really has: its degree, unless its corner list is shorter.
int cornerCount(const MNFace& face) { return face.deg < int(face.vtx.size()) ? face.deg : int(face.vtx.size()); }

}  // namespace

void MNMesh::OutToTri(Mesh& out) const {
  out.setNumVerts(numv);
  for (int i = 0; i < numv; ++i) out.verts[i] = v_[size_t(i)].p;
  // The selection travels with the vertices, so a polygon target can mask the work with its own
  // selection once it is seen as a triangle mesh.
  for (int i = 0; i < numv; ++i) {
    const MNVert& vert = v_[size_t(i)];
    if (vert.GetFlag(MN_SEL) && !vert.GetFlag(MN_DEAD)) out.vertSel.Set(i);
  }
  if (vdataSupported_[VDATA_SELECT]) {
    out.setVDataSupport(VDATA_SELECT, TRUE);
    float* weights = out.vertexFloat(VDATA_SELECT);
    for (int i = 0; i < numv && weights != nullptr && size_t(i) < vdata_[VDATA_SELECT].size(); ++i) {
      weights[i] = vdata_[VDATA_SELECT][size_t(i)];
    }
  }
  int triangles = 0;
  for (const MNFace& face : f_) {
    if (!face.GetFlag(MN_DEAD) && cornerCount(face) >= 3) triangles += cornerCount(face) - 2;
  }
  out.setNumFaces(triangles);
  const MNMap* uv = (maps_.size() > 1 && !maps_[1].v.empty()) ? &maps_[1] : nullptr;
  if (uv != nullptr) {
    out.setMapSupport(1, TRUE);
    out.setNumMapVerts(1, int(uv->v.size()));
    UVVert* mapVerts = out.mapVerts(1);
    for (size_t k = 0; k < uv->v.size(); ++k) mapVerts[k] = uv->v[k];
  }
  TVFace* mapFaces = uv != nullptr ? out.mapFaces(1) : nullptr;
  int t = 0;
  for (size_t fi = 0; fi < f_.size(); ++fi) {
    const MNFace& face = f_[fi];
    const int deg = cornerCount(face);
    if (face.GetFlag(MN_DEAD) || deg < 3) continue;
    // A map face that does not have a corner for every corner of its face leaves its triangles on
    // map vertex 0.
    const MNMapFace* mf = nullptr;
    if (mapFaces != nullptr && fi < uv->f.size() && uv->f[fi].deg == face.deg && int(uv->f[fi].tv.size()) >= deg) {
      mf = &uv->f[fi];
    }
    const int* corners = face.vtx.begin();
    for (int k = 1; k + 1 < deg; ++k, ++t) {
      out.faces[t].setVerts(corners[0], corners[k], corners[k + 1]);
      if (mf != nullptr) mapFaces[t].setTVerts(mf->tv[0], mf->tv[size_t(k)], mf->tv[size_t(k) + 1]);
    }
  }
}
