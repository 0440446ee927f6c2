// Matrix3: an affine transform as 4 rows of 3 floats (rows 0 to 2 the axes, row 3 the translation).
// Points are row vectors: p * M = p.x * row0 + p.y * row1 + p.z * row2 + row3.
#pragma once

#include "point3.h"

// One row of a matrix.
typedef float MRow[3];

static_assert(sizeof(Point3) == sizeof(MRow), "a row reads as a point in place");

class Matrix3 {
 public:
  Matrix3();                   // identity
  explicit Matrix3(int init);  // identity when init is non-zero, zero otherwise
  Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3);

  void IdentityMatrix();
  void Zero();
  // Rows outside 0..3 are ignored on write and read as zero.
  void SetRow(int i, const Point3& p);
  Point3 GetRow(int i) const;
  void SetTrans(const Point3& p) { SetRow(3, p); }
  Point3 GetTrans() const { return GetRow(3); }
  // Row i (0 to 3) as a point, in place.
  Point3& operator[](int i) { return *reinterpret_cast<Point3*>(m[i]); }
  const Point3& operator[](int i) const { return *reinterpret_cast<const Point3*>(m[i]); }
  // The four rows of three floats, in place.
  MRow* GetAddr() { return m; }
  const MRow* GetAddr() const { return m; }

  Matrix3 operator*(const Matrix3& b) const;
  Matrix3& operator*=(const Matrix3& b) { return *this = *this * b; }
  bool operator==(const Matrix3& b) const;

 private:
  // Private, as in the real host: code outside the class reads and writes through the accessors.
  float m[4][3];
};

Point3 operator*(const Point3& p, const Matrix3& a);
// Direction transform: rows 0 to 2 only.
Point3 VectorTransform(const Matrix3& a, const Point3& p);
// Inverse of an affine matrix. Nothing is promised for a singular matrix: this host divides by its
// zero determinant as plain arithmetic does, so callers that may meet one test it first.
Matrix3 Inverse(const Matrix3& a);
Matrix3 ScaleMatrix(const Point3& s);
Matrix3 TransMatrix(const Point3& p);
