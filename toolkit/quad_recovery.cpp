// Triangle pairs read as quads by mutual best choice. Every measure is computed from the same
// vectors whichever of the two triangles asks, so both see the same figure, and a mirror image
// (which keeps lengths and angles) sees it too.
#include "toolkit/quad_recovery.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "toolkit/side_by_side.h"

namespace {

// Corners are measured by their cosines, with no trigonometry: a quad's corners are within 45 degrees
// of right angles when every |cos| is at most sin 45, and the largest |cos| orders quads as the
// largest departure from a right angle does.
// Triangles stored as an exporter stores a split quad may make a quad with corners up to 60 degrees
// from right angles; others only up to 30 (two halves of a fan around a pole, pushed about by noise,
// must not pass for a quad).
constexpr double kMostSkew = 0.86602540378443865;  // |cos| of a corner 60 degrees from a right angle
constexpr double kMostSkewApart = 0.5;             // 30 degrees
constexpr double kMostSkewApartExported = 0.25881904510252076;  // 15 degrees, in an exported mesh
constexpr double kLeastFoldCos = 0.5;               // the two normals within 60 degrees
constexpr double kClearChoiceDegrees = 2.0;         // ahead of the runner-up
constexpr double kNoQuad = std::numeric_limits<double>::infinity();

struct Vector {
  double x, y, z;
};

Vector between(const Point3& from, const Point3& to) { return Vector{double(to.x) - from.x, double(to.y) - from.y, double(to.z) - from.z}; }
Vector cross(const Vector& a, const Vector& b) { return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Vector& a) { return std::sqrt(dot(a, a)); }

// A triangle's angle at a corner, as its cosine and sine: from the two edges there and twice the
// triangle's area (the length of its normal, the same at every corner).
struct Corner {
  double cos, sin;
};
Corner cornerOf(const Vector& u, double lengthU, const Vector& v, double lengthV, double twiceArea) {
  const double lengths = lengthU * lengthV;
  return Corner{dot(u, v) / lengths, twiceArea / lengths};
}
// Two triangles' angles at a shared corner, side by side.
Corner sum(const Corner& a, const Corner& b) { return Corner{a.cos * b.cos - a.sin * b.sin, a.sin * b.cos + a.cos * b.sin}; }

// A skew (largest |cos|) in degrees from a right angle.
double degreesFromSquare(double skew) { return std::asin(std::min(1.0, skew)) * (180.0 / 3.14159265358979323846); }

class QuadReader {
 public:
  QuadReader(const HalfEdgeMesh& m, const Point3* positions, int keepA, int keepB)
      : m_(m), positions_(positions), keepA_(keepA), keepB_(keepB) {}

  RecoveredQuads Read() {
    RecoveredQuads r;
    for (int f = 0; f < m_.faceCount; ++f) r.triangles += m_.FaceSize(f) == 3;
    if (r.triangles < 2) return r;
    choice_.assign(size_t(m_.faceCount), -1);
    skew_.resize(size_t(m_.faceStart[m_.faceCount]));
    const int middle = m_.faceCount / 2;
    RunSideBySide([&] { measure(middle, m_.faceCount); }, [&] { measure(0, middle); });
    auto chooseAll = [&](int firstFace, int endFace) {
      for (int f = firstFace; f < endFace; ++f) {
        if (m_.FaceSize(f) == 3) choose(f);
      }
    };
    // A mesh whose triangles lie three in four as an exporter stores split quads was exported so:
    // its other triangles were mostly triangles before (a cap around a pole, which noise can make
    // look like half a quad), and only a nearly square pair of them is read.
    for (int f = 0; f < m_.faceCount; ++f) r.storedAsSplit += splitAsExported(f) ? 2 : 0;
    mostSkewApart_ = r.storedAsSplit * 4 >= r.triangles * 3 ? kMostSkewApartExported : kMostSkewApart;
    RunSideBySide([&] { chooseAll(middle, m_.faceCount); }, [&] { chooseAll(0, middle); });
    r.faceStart.reserve(size_t(m_.faceCount) + 1);
    r.faceStart.push_back(0);
    r.cornerVertex.reserve(size_t(m_.faceStart[m_.faceCount]));
    for (int f = 0; f < m_.faceCount; ++f) {
      const int h = choice_[size_t(f)];
      const int u = h < 0 ? -1 : m_.faceOf[size_t(m_.twin[size_t(h)])];
      if (h >= 0 && choice_[size_t(u)] >= 0 && m_.faceOf[size_t(m_.twin[size_t(choice_[size_t(u)])])] == f) {
        if (u < f) continue;  // read with u, at u's place
        // f = a c x across h = a->c from u = c a y: the quad a y c x keeps both orientations.
        const int t = m_.twin[size_t(h)];
        for (const int v : {m_.Tail(h), third(t), m_.Head(h), third(h)}) r.cornerVertex.push_back(m_.originalVertex[size_t(v)]);
        ++r.quads;
      } else {
        for (int c = m_.faceStart[f]; c < m_.faceStart[f + 1]; ++c) r.cornerVertex.push_back(m_.originalVertex[size_t(m_.Tail(c))]);
      }
      r.faceStart.push_back(int(r.cornerVertex.size()));
    }
    if (r.quads == 0) r.faceStart.clear(), r.cornerVertex.clear();
    return r;
  }

 private:
  const Point3& at(int v) const { return positions_[m_.originalVertex[size_t(v)]]; }
  // The corner of h's triangle that h does not touch.
  int third(int h) const {
    const int f = m_.faceOf[size_t(h)];
    return m_.Tail(m_.HalfEdge(f, h - m_.faceStart[f] + 2));
  }

  // How far from square the quad of h's triangle and its neighbour across h is, as its largest
  // |cos| at a corner; kNoQuad where the pair makes no quad (folded, not convex, too skewed).
  double skew(int h) const {
    const int t = m_.twin[size_t(h)];
    if (t < 0 || m_.FaceSize(m_.faceOf[size_t(h)]) != 3 || m_.FaceSize(m_.faceOf[size_t(t)]) != 3) return kNoQuad;
    const int a = m_.Tail(h), c = m_.Head(h), x = third(h), y = third(t);
    if (x == y) return kNoQuad;
    const int originalA = m_.originalVertex[size_t(a)], originalC = m_.originalVertex[size_t(c)];
    if ((originalA == keepA_ && originalC == keepB_) || (originalA == keepB_ && originalC == keepA_)) return kNoQuad;
    const Point3 &pa = at(a), &pc = at(c), &px = at(x), &py = at(y);
    // The quad's five edges (the diagonal a-c, then round it) and the triangles' normals.
    const Vector ac = between(pa, pc), ax = between(pa, px), ay = between(pa, py), cx = between(pc, px), cy = between(pc, py);
    const double lengthAC = length(ac), lengthAX = length(ax), lengthAY = length(ay), lengthCX = length(cx), lengthCY = length(cy);
    const Vector normalX = cross(ac, ax), normalY = cross(ay, ac);
    const double areaX = length(normalX), areaY = length(normalY);
    if (!(dot(normalX, normalY) >= kLeastFoldCos * areaX * areaY)) return kNoQuad;  // also non-finite
    const Vector ca = Vector{-ac.x, -ac.y, -ac.z}, xa = Vector{-ax.x, -ax.y, -ax.z}, ya = Vector{-ay.x, -ay.y, -ay.z};
    const Vector xc = Vector{-cx.x, -cx.y, -cx.z}, yc = Vector{-cy.x, -cy.y, -cy.z};
    const Corner atA = sum(cornerOf(ac, lengthAC, ax, lengthAX, areaX), cornerOf(ac, lengthAC, ay, lengthAY, areaY));
    const Corner atC = sum(cornerOf(ca, lengthAC, cx, lengthCX, areaX), cornerOf(ca, lengthAC, cy, lengthCY, areaY));
    if (!(atA.sin > 0 && atC.sin > 0)) return kNoQuad;  // a corner of 180 degrees or more
    const double atX = cornerOf(xa, lengthAX, xc, lengthCX, areaX).cos, atY = cornerOf(ya, lengthAY, yc, lengthCY, areaY).cos;
    const double worst = std::max(std::max(std::abs(atA.cos), std::abs(atC.cos)), std::max(std::abs(atX), std::abs(atY)));
    return worst <= kMostSkew ? worst : kNoQuad;
  }

  // Each shared edge's skew, measured once (by the lower of its two half-edges) for both.
  void measure(int firstFace, int endFace) {
    for (int h = m_.faceStart[firstFace]; h < m_.faceStart[endFace]; ++h) {
      const int t = m_.twin[size_t(h)];
      if (t > h) skew_[size_t(h)] = skew_[size_t(t)] = float(skew(h));
    }
  }

  // Whether triangles x and x + 1 are stored as an exporter splits a quad a b c d: a b c, then a c d.
  bool fanned(int x) const {
    if (x < 0 || x + 1 >= m_.faceCount || m_.FaceSize(x) != 3 || m_.FaceSize(x + 1) != 3) return false;
    const int first = m_.faceStart[x], second = m_.faceStart[x + 1];
    return m_.cornerVertex[size_t(first)] == m_.cornerVertex[size_t(second)] &&
           m_.cornerVertex[size_t(first + 2)] == m_.cornerVertex[size_t(second + 1)];
  }
  // The same, x and x + 1 being the whole fan: three or more triangles fanned so (a polygon split
  // from one corner, a cap around a pole) make no quad by their order.
  bool splitAsExported(int x) const { return fanned(x) && !fanned(x - 1) && !fanned(x + 1); }

  // Records f's clear best half-edge to cross, if it has one. A neighbour stored with f as an
  // exporter stores a split quad's two halves comes first; then the squarer quad. (On a sheared
  // mesh, half of one quad and half of the next can make a squarer quad than either.)
  void choose(int f) {
    struct Candidate {
      bool apart;  // not stored with f as the other half of a split quad
      double skew;
      bool before(const Candidate& o) const { return apart != o.apart ? !apart : skew < o.skew; }
    };
    const Candidate none{true, kNoQuad};
    Candidate best = none, runnerUp = none;
    int bestEdge = -1;
    for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) {
      const int t = m_.twin[size_t(h)];
      if (t < 0 || skew_[size_t(h)] == float(kNoQuad)) continue;
      const int u = m_.faceOf[size_t(t)];
      const bool stored = (u == f + 1 && splitAsExported(f)) || (u == f - 1 && splitAsExported(u));
      if (!stored && skew_[size_t(h)] > float(mostSkewApart_)) continue;
      const Candidate c{!stored, double(skew_[size_t(h)])};
      if (c.before(best)) runnerUp = best, best = c, bestEdge = h;
      else if (c.before(runnerUp)) runnerUp = c;
    }
    if (bestEdge < 0) return;
    const bool clear = runnerUp.skew == kNoQuad || runnerUp.apart != best.apart ||
                       degreesFromSquare(runnerUp.skew) - degreesFromSquare(best.skew) >= kClearChoiceDegrees;
    if (clear) choice_[size_t(f)] = bestEdge;
  }

  const HalfEdgeMesh& m_;
  const Point3* positions_;
  int keepA_, keepB_;
  LargeArray<float> skew_;   // per half-edge with a twin: the skew of the quad across it
  LargeArray<int> choice_;  // per face: the half-edge it would be read across, or -1
  double mostSkewApart_ = kMostSkewApart;  // for triangles not stored as a split quad's halves
};

}  // namespace

RecoveredQuads RecoverQuads(const HalfEdgeMesh& mesh, const Point3* positions, int keepA, int keepB) {
  return QuadReader(mesh, positions, keepA, keepB).Read();
}
