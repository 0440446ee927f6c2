// The scene's nodes and how host programs put modifiers on them.
#include "scene.h"

#include <cwchar>

Scene& Scene::Get() {
  static Scene scene;
  return scene;
}

INode* Scene::CreateNode(const MCHAR* name, Object* obj) {
  nodes_.push_back(std::make_unique<INode>());
  INode* node = nodes_.back().get();
  node->SetName(name);
  if (obj != nullptr) node->SetObjectRef(obj);
  return node;
}

void Scene::DeleteNode(INode* node) {
  for (size_t i = 0; i < nodes_.size(); ++i) {
    if (nodes_[i].get() == node) {
      nodes_.erase(nodes_.begin() + long(i));
      return;
    }
  }
}

void Scene::Clear() {
  // Last node first, so that nodes referred to by the stacks of others go after them.
  while (!nodes_.empty()) nodes_.pop_back();
}

INode* Scene::FindNode(const MCHAR* name) const {
  for (const auto& n : nodes_) {
    if (std::wcscmp(n->GetName(), name) == 0) return n.get();
  }
  return nullptr;
}

IDerivedObject* Scene::ApplyModifier(INode* node, Modifier* mod) {
  auto* derived = dynamic_cast<IDerivedObject*>(node->GetObjectRef());
  if (derived == nullptr) {
    derived = CreateDerivedObject(node->GetObjectRef());
    node->SetObjectRef(derived);
  }
  derived->AddModifier(mod);
  return derived;
}
