// The asymmetry on the polygon path through the host: Local and Surface offsets from a third node,
// the replay form, and meshes that do not fit together.
//
// Target, sculpt and asymmetry mesh start as the same flat 5 x 3 quad grid symmetric about X = 0
// (vertex index = row * 5 + column, x = -1, -0.5, 0, 0.5, 1), mapped with u = (x + 1) / 2 and
// v = row / 2. Vertex 5 (row 1, column 0) lies on the written side and only touches triangles of
// the strip between columns 0 and 1, whose shape the sculpts below control exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"
#include "support/point_sets.h"

using namespace testing_support;

namespace {

void expectNear(const Point3& got, const Point3& want, float tolerance = 1e-5f) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

class Asymmetry : public SculptScene {
 protected:
  void SetUp() override { buildScene(MakeSymmetricPolyGrid(5, 3), MakeSymmetricPolyGrid(5, 3)); }

  MNMesh& input() {
    Object* base = static_cast<IDerivedObject*>(sculpt->GetObjectRef())->GetObjRef();
    return static_cast<PolyObject*>(base)->GetMesh();
  }
  MNMesh& output() { return static_cast<PolyObject*>(sculpt->EvalWorldState(0).obj)->GetMesh(); }
  void set(Param id, int value) { Params(mod)->SetValue(id, 0, value); }

  // Puts `object` in the scene as the asymmetry node and turns the asymmetry on.
  MNMesh& useAsymmetry(PolyObject* object, int type) {
    INode* node = Scene::Get().CreateNode(L"asym", object);
    Params(mod)->SetValue(kAsymNode, 0, node);
    set(kEnableAsymmetry, 1);
    set(kAsynType, type);
    return object->GetMesh();
  }
  // The output with the asymmetry switched off, then the output with it on.
  std::pair<std::vector<Point3>, std::vector<Point3>> withoutAndWith() {
    set(kEnableAsymmetry, 0);
    std::vector<Point3> without = Positions(output());
    set(kEnableAsymmetry, 1);
    return {without, Positions(output())};
  }
  // The positive side tilted to z = slope * x, so the mirrored strip around column 0 lies in the
  // plane z = -slope * x.
  void tiltPositiveSide(float slope) {
    for (int v = 0; v < input().numv; ++v) {
      if (input().P(v).x > 0.0f) input().P(v).z = slope * input().P(v).x;
    }
  }
  // Every vertex sheared to x + k y, so the mirrored strip around column 0 is sheared to x - k y.
  void shear(float k) {
    for (int v = 0; v < input().numv; ++v) input().P(v).x += k * input().P(v).y;
  }
};

TEST_F(Asymmetry, LocalWithTheTargetItselfGivesTheSymmetricResult) {
  input().P(3).z += 1.0f;
  useAsymmetry(MakeSymmetricPolyGrid(5, 3), 0);
  auto [without, with] = withoutAndWith();
  EXPECT_EQ(with, without);
}

TEST_F(Asymmetry, LocalAddsTheOffsetButNeverStoresIt) {
  input().P(4).z += 0.5f;
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 0);
  asym.P(3).z += 1.0f;
  asym.P(0).x -= 0.25f;
  auto [without, with] = withoutAndWith();
  EXPECT_EQ(with[3], without[3] + Point3(0.0f, 0.0f, 1.0f));
  EXPECT_EQ(with[0], without[0] + Point3(-0.25f, 0.0f, 0.0f));
  EXPECT_EQ(with[1], without[1]);

  // What is replayed is the stored result: the symmetric one.
  set(kConstantUpdate, 0);
  set(kEnableAsymmetry, 0);
  EXPECT_EQ(Positions(output()), without);
}

TEST_F(Asymmetry, ReplayEndsAtTheAsymmetryMesh) {
  input().P(4).z += 0.5f;
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(3).z += 1.0f;
  asym.P(9).y += 0.25f;
  set(kConstantUpdate, 0);
  output();
  MNMesh& replayed = output();
  for (int v = 0; v < asym.numv; ++v) expectNear(replayed.P(v), asym.P(v));
}

TEST_F(Asymmetry, SurfaceWithoutDeformationIsTheLocalOffset) {
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(5) += Point3(0.25f, -0.5f, 1.0f);
  asym.P(6) += Point3(0.0f, 0.125f, 0.0f);
  for (int normalised : {0, 1}) {
    set(kNormXforms, normalised);
    auto [without, with] = withoutAndWith();
    expectNear(with[5] - without[5], Point3(0.25f, -0.5f, 1.0f));
    expectNear(with[6] - without[6], Point3(0.0f, 0.125f, 0.0f));
  }
}

TEST_F(Asymmetry, SurfaceCarriesANormalOffsetOntoTheResultsNormal) {
  tiltPositiveSide(0.75f);
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(5).z += 2.0f;
  for (int normalised : {0, 1}) {
    for (int dominance : {0, 1}) {
      set(kNormXforms, normalised);
      set(kUVDominance, dominance);
      auto [without, with] = withoutAndWith();
      expectNear(with[5] - without[5], Point3(1.2f, 0.0f, 1.6f));
    }
  }
}

// Shearing leaves the U direction along x but turns the V direction to (-k, 1, 0) / L. With U as
// the tangent an offset along x stays along x; with V it turns with the V direction.
TEST_F(Asymmetry, SurfaceTangentFollowsTheChosenTextureDirection) {
  const float k = 0.5f;
  const float L = std::sqrt(1.0f + k * k);
  shear(k);
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(5).x += 1.0f;
  for (int normalised : {0, 1}) {
    set(kNormXforms, normalised);
    set(kUVDominance, 0);
    auto [without, alongU] = withoutAndWith();
    expectNear(alongU[5] - without[5], Point3(1.0f, 0.0f, 0.0f));
    set(kUVDominance, 1);
    const Point3 alongV = output().P(5) - without[5];
    expectNear(alongV, Point3(1.0f / L, k / L, 0.0f));
  }
}

TEST_F(Asymmetry, AsymmetryMeshWithMoreVerticesOffsetsOnlyTheSharedOnes) {
  input().P(4).z += 0.5f;
  for (int type : {0, 1}) {
    MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 4), type);
    asym.P(7).z += 1.0f;
    auto [without, with] = withoutAndWith();
    ASSERT_EQ(with.size(), 15u);
    expectNear(with[7] - without[7], Point3(0.0f, 0.0f, 1.0f));
    for (int v : {0, 4, 14}) EXPECT_EQ(with[v], without[v]) << "vertex " << v;
  }
}

TEST_F(Asymmetry, ReplayWithALargerAsymmetryMeshStaysInsideTheMesh) {
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 4), 0);
  asym.P(12).z += 1.0f;
  set(kConstantUpdate, 0);
  output();
  MNMesh& replayed = output();
  ASSERT_EQ(replayed.numv, 15);
  expectNear(replayed.P(12), asym.P(12));
}

// An asymmetry mesh of the first two rows only: triangles of the target and of the result that
// reach row 2 are left out of the frames, and row 2 keeps the symmetric result. Row 2 is bent out
// of the tilted plane, so counting its triangles would turn the frame at vertex 5.
TEST_F(Asymmetry, SurfaceWithASmallerAsymmetryMeshSkipsTrianglesBeyondIt) {
  tiltPositiveSide(0.75f);
  input().P(13).z += 1.0f;
  input().P(14).z += 1.0f;
  PolyObject* grid = MakeSymmetricPolyGrid(5, 3);
  std::vector<Point3> positions = Positions(grid->GetMesh());
  grid->DeleteThis();
  positions.resize(10);
  std::vector<std::vector<int>> faces = {{0, 1, 6, 5}, {1, 2, 7, 6}, {2, 3, 8, 7}, {3, 4, 9, 8}};
  MNMesh& asym = useAsymmetry(MakePolyObject(positions, faces), 1);
  asym.P(5).z += 2.0f;
  auto [without, with] = withoutAndWith();
  expectNear(with[5] - without[5], Point3(1.2f, 0.0f, 1.6f));
  for (int v = 10; v < 15; ++v) EXPECT_EQ(with[v], without[v]) << "vertex " << v;
}

TEST_F(Asymmetry, SurfaceWithoutAMapOnTargetOrResultAddsThePlainOffset) {
  tiltPositiveSide(0.75f);
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(5) += Point3(0.5f, 0.0f, 2.0f);
  INode* unmapped = Scene::Get().CreateNode(L"unmapped base", MakeSymmetricPolyGrid(5, 3, false));
  Params(mod)->SetValue(kUndefObject, 0, unmapped);
  auto [without, with] = withoutAndWith();
  EXPECT_EQ(with[5], without[5] + Point3(0.5f, 0.0f, 2.0f));

  Params(mod)->SetValue(kUndefObject, 0, target);
  input().SetMapNum(0);
  std::tie(without, with) = withoutAndWith();
  EXPECT_EQ(with[5], without[5] + Point3(0.5f, 0.0f, 2.0f));
}

// A target mapped with one u everywhere has no V direction, so with V as the tangent its frames
// cannot be inverted; the result, mapped properly, has. The plain offset is added there.
TEST_F(Asymmetry, SingularTargetFrameAddsThePlainOffset) {
  MNMesh& base = static_cast<PolyObject*>(target->GetObjectRef())->GetMesh();
  for (Point3& uv : base.M(1)->v) uv.x = 0.5f;
  tiltPositiveSide(0.75f);
  MNMesh& asym = useAsymmetry(MakeSymmetricPolyGrid(5, 3), 1);
  asym.P(5).x += 1.0f;
  set(kUVDominance, 1);
  for (int normalised : {0, 1}) {
    set(kNormXforms, normalised);
    auto [without, with] = withoutAndWith();
    EXPECT_EQ(with[5], without[5] + Point3(1.0f, 0.0f, 0.0f));
  }
}

// A vertex that no face uses has no normal (normalising nothing gives nothing) and so no frame:
// it takes the plain offset, and nothing becomes NaN.
TEST_F(Asymmetry, VertexOutsideEveryFaceTakesThePlainOffset) {
  const Point3 loose(0.0f, 5.0f, 0.0f);
  static_cast<PolyObject*>(target->GetObjectRef())->GetMesh().NewVert(loose);
  input().NewVert(loose);
  tiltPositiveSide(0.75f);
  PolyObject* asymObject = MakeSymmetricPolyGrid(5, 3);
  asymObject->GetMesh().NewVert(loose + Point3(0.0f, 0.0f, 1.5f));
  asymObject->GetMesh().P(5).z += 2.0f;
  useAsymmetry(asymObject, 1);
  auto [without, with] = withoutAndWith();
  ASSERT_EQ(with.size(), 16u);
  EXPECT_EQ(with[15], without[15] + Point3(0.0f, 0.0f, 1.5f));
  expectNear(with[5] - without[5], Point3(1.2f, 0.0f, 1.6f));
  for (const Point3& p : with) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

}  // namespace
