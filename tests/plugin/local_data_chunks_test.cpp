// The per-node cache's scene-file chunks, through the modifier's SaveLocalData and LoadLocalData as
// the host calls them: the exact chunk list, save then load, the loader's running counts, and input
// no saver writes (negative or oversized counts, tables before counts, partner indices outside the
// target) made harmless.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "chunk_stream.h"
#include "modifier/ambiflex.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"

using namespace testing_support;

namespace {

struct Chunk {
  unsigned short id;
  std::string payload;
};

std::vector<Chunk> chunksOf(const std::string& bytes) {
  std::vector<Chunk> chunks;
  ChunkLoader in(bytes);
  while (in.OpenChunk() == IO_OK) {
    chunks.push_back({in.CurChunkID(), std::string(in.RemainingPayload())});
    in.CloseChunk();
  }
  EXPECT_FALSE(in.Failed()) << in.Error();
  return chunks;
}

std::string streamOf(const std::vector<Chunk>& chunks) {
  ChunkSaver out;
  for (const Chunk& c : chunks) out.WriteChunk(c.id, c.payload);
  return out.Bytes();
}

template <class T>
std::string raw(const std::vector<T>& values) {
  return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}
std::string i32(int v) { return raw(std::vector<int>{v}); }
std::string points(int n) {
  std::vector<Point3> p;
  for (int i = 0; i < n; ++i) p.emplace_back(float(i), 0.5f * float(i), -float(i));
  return raw(p);
}

int& modifierFlag(Modifier* mod) { return static_cast<ambiflex*>(mod)->resultValid; }

class LocalDataChunks : public SculptScene {
 protected:
  void SetUp() override {
    buildScene(MakeSymmetricGrid(4, 2), MakeSymmetricGrid(4, 2));  // 8 vertices
    BaseMeshOf(sculpt).verts[3].z += 0.5f;
    sculpt->EvalWorldState(0);
  }
  void TearDown() override {
    loaded.reset();
    SculptScene::TearDown();
  }

  vLocalMeshData& cache() { return *CacheOf(sculpt); }
  std::string save(vLocalMeshData* from) {
    ChunkSaver out;
    EXPECT_EQ(mod->SaveLocalData(&out, from), IO_OK);
    EXPECT_EQ(out.Depth(), 0);
    return out.Bytes();
  }
  // Loads `bytes` as the host would for one application; the result is owned by the test.
  vLocalMeshData& load(const std::string& bytes, Modifier* into = nullptr) {
    ChunkLoader in(bytes);
    LocalModData* ld = nullptr;
    EXPECT_EQ((into ? into : mod)->LoadLocalData(&in, &ld), IO_OK);
    loaded.reset(ld);
    return *static_cast<vLocalMeshData*>(ld);
  }

  std::unique_ptr<LocalModData> loaded;
};

TEST_F(LocalDataChunks, EightVertexCacheWritesExactlyTheseChunks) {
  cache().lastAxis = 2;
  std::vector<Chunk> chunks = chunksOf(save(&cache()));
  std::vector<unsigned short> ids;
  std::vector<size_t> sizes;
  for (const Chunk& c : chunks) {
    ids.push_back(c.id);
    sizes.push_back(c.payload.size());
  }
  EXPECT_EQ(ids, (std::vector<unsigned short>{0x1000, 0x1010, 0x1020, 0x1030, 0x1090, 0x1040, 0x1100, 0x1130, 0x1140}));
  EXPECT_EQ(sizes, (std::vector<size_t>{4, 1, 96, 4, 4, 96, 32, 4, 4}));
  ASSERT_EQ(chunks.size(), 9u);
  EXPECT_EQ(chunks[0].payload, i32(8));
  EXPECT_EQ(chunks[1].payload, std::string(1, '\x01'));
  EXPECT_EQ(chunks[2].payload, raw(Elements(cache().resultVerts)));
  EXPECT_EQ(chunks[3].payload, i32(8));
  EXPECT_EQ(chunks[4].payload, i32(0));
  EXPECT_EQ(chunks[5].payload, raw(Elements(cache().targetVerts)));
  EXPECT_EQ(chunks[6].payload, raw(Elements(cache().vertMatch)));
  EXPECT_EQ(chunks[7].payload, i32(1));
  EXPECT_EQ(chunks[8].payload, i32(2));
}

TEST_F(LocalDataChunks, CacheWithoutAResultWritesNothingAndClearsTheModifierFlag) {
  cache().clearResultVerts();
  modifierFlag(mod) = 1;
  EXPECT_TRUE(save(&cache()).empty());
  EXPECT_EQ(modifierFlag(mod), 0);
}

TEST_F(LocalDataChunks, ResultWithoutACapturedTargetWritesNothing) {
  // A target reset not yet followed by an evaluation: the loaded empty cache captures anew.
  MirrorOps(mod)->Invoke(1);
  ASSERT_GT(cache().resultVerts.Count(), 0);
  modifierFlag(mod) = 1;
  EXPECT_TRUE(save(&cache()).empty());
  EXPECT_EQ(modifierFlag(mod), 0);
}

TEST_F(LocalDataChunks, SaveThenLoadGivesBackEveryTableLastAxisAndTheFlag) {
  vLocalMeshData& c = cache();
  c.lastAxis = 1;
  c.resultValid = 1;
  c.resultVertFlags.SetCount(8);
  c.targetVertFlags.SetCount(8);
  for (int i = 0; i < 8; ++i) {
    c.resultVertFlags[i] = 100 + i;
    c.targetVertFlags[i] = 200 + i;
  }
  c.resultVecs.SetCount(3);
  c.targetVecs.SetCount(3);
  c.vecMatch.SetCount(3);
  c.vecOwner.SetCount(3);
  for (int i = 0; i < 3; ++i) {
    c.resultVecs[i] = Point3(float(i), 1.0f, 2.0f);
    c.targetVecs[i] = Point3(-float(i), 1.0f, 2.0f);
    c.vecMatch[i] = 2 - i;
    c.vecOwner[i] = 7 - i;
  }
  std::string bytes = save(&c);

  Modifier* other = NewModifier();
  ASSERT_EQ(modifierFlag(other), 0);
  vLocalMeshData& back = load(bytes, other);
  EXPECT_EQ(modifierFlag(other), 1);
  EXPECT_EQ(back.resultValid, 0);
  EXPECT_EQ(back.needsUpdate + back.targetDirty + back.matchDirty, 0);
  EXPECT_EQ(back.lastAxis, 1);
  ExpectSameTables(back, c);
  other->DeleteMe();
}

TEST_F(LocalDataChunks, LoaderFollowsTheRunningCounts) {
  {
    LocalModData* ld = nullptr;
    ChunkLoader in{std::string_view()};
    EXPECT_EQ(mod->LoadLocalData(&in, &ld), IO_OK);
    ASSERT_NE(ld, nullptr);
    auto* empty = static_cast<vLocalMeshData*>(ld);
    EXPECT_EQ(empty->resultVerts.Count() + empty->targetVerts.Count() + empty->vertMatch.Count(), 0);
    delete ld;
  }
  {
    vLocalMeshData& c = load(streamOf({{0x1090, i32(0)}, {0x1070, points(2)}, {0x1080, points(2)}}));
    EXPECT_EQ(c.targetVecs.Count(), 0);
    EXPECT_EQ(c.resultVecs.Count(), 0);
  }
  {
    vLocalMeshData& c = load(streamOf({{0x1030, i32(4)}, {0x1040, points(4)}, {0x1100, raw(std::vector<int>{3, 2, 1, 0, 0, 1, 2, 3})}}));
    EXPECT_EQ(Elements(c.vertMatch), (std::vector<int>{3, 2, 1, 0}));
  }
  {
    // The later count governs the tables after it; an unknown chunk is passed over.
    vLocalMeshData& c = load(streamOf({{0x1000, i32(2)}, {0x1020, points(2)}, {0x7777, "junk"}, {0x1030, i32(3)}, {0x1040, points(3)}}));
    EXPECT_EQ(c.resultVerts.Count(), 2);
    EXPECT_EQ(c.targetVerts.Count(), 3);
  }
  {
    modifierFlag(mod) = 0;
    vLocalMeshData& c = load(streamOf({{0x1130, i32(1)}, {0x1140, i32(2)}}));
    EXPECT_EQ(modifierFlag(mod), 1);
    EXPECT_EQ(c.resultValid, 0);
    EXPECT_EQ(c.lastAxis, 2);
  }
}

TEST_F(LocalDataChunks, ShortTableComesBackAtFullSizeZeroFilled) {
  vLocalMeshData& c = load(streamOf({{0x1030, i32(4)}, {0x1040, points(4)}, {0x1050, raw(std::vector<int>{7, 9})},
                                     {0x1060, raw(std::vector<int>{5}) + "\x01\x02"}}));
  EXPECT_EQ(Elements(c.resultVertFlags), (std::vector<int>{7, 9, 0, 0}));
  EXPECT_EQ(Elements(c.targetVertFlags), (std::vector<int>{5, 0, 0, 0}));
}

TEST_F(LocalDataChunks, CountsTheStreamCannotBackAreZero) {
  {
    vLocalMeshData& c = load(streamOf({{0x1030, i32(-5)}, {0x1040, points(1)}, {0x1090, i32(-1)}, {0x1070, points(1)}}));
    EXPECT_EQ(c.targetVerts.Count(), 0);
    EXPECT_EQ(c.targetVecs.Count(), 0);
  }
  {
    // A count far beyond the data allocates nothing for it.
    vLocalMeshData& c = load(streamOf({{0x1030, i32(0x7fffffff)}, {0x1040, points(1)}, {0x1100, i32(0)},
                                       {0x1090, i32(0x10000000)}, {0x1070, points(2)}}));
    EXPECT_EQ(c.targetVerts.Count(), 0);
    EXPECT_EQ(c.vertMatch.Count(), 0);
    EXPECT_EQ(c.targetVecs.Count(), 0);
  }
  {
    // Tables before any count: vertex tables empty, vector tables left alone.
    vLocalMeshData& c = load(streamOf({{0x1040, points(3)}, {0x1070, points(3)}, {0x1090, i32(3)}}));
    EXPECT_EQ(c.targetVerts.Count(), 0);
    EXPECT_EQ(c.targetVecs.Count(), 0);
  }
  {
    // A count chunk cut short is no count: the earlier one stays.
    vLocalMeshData& c = load(streamOf({{0x1000, i32(2)}, {0x1020, points(2)}, {0x1030, "\x05\x00"}, {0x1040, points(2)}}));
    EXPECT_EQ(c.targetVerts.Count(), 2);
  }
}

TEST_F(LocalDataChunks, PartnerAndOwnerIndicesOutsideTheirTablesAreDropped) {
  std::vector<Chunk> base = {{0x1030, i32(3)}, {0x1090, i32(2)}, {0x1040, points(3)}, {0x1070, points(2)}};
  auto with = [&](std::vector<Chunk> extra) {
    std::vector<Chunk> all = base;
    all.insert(all.end(), extra.begin(), extra.end());
    return streamOf(all);
  };
  {
    vLocalMeshData& c = load(with({{0x1100, raw(std::vector<int>{2, 1, 0})}, {0x1110, raw(std::vector<int>{1, 0})},
                                   {0x1120, raw(std::vector<int>{0, 2})}}));
    EXPECT_EQ(c.vertMatch.Count(), 3);
    EXPECT_EQ(c.vecMatch.Count(), 2);
    EXPECT_EQ(c.vecOwner.Count(), 2);
  }
  {
    vLocalMeshData& c = load(with({{0x1100, raw(std::vector<int>{2, 3, 0})}, {0x1110, raw(std::vector<int>{1, 2})},
                                   {0x1120, raw(std::vector<int>{-1, 2})}}));
    EXPECT_EQ(c.vertMatch.Count(), 0);
    EXPECT_EQ(c.vecMatch.Count(), 0);
    EXPECT_EQ(c.vecOwner.Count(), 0);
    EXPECT_EQ(c.targetVerts.Count(), 3);
  }
  {
    // Partners with no target to refer to.
    vLocalMeshData& c = load(streamOf({{0x1030, i32(3)}, {0x1020, points(3)}, {0x1100, raw(std::vector<int>{0, 1, 2})}}));
    EXPECT_EQ(c.vertMatch.Count(), 0);
  }
}

TEST_F(LocalDataChunks, DroppedPartnersAreRebuiltInsteadOfReachingTheVertexRules) {
  std::vector<Point3> fresh = Positions(EvaluatedMeshOf(sculpt));
  std::vector<Chunk> chunks = chunksOf(save(&cache()));
  for (Chunk& c : chunks) {
    if (c.id == 0x1100) std::memcpy(&c.payload[4], "\x63\x00\x00\x00", 4);  // partner of vertex 1: 99
  }
  ModContext* mc = ContextOf(sculpt);
  delete mc->localData;
  mc->localData = nullptr;
  std::string damaged = streamOf(chunks);
  ChunkLoader in(damaged);
  mod->LoadLocalData(&in, &mc->localData);
  MirrorOps(mod)->Invoke(0);  // reset: run the operation again with the loaded target and partners
  EXPECT_EQ(Positions(EvaluatedMeshOf(sculpt)), fresh);
  EXPECT_TRUE(GetCOREInterface()->Reports().empty());
}

TEST_F(LocalDataChunks, EveryCutShortStreamLoadsSafely) {
  const std::string whole = save(&cache());
  for (size_t n = 0; n <= whole.size(); ++n) {
    std::vector<char> prefix(whole.begin(), whole.begin() + long(n));
    ChunkLoader in(std::string_view(prefix.data(), n));
    LocalModData* ld = nullptr;
    ASSERT_EQ(mod->LoadLocalData(&in, &ld), IO_OK);
    std::unique_ptr<LocalModData> owned(ld);
    auto* c = static_cast<vLocalMeshData*>(ld);
    EXPECT_LE(c->resultVerts.Count(), 8);
    EXPECT_LE(c->targetVerts.Count(), 8);
    for (int i = 0; i < c->vertMatch.Count(); ++i) {
      EXPECT_LT(c->vertMatch[i], c->targetVerts.Count());
    }
  }
}

}  // namespace
