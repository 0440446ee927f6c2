// What one run of the modifier did to one input, told in a line a user can act on: which side was
// written, how many vertices changed, and a warning when Mirror wrote over vertices the input had
// sculpted (they differed from the base), which is how a sculpt is lost without anyone noticing.
#pragma once

#include <string>
#include <vector>

#include "positions_view.h"

struct MirrorSetup {
  int operation = 0;  // 0 mirror, 1 flip, 2 reset
  int axis = 0;       // 0 x, 1 y, 2 z
  float offset = 0.0f;
  int direction = 0;  // 0 negative: Mirror writes the side where the base's coordinate is at most the offset
};

struct ApplySummary {
  std::string line;     // "mirror wrote the negative side (x < 0) from the positive; 1587 of 3000 vertices changed"
  std::string warning;  // empty, or why the user may have lost a sculpt and what to do instead
};

// A vertex counts as sculpted where the input lies farther from the base than this share of the
// base's largest extent: above the rounding of coordinates written with six decimals, below the
// faint edge of a soft brush stroke.
constexpr double kSculptedShareOfSize = 1e-6;

// `base`, `input` and `result` share one vertex order.
ApplySummary SummarizeApply(PositionsView base, PositionsView input, PositionsView result, const MirrorSetup& setup);
