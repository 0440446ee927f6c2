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

void MNMesh::OutToTri(Mesh& out) const {
  out.setNumVerts(numv);
  for (int i = 0; i < numv; ++i) out.verts[i] = v_[size_t(i)].p;
  int triangles = 0;
  for (const MNFace& face : f_) {
    if (!face.GetFlag(MN_DEAD) && face.deg >= 3) triangles += face.deg - 2;
  }
  out.setNumFaces(triangles);
  const MNMap* uv = (maps_.size() > 1 && maps_[1].numv > 0) ? &maps_[1] : nullptr;
  if (uv != nullptr) {
    out.setMapSupport(1, TRUE);
    out.setNumMapVerts(1, int(uv->v.size()));
    for (size_t k = 0; k < uv->v.size(); ++k) out.mapVerts(1)[k] = uv->v[k];
  }
  int t = 0;
  for (size_t fi = 0; fi < f_.size(); ++fi) {
    const MNFace& face = f_[fi];
    if (face.GetFlag(MN_DEAD) || face.deg < 3) continue;
    const MNMapFace* mf = (uv != nullptr && fi < uv->f.size() && uv->f[fi].deg == face.deg) ? &uv->f[fi] : nullptr;
    for (int k = 1; k + 1 < face.deg; ++k, ++t) {
      out.faces[t].setVerts(face.vtx[0], face.vtx[size_t(k)], face.vtx[size_t(k) + 1]);
      if (mf != nullptr) out.mapFaces(1)[t].setTVerts(mf->tv[0], mf->tv[size_t(k)], mf->tv[size_t(k) + 1]);
    }
  }
}
