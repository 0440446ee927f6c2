// Arithmetic of the host value types: vectors, affine matrices, boxes, intervals, bit arrays.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "bitarray.h"
#include "box3.h"
#include "class_id.h"
#include "interval.h"
#include "matrix3.h"
#include "strclass.h"

const Point3 Point3::Origin(0.0f, 0.0f, 0.0f);
const Point3 Point3::XAxis(1.0f, 0.0f, 0.0f);
const Point3 Point3::YAxis(0.0f, 1.0f, 0.0f);
const Point3 Point3::ZAxis(0.0f, 0.0f, 1.0f);

const Interval FOREVER(TIME_NegInfinity, TIME_PosInfinity);
const Interval NEVER(TIME_NegInfinity, TIME_NegInfinity);

const Class_ID triObjectClassID(TRIOBJ_CLASS_ID, 0);
const Class_ID polyObjectClassID(EPOLYOBJ_CLASS_ID, 0x3e6f8f62);
const Class_ID patchObjectClassID(PATCHOBJ_CLASS_ID, 0);
const Class_ID defObjectClassID(0x0fffffff, 0);
const Class_ID mapObjectClassID(0x0ffffffe, 0);
const Class_ID bypassObjectClassID(0x76A11646, 0x12A822FB);
const Class_ID pointCloudObjectClassID(0x5e1f0a37, 0x2c4d9b01);

Point3 Normalize(const Point3& v) { return v / v.Length(); }

Matrix3::Matrix3() { IdentityMatrix(); }
Matrix3::Matrix3(int init) {
  if (init) IdentityMatrix();
  else Zero();
}
Matrix3::Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3) {
  SetRow(0, r0);
  SetRow(1, r1);
  SetRow(2, r2);
  SetRow(3, r3);
}

void Matrix3::Zero() { std::memset(m, 0, sizeof(m)); }

void Matrix3::IdentityMatrix() {
  Zero();
  m[0][0] = m[1][1] = m[2][2] = 1.0f;
}

void Matrix3::SetRow(int i, const Point3& p) {
  if (i < 0 || i > 3) return;
  m[i][0] = p.x;
  m[i][1] = p.y;
  m[i][2] = p.z;
}

Point3 Matrix3::GetRow(int i) const {
  if (i < 0 || i > 3) return Point3(0.0f, 0.0f, 0.0f);
  return Point3(m[i][0], m[i][1], m[i][2]);
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
  Matrix3 r(0);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      float s = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j];
      if (i == 3) s += b.m[3][j];
      r.m[i][j] = s;
    }
  }
  return r;
}

bool Matrix3::operator==(const Matrix3& b) const { return std::memcmp(m, b.m, sizeof(m)) == 0; }

Point3 operator*(const Point3& p, const Matrix3& a) {
  return Point3(p.x * a.GetAddr()[0][0] + p.y * a.GetAddr()[1][0] + p.z * a.GetAddr()[2][0] + a.GetAddr()[3][0],
                p.x * a.GetAddr()[0][1] + p.y * a.GetAddr()[1][1] + p.z * a.GetAddr()[2][1] + a.GetAddr()[3][1],
                p.x * a.GetAddr()[0][2] + p.y * a.GetAddr()[1][2] + p.z * a.GetAddr()[2][2] + a.GetAddr()[3][2]);
}

Point3 VectorTransform(const Matrix3& a, const Point3& p) {
  return Point3(p.x * a.GetAddr()[0][0] + p.y * a.GetAddr()[1][0] + p.z * a.GetAddr()[2][0],
                p.x * a.GetAddr()[0][1] + p.y * a.GetAddr()[1][1] + p.z * a.GetAddr()[2][1],
                p.x * a.GetAddr()[0][2] + p.y * a.GetAddr()[1][2] + p.z * a.GetAddr()[2][2]);
}

static double determinant3(const Matrix3& a) {
  const float(*m)[3] = a.GetAddr();
  return double(m[0][0]) * (double(m[1][1]) * m[2][2] - double(m[1][2]) * m[2][1]) -
         double(m[0][1]) * (double(m[1][0]) * m[2][2] - double(m[1][2]) * m[2][0]) +
         double(m[0][2]) * (double(m[1][0]) * m[2][1] - double(m[1][1]) * m[2][0]);
}

Matrix3 Inverse(const Matrix3& a) {
  const double det = determinant3(a);
  const float(*m)[3] = a.GetAddr();
  Matrix3 r(0);
  double inv = 1.0 / det;
  r.GetAddr()[0][0] = float((double(m[1][1]) * m[2][2] - double(m[1][2]) * m[2][1]) * inv);
  r.GetAddr()[0][1] = float((double(m[0][2]) * m[2][1] - double(m[0][1]) * m[2][2]) * inv);
  r.GetAddr()[0][2] = float((double(m[0][1]) * m[1][2] - double(m[0][2]) * m[1][1]) * inv);
  r.GetAddr()[1][0] = float((double(m[1][2]) * m[2][0] - double(m[1][0]) * m[2][2]) * inv);
  r.GetAddr()[1][1] = float((double(m[0][0]) * m[2][2] - double(m[0][2]) * m[2][0]) * inv);
  r.GetAddr()[1][2] = float((double(m[0][2]) * m[1][0] - double(m[0][0]) * m[1][2]) * inv);
  r.GetAddr()[2][0] = float((double(m[1][0]) * m[2][1] - double(m[1][1]) * m[2][0]) * inv);
  r.GetAddr()[2][1] = float((double(m[0][1]) * m[2][0] - double(m[0][0]) * m[2][1]) * inv);
  r.GetAddr()[2][2] = float((double(m[0][0]) * m[1][1] - double(m[0][1]) * m[1][0]) * inv);
  // Translation: -t * R^-1.
  for (int j = 0; j < 3; ++j) {
    double s = 0.0;
    for (int k = 0; k < 3; ++k) s -= double(m[3][k]) * r.GetAddr()[k][j];
    r.GetAddr()[3][j] = float(s);
  }
  return r;
}

Matrix3 ScaleMatrix(const Point3& s) {
  Matrix3 r(0);
  r.GetAddr()[0][0] = s.x;
  r.GetAddr()[1][1] = s.y;
  r.GetAddr()[2][2] = s.z;
  return r;
}

Matrix3 TransMatrix(const Point3& p) {
  Matrix3 r(1);
  r.SetRow(3, p);
  return r;
}

void Box3::Init() {
  pmin = Point3(1e30f, 1e30f, 1e30f);
  pmax = Point3(-1e30f, -1e30f, -1e30f);
}

bool Box3::IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }

void Box3::MakeCube(const Point3& p, float side) {
  float h = side / 2.0f;
  pmin = Point3(p.x - h, p.y - h, p.z - h);
  pmax = Point3(p.x + h, p.y + h, p.z + h);
}

Point3 Box3::operator[](int i) const {
  return Point3((i & 1) ? pmax.x : pmin.x, (i & 2) ? pmax.y : pmin.y, (i & 4) ? pmax.z : pmin.z);
}

Box3& Box3::operator+=(const Point3& p) {
  if (IsEmpty()) {
    pmin = pmax = p;
    return *this;
  }
  pmin = Point3(std::min(pmin.x, p.x), std::min(pmin.y, p.y), std::min(pmin.z, p.z));
  pmax = Point3(std::max(pmax.x, p.x), std::max(pmax.y, p.y), std::max(pmax.z, p.z));
  return *this;
}

Box3& Box3::operator+=(const Box3& b) {
  if (b.IsEmpty()) return *this;
  *this += b.pmin;
  *this += b.pmax;
  return *this;
}

Interval& Interval::operator&=(const Interval& o) {
  if (Empty() || o.Empty()) {
    SetEmpty();
    return *this;
  }
  TimeValue s = std::max(start, o.start);
  TimeValue e = std::min(finish, o.finish);
  if (s > e) SetEmpty();
  else Set(s, e);
  return *this;
}

void BitArray::SetSize(int n, int save) {
  if (n < 0) n = 0;
  if (!save) words_.assign(size_t((n + 63) / 64), 0);
  else words_.resize(size_t((n + 63) / 64), 0);
  size_ = n;
  // Bits past the new end of the last word must read clear if the array grows again.
  if (n % 64 != 0 && !words_.empty()) words_.back() &= (std::uint64_t(1) << (n % 64)) - 1;
}

void BitArray::Set(int i) {
  if (i < 0 || i >= size_) return;
  words_[size_t(i) >> 6] |= std::uint64_t(1) << (unsigned(i) & 63u);
}

void BitArray::Clear(int i) {
  if (i < 0 || i >= size_) return;
  words_[size_t(i) >> 6] &= ~(std::uint64_t(1) << (unsigned(i) & 63u));
}

void BitArray::SetAll() {
  for (auto& w : words_) w = ~std::uint64_t(0);
  if (size_ % 64 != 0 && !words_.empty()) words_.back() = (std::uint64_t(1) << (size_ % 64)) - 1;
}

void BitArray::ClearAll() {
  for (auto& w : words_) w = 0;
}

int BitArray::NumberSet() const {
  int n = 0;
  for (auto w : words_) n += __builtin_popcountll(w);
  return n;
}

bool BitArray::operator==(const BitArray& o) const { return size_ == o.size_ && words_ == o.words_; }

std::string MSTR::ToUTF8() const {
  std::string out;
  for (size_t i = 0; i < text_.size(); ++i) {
    auto c = static_cast<std::uint32_t>(text_[i]);
    // Where wchar_t is 16 bits (Windows) a character beyond the first 65536 is a surrogate pair.
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text_.size()) {
      auto low = static_cast<std::uint32_t>(text_[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

MSTR MSTR::FromUTF8(const std::string& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    std::uint32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
    else if ((c >> 3) == 30) { cp = c & 0x07; extra = 3; }
    else { cp = 0xFFFD; extra = 0; }
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
      out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
      out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += wchar_t(cp);
    }
  }
  return MSTR(out);
}
