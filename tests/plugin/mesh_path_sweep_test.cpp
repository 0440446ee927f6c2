// What must hold for every mesh kind on every shape, swept over the triangle, polygon and patch
// paths and a set of symmetric grids (odd and even column counts, one row of cells and several):
// Flip twice gives the input back for exact mirror pairs, Mirror applied to its own result changes
// nothing, a replay hands on exactly what the fresh evaluation gave, and save then load gives the
// same cache. Where the kinds differ on purpose, the sweep says so: after resetTarget only the patch
// replays (and finds no target), the others capture again. Patch positions include the edge handles; the interior vectors follow from them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chunk_stream.h"
#include "support/node_cache.h"
#include "support/sculpt_scene.h"

using namespace testing_support;

namespace {

struct Kind {
  const char* name;
  Object* (*make)(int columns, int rows);
  std::vector<Point3> (*positions)(Object*);
  void (*setPositions)(Object*, const std::vector<Point3>&);
};

const Kind kKinds[] = {
    {"triangle", [](int c, int r) -> Object* { return MakeSymmetricGrid(c, r); },
     [](Object* o) { return Positions(static_cast<TriObject*>(o)->GetMesh()); },
     [](Object* o, const std::vector<Point3>& p) {
       for (size_t i = 0; i < p.size(); ++i) static_cast<TriObject*>(o)->GetMesh().verts[i] = p[i];
     }},
    {"polygon", [](int c, int r) -> Object* { return MakeSymmetricPolyGrid(c, r); },
     [](Object* o) { return Positions(static_cast<PolyObject*>(o)->GetMesh()); },
     [](Object* o, const std::vector<Point3>& p) {
       for (size_t i = 0; i < p.size(); ++i) static_cast<PolyObject*>(o)->GetMesh().P(int(i)) = p[i];
     }},
    {"patch", [](int c, int r) -> Object* { return MakeSymmetricPatchGrid(c, r); },
     [](Object* o) {
       const PatchMesh& m = static_cast<PatchObject*>(o)->patch;
       std::vector<Point3> p;
       for (int i = 0; i < m.numVerts; ++i) p.push_back(m.verts[i].p);
       for (int i = 0; i < m.numVecs; ++i) {
         if (m.vecs[i].vert >= 0) p.push_back(m.vecs[i].p);
       }
       return p;
     },
     [](Object* o, const std::vector<Point3>& p) {
       PatchMesh& m = static_cast<PatchObject*>(o)->patch;
       size_t k = 0;
       for (int i = 0; i < m.numVerts; ++i) m.verts[i].p = p[k++];
       for (int i = 0; i < m.numVecs; ++i) {
         if (m.vecs[i].vert >= 0) m.vecs[i].p = p[k++];
       }
       m.computeInteriors();
     }},
};
const std::pair<int, int> kShapes[] = {{3, 2}, {4, 2}, {5, 3}, {6, 4}};

class MeshPathSweep : public SculptScene {
 protected:
  // Runs `check` on a sculpted scene of every kind and shape.
  template <class Check>
  void sweep(Check check) {
    for (const Kind& kind : kKinds) {
      for (auto [columns, rows] : kShapes) {
        SCOPED_TRACE(std::string(kind.name) + " " + std::to_string(columns) + "x" + std::to_string(rows));
        kind_ = &kind;
        buildScene(kind.make(columns, rows), kind.make(columns, rows));
        std::vector<Point3> p = input();
        for (size_t i = 0; i < p.size(); ++i) p[i] += Point3(0.03125f * float(i % 3), 0.0625f * float(i % 5), 0.125f);
        setInput(p);
        check();
      }
    }
  }
  std::vector<Point3> input() { return kind_->positions(BaseObjectOf(sculpt)); }
  void setInput(const std::vector<Point3>& p) { kind_->setPositions(BaseObjectOf(sculpt), p); }
  // The result after `reset`, so the current input and parameters are evaluated afresh.
  std::vector<Point3> evaluate() {
    MirrorOps(mod)->Invoke(0, 0);
    return replayed();
  }
  // The result of one more evaluation, with nothing reset: the modifier evaluates at every request.
  bool isPatch() const { return kind_ == &kKinds[2]; }
  std::vector<Point3> replayed() { return kind_->positions(sculpt->EvalWorldState(0).obj); }

 private:
  const Kind* kind_ = nullptr;
};

TEST_F(MeshPathSweep, FlipTwiceGivesTheInputBack) {
  sweep([&] {
    Params(mod)->SetValue(kOperation, 0, 1);
    Params(mod)->SetValue(kResetCentreVerts, 0, 0);
    const std::vector<Point3> before = input();
    setInput(evaluate());
    EXPECT_NE(input(), before);
    EXPECT_EQ(evaluate(), before);
  });
}

TEST_F(MeshPathSweep, MirrorOfAMirroredResultChangesNothing) {
  sweep([&] {
    const std::vector<Point3> once = evaluate();
    EXPECT_NE(once, input());
    setInput(once);
    EXPECT_EQ(evaluate(), once);
  });
}

TEST_F(MeshPathSweep, AReplayEqualsTheFreshEvaluation) {
  sweep([&] {
    Params(mod)->SetValue(kConstantUpdate, 0, 0);
    const std::vector<Point3> fresh = evaluate();
    EXPECT_EQ(replayed(), fresh);
  });
}

TEST_F(MeshPathSweep, AfterResetTargetOnlyThePatchReplaysWithoutItsTarget) {
  sweep([&] {
    Params(mod)->SetValue(kConstantUpdate, 0, 0);
    const std::vector<Point3> fresh = evaluate();
    MirrorOps(mod)->Invoke(1, 0);
    EXPECT_EQ(replayed(), isPatch() ? input() : fresh);
  });
}

TEST_F(MeshPathSweep, SaveThenLoadGivesTheSameCache) {
  sweep([&] {
    evaluate();
    const vLocalMeshData& saved = *CacheOf(sculpt);
    ChunkSaver out;
    ASSERT_EQ(mod->SaveLocalData(&out, ContextOf(sculpt)->localData), IO_OK);
    ChunkLoader in(out.Bytes());
    LocalModData* ld = nullptr;
    ASSERT_EQ(mod->LoadLocalData(&in, &ld), IO_OK);
    std::unique_ptr<LocalModData> owned(ld);
    const vLocalMeshData& loaded = *static_cast<vLocalMeshData*>(ld);
    ExpectSameTables(loaded, saved);
    EXPECT_EQ(loaded.lastAxis, saved.lastAxis);
  });
}

}  // namespace
