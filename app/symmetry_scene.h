// The scene the command line builds: a target node holding the base mesh, and one node per input
// mesh carrying one instanced ambiflex modifier whose target is that node. Nodes are named after
// their files without the extension.
#pragma once

#include <string>
#include <vector>

#include "iFnPub.h"
#include "plugin_session.h"
#include "scene.h"

// The modifier's parameters the command line sets by id (scripts and scene files see the same ids).
enum ModifierParam {
  kTargetParam = 0,
  kMirrorAxisParam = 1,
  kUpdateResultParam = 2,  // "Cache Target"
  kOperationParam = 3,
  kDirectionParam = 4,
  kConstantUpdateParam = 5,
  kAxisOffsetParam = 8,
  kAsymNodeParam = 14
};

class SymmetryScene {
 public:
  // Clears the host's scene and creates the modifier through the plug-in's class descriptor.
  explicit SymmetryScene(ClassDesc2* desc);
  ~SymmetryScene();
  SymmetryScene(const SymmetryScene&) = delete;
  SymmetryScene& operator=(const SymmetryScene&) = delete;

  bool Valid() const { return modifier_ != nullptr && params_ != nullptr; }
  // Takes `obj` over. The first call's node becomes the modifier's target.
  INode* AddTarget(const std::string& name, Object* obj);
  INode* AddInput(const std::string& name, Object* obj);
  // Another node (an asymmetry mesh, say), without the modifier.
  INode* AddNode(const std::string& name, Object* obj);

  Modifier* modifier() { return modifier_; }
  IParamBlock2* params() { return params_; }
  const std::vector<INode*>& inputs() const { return inputs_; }

  // Calls a published function of the modifier ("reset", "resetTarget", "resetMatch").
  bool Call(const MCHAR* function);
  // The input node's evaluated object at time 0.
  Object* Evaluate(INode* node);

 private:
  Modifier* modifier_ = nullptr;
  IParamBlock2* params_ = nullptr;
  INode* target_ = nullptr;
  std::vector<INode*> inputs_;
};

// "head" for "/some/path/head.obj".
std::string NodeNameForFile(const std::string& path);
