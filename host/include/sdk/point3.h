// Point3: a position or direction of three 32-bit floats; every operation is plain float arithmetic
// so that results are reproducible bit for bit.
#pragma once

#include <cmath>

#include "max_types.h"

class Point3 {
 public:
  float x, y, z;

  Point3() : x(0.0f), y(0.0f), z(0.0f) {}
  Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
  Point3(double X, double Y, double Z) : x(float(X)), y(float(Y)), z(float(Z)) {}
  Point3(int X, int Y, int Z) : x(float(X)), y(float(Y)), z(float(Z)) {}

  float& operator[](int i) { return (&x)[i]; }
  const float& operator[](int i) const { return (&x)[i]; }

  Point3 operator-() const { return Point3(-x, -y, -z); }
  Point3 operator+(const Point3& p) const { return Point3(x + p.x, y + p.y, z + p.z); }
  Point3 operator-(const Point3& p) const { return Point3(x - p.x, y - p.y, z - p.z); }
  Point3 operator*(float f) const { return Point3(x * f, y * f, z * f); }
  Point3 operator/(float f) const { return Point3(x / f, y / f, z / f); }
  Point3 operator*(const Point3& p) const { return Point3(x * p.x, y * p.y, z * p.z); }
  // Dot product.
  float operator%(const Point3& p) const { return x * p.x + y * p.y + z * p.z; }
  // Cross product.
  Point3 operator^(const Point3& p) const {
    return Point3(y * p.z - z * p.y, z * p.x - x * p.z, x * p.y - y * p.x);
  }
  Point3& operator+=(const Point3& p) { x += p.x; y += p.y; z += p.z; return *this; }
  Point3& operator-=(const Point3& p) { x -= p.x; y -= p.y; z -= p.z; return *this; }
  Point3& operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
  bool operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
  bool operator!=(const Point3& p) const { return !(*this == p); }

  float Length() const { return std::sqrt(x * x + y * y + z * z); }
  float LengthSquared() const { return x * x + y * y + z * z; }

  static const Point3 Origin;
  static const Point3 XAxis;
  static const Point3 YAxis;
  static const Point3 ZAxis;
};

inline Point3 operator*(float f, const Point3& p) { return p * f; }
inline float Length(const Point3& p) { return p.Length(); }
inline float DotProd(const Point3& a, const Point3& b) { return a % b; }
inline Point3 CrossProd(const Point3& a, const Point3& b) { return a ^ b; }

// Unit vector in the direction of v: v divided by its length. Nothing is promised for a zero vector
// (plain arithmetic gives not-a-number), so callers that may meet one guard it first.
Point3 Normalize(const Point3& v);

class IPoint2 {
 public:
  int x, y;
  IPoint2() : x(0), y(0) {}
  IPoint2(int X, int Y) : x(X), y(Y) {}
};

class Point2 {
 public:
  float x, y;
  Point2() : x(0.0f), y(0.0f) {}
  Point2(float X, float Y) : x(X), y(Y) {}
};
