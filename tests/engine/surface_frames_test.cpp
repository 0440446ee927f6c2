// Per-vertex surface directions and the carrying of offsets between two surfaces.
//
// The test surface is a bumpy 4 x 4 vertex sheet, mapped u = column / 3, v = row / 3, two
// triangles per cell:
//
//   12 - 13 - 14 - 15
//    |  / |  / |  / |
//    8 -  9 - 10 - 11        vertex = row * 4 + column
//    |  / |  / |  / |
//    4 -  5 -  6 -  7
//    |  / |  / |  / |
//    0 -  1 -  2 -  3
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/surface_frames.h"

namespace {

SurfaceFrameOptions frameOptions(bool tangentIsV, bool orthonormal) {
  SurfaceFrameOptions options;
  options.tangentIsV = tangentIsV;
  options.orthonormal = orthonormal;
  return options;
}

void expectNear(const Point3& got, const Point3& want, float tolerance) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

bool finite(const Point3& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

struct Sheet {
  std::vector<Point3> positions;
  std::vector<Face> faces;
  std::vector<TVFace> mapFaces;
  std::vector<Point3> mapVerts;

  explicit Sheet(float bump) {
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        positions.emplace_back(float(c), float(r), bump * float((r * 5 + c * 3) % 4));
        mapVerts.emplace_back(float(c) / 3.0f, float(r) / 3.0f, 0.0f);
      }
    }
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        const int a = r * 4 + c;
        addTriangle(a, a + 1, a + 5);
        addTriangle(a, a + 5, a + 4);
      }
    }
  }
  void addTriangle(int a, int b, int c) {
    Face f;
    f.setVerts(a, b, c);
    faces.push_back(f);
    TVFace t;
    t.setTVerts(a, b, c);
    mapFaces.push_back(t);
  }
  SurfaceTriangles surface(bool mapped = true) const {
    SurfaceTriangles s;
    s.positions = positions.data();
    s.positionCount = int(positions.size());
    s.faces = faces.data();
    s.faceCount = int(faces.size());
    if (mapped) {
      s.mapFaces = mapFaces.data();
      s.mapVerts = mapVerts.data();
      s.mapVertCount = int(mapVerts.size());
    }
    return s;
  }
  int count() const { return int(positions.size()); }
};

// A proper rotation (rows orthonormal, determinant +1) about the axis (1, 2, 2) / 3.
Matrix3 rotation(float angle) {
  const float x = 1.0f / 3.0f, y = 2.0f / 3.0f, z = 2.0f / 3.0f;
  const float c = std::cos(angle), s = std::sin(angle), k = 1.0f - c;
  // Rows for points as row vectors: p * R rotates p about the axis.
  return Matrix3(Point3(c + x * x * k, x * y * k + z * s, x * z * k - y * s),
                 Point3(y * x * k - z * s, c + y * y * k, y * z * k + x * s),
                 Point3(z * x * k + y * s, z * y * k - x * s, c + z * z * k), Point3(0, 0, 0));
}

std::vector<Point3> someOffsets(int n) {
  std::vector<Point3> offsets;
  for (int i = 0; i < n; ++i) offsets.emplace_back(0.25f * float(i % 3) - 0.25f, 0.5f - 0.125f * float(i % 5), 1.0f);
  return offsets;
}

TEST(VertexDirections, FlatSheetHasThePlaneNormalAndItsTextureDirections) {
  Sheet sheet(0.0f);
  const Matrix3 turn = rotation(0.7f);
  for (Point3& p : sheet.positions) p = p * turn;
  VertexDirections d;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, d);
  for (int i = 0; i < sheet.count(); ++i) {
    expectNear(d.normals[size_t(i)], Point3(0, 0, 1) * turn, 1e-5f);
    expectNear(d.u[size_t(i)], Point3(1, 0, 0) * turn, 1e-5f);
    expectNear(d.v[size_t(i)], Point3(0, 1, 0) * turn, 1e-5f);
  }
}

TEST(VertexDirections, VertexNoTriangleReachesStaysZero) {
  Sheet sheet(0.25f);
  sheet.positions.emplace_back(9.0f, 9.0f, 9.0f);
  VertexDirections d;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, d);
  EXPECT_EQ(d.normals.back(), Point3(0, 0, 0));
  EXPECT_EQ(d.u.back(), Point3(0, 0, 0));
  EXPECT_EQ(d.v.back(), Point3(0, 0, 0));
  for (const Point3& n : d.normals) EXPECT_TRUE(finite(n));
}

TEST(VertexDirections, TrianglesBeyondTheTablesOrTheMeshAddNothing) {
  Sheet sheet(0.25f);
  VertexDirections plain;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, plain);

  sheet.addTriangle(5, 6, 16);      // past the tables and the positions
  sheet.addTriangle(5, 9, 100000);  // far past both
  VertexDirections guarded;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, guarded);
  EXPECT_EQ(guarded.normals, plain.normals);
  EXPECT_EQ(guarded.u, plain.u);
  EXPECT_EQ(guarded.v, plain.v);

  // Tables shorter than the mesh: triangles reaching vertex 8 or above are left out.
  VertexDirections shortTables;
  BuildVertexDirections(sheet.surface(), 8, TextureDirections::kBoth, shortTables);
  ASSERT_EQ(shortTables.normals.size(), 8u);
  Sheet lowerHalf(0.25f);
  lowerHalf.faces.resize(6);  // the three cells of rows 0 to 1
  lowerHalf.mapFaces.resize(6);
  VertexDirections expected;
  BuildVertexDirections(lowerHalf.surface(), 8, TextureDirections::kBoth, expected);
  EXPECT_EQ(shortTables.normals, expected.normals);
  EXPECT_EQ(shortTables.u, expected.u);
}

TEST(VertexDirections, MapCornersOutsideTheMapAddTheNormalOnly) {
  Sheet sheet(0.25f);
  VertexDirections plain;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, plain);
  sheet.mapFaces[0].setTVerts(0, 1, 999);
  VertexDirections d;
  BuildVertexDirections(sheet.surface(), sheet.count(), TextureDirections::kBoth, d);
  EXPECT_EQ(d.normals, plain.normals);
  EXPECT_EQ(d.u[15], plain.u[15]) << "a vertex away from triangle 0 keeps its directions";
  EXPECT_FALSE(d.u[0] == plain.u[0] && d.u[1] == plain.u[1] && d.u[5] == plain.u[5]);
  for (const Point3& u : d.u) EXPECT_TRUE(finite(u));
}

// Turning the whole surface turns every frame with it, so each carried offset is the offset turned.
TEST(TransportOffsets, ARotatedSurfaceRotatesTheOffsets) {
  const Sheet from(0.25f);
  Sheet to(0.25f);
  const Matrix3 turn = rotation(1.1f);
  for (Point3& p : to.positions) p = p * turn + Point3(3.0f, -2.0f, 0.5f);
  for (bool tangentIsV : {false, true}) {
    for (bool orthonormal : {false, true}) {
      std::vector<Point3> offsets = someOffsets(from.count());
      const std::vector<Point3> original = offsets;
      TransportOffsets(from.surface(), to.surface(), from.count(), frameOptions(tangentIsV, orthonormal), offsets.data(),
                       from.count());
      for (int i = 0; i < from.count(); ++i) expectNear(offsets[size_t(i)], original[size_t(i)] * turn, 2e-5f);
    }
  }
}

TEST(TransportOffsets, WithoutAMapOnEitherSurfaceOffsetsStayPlain) {
  const Sheet from(0.25f);
  Sheet to(0.25f);
  for (Point3& p : to.positions) p = p * rotation(0.5f);
  const std::vector<Point3> original = someOffsets(from.count());
  for (bool fromMapped : {false, true}) {
    std::vector<Point3> offsets = original;
    TransportOffsets(from.surface(fromMapped), to.surface(!fromMapped), from.count(), {}, offsets.data(),
                     from.count());
    EXPECT_EQ(offsets, original);
  }
}

// A loose vertex (no triangle) has a zero frame on the source surface: its offset stays plain
// while its neighbours' offsets are still carried.
TEST(TransportOffsets, SingularSourceFrameKeepsThePlainOffset) {
  Sheet from(0.25f);
  Sheet to(0.25f);
  from.positions.emplace_back(5.0f, 5.0f, 0.0f);
  from.mapVerts.emplace_back(0.5f, 0.5f, 0.0f);
  const Matrix3 turn = rotation(0.9f);
  for (Point3& p : to.positions) p = p * turn;
  to.positions.emplace_back(5.0f, 5.0f, 1.0f);
  to.mapVerts.emplace_back(0.5f, 0.5f, 0.0f);
  to.addTriangle(15, 14, 16);  // the loose vertex does have a frame on the destination
  for (bool orthonormal : {false, true}) {
    std::vector<Point3> offsets = someOffsets(from.count());
    const std::vector<Point3> original = offsets;
    TransportOffsets(from.surface(), to.surface(), from.count(), frameOptions(false, orthonormal), offsets.data(),
                     from.count());
    EXPECT_EQ(offsets[16], original[16]);
    expectNear(offsets[0], original[0] * turn, 2e-5f);
  }
}

TEST(TransportOffsets, NeverCarriesMoreThanTheTablesHold) {
  const Sheet sheet(0.25f);
  std::vector<Point3> offsets = someOffsets(sheet.count());
  const std::vector<Point3> original = offsets;
  TransportOffsets(sheet.surface(), sheet.surface(), 4, {}, offsets.data(), sheet.count());
  for (int i = 4; i < sheet.count(); ++i) EXPECT_EQ(offsets[size_t(i)], original[size_t(i)]) << "vertex " << i;
}

}  // namespace
