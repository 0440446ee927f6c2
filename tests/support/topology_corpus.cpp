// The corpus is built exact and symmetric about x = 0; partners are read off the exact positions
// (each vertex's mirror image lands on its partner, far closer than any other vertex) before the
// mesh is posed and its vertices shuffled.
#include "support/topology_corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <tuple>

#include "symmetry/engine/vertex_pairing.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small deterministic generator, the same on every system.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed * 2862933555777941757ull + 3037000493ull) {}
  double Uniform() {  // [0, 1)
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return double(state_ >> 11) / double(1ull << 53);
  }

 private:
  std::uint64_t state_;
};

class Builder {
 public:
  explicit Builder(CorpusMesh& mesh) : mesh_(mesh) {}
  int Vertex(double x, double y, double z) {
    mesh_.positions.push_back(Point3(float(x), float(y), float(z)));
    return int(mesh_.positions.size()) - 1;
  }
  void Face(std::initializer_list<int> corners) { Face(std::vector<int>(corners)); }
  void Face(const std::vector<int>& corners) {
    mesh_.cornerVertex.insert(mesh_.cornerVertex.end(), corners.begin(), corners.end());
    mesh_.faceStart.push_back(int(mesh_.cornerVertex.size()));
  }
  CorpusMesh& mesh() { return mesh_; }

 private:
  CorpusMesh& mesh_;
};

enum class Split { kQuads, kMirroredDiagonals, kMixed, kOneWay };

// A bumped surface over x in [-n h, n h] (plus `shift`), y in [0, m h]; its quads split as asked.
void grid(Builder& b, int n, int m, double h, Split split, double x0 = 0, double y0 = 0, double z0 = 0) {
  const int first = int(b.mesh().positions.size());
  auto at = [&](int i, int j) { return first + (i + n) * (m + 1) + j; };
  for (int i = -n; i <= n; ++i) {
    for (int j = 0; j <= m; ++j) b.Vertex(x0 + i * h, y0 + j * h, z0 + 0.25 * h * std::cos(0.7 * i) * std::sin(0.9 * j + 0.3));
  }
  for (int i = -n; i < n; ++i) {
    for (int j = 0; j < m; ++j) {
      const int a = at(i, j), c = at(i + 1, j), d = at(i + 1, j + 1), e = at(i, j + 1);
      // Mirror-consistent diagonals: from (i, j) to (i+1, j+1) on the right, the other way on the left.
      const bool right = i >= 0;
      bool splitIt = split == Split::kMirroredDiagonals || split == Split::kOneWay ||
                     (split == Split::kMixed && (std::abs(2 * i + 1) + j) % 3 == 0);
      if (!splitIt) {
        b.Face({a, c, d, e});
      } else if (split == Split::kOneWay || right) {
        b.Face({a, c, d});
        b.Face({a, d, e});
      } else {
        b.Face({a, c, e});
        b.Face({c, d, e});
      }
    }
  }
}

// A closed box of n x n quads a side, centred at `c` with half size `s`.
void box(Builder& b, int n, double cx, double cy, double cz, double s) {
  std::map<std::tuple<int, int, int>, int> index;
  auto vertex = [&](int i, int j, int k) {
    auto key = std::make_tuple(i, j, k);
    auto it = index.find(key);
    if (it != index.end()) return it->second;
    const int v = b.Vertex(cx + s * (2.0 * i / n - 1), cy + s * (2.0 * j / n - 1), cz + s * (2.0 * k / n - 1));
    index.emplace(key, v);
    return v;
  };
  // Each side: the axis it faces, which end, and two axes along it ordered so faces point outwards.
  for (int axis = 0; axis < 3; ++axis) {
    for (int end = 0; end <= 1; ++end) {
      const int u = (axis + 1) % 3, w = (axis + 2) % 3;
      for (int p = 0; p < n; ++p) {
        for (int q = 0; q < n; ++q) {
          int corner[4][3];
          const int pu[4] = {p, p + 1, p + 1, p}, qw[4] = {q, q, q + 1, q + 1};
          for (int c = 0; c < 4; ++c) {
            corner[c][axis] = end * n;
            corner[c][u] = pu[c];
            corner[c][w] = qw[c];
          }
          std::vector<int> face;
          for (int c = 0; c < 4; ++c) face.push_back(vertex(corner[c][0], corner[c][1], corner[c][2]));
          if (end == 0) std::reverse(face.begin(), face.end());
          b.Face(face);
        }
      }
    }
  }
}

// A UV sphere: `segments` (even) around the up axis, `rings` from pole to pole, fans at the poles.
void sphere(Builder& b, int segments, int rings, double cx, double cy, double cz, double r) {
  const int top = b.Vertex(cx, cy + r, cz);
  const int first = int(b.mesh().positions.size());
  for (int ring = 1; ring < rings; ++ring) {
    const double theta = kPi * ring / rings;
    for (int s = 0; s < segments; ++s) {
      const double phi = 2 * kPi * s / segments;
      b.Vertex(cx + r * std::sin(theta) * std::cos(phi), cy + r * std::cos(theta), cz + r * std::sin(theta) * std::sin(phi));
    }
  }
  const int bottom = b.Vertex(cx, cy - r, cz);
  auto at = [&](int ring, int s) { return first + (ring - 1) * segments + (s % segments); };
  for (int s = 0; s < segments; ++s) b.Face({top, at(1, s + 1), at(1, s)});
  for (int ring = 1; ring + 1 < rings; ++ring) {
    for (int s = 0; s < segments; ++s) b.Face({at(ring, s), at(ring, s + 1), at(ring + 1, s + 1), at(ring + 1, s)});
  }
  for (int s = 0; s < segments; ++s) b.Face({bottom, at(rings - 1, s), at(rings - 1, s + 1)});
}

// A shell that is not symmetric in itself (a bumped, partly split patch) on the left, and its
// mirror image on the right.
void mirroredPatches(Builder& b, double x0, double y0) {
  CorpusMesh& m = b.mesh();
  const int first = int(m.positions.size());
  const int firstFace = m.FaceCount();
  const int n = 4;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) b.Vertex(x0 - 0.1 * i, y0 + 0.1 * j, 0.03 * std::sin(1.3 * i + 0.4 * j * j));
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const int a = first + i * (n + 1) + j, c = a + n + 1, d = c + 1, e = a + 1;
      if ((i * 3 + j) % 4 == 0) {
        b.Face({a, c, d});
        b.Face({a, d, e});
      } else {
        b.Face({a, c, d, e});
      }
    }
  }
  const int count = int(m.positions.size()) - first, faces = m.FaceCount();
  for (int v = 0; v < count; ++v) {
    const Point3 p = m.positions[size_t(first + v)];
    b.Vertex(-double(p.x), p.y, p.z);
  }
  for (int f = firstFace; f < faces; ++f) {
    std::vector<int> face;
    for (int c = m.faceStart[size_t(f) + 1] - 1; c >= m.faceStart[size_t(f)]; --c) face.push_back(m.cornerVertex[size_t(c)] + count);
    b.Face(face);
  }
}

double meanEdgeLength(const CorpusMesh& m) {
  double sum = 0;
  int count = 0;
  for (int f = 0; f < m.FaceCount(); ++f) {
    for (int c = m.faceStart[size_t(f)]; c < m.faceStart[size_t(f) + 1]; ++c) {
      const int next = c + 1 == m.faceStart[size_t(f) + 1] ? m.faceStart[size_t(f)] : c + 1;
      const Point3 d = m.positions[size_t(m.cornerVertex[size_t(c)])] - m.positions[size_t(m.cornerVertex[size_t(next)])];
      sum += std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
      ++count;
    }
  }
  return count > 0 ? sum / count : 1.0;
}

// Partners read off the exact positions, then the pose, then a shuffle of the vertex order.
CorpusMesh finish(CorpusMesh m, Pose pose, std::uint64_t seed) {
  const int n = int(m.positions.size());
  m.truth.assign(size_t(n), 0);
  BuildPartnerTable(m.positions.data(), n, BuildMirrorMatrices(0, 0.0f), m.truth.data());
  Random random(seed);
  if (pose == Pose::kNoise || pose == Pose::kNoiseAndTwist) {
    const double most = 0.3 * meanEdgeLength(m);
    for (Point3& p : m.positions) {
      // A direction uniform on the sphere, a length uniform up to 30% of the mean edge.
      const double z = 2 * random.Uniform() - 1, a = 2 * kPi * random.Uniform(), r = std::sqrt(1 - z * z);
      const double length = most * random.Uniform();
      p = p + Point3(float(length * r * std::cos(a)), float(length * r * std::sin(a)), float(length * z));
    }
  }
  if (pose == Pose::kTwist || pose == Pose::kNoiseAndTwist) {
    float lo = 1e30f, hi = -1e30f;
    for (const Point3& p : m.positions) lo = std::min(lo, p.y), hi = std::max(hi, p.y);
    for (Point3& p : m.positions) {
      // 35 degrees from the lowest vertex to the highest, none at mid-height.
      const double angle = 35.0 * kPi / 180.0 * ((p.y - lo) / std::max(1e-9f, hi - lo) - 0.5);
      const double x = p.x * std::cos(angle) + p.z * std::sin(angle), z = -p.x * std::sin(angle) + p.z * std::cos(angle);
      p.x = float(x);
      p.z = float(z);
    }
  }
  static const char* kPoseNames[] = {"exact", "noise", "twist", "noise+twist"};
  m.name += std::string(" (") + kPoseNames[int(pose)] + ")";
  std::vector<int> order(static_cast<size_t>(n)), where(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) order[size_t(i)] = i;
  for (int i = n - 1; i > 0; --i) std::swap(order[size_t(i)], order[size_t(random.Uniform() * (i + 1))]);
  for (int i = 0; i < n; ++i) where[size_t(order[size_t(i)])] = i;
  CorpusMesh s = m;
  for (int i = 0; i < n; ++i) {
    s.positions[size_t(where[size_t(i)])] = m.positions[size_t(i)];
    s.truth[size_t(where[size_t(i)])] = where[size_t(m.truth[size_t(i)])];
  }
  for (int& v : s.cornerVertex) v = where[size_t(v)];
  return s;
}

std::vector<CorpusMesh> shapes() {
  std::vector<CorpusMesh> all;
  auto add = [&](const std::string& name, auto build) {
    CorpusMesh m;
    m.name = name;
    Builder b(m);
    build(b);
    all.push_back(std::move(m));
  };
  add("quad grid", [](Builder& b) { grid(b, 8, 10, 0.1, Split::kQuads); });
  add("triangle grid", [](Builder& b) { grid(b, 8, 10, 0.1, Split::kMirroredDiagonals); });
  add("mixed grid", [](Builder& b) { grid(b, 8, 10, 0.1, Split::kMixed); });
  add("box", [](Builder& b) { box(b, 4, 0, 0, 0, 1); });
  // Fourteen segments: the plane cuts the edges between segments 3 and 4 and between 10 and 11.
  add("uv sphere", [](Builder& b) { sphere(b, 14, 10, 0, 0, 0, 1); });
  add("head and eyes", [](Builder& b) {
    sphere(b, 24, 14, 0, 0, 0, 1);
    sphere(b, 12, 8, -0.4, 0.3, 1.1, 0.15);
    sphere(b, 12, 8, 0.4, 0.3, 1.1, 0.15);
  });
  add("eight shells", [](Builder& b) {
    sphere(b, 20, 12, 0, 0, 0, 1);
    sphere(b, 12, 8, -0.4, 0.3, 1.1, 0.15);
    sphere(b, 12, 8, 0.4, 0.3, 1.1, 0.15);
    box(b, 2, -1.2, 0.1, 0, 0.12);
    box(b, 2, 1.2, 0.1, 0, 0.12);
    grid(b, 3, 2, 0.05, Split::kMixed, 0, -0.6, 0.9);
    mirroredPatches(b, -1.5, -0.8);
  });
  return all;
}

}  // namespace

std::vector<CorpusMesh> SymmetricCorpus() {
  std::vector<CorpusMesh> all;
  std::uint64_t seed = 1;
  for (const CorpusMesh& shape : shapes()) {
    for (Pose pose : {Pose::kExact, Pose::kNoise, Pose::kTwist, Pose::kNoiseAndTwist}) all.push_back(finish(shape, pose, seed++));
  }
  return all;
}

std::vector<CorpusMesh> AsymmetricCorpus() {
  std::vector<CorpusMesh> all;
  CorpusMesh m;
  m.symmetricConnectivity = false;
  {
    CorpusMesh g = m;
    g.name = "grid with diagonals all one way";
    Builder b(g);
    grid(b, 8, 10, 0.1, Split::kOneWay);
    all.push_back(finish(g, Pose::kExact, 101));
  }
  {
    CorpusMesh g = m;
    g.name = "grid with one unmirrored diagonal";
    Builder b(g);
    grid(b, 8, 10, 0.1, Split::kMirroredDiagonals);
    // The quad at i = -3, j = 4 is split the way its mirror image is, not mirrored.
    const int n = 8, mm = 10;
    auto at = [&](int i, int j) { return (i + n) * (mm + 1) + j; };
    const int quad = ((-3 + n) * mm + 4) * 2;
    const int a = at(-3, 4), c = at(-2, 4), d = at(-2, 5), e = at(-3, 5);
    const int tri[6] = {a, c, d, a, d, e};
    for (int k = 0; k < 6; ++k) g.cornerVertex[size_t(g.faceStart[size_t(quad)] + k)] = tri[k];
    all.push_back(finish(g, Pose::kExact, 102));
  }
  {
    CorpusMesh g = m;
    g.name = "grid with one quad split at its centre on one side";
    Builder b(g);
    grid(b, 8, 10, 0.1, Split::kQuads);
    // The quad at i = -3, j = 4 becomes four triangles around a vertex at its centre.
    const int face = (-3 + 8) * 10 + 4;
    std::vector<int> quad(g.cornerVertex.begin() + g.faceStart[size_t(face)], g.cornerVertex.begin() + g.faceStart[size_t(face) + 1]);
    Point3 centre(0, 0, 0);
    for (int v : quad) centre = centre + g.positions[size_t(v)] * 0.25f;
    const int middle = b.Vertex(centre.x, centre.y, centre.z);
    g.cornerVertex.erase(g.cornerVertex.begin() + g.faceStart[size_t(face)], g.cornerVertex.begin() + g.faceStart[size_t(face) + 1]);
    g.faceStart.erase(g.faceStart.begin() + face + 1);
    for (size_t f = size_t(face) + 1; f < g.faceStart.size(); ++f) g.faceStart[f] -= 4;
    for (int k = 0; k < 4; ++k) b.Face({quad[size_t(k)], quad[size_t(k + 1) % 4], middle});
    all.push_back(finish(g, Pose::kExact, 104));
  }
  {
    CorpusMesh g = m;
    g.name = "grid with a face missing on one side";
    Builder b(g);
    grid(b, 8, 10, 0.1, Split::kQuads);
    const int face = (-3 + 8) * 10 + 4;
    g.cornerVertex.erase(g.cornerVertex.begin() + g.faceStart[size_t(face)], g.cornerVertex.begin() + g.faceStart[size_t(face) + 1]);
    g.faceStart.erase(g.faceStart.begin() + face + 1);
    for (size_t f = size_t(face) + 1; f < g.faceStart.size(); ++f) g.faceStart[f] -= 4;
    all.push_back(finish(g, Pose::kExact, 103));
  }
  return all;
}

CorpusMesh SplitQuads(const CorpusMesh& m) {
  CorpusMesh split = m;
  split.faceStart = {0};
  split.cornerVertex.clear();
  for (int f = 0; f < m.FaceCount(); ++f) {
    const int* c = m.cornerVertex.data() + m.faceStart[size_t(f)];
    const int size = m.faceStart[size_t(f) + 1] - m.faceStart[size_t(f)];
    if (size == 4) {
      for (int k : {0, 1, 2}) split.cornerVertex.push_back(c[k]);
      split.faceStart.push_back(int(split.cornerVertex.size()));
      for (int k : {0, 2, 3}) split.cornerVertex.push_back(c[k]);
    } else {
      split.cornerVertex.insert(split.cornerVertex.end(), c, c + size);
    }
    split.faceStart.push_back(int(split.cornerVertex.size()));
  }
  split.name += ", quads split";
  split.symmetricConnectivity = false;
  return split;
}

std::vector<CorpusMesh> SplitQuadCorpus() {
  std::vector<CorpusMesh> all;
  for (const CorpusMesh& m : SymmetricCorpus()) all.push_back(SplitQuads(m));
  return all;
}

CorpusMesh LargeGrid(int vertices, Pose pose) {
  CorpusMesh m;
  m.name = "large grid";
  Builder b(m);
  const int side = std::max(2, int(std::sqrt(double(vertices))));
  grid(b, side / 2, side, 1.0 / side, Split::kQuads);
  return finish(m, pose, 7);
}

std::string CorpusObjText(const CorpusMesh& mesh) {
  std::string text;
  text.reserve(mesh.positions.size() * 40 + mesh.cornerVertex.size() * 8);
  char line[96];
  for (const Point3& p : mesh.positions) {
    std::snprintf(line, sizeof(line), "v %.6f %.6f %.6f\n", double(p.x), double(p.y), double(p.z));
    text += line;
  }
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    text += "f";
    for (int c = mesh.faceStart[size_t(f)]; c < mesh.faceStart[size_t(f) + 1]; ++c) text += " " + std::to_string(mesh.cornerVertex[size_t(c)] + 1);
    text += "\n";
  }
  return text;
}
