// The apply summary.
#include "apply_summary.h"

#include <algorithm>
#include <cmath>

#include "token_text.h"

namespace {

double distance(const Point3& a, const Point3& b) {
  const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double largestExtent(PositionsView points) {
  double extent = 0.0;
  for (int k = 0; k < 3; ++k) {
    float low = 0.0f, high = 0.0f;
    bool any = false;
    for (size_t i = 0; i < points.size(); ++i) {
      const Point3& p = points[i];
      if (!std::isfinite(p[k])) continue;
      low = any ? std::min(low, p[k]) : p[k];
      high = any ? std::max(high, p[k]) : p[k];
      any = true;
    }
    extent = std::max(extent, double(high) - double(low));
  }
  return extent;
}

bool sameBits(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

std::string sideText(const MirrorSetup& setup, bool negative) {
  static const char* const kAxes[] = {"x", "y", "z"};
  std::string offset;
  AppendFloat(offset, setup.offset);
  return std::string(negative ? "negative side (" : "positive side (") + kAxes[setup.axis] + (negative ? " < " : " > ") +
         offset + ")";
}

}  // namespace

ApplySummary SummarizeApply(PositionsView base, PositionsView input, PositionsView result, const MirrorSetup& setup) {
  const size_t n = std::min({base.size(), input.size(), result.size()});
  const double tolerance = kSculptedShareOfSize * largestExtent(base);
  const bool negativeWritten = setup.direction == 0;
  size_t changed = 0, overwritten = 0;
  for (size_t i = 0; i < n; ++i) {
    if (sameBits(input[i], result[i])) continue;
    ++changed;
    // A sculpt lost: a vertex of the written side that the input had moved from the base, moved
    // again by the run. Vertices on the plane only go back onto it.
    const double side = double(base[i][setup.axis]) - setup.offset;
    const bool onWrittenSide = negativeWritten ? side < -tolerance : side > tolerance;
    if (onWrittenSide && distance(input[i], base[i]) > tolerance && distance(input[i], result[i]) > tolerance) {
      ++overwritten;
    }
  }
  ApplySummary summary;
  const std::string counts = std::to_string(changed) + " of " + std::to_string(n) + " vertices changed";
  if (setup.operation == 1) {
    std::string offset;
    AppendFloat(offset, setup.offset);
    summary.line = std::string("flip swapped the sides of ") + "xyz"[setup.axis] + " = " + offset + "; " + counts;
  } else if (setup.operation == 2) {
    summary.line = "reset to the base; " + counts;
  } else {
    summary.line = "mirror wrote the " + sideText(setup, negativeWritten) + " from the " +
                   (negativeWritten ? "positive" : "negative") + "; " + counts;
    if (overwritten > 0) {
      summary.warning = std::to_string(overwritten) + " vertices of the " + sideText(setup, negativeWritten) +
                        " had been sculpted and are now overwritten; to mirror that sculpt instead, use --direction " +
                        (negativeWritten ? "positive" : "negative");
    }
  }
  return summary;
}
