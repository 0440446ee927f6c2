// Read access to the per-node symmetry cache that the modifier hangs on each modifier context. The
// module's cache header is used for its field layout only: its out-of-line operations live inside
// the plug-in and are not linked into host programs, so copies go through the LocalModData virtual
// Clone and deletion through the virtual destructor.
//
// The returned pointers are owned by the host's modifier contexts; null when the context has no
// local data yet.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "../../symmetry/local_mesh_data.h"
#include "support/plugin_fixture.h"

namespace testing_support {

inline vLocalMeshData* CacheOf(ModContext* mc) {
  return mc == nullptr ? nullptr : static_cast<vLocalMeshData*>(mc->localData);
}

inline vLocalMeshData* CacheOf(INode* node, int stackIndex = 0) { return CacheOf(ContextOf(node, stackIndex)); }

template <class T>
std::vector<T> Elements(const Tab<T>& table) {
  std::vector<T> r;
  for (int i = 0; i < table.Count(); ++i) r.push_back(table[i]);
  return r;
}

// Expects the nine tables of `actual` to hold what those of `expected` hold.
inline void ExpectSameTables(const vLocalMeshData& actual, const vLocalMeshData& expected) {
  EXPECT_EQ(Elements(actual.resultVerts), Elements(expected.resultVerts));
  EXPECT_EQ(Elements(actual.resultVecs), Elements(expected.resultVecs));
  EXPECT_EQ(Elements(actual.resultVertFlags), Elements(expected.resultVertFlags));
  EXPECT_EQ(Elements(actual.targetVerts), Elements(expected.targetVerts));
  EXPECT_EQ(Elements(actual.targetVecs), Elements(expected.targetVecs));
  EXPECT_EQ(Elements(actual.targetVertFlags), Elements(expected.targetVertFlags));
  EXPECT_EQ(Elements(actual.vertMatch), Elements(expected.vertMatch));
  EXPECT_EQ(Elements(actual.vecMatch), Elements(expected.vecMatch));
  EXPECT_EQ(Elements(actual.vecOwner), Elements(expected.vecOwner));
}

}  // namespace testing_support
