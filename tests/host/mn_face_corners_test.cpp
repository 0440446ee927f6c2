// Polygon corners held in place up to four and on the heap beyond: every way a face's corners
// are set, copied and moved keeps exactly the corners it was given.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "mnmesh.h"

namespace {

std::vector<int> cornersOf(const MNFaceCorners& corners) { return std::vector<int>(corners.begin(), corners.end()); }

TEST(MNFaceCorners, KeepTheirCornersAcrossSizesCopiesAndMoves) {
  const std::vector<std::vector<int>> shapes = {{}, {1, 2, 3}, {4, 5, 6, 7}, {1, 2, 3, 4, 5}, {9, 8, 7, 6, 5, 4, 3, 2}};
  for (const auto& from : shapes) {
    for (const auto& to : shapes) {
      MNFaceCorners corners;
      corners = from;
      corners = to;  // shrinking, growing, in place to heap and back
      EXPECT_EQ(cornersOf(corners), to);
      MNFaceCorners copy(corners);
      if (!to.empty()) copy[0] = -1;  // the copy owns its corners
      EXPECT_EQ(cornersOf(corners), to);
      MNFaceCorners moved(std::move(copy));
      EXPECT_EQ(moved.size(), to.size());
      EXPECT_EQ(copy.size(), 0u);
      MNFaceCorners assigned;
      assigned = from;
      assigned = corners;
      EXPECT_EQ(cornersOf(assigned), to);
    }
  }
}

}  // namespace
