// Triangle mesh storage, selections, vertex data and map channels.
#include "mesh.h"

#include <algorithm>

Mesh::Mesh() = default;

Mesh::Mesh(const Mesh& from) { *this = from; }

Mesh& Mesh::operator=(const Mesh& from) {
  if (this == &from) return *this;
  numVerts = from.numVerts;
  numFaces = from.numFaces;
  vertStore_ = from.vertStore_;
  faceStore_ = from.faceStore_;
  vertSel = from.vertSel;
  faceSel = from.faceSel;
  edgeSel = from.edgeSel;
  selLevel = from.selLevel;
  dispFlags = from.dispFlags;
  maps_ = from.maps_;
  for (int c = 0; c < MAX_VDATA_CHANNELS; ++c) {
    vdata_[c] = from.vdata_[c];
    vdataSupported_[c] = from.vdataSupported_[c];
  }
  geomCacheInvalidations = 0;
  syncPointers();
  return *this;
}

Mesh::~Mesh() = default;

void Mesh::syncPointers() {
  verts = vertStore_.empty() ? nullptr : vertStore_.data();
  faces = faceStore_.empty() ? nullptr : faceStore_.data();
}

BOOL Mesh::setNumVerts(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) vertStore_.assign(size_t(n), Point3());
  else vertStore_.resize(size_t(n));
  numVerts = n;
  vertSel.SetSize(n, keep);
  for (int c = 0; c < MAX_VDATA_CHANNELS; ++c) {
    if (vdataSupported_[c]) vdata_[c].resize(size_t(n), 0.0f);
  }
  syncPointers();
  return TRUE;
}

BOOL Mesh::setNumFaces(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) faceStore_.assign(size_t(n), Face());
  else faceStore_.resize(size_t(n));
  numFaces = n;
  faceSel.SetSize(n, keep);
  edgeSel.SetSize(3 * n, keep);
  for (auto& map : maps_) {
    if (map.supported) map.faces.resize(size_t(n));
  }
  syncPointers();
  return TRUE;
}

BitArray Mesh::VertexTempSel() {
  BitArray sel(numVerts);
  if (selLevel & MESH_VERTEX) {
    for (int i = 0; i < numVerts; ++i) {
      if (vertSel[i]) sel.Set(i);
    }
  } else if (selLevel & MESH_FACE) {
    for (int f = 0; f < numFaces; ++f) {
      if (!faceSel[f]) continue;
      for (int k = 0; k < 3; ++k) sel.Set(int(faces[f].v[k]));
    }
  } else if (selLevel & MESH_EDGE) {
    for (int f = 0; f < numFaces; ++f) {
      for (int k = 0; k < 3; ++k) {
        if (!edgeSel[3 * f + k]) continue;
        sel.Set(int(faces[f].v[k]));
        sel.Set(int(faces[f].v[(k + 1) % 3]));
      }
    }
  } else {
    sel.SetAll();
  }
  return sel;
}

BOOL Mesh::vDataSupport(int chan) const {
  return chan >= 0 && chan < MAX_VDATA_CHANNELS && vdataSupported_[chan];
}

void Mesh::setVDataSupport(int chan, BOOL support) {
  if (chan < 0 || chan >= MAX_VDATA_CHANNELS) return;
  vdataSupported_[chan] = support != FALSE;
  if (support) vdata_[chan].resize(size_t(numVerts), 0.0f);
  else vdata_[chan].clear();
}

float* Mesh::vertexFloat(int chan) {
  if (!vDataSupport(chan) || vdata_[chan].empty()) return nullptr;
  return vdata_[chan].data();
}

void Mesh::setNumMaps(int count, BOOL keep) {
  if (count < 0 || count > MAX_MESHMAPS) return;
  if (!keep) maps_.clear();
  maps_.resize(size_t(count));
}

BOOL Mesh::mapSupport(int mp) const {
  return mp >= 0 && mp < int(maps_.size()) && maps_[size_t(mp)].supported;
}

void Mesh::setMapSupport(int mp, BOOL support) {
  if (mp < 0 || mp >= MAX_MESHMAPS) return;
  if (mp >= int(maps_.size())) maps_.resize(size_t(mp) + 1);
  MapChannel& map = maps_[size_t(mp)];
  map.supported = support != FALSE;
  if (support) {
    map.faces.resize(size_t(numFaces));
  } else {
    map.faces.clear();
    map.verts.clear();
  }
}

int Mesh::getNumMapVerts(int mp) const {
  return mapSupport(mp) ? int(maps_[size_t(mp)].verts.size()) : 0;
}

void Mesh::setNumMapVerts(int mp, int count, BOOL keep) {
  if (!mapSupport(mp) || count < 0) return;
  auto& v = maps_[size_t(mp)].verts;
  if (!keep) v.assign(size_t(count), UVVert());
  else v.resize(size_t(count));
}

UVVert* Mesh::mapVerts(int mp) {
  if (!mapSupport(mp) || maps_[size_t(mp)].verts.empty()) return nullptr;
  return maps_[size_t(mp)].verts.data();
}

TVFace* Mesh::mapFaces(int mp) {
  if (!mapSupport(mp) || maps_[size_t(mp)].faces.empty()) return nullptr;
  return maps_[size_t(mp)].faces.data();
}

Box3 Mesh::getBoundingBox() const {
  Box3 box;
  for (int i = 0; i < numVerts; ++i) box += verts[i];
  return box;
}
