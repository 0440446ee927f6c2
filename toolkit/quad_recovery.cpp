// Triangle pairs read as quads by mutual best choice. Every measure is computed from the same
// vectors whichever of the two triangles asks, so both see the same figure, and a mirror image
// (which keeps lengths and angles) sees it too.
#include "toolkit/quad_recovery.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kDegrees = 180.0 / 3.14159265358979323846;
constexpr double kMostSkew = 45.0;   // from a right angle, at any corner
constexpr double kMostFold = 60.0;   // between the two triangles' normals
constexpr double kClearChoice = 2.0;  // ahead of the runner-up
constexpr double kNoQuad = std::numeric_limits<double>::infinity();

struct Vector {
  double x, y, z;
};

Vector between(const Point3& from, const Point3& to) { return Vector{double(to.x) - from.x, double(to.y) - from.y, double(to.z) - from.z}; }
Vector cross(const Vector& a, const Vector& b) { return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double angle(const Vector& a, const Vector& b) { return std::atan2(std::sqrt(dot(cross(a, b), cross(a, b))), dot(a, b)) * kDegrees; }
// The angle at p of the triangle p q r (the same for p r q).
double cornerAngle(const Point3& p, const Point3& q, const Point3& r) { return angle(between(p, q), between(p, r)); }

class QuadReader {
 public:
  QuadReader(const HalfEdgeMesh& m, const Point3* positions, int keepA, int keepB)
      : m_(m), positions_(positions), keepA_(keepA), keepB_(keepB) {}

  RecoveredQuads Read() {
    RecoveredQuads r;
    for (int f = 0; f < m_.faceCount; ++f) r.triangles += m_.FaceSize(f) == 3;
    if (r.triangles < 2) return r;
    choice_.assign(size_t(m_.faceCount), -1);
    for (int f = 0; f < m_.faceCount; ++f) {
      if (m_.FaceSize(f) == 3) choose(f);
    }
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

  // How far from square the quad of h's triangle and its neighbour across h is: its worst corner's
  // departure from a right angle, or kNoQuad where the pair makes no quad.
  double skew(int h) const {
    const int t = m_.twin[size_t(h)];
    if (t < 0 || m_.FaceSize(m_.faceOf[size_t(t)]) != 3) return kNoQuad;
    const int a = m_.Tail(h), c = m_.Head(h), x = third(h), y = third(t);
    if (x == y) return kNoQuad;
    const int originalA = m_.originalVertex[size_t(a)], originalC = m_.originalVertex[size_t(c)];
    if ((originalA == keepA_ && originalC == keepB_) || (originalA == keepB_ && originalC == keepA_)) return kNoQuad;
    const Point3 &pa = at(a), &pc = at(c), &px = at(x), &py = at(y);
    const double fold = angle(cross(between(pa, pc), between(pa, px)), cross(between(pc, pa), between(pc, py)));
    if (!(fold <= kMostFold)) return kNoQuad;  // also refuses non-finite positions
    const double corners[4] = {cornerAngle(pa, pc, px) + cornerAngle(pa, pc, py), cornerAngle(pc, pa, px) + cornerAngle(pc, pa, py),
                               cornerAngle(px, pa, pc), cornerAngle(py, pa, pc)};
    double worst = 0;
    for (const double corner : corners) worst = std::max(worst, std::abs(corner - 90.0));
    return worst < kMostSkew ? worst : kNoQuad;
  }

  // Records f's clear best half-edge to cross, if it has one.
  void choose(int f) {
    double best = kNoQuad, runnerUp = kNoQuad;
    int bestEdge = -1;
    for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) {
      const double s = skew(h);
      if (s < best) runnerUp = best, best = s, bestEdge = h;
      else if (s < runnerUp) runnerUp = s;
    }
    if (best < kNoQuad && runnerUp - best >= kClearChoice) choice_[size_t(f)] = bestEdge;
  }

  const HalfEdgeMesh& m_;
  const Point3* positions_;
  int keepA_, keepB_;
  std::vector<int> choice_;  // per face: the half-edge it would be read across, or -1
};

}  // namespace

RecoveredQuads RecoverQuads(const HalfEdgeMesh& mesh, const Point3* positions, int keepA, int keepB) {
  return QuadReader(mesh, positions, keepA, keepB).Read();
}
