// Triangle pairs read as quads: each triangle chooses the neighbour it would be read with, and a
// pair is read where the choice is mutual. A pair's measure is always taken from the lower of its
// edge's two half-edges, so both triangles see the same figure, and a mirror image (which keeps
// lengths and angles) sees it too, up to rounding.
#include "toolkit/quad_recovery.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "toolkit/side_by_side.h"

namespace {

// Corners are measured by their squared cosines, with no trigonometry and no square root but the
// triangles' areas: a corner lies within 30 degrees of a right angle when its cos^2 is at most
// sin^2 30, and the largest cos^2 orders quads as the largest departure from a right angle does.
// Triangles not stored as an exporter stores a split quad are read only with corners up to 30
// degrees from right angles (two halves of a fan around a pole, pushed about by noise, must not
// pass for a quad), and in a mesh so exported only up to 15.
constexpr double kMostSkewApart = 0.25;                       // 30 degrees
constexpr double kMostSkewApartExported = 0.066987298107780677;  // 15 degrees
constexpr double kLeastFoldCos = 0.5;                         // the two normals within 60 degrees
constexpr double kClearChoiceDegrees = 2.0;                   // ahead of the runner-up
constexpr double kNoQuad = std::numeric_limits<double>::infinity();

struct Vector {
  double x, y, z;
};

Vector between(const Point3& from, const Point3& to) { return Vector{double(to.x) - from.x, double(to.y) - from.y, double(to.z) - from.z}; }
Vector cross(const Vector& a, const Vector& b) { return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A skew (largest cos^2) in degrees from a right angle.
double degreesFromSquare(double skew) { return std::asin(std::sqrt(std::min(1.0, skew))) * (180.0 / 3.14159265358979323846); }

class QuadReader {
 public:
  QuadReader(const HalfEdgeMesh& m, const Point3* positions, int keepA, int keepB)
      : m_(m), positions_(positions), keepA_(keepA), keepB_(keepB) {}

  RecoveredQuads Read() {
    RecoveredQuads r;
    for (int f = 0; f < m_.faceCount; ++f) r.triangles += m_.FaceSize(f) == 3;
    if (r.triangles < 2) return r;
    choice_.assign(size_t(m_.faceCount), -1);
    const int middle = m_.faceCount / 2;
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

  // Whether h's triangle and its neighbour across h make a quad at all: both triangles, four
  // distinct corners, and h not the edge the caller keeps.
  bool joinable(int h) const {
    const int t = m_.twin[size_t(h)];
    if (t < 0 || m_.FaceSize(m_.faceOf[size_t(h)]) != 3 || m_.FaceSize(m_.faceOf[size_t(t)]) != 3) return false;
    if (third(h) == third(t)) return false;
    const int a = m_.originalVertex[size_t(m_.Tail(h))], c = m_.originalVertex[size_t(m_.Head(h))];
    return !((a == keepA_ && c == keepB_) || (a == keepB_ && c == keepA_));
  }

  // How far from square the quad of h's triangle and its neighbour across h is, as its largest
  // cos^2 at a corner; kNoQuad where the pair makes no quad (folded, not convex, too skewed).
  double skew(int h) const {
    if (!joinable(h)) return kNoQuad;
    const int t = m_.twin[size_t(h)];
    const int a = m_.Tail(h), c = m_.Head(h), x = third(h), y = third(t);
    const Point3 &pa = at(a), &pc = at(c), &px = at(x), &py = at(y);
    // The quad's five edges (the diagonal a-c, then round it) and the triangles' normals, whose
    // lengths (twice the areas) are the sines of every corner times the lengths of its two edges.
    const Vector ac = between(pa, pc), ax = between(pa, px), ay = between(pa, py), cx = between(pc, px), cy = between(pc, py);
    const double ac2 = dot(ac, ac), ax2 = dot(ax, ax), ay2 = dot(ay, ay), cx2 = dot(cx, cx), cy2 = dot(cy, cy);
    const Vector normalX = cross(ac, ax), normalY = cross(ay, ac);
    const double areaX = std::sqrt(dot(normalX, normalX)), areaY = std::sqrt(dot(normalY, normalY));
    if (!(dot(normalX, normalY) >= kLeastFoldCos * areaX * areaY)) return kNoQuad;  // also non-finite
    // At a and at c the quad's corner is the two triangles' corners side by side: cos(p + q) =
    // cos p cos q - sin p sin q, and sin(p + q) > 0 while the quad is convex there.
    const double atAX = dot(ac, ax), atAY = dot(ac, ay), atCX = -dot(ac, cx), atCY = -dot(ac, cy);
    if (!(areaX * atAY + atAX * areaY > 0 && areaX * atCY + atCX * areaY > 0)) return kNoQuad;
    const double cosA = atAX * atAY - areaX * areaY, cosC = atCX * atCY - areaX * areaY;
    const double atX = dot(ax, cx), atY = dot(ay, cy);
    const double worst = std::max(std::max(cosA * cosA / (ac2 * ac2 * ax2 * ay2), cosC * cosC / (ac2 * ac2 * cx2 * cy2)),
                                  std::max(atX * atX / (ax2 * cx2), atY * atY / (ay2 * cy2)));
    return worst <= kMostSkewApart ? worst : kNoQuad;
  }

  // The skew across h's edge, measured from the lower of its two half-edges: both triangles see
  // the same figure to the last bit.
  double edgeSkew(int h) const { return skew(std::min(h, m_.twin[size_t(h)])); }

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

  // Records f's clear best half-edge to cross, if it has one. The other half of a split quad stored
  // with f as exporters store it is taken whatever the positions (on a sheared mesh, half of one quad
  // and half of the next can make a squarer quad than either; noise can make a true quad look like
  // none); otherwise the squarer quad, clearly.
  void choose(int f) {
    double best = kNoQuad, runnerUp = kNoQuad;
    int bestEdge = -1;
    for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) {
      const int t = m_.twin[size_t(h)];
      if (t < 0) continue;
      const int u = m_.faceOf[size_t(t)];
      if ((u == f + 1 && splitAsExported(f)) || (u == f - 1 && splitAsExported(u))) {
        if (joinable(h)) {
          choice_[size_t(f)] = h;
          return;
        }
        continue;
      }
      const double s = edgeSkew(h);
      if (s > mostSkewApart_) continue;
      if (s < best) runnerUp = best, best = s, bestEdge = h;
      else if (s < runnerUp) runnerUp = s;
    }
    if (bestEdge < 0) return;
    if (runnerUp == kNoQuad || degreesFromSquare(runnerUp) - degreesFromSquare(best) >= kClearChoiceDegrees) choice_[size_t(f)] = bestEdge;
  }

  const HalfEdgeMesh& m_;
  const Point3* positions_;
  int keepA_, keepB_;
  LargeArray<int> choice_;  // per face: the half-edge it would be read across, or -1
  double mostSkewApart_ = kMostSkewApart;  // for triangles not stored as a split quad's halves
};

}  // namespace

RecoveredQuads RecoverQuads(const HalfEdgeMesh& mesh, const Point3* positions, int keepA, int keepB) {
  return QuadReader(mesh, positions, keepA, keepB).Read();
}
