// Tab, the host's counted array: index checks, unset growth, storage kept by ZeroCount and forgotten
// by Init.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "point3.h"
#include "tab.h"

namespace {

TEST(Tab, IndexOutsideTheCountThrowsTheHostMessage) {
  Tab<int> t;
  t.SetCount(3);
  EXPECT_NO_THROW(t[2]);
  EXPECT_THROW(t[3], MaxSDK::Util::TabOutOfRangeException);
  EXPECT_THROW(t[-1], MaxSDK::Util::TabOutOfRangeException);
  const Tab<int>& readOnly = t;
  EXPECT_THROW(readOnly[3], MaxSDK::Util::TabOutOfRangeException);
  try {
    t[7] = 1;
    FAIL() << "no exception";
  } catch (const MaxSDK::Util::TabOutOfRangeException& e) {
    EXPECT_STREQ(e.what(), "Invalid index passed into a Max SDK Tab::operator[]");
    EXPECT_EQ(std::wstring(e.GetMessage()), L"Invalid index passed into a Max SDK Tab::operator[]");
  }
}

TEST(Tab, IndexCheckFollowsTheCountNotTheStorage) {
  Tab<int> t;
  t.SetCount(8);
  t.ZeroCount();
  EXPECT_TRUE(t.HasStorage());
  EXPECT_THROW(t[0], MaxSDK::Util::TabOutOfRangeException);
  EXPECT_DEATH(t.Addr(0), "empty table");
  t.SetCount(2);
  EXPECT_THROW(t.Addr(2), MaxSDK::Util::TabOutOfRangeException);
}

// The real table leaves new elements as the allocator left them; this one fills them with a byte
// that reads as neither zero nor a small index, so code that reads an element it did not write
// shows it in the tests.
TEST(Tab, SetCountLeavesNewElementsUnsetAndKeepsOldOnes) {
  Tab<int> t;
  t.SetCount(4);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(t[i] < 0 || t[i] > 1 << 20) << i;
  for (int i = 0; i < 4; ++i) t[i] = i;
  t.SetCount(1);
  t.SetCount(4);
  EXPECT_EQ(t[0], 0);
  for (int i = 1; i < 4; ++i) EXPECT_NE(t[i], i) << i;
  t.SetCount(-5);
  EXPECT_EQ(t.Count(), 0);
}

TEST(Tab, ZeroCountKeepsTheStorageAndInitForgetsItUnfreed) {
  Tab<int> t;
  EXPECT_FALSE(t.HasStorage());
  t.SetCount(100);
  const int* storage = t.Addr(0);
  t.ZeroCount();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_TRUE(t.empty());
  EXPECT_TRUE(t.HasStorage());
  t.SetCount(50);
  EXPECT_EQ(t.Addr(0), storage);
  // Init is for a table in raw memory: on a live one the storage is the caller's to free.
  t.Init();
  EXPECT_EQ(t.Count(), 0);
  EXPECT_FALSE(t.HasStorage());
  std::free(const_cast<int*>(storage));
}

TEST(Tab, SetCountWithoutResizeStaysWithinTheStorage) {
  Tab<int> t;
  t.SetCount(4);
  t.ZeroCount();
  t.SetCount(10, false);
  EXPECT_EQ(t.Count(), 4);
}

TEST(Tab, CopiesAreDeepAndMovesCopy) {
  Tab<int> a;
  a.SetCount(3);
  for (int i = 0; i < 3; ++i) a[i] = i + 10;
  Tab<int> b = a;
  EXPECT_NE(b.Addr(0), a.Addr(0));
  b[0] = 99;
  EXPECT_EQ(a[0], 10);
  Tab<int> c;
  c.SetCount(7);
  c = a;
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c[2], 12);
  const int* storage = a.Addr(0);
  Tab<int> d = std::move(a);
  EXPECT_NE(d.Addr(0), storage);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(d[2], 12);
}

TEST(Tab, AppendAndDelete) {
  Tab<int> t;
  int values[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(t.Append(3, values), 0);
  EXPECT_EQ(t.Append(2, values + 3, 10), 3);
  ASSERT_EQ(t.Count(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(t[i], i + 1);
  EXPECT_EQ(t.Delete(1, 2), 3);
  EXPECT_EQ(t[0], 1);
  EXPECT_EQ(t[1], 4);
  EXPECT_EQ(t[2], 5);
  // A run past the end deletes to the end; a start outside deletes nothing.
  EXPECT_EQ(t.Delete(2, 9), 2);
  EXPECT_EQ(t.Delete(5, 1), 2);
  EXPECT_EQ(t.Delete(-1, 1), 2);
}

}  // namespace
