// Positions held elsewhere, read in place: a host object's vertices (which sit inside larger vertex
// records) or a plain array, without copying a dense mesh's positions once more.
#pragma once

#include <cstddef>
#include <vector>

#include "point3.h"

class PositionsView {
 public:
  PositionsView() = default;
  // `count` positions, the first at `first` and each `stride` bytes after the one before.
  PositionsView(const Point3* first, size_t count, size_t stride)
      : first_(reinterpret_cast<const unsigned char*>(first)), count_(count), stride_(stride) {}
  // The positions of `points`, which must outlive the view.
  PositionsView(const std::vector<Point3>& points)  // NOLINT(google-explicit-constructor): a view of any array
      : PositionsView(points.data(), points.size(), sizeof(Point3)) {}

  size_t size() const { return count_; }
  const Point3& operator[](size_t i) const { return *reinterpret_cast<const Point3*>(first_ + i * stride_); }

 private:
  const unsigned char* first_ = nullptr;
  size_t count_ = 0;
  size_t stride_ = sizeof(Point3);
};
