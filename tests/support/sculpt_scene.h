// The scene most plug-in tests start from: a node "base" holding the undeformed mesh, a node "sculpt"
// holding a copy of it and carrying one new modifier, and (unless a test picks differently) "base"
// set as the modifier's target. The host's scene is emptied before the scene is built and after
// each test.
#pragma once

#include <gtest/gtest.h>

#include "support/plugin_fixture.h"

namespace testing_support {

class SculptScene : public ::testing::Test {
 protected:
  // Call from SetUp. `baseObject` and `sculptObject`: two objects of the same mesh, taken over.
  void buildScene(Object* baseObject, Object* sculptObject, bool baseIsTarget = true) {
    ResetScene();
    target = Scene::Get().CreateNode(L"base", baseObject);
    sculpt = Scene::Get().CreateNode(L"sculpt", sculptObject);
    mod = NewModifier();
    Scene::Get().ApplyModifier(sculpt, mod);
    if (baseIsTarget) Params(mod)->SetValue(kUndefObject, 0, target);
  }
  void TearDown() override { ResetScene(); }

  INode* target = nullptr;  // the node "base"
  INode* sculpt = nullptr;
  Modifier* mod = nullptr;
};

}  // namespace testing_support
