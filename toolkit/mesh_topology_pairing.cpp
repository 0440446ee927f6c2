// Two readings of a triangulated mesh, the mesh as given and its quads read back, each paired, and
// their partners kept group by group where the connectivity and the positions support them.
#include "toolkit/mesh_topology_pairing.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "toolkit/half_edge_mesh.h"
#include "toolkit/quad_recovery.h"

namespace {

// Judges pairings of one mesh by their partners' distances from the mirror images.
class PartnerJudge {
 public:
  PartnerJudge(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount, const Point3* positions,
               const TopologyPairingOptions& options)
      : positions_(positions), axis_(options.axis), offset_(options.offset), reach2_(size_t(vertexCount), 1e300) {
    // Half the shortest edge at each vertex, squared.
    for (int f = 0; f < faceCount; ++f) {
      for (int c = faceStart[f]; c < faceStart[f + 1]; ++c) {
        const int a = cornerVertex[c], b = cornerVertex[c + 1 == faceStart[f + 1] ? faceStart[f] : c + 1];
        const double quarter = 0.25 * distance2(positions[a], positions[b]);
        reach2_[size_t(a)] = std::min(reach2_[size_t(a)], quarter);
        reach2_[size_t(b)] = std::min(reach2_[size_t(b)], quarter);
      }
    }
  }

  // The squared distance of w from v's mirror image; non-finite positions count as far.
  double Distance2(int v, int w) const {
    const double d2 = distance2(mirrored(v), positions_[w]);
    return std::isfinite(d2) ? d2 : 1e30;
  }

  // Every vertex paired, each within half the shortest edge at it of its mirror image.
  bool Clean(const TopologyPairing& p) const {
    if (!p.unsettled.empty()) return false;
    for (size_t v = 0; v < p.partners.size(); ++v) {
      if (!liesNear(int(v), p.partners[v])) return false;
    }
    return true;
  }

 private:
  static double distance2(const Point3& p, const Point3& q) {
    const double dx = double(p.x) - q.x, dy = double(p.y) - q.y, dz = double(p.z) - q.z;
    return dx * dx + dy * dy + dz * dz;
  }
  Point3 mirrored(int v) const {
    Point3 p = positions_[v];
    p[axis_] = 2.0f * offset_ - p[axis_];
    return p;
  }
  // Non-finite positions are never near.
  bool liesNear(int v, int w) const { return distance2(mirrored(v), positions_[w]) <= reach2_[size_t(v)]; }
  const Point3* positions_;
  int axis_;
  float offset_;
  std::vector<double> reach2_;
};

// Disjoint sets of vertices, by union with path halving.
class VertexSets {
 public:
  explicit VertexSets(int n) : parent_(size_t(n)) {
    for (int v = 0; v < n; ++v) parent_[size_t(v)] = v;
  }
  int Find(int v) {
    while (parent_[size_t(v)] != v) v = parent_[size_t(v)] = parent_[size_t(parent_[size_t(v)])];
    return v;
  }
  void Join(int a, int b) {
    a = Find(a), b = Find(b);
    if (a != b) parent_[size_t(std::max(a, b))] = std::min(a, b);
  }

 private:
  std::vector<int> parent_;
};

// Where each reading's partners come from, decided group by group (see the header): a group is a
// set of shells that either reading pairs with each other, so a head can take its quads' map while
// an eye keeps its triangles'. `splitQuads`: half the triangles or more read back; `exported`: three
// in four stored as split quads.
TopologyPairing combineReadings(const TopologyPairing& given, const TopologyPairing& quads, bool splitQuads, bool exported,
                                const PartnerJudge& judge,
                                const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount) {
  VertexSets sets(vertexCount);
  for (int f = 0; f < faceCount; ++f) {
    for (int c = faceStart[f] + 1; c < faceStart[f + 1]; ++c) sets.Join(cornerVertex[faceStart[f]], cornerVertex[c]);
  }
  std::vector<int> shellOf(static_cast<size_t>(vertexCount));
  for (int v = 0; v < vertexCount; ++v) shellOf[size_t(v)] = sets.Find(v);
  for (int v = 0; v < vertexCount; ++v) {
    if (given.partners[size_t(v)] >= 0) sets.Join(v, given.partners[size_t(v)]);
    if (quads.partners[size_t(v)] >= 0) sets.Join(v, quads.partners[size_t(v)]);
  }
  struct Tally {
    int unsettledGiven = 0, unsettledQuads = 0, settledQuads = 0, agreed = 0;
    double scoreGiven = 0, scoreQuads = 0;
  };
  std::vector<Tally> tally(static_cast<size_t>(vertexCount));
  for (int v = 0; v < vertexCount; ++v) {
    Tally& t = tally[size_t(sets.Find(v))];
    const int g = given.partners[size_t(v)], q = quads.partners[size_t(v)];
    if (g < 0) ++t.unsettledGiven;
    else t.scoreGiven += judge.Distance2(v, g);
    if (q < 0) {
      ++t.unsettledQuads;
    } else {
      ++t.settledQuads;
      t.scoreQuads += judge.Distance2(v, q);
      t.agreed += q == g;
    }
  }
  auto quadsWin = [&](const Tally& t) {
    const bool givenWhole = t.unsettledGiven == 0, quadsWhole = t.unsettledQuads == 0;
    if (givenWhole && quadsWhole) return t.scoreQuads <= t.scoreGiven;
    if (quadsWhole) return true;
    if (givenWhole && exported) return t.agreed * 2 <= t.settledQuads;
    if (givenWhole) return splitQuads && t.agreed * 2 < t.settledQuads;
    if (splitQuads || exported) return true;
    return t.unsettledQuads < t.unsettledGiven;
  };
  TopologyPairing r;
  r.partners.assign(size_t(vertexCount), -1);
  std::vector<signed char> groupTakesQuads(static_cast<size_t>(vertexCount), -1);  // per group root; -1 not yet decided
  for (int v = 0; v < vertexCount; ++v) {
    const int root = sets.Find(v);
    signed char& takesQuads = groupTakesQuads[size_t(root)];
    if (takesQuads < 0) takesQuads = quadsWin(tally[size_t(root)]) ? 1 : 0;
    r.partners[size_t(v)] = takesQuads ? quads.partners[size_t(v)] : given.partners[size_t(v)];
    if (r.partners[size_t(v)] < 0) r.unsettled.push_back(v);
    if (takesQuads) r.quadsRead = quads.quadsRead;
  }

  // Per shell (named by its lowest vertex): the shell its partners lie in, whether any vertex of it
  // is unsettled, and whether either reading paired any of it.
  struct Shell {
    int partner = -1;
    bool unsettled = false, pairedByEither = false;
  };
  std::vector<Shell> shells(static_cast<size_t>(vertexCount));
  for (int v = 0; v < vertexCount; ++v) {
    Shell& s = shells[size_t(shellOf[size_t(v)])];
    const int w = r.partners[size_t(v)];
    s.pairedByEither |= given.partners[size_t(v)] >= 0 || quads.partners[size_t(v)] >= 0;
    if (w < 0) s.unsettled = true;
    else s.partner = shellOf[size_t(w)];
  }
  for (int v = 0; v < vertexCount; ++v) {
    if (shellOf[size_t(v)] != v) continue;
    const Shell& s = shells[size_t(v)];
    ++r.shells;
    if (s.partner < 0 || s.partner == v) ++r.selfMirroredShells;
    else if (s.partner > v) ++r.mirroredShellPairs;
    if (!s.pairedByEither) ++r.unmatchedShells;
    else if (s.unsettled) ++r.faultyShells;
  }
  return r;
}

}  // namespace

TopologyPairing PairMeshByTopology(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                                   const Point3* positions, const TopologyPairingOptions& options) {
  HalfEdgeMesh given;
  TopologyPairing refused;
  if (!BuildHalfEdgeMesh(faceStart, cornerVertex, faceCount, vertexCount, given, refused.error)) return refused;
  const RecoveredQuads read = RecoverQuads(given, positions, options.seedA, options.seedB);
  HalfEdgeMesh quads;
  std::string unused;
  // Reading quads keeps every edge but the diagonals, so the quads' mesh is never refused.
  if (read.quads == 0 || !BuildHalfEdgeMesh(read.faceStart.data(), read.cornerVertex.data(), int(read.faceStart.size()) - 1,
                                            vertexCount, quads, unused)) {
    return PairByTopology(given, positions, options);
  }
  // A mesh of split quads: half its triangles or more read as quads.
  const bool quadsFirst = read.quads * 4 >= read.triangles;
  auto pairGiven = [&] { return PairByTopology(given, positions, options); };
  auto pairQuads = [&] {
    TopologyPairing p = PairByTopology(quads, positions, options);
    p.quadsRead = read.quads;
    return p;
  };
  const PartnerJudge judge(faceStart, cornerVertex, faceCount, vertexCount, positions, options);
  TopologyPairing first = quadsFirst ? pairQuads() : pairGiven();
  const bool whole = first.error.empty() && first.faultyShells == 0 && first.unsettled.empty();
  if (whole && judge.Clean(first)) return first;
  TopologyPairing second = quadsFirst ? pairGiven() : pairQuads();
  const TopologyPairing& fromQuads = quadsFirst ? first : second;
  const TopologyPairing& fromGiven = quadsFirst ? second : first;
  if (!fromQuads.error.empty()) return fromGiven;  // the mesh as given says why it fails, if it does
  if (!fromGiven.error.empty()) return fromQuads;
  const bool exported = read.storedAsSplit * 4 >= read.triangles * 3;
  return combineReadings(fromGiven, fromQuads, quadsFirst, exported, judge, faceStart, cornerVertex, faceCount, vertexCount);
}
