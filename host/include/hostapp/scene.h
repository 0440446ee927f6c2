// The host's scene, as host programs (the command line, tests, benchmarks) drive it: nodes with
// names, their objects and modifier stacks. The scene owns its nodes; deleting the scene's content
// deletes nodes, stacks and what nobody else refers to.
#pragma once

#include <memory>
#include <vector>

#include "inode.h"
#include "modstack.h"

class Scene {
 public:
  // The process's one scene.
  static Scene& Get();

  // A node named `name` referring to `obj` (the scene takes the object over; null for none).
  INode* CreateNode(const MCHAR* name, Object* obj);
  void DeleteNode(INode* node);
  void Clear();
  int NodeCount() const { return int(nodes_.size()); }
  INode* GetNode(int i) const { return nodes_[size_t(i)].get(); }
  INode* FindNode(const MCHAR* name) const;

  // Puts `mod` on top of `node`'s stack (making the stack if the node has none yet) with a new
  // context; returns the stack.
  IDerivedObject* ApplyModifier(INode* node, Modifier* mod);

 private:
  std::vector<std::unique_ptr<INode>> nodes_;
};
