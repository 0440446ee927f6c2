// The lowest-first set against std::set, across every level of its tree of words.
#include "toolkit/lowest_first_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

TEST(LowestFirstSet, GivesBackTheLowestLikeAnOrderedSet) {
  for (const int n : {1, 64, 65, 4096, 4097, 300000}) {
    LowestFirstSet set;
    set.Reset(n);
    std::set<int> reference;
    std::mt19937 random{unsigned(n)};
    for (int step = 0; step < 20000; ++step) {
      // More inserts than takes at first, then the other way round, so the set fills and drains.
      if (random() % 3 != (step < 10000 ? 0u : 1u)) {
        const int i = int(random() % unsigned(n));
        if (reference.insert(i).second) set.Insert(i);
      } else if (!reference.empty()) {
        ASSERT_FALSE(set.Empty());
        ASSERT_EQ(set.TakeLowest(), *reference.begin()) << "n " << n << ", step " << step;
        reference.erase(reference.begin());
      }
      ASSERT_EQ(set.Empty(), reference.empty());
    }
    set.Clear();
    EXPECT_TRUE(set.Empty());
    set.Insert(n - 1);
    EXPECT_EQ(set.TakeLowest(), n - 1);
  }
}
