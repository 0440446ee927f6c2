// The command line's scene.
#include "symmetry_scene.h"

SymmetryScene::SymmetryScene(ClassDesc2* desc) {
  Scene::Get().Clear();
  modifier_ = static_cast<Modifier*>(desc->Create(FALSE));
  if (modifier_ != nullptr) params_ = modifier_->GetParamBlockByID(0);
}

SymmetryScene::~SymmetryScene() {
  // Nodes go first; the modifier goes with the last stack that refers to it, or here if none did.
  bool applied = !inputs_.empty();
  Scene::Get().Clear();
  if (!applied && modifier_ != nullptr) modifier_->DeleteMe();
}

INode* SymmetryScene::AddTarget(const std::string& name, Object* obj) {
  INode* node = AddNode(name, obj);
  if (target_ == nullptr) {
    target_ = node;
    params_->SetValue(kTargetParam, 0, node);
  }
  return node;
}

INode* SymmetryScene::AddInput(const std::string& name, Object* obj) {
  INode* node = AddNode(name, obj);
  Scene::Get().ApplyModifier(node, modifier_);
  inputs_.push_back(node);
  return node;
}

INode* SymmetryScene::AddNode(const std::string& name, Object* obj) {
  return Scene::Get().CreateNode(MSTR::FromUTF8(name).data(), obj);
}

bool SymmetryScene::Call(const MCHAR* function) {
  auto* ops = static_cast<FPInterface*>(modifier_->GetInterface(Interface_ID(0xae24a34f, 0x8e23a9d1)));
  if (ops == nullptr) return false;
  FunctionID fid = ops->FindFn(function);
  return fid != FP_NO_FUNCTION && ops->Invoke(fid) == FPS_OK;
}

Object* SymmetryScene::Evaluate(INode* node) { return node->EvalWorldState(0).obj; }

std::string NodeNameForFile(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return name;
}
