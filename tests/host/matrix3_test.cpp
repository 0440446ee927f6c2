// Matrix3: affine 4 by 3 matrices acting on row vectors, their products, inverse and scale.
#include <gtest/gtest.h>

#include "matrix3.h"

namespace {

void expectNear(const Point3& a, const Point3& b, float tolerance = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

// A general affine transform: rotation-free shear and scale with a translation.
Matrix3 sample() {
  return Matrix3(Point3(2.0f, 0.5f, 0.0f), Point3(-1.0f, 3.0f, 0.25f), Point3(0.5f, 0.0f, 1.5f),
                 Point3(4.0f, -2.0f, 7.0f));
}

TEST(Matrix3, PointsAreRowVectors) {
  Matrix3 m = sample();
  Point3 p(1.0f, 2.0f, 3.0f);
  Point3 expected = m.GetRow(0) * p.x + m.GetRow(1) * p.y + m.GetRow(2) * p.z + m.GetRow(3);
  EXPECT_EQ(p * m, expected);
  EXPECT_EQ(VectorTransform(m, p), m.GetRow(0) * p.x + m.GetRow(1) * p.y + m.GetRow(2) * p.z);
}

TEST(Matrix3, ProductAppliesTheLeftMatrixFirst) {
  Matrix3 a = sample();
  Matrix3 b = TransMatrix(Point3(1.0f, 0.0f, -3.0f)) * ScaleMatrix(Point3(2.0f, 2.0f, 2.0f));
  Point3 p(0.5f, -1.5f, 2.0f);
  expectNear(p * (a * b), (p * a) * b);
  expectNear(p * b, Point3(3.0f, -3.0f, -2.0f));
}

TEST(Matrix3, InverseUndoesTheTransform) {
  Matrix3 m = sample();
  Matrix3 inv = Inverse(m);
  for (Point3 p : {Point3(0.0f, 0.0f, 0.0f), Point3(1.0f, 2.0f, 3.0f), Point3(-7.5f, 0.25f, 100.0f)}) {
    expectNear((p * m) * inv, p, 1e-4f);
    expectNear((p * inv) * m, p, 1e-4f);
  }
  Matrix3 product = m * inv;
  for (int r = 0; r < 4; ++r) expectNear(product.GetRow(r), Matrix3(1).GetRow(r));
}

// The real SDK promises nothing for these, and neither does this host: no made-up answer that a
// plug-in could come to rely on.
TEST(Matrix3, DegenerateInputsGiveWhatPlainArithmeticGives) {
  Matrix3 flat = ScaleMatrix(Point3(1.0f, 0.0f, 1.0f));
  flat.SetTrans(Point3(5.0f, 5.0f, 5.0f));
  const Matrix3 inv = Inverse(flat);
  EXPECT_FALSE(std::isfinite(inv[0][0]));
  EXPECT_FALSE(std::isfinite(Normalize(Point3(0.0f, 0.0f, 0.0f)).x));
}

TEST(Matrix3, ScaleMatrixHasNoTranslation) {
  Matrix3 s = ScaleMatrix(Point3(-1.0f, 2.0f, 0.5f));
  EXPECT_EQ(s.GetTrans(), Point3(0.0f, 0.0f, 0.0f));
  EXPECT_EQ(Point3(3.0f, 3.0f, 3.0f) * s, Point3(-3.0f, 6.0f, 1.5f));
  EXPECT_EQ(Inverse(s).GetRow(1), Point3(0.0f, 0.5f, 0.0f));
}

TEST(Matrix3, RowsOutsideTheMatrixReadZeroAndIgnoreWrites) {
  Matrix3 m;
  m.SetRow(4, Point3(9.0f, 9.0f, 9.0f));
  m.SetRow(-1, Point3(9.0f, 9.0f, 9.0f));
  EXPECT_EQ(m, Matrix3(1));
  EXPECT_EQ(m.GetRow(4), Point3(0.0f, 0.0f, 0.0f));
}

TEST(Matrix3, ReflectionAboutAnOffsetPlane) {
  // The plane x = 3 as the symmetry engine builds it: ScaleMatrix(-1, 1, 1) moved by -d along the
  // normalised x row, times the inverse of the identity moved by -d.
  const float d = 3.0f;
  Matrix3 match = ScaleMatrix(Point3(-1.0f, 1.0f, 1.0f));
  match.SetRow(3, match.GetRow(3) - d * Normalize(match.GetRow(0)));
  Matrix3 base(1);
  base.SetRow(3, base.GetRow(3) - d * Normalize(base.GetRow(0)));
  Matrix3 mirror = match * Inverse(base);
  EXPECT_EQ(Point3(1.0f, 2.0f, 3.0f) * match, Point3(2.0f, 2.0f, 3.0f));
  EXPECT_EQ(Point3(1.0f, 2.0f, 3.0f) * base, Point3(-2.0f, 2.0f, 3.0f));
  EXPECT_EQ(Point3(1.0f, 2.0f, 3.0f) * mirror, Point3(5.0f, 2.0f, 3.0f));
}

}  // namespace
