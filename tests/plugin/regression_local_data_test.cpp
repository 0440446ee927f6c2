// Local-data streams found by fuzz_local_data. Each once loaded into a cache that saved back as
// something else: a table sized by a count chunk that changed between it and its target table
// (or vector tables without targetVecs) came back resized on the next load, a partner table padded
// with zeros that the next evaluation took for partners.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chunk_stream.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"

using namespace testing_support;

namespace {

struct Chunk {
  unsigned short id;
  std::string payload;
};

std::string streamOf(const std::vector<Chunk>& chunks) {
  ChunkSaver out;
  for (const Chunk& c : chunks) out.WriteChunk(c.id, c.payload);
  return out.Bytes();
}

std::string i32(int v) {
  PayloadWriter w;
  w.I32(v);
  return w.Bytes();
}

class RegressionLocalData : public SculptScene {
 protected:
  void SetUp() override {
    buildScene(MakeSymmetricGrid(4, 2), MakeSymmetricGrid(4, 2));  // 8 vertices
    Sculpt(BaseMeshOf(sculpt), 7);
    fresh = Positions(EvaluatedMeshOf(sculpt));
  }

  std::string save(LocalModData* ld) {
    ChunkSaver out;
    EXPECT_EQ(mod->SaveLocalData(&out, ld), IO_OK);
    return out.Bytes();
  }
  std::unique_ptr<LocalModData> load(const std::string& bytes) {
    ChunkLoader in(bytes);
    LocalModData* ld = nullptr;
    EXPECT_EQ(mod->LoadLocalData(&in, &ld), IO_OK);
    return std::unique_ptr<LocalModData>(ld);
  }
  // The real chunks of the sculpt's cache with `extra` inserted before the first chunk `before`.
  std::string savedWith(unsigned short before, const std::vector<Chunk>& extra) {
    std::string whole = save(ContextOf(sculpt)->localData);
    ChunkLoader in(whole);
    std::vector<Chunk> chunks;
    bool inserted = false;
    while (in.OpenChunk() == IO_OK) {
      if (in.CurChunkID() == before && !inserted) {
        chunks.insert(chunks.end(), extra.begin(), extra.end());
        inserted = true;
      }
      chunks.push_back({in.CurChunkID(), std::string(in.RemainingPayload())});
      in.CloseChunk();
    }
    EXPECT_TRUE(inserted);
    return streamOf(chunks);
  }

  std::vector<Point3> fresh;
};

TEST_F(RegressionLocalData, PartnersSizedByARepeatedCountAreRebuiltNotPaddedAfterASave) {
  // 0x1030 again with 4 just before the partner table: the table loads with 4 of the 8 partners.
  std::unique_ptr<LocalModData> damaged = load(savedWith(0x1100, {{0x1030, i32(4)}}));
  auto* cache = static_cast<vLocalMeshData*>(damaged.get());
  ASSERT_EQ(cache->targetVerts.Count(), 8);
  EXPECT_EQ(cache->vertMatch.Count(), 0);

  // Saved and loaded again, then evaluated from the loaded target: the partners are the real ones.
  std::string saved = save(damaged.get());
  EXPECT_EQ(save(load(saved).get()), saved);
  ModContext* mc = ContextOf(sculpt);
  delete mc->localData;
  mc->localData = load(saved).release();
  Params(mod)->SetValue(kConstantUpdate, 0, 1);
  EXPECT_EQ(Positions(EvaluatedMeshOf(sculpt)), fresh);
  EXPECT_EQ(CacheOf(sculpt)->vertMatch.Count(), 8);
}

TEST_F(RegressionLocalData, TablesOfAnotherCountThanTheirTargetAreDropped) {
  const std::string points8(8 * 12, '\0'), points2(2 * 12, '\x01');
  // The minimised fuzz input: vector tables under a vector count, but no targetVecs.
  std::unique_ptr<LocalModData> vectors =
      load(streamOf({{0x1000, i32(8)}, {0x1020, points8}, {0x1030, i32(8)}, {0x1090, i32(2)}, {0x1040, points8},
                     {0x1080, points2}, {0x1110, i32(1) + i32(0)}, {0x1120, i32(0) + i32(1)}}));
  auto* v = static_cast<vLocalMeshData*>(vectors.get());
  EXPECT_EQ(v->targetVecs.Count(), 0);
  EXPECT_EQ(v->resultVecs.Count() + v->vecMatch.Count() + v->vecOwner.Count(), 0);
  EXPECT_EQ(v->resultVerts.Count(), 8);

  // Flags tables sized by a count other than the target's.
  std::unique_ptr<LocalModData> flags =
      load(streamOf({{0x1030, i32(8)}, {0x1000, i32(8)}, {0x1020, points8}, {0x1040, points8}, {0x1030, i32(2)},
                     {0x1050, i32(5) + i32(6)}, {0x1060, i32(7) + i32(8)}}));
  auto* f = static_cast<vLocalMeshData*>(flags.get());
  EXPECT_EQ(f->targetVerts.Count(), 8);
  EXPECT_EQ(f->resultVertFlags.Count() + f->targetVertFlags.Count(), 0);

  for (LocalModData* ld : {vectors.get(), flags.get()}) {
    std::string saved = save(ld);
    EXPECT_EQ(save(load(saved).get()), saved);
  }
}

}  // namespace
