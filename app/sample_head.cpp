// The sample head: a cube-sphere (six square grids pushed onto a sphere, so every face is a quad
// and there are no poles) shaped into a head by symmetric bumps, then sculpted on one side.
#include "sample_head.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "token_text.h"

namespace {

// Grid cells along each cube edge; even, so the X = 0 plane runs along grid lines.
constexpr int kCells = 32;
constexpr int kHalf = kCells / 2;
constexpr double kPi = 3.14159265358979323846;

double gauss(double d2, double width2) { return std::exp(-d2 / width2); }
double positivePart(double v) { return v > 0.0 ? v : 0.0; }
double smoothStep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Head surface point for a lattice point of the cube surface (each coordinate in -kHalf..kHalf, at
// least one at +-kHalf). Mathematically even in x; the caller still mirrors to make it exact.
std::array<double, 3> headPoint(int i, int j, int k) {
  // Equal-angle spacing keeps the cells of similar size across each cube face.
  const double q[3] = {std::tan(kPi / 4.0 * i / kHalf), std::tan(kPi / 4.0 * j / kHalf),
                       std::tan(kPi / 4.0 * k / kHalf)};
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
  const double dx = q[0] / length, dy = q[1] / length, dz = q[2] / length;
  const double ax = std::fabs(dx);
  const double front = positivePart(-dy);
  const double below = positivePart(-dz);

  // Skull proportions, narrowing towards the jaw and shallower under the back of the head.
  const double rx = 7.4 * (1.0 - 0.24 * std::pow(below, 1.5));
  const double ry = 9.6 * (1.0 - 0.30 * below * positivePart(dy));
  const double rz = 11.0;

  double bump = 0.0;
  bump += 2.0 * front * gauss(dx * dx, 0.010) * gauss((dz + 0.05) * (dz + 0.05), 0.030);  // nose
  bump += 0.6 * front * front * gauss((dz - 0.30) * (dz - 0.30), 0.006);                  // brow ridge
  bump -= 0.9 * front * gauss((ax - 0.33) * (ax - 0.33) + (dz - 0.17) * (dz - 0.17), 0.008);  // eyes
  bump += 0.4 * front * gauss(dx * dx, 0.030) * gauss((dz + 0.42) * (dz + 0.42), 0.004);  // lips
  bump += 0.8 * front * gauss(dx * dx, 0.050) * gauss((dz + 0.78) * (dz + 0.78), 0.020);  // chin
  bump += 1.1 * std::pow(ax, 4.0) * gauss((dy - 0.05) * (dy - 0.05), 0.010) * gauss(dz * dz, 0.030);  // ears

  return {dx * (rx + bump), dy * (ry + bump), dz * (rz + bump)};
}

struct CubeFace {
  int axis, sign, u, v;  // normal axis and sign; the grid's axes, with u x v pointing outwards
};
constexpr CubeFace kCubeFaces[6] = {{0, +1, 1, 2}, {0, -1, 2, 1}, {1, +1, 2, 0},
                                    {1, -1, 0, 2}, {2, +1, 0, 1}, {2, -1, 1, 0}};

struct HeadGeometry {
  std::vector<Point3> positions;
  std::vector<std::array<float, 2>> texCoords;
  std::vector<std::array<int, 4>> quadVertices;
  std::vector<std::array<int, 4>> quadTexCoords;
};

HeadGeometry buildGeometry() {
  HeadGeometry g;
  constexpr int kSide = kCells + 1;
  std::vector<int> vertexAt(kSide * kSide * kSide, -1);
  std::vector<std::array<int, 3>> lattice;

  for (int f = 0; f < 6; ++f) {
    const CubeFace& face = kCubeFaces[f];
    // Each face is its own island in a 3 by 2 atlas, inset so islands do not touch.
    const float islandU = float(f % 3) / 3.0f, islandV = float(f / 3) / 2.0f;
    const int firstTexCoord = static_cast<int>(g.texCoords.size());
    for (int b = 0; b <= kCells; ++b) {
      for (int a = 0; a <= kCells; ++a) {
        int c[3];
        c[face.axis] = face.sign * kHalf;
        c[face.u] = a - kHalf;
        c[face.v] = b - kHalf;
        int& index = vertexAt[((c[0] + kHalf) * kSide + (c[1] + kHalf)) * kSide + (c[2] + kHalf)];
        if (index < 0) {
          index = static_cast<int>(lattice.size());
          lattice.push_back({c[0], c[1], c[2]});
        }
        g.texCoords.push_back({islandU + (0.01f + 0.98f * a / kCells) / 3.0f,
                               islandV + (0.01f + 0.98f * b / kCells) / 2.0f});
      }
    }
    for (int b = 0; b < kCells; ++b) {
      for (int a = 0; a < kCells; ++a) {
        std::array<int, 4> corners, uvs;
        const int grid[4][2] = {{a, b}, {a + 1, b}, {a + 1, b + 1}, {a, b + 1}};
        for (int n = 0; n < 4; ++n) {
          int c[3];
          c[face.axis] = face.sign * kHalf;
          c[face.u] = grid[n][0] - kHalf;
          c[face.v] = grid[n][1] - kHalf;
          corners[n] = vertexAt[((c[0] + kHalf) * kSide + (c[1] + kHalf)) * kSide + (c[2] + kHalf)];
          uvs[n] = firstTexCoord + grid[n][1] * kSide + grid[n][0];
        }
        g.quadVertices.push_back(corners);
        g.quadTexCoords.push_back(uvs);
      }
    }
  }

  // The positive half (and the plane) is computed; the negative half is its exact mirror image.
  g.positions.resize(lattice.size());
  for (size_t n = 0; n < lattice.size(); ++n) {
    const std::array<int, 3>& c = lattice[n];
    const std::array<double, 3> p = headPoint(std::abs(c[0]), c[1], c[2]);
    const float x = c[0] == 0 ? 0.0f : static_cast<float>(p[0]);
    g.positions[n] = Point3(c[0] < 0 ? -x : x, static_cast<float>(p[1]), static_cast<float>(p[2]));
  }
  return g;
}

// Smooth offsets on the negative-X side: nothing at all for x >= 0, fading in over the first units.
std::vector<Point3> sculpt(const std::vector<Point3>& base) {
  std::vector<Point3> result = base;
  for (Point3& p : result) {
    if (!(p.x < 0.0f)) continue;
    const double x = p.x, y = p.y, z = p.z;
    const double side = smoothStep(-x / 1.5);

    // Cheek: pushed outwards, away from the head's vertical axis.
    const double cheek = 1.3 * gauss((x + 4.6) * (x + 4.6) + (y + 6.0) * (y + 6.0) + (z + 2.8) * (z + 2.8), 6.0);
    const double horizontal = std::sqrt(x * x + y * y);
    const double outX = horizontal > 0.0 ? x / horizontal : 0.0;
    const double outY = horizontal > 0.0 ? y / horizontal : 0.0;

    // Brow: lifted straight up.
    const double brow = 0.9 * gauss((x + 3.0) * (x + 3.0) + (y + 8.0) * (y + 8.0) + (z - 3.6) * (z - 3.6), 5.0);

    p = Point3(x + side * cheek * outX, y + side * cheek * outY, z + side * brow);
  }
  return result;
}

std::string formatObj(const HeadGeometry& g) {
  std::string text;
  text += "# Velomorph sample head: symmetric about X = 0, Z up, facing -Y\n";
  text += "o sample_head\n";
  for (const Point3& p : g.positions) {
    text += "v ";
    AppendFloat(text, p.x);
    text += ' ';
    AppendFloat(text, p.y);
    text += ' ';
    AppendFloat(text, p.z);
    text += '\n';
  }
  for (const std::array<float, 2>& t : g.texCoords) {
    text += "vt ";
    AppendFloat(text, t[0]);
    text += ' ';
    AppendFloat(text, t[1]);
    text += '\n';
  }
  for (size_t q = 0; q < g.quadVertices.size(); ++q) {
    text += 'f';
    for (int n = 0; n < 4; ++n)
      text += ' ' + std::to_string(g.quadVertices[q][n] + 1) + '/' + std::to_string(g.quadTexCoords[q][n] + 1);
    text += '\n';
  }
  return text;
}

}  // namespace

ObjMesh BuildSampleHead() {
  // Generated text always parses; going through the reader gives the writer its coordinate spans.
  return ParseObjText(formatObj(buildGeometry()), "sample head").mesh;
}

ObjMesh BuildSampleHeadSculpt() {
  const ObjMesh base = BuildSampleHead();
  std::string text, error;
  FormatObjWithPositions(base, sculpt(base.positions), text, error);
  return ParseObjText(text, "sample head sculpt").mesh;
}
