// The triangle-mesh path through the host: a node carrying the modifier, a target node holding the
// undeformed symmetric mesh, evaluated by the host's pipeline.
#include <gtest/gtest.h>

#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

class TrianglePath : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
    sculpt = Scene::Get().CreateNode(L"sculpt", MakeSymmetricGrid(5, 3));
    mod = NewModifier();
    Scene::Get().ApplyModifier(sculpt, mod);
    Params(mod)->SetValue(kUndefObject, 0, target);
  }
  void TearDown() override { ResetScene(); }

  Mesh& input() { return static_cast<TriObject*>(sculptBase())->GetMesh(); }
  Object* sculptBase() { return static_cast<IDerivedObject*>(sculpt->GetObjectRef())->GetObjRef(); }
  const Mesh& output() { return static_cast<TriObject*>(sculpt->EvalWorldState(0).obj)->GetMesh(); }

  INode* target = nullptr;
  INode* sculpt = nullptr;
  Modifier* mod = nullptr;
};

// Grid of 5 columns (x = -1, -0.5, 0, 0.5, 1) by 3 rows; vertex index = row * 5 + column.
TEST_F(TrianglePath, MirrorNegativeWritesTheNegativeSideFromThePositive) {
  input().verts[3].z += 1.0f;  // column 3 (x = 0.5), row 0: positive side
  input().verts[1].z += 5.0f;  // column 1 (x = -0.5): written side, its sculpt is overwritten
  const Mesh& out = output();
  EXPECT_FLOAT_EQ(out.verts[1].z, input().verts[3].z);
  EXPECT_FLOAT_EQ(out.verts[1].x, -input().verts[3].x);
  EXPECT_EQ(out.verts[3], input().verts[3]);
}

}  // namespace
