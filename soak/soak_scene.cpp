// The soak's scene: its moves go through the script bridge and the scene file, exactly as a script
// and a save in the host would make them; its expectations come from a fresh modifier.
#include "soak_scene.h"

#include <cmath>
#include <cstdio>

#include "maxapi.h"
#include "scene_file.h"
#include "script_bridge.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

constexpr const MCHAR* kInputName = L"sculpt";
constexpr const MCHAR* kFreshName = L"fresh";

TriObject* gridWithPositions(int columns, int rows, const std::vector<Point3>& positions) {
  TriObject* obj = MakeSymmetricGrid(columns, rows);
  Mesh& mesh = obj->GetMesh();
  for (int i = 0; i < mesh.numVerts; ++i) mesh.verts[i] = positions[size_t(i)];
  return obj;
}

std::string narrow(const MCHAR* name) {
  std::string out;
  for (const MCHAR* c = name; *c != 0; ++c) out += char(*c);
  return out;
}

std::string pointText(const Point3& p) {
  char text[96];
  std::snprintf(text, sizeof(text), "(%.9g, %.9g, %.9g)", p.x, p.y, p.z);
  return text;
}

}  // namespace

SoakScene::SoakScene(int vertices) {
  Plugin();
  ResetScene();
  columns_ = int(std::sqrt(double(vertices))) | 1;  // odd: one column on the plane
  if (columns_ < 3) columns_ = 3;
  rows_ = (vertices + columns_ - 1) / columns_;
  if (rows_ < 3) rows_ = 3;

  targets_ = {{L"baseA", columns_ * rows_}, {L"baseB", columns_ * rows_}, {L"baseTall", columns_ * (rows_ + 2)},
              {L"empty", 0}, {L"none", -1}};
  Scene::Get().CreateNode(L"baseA", MakeSymmetricGrid(columns_, rows_));
  // Another symmetric base of the same vertex count: the relief stretched on both halves alike.
  TriObject* baseB = MakeSymmetricGrid(columns_, rows_);
  for (int i = 0; i < baseB->GetMesh().numVerts; ++i) baseB->GetMesh().verts[i].z *= 3.0f;
  Scene::Get().CreateNode(L"baseB", baseB);
  Scene::Get().CreateNode(L"baseTall", MakeSymmetricGrid(columns_, rows_ + 2));
  Scene::Get().CreateNode(L"empty", nullptr);

  TriObject* sculpt = MakeSymmetricGrid(columns_, rows_);
  Sculpt(sculpt->GetMesh(), 1, 0.25f / float(columns_));
  input_ = Positions(sculpt->GetMesh());
  inputNode_ = Scene::Get().CreateNode(kInputName, sculpt);
  modifier_ = NewModifier();
  Scene::Get().ApplyModifier(inputNode_, modifier_);
}

SoakScene::~SoakScene() { ResetScene(); }

bool SoakScene::set(const std::string& param, const std::string& value, std::string& r_error) {
  if (SetParameterByName(modifier_, param, value, &r_error)) return true;
  r_error = param + "=" + value + ": " + r_error;
  return false;
}

bool SoakScene::call(const std::string& function, std::string& r_error) {
  if (CallPublishedFunction(modifier_, function, &r_error) == FPS_OK) return true;
  r_error = function + "(): " + r_error;
  return false;
}

bool SoakScene::PickTarget(int target, std::string& r_error) {
  const Target& t = targets_[size_t(target)];
  if (!set("UndefObject", t.vertices < 0 ? "undefined" : narrow(t.name), r_error)) return false;
  target_ = target;
  return CallReset("resetTarget", r_error);
}

bool SoakScene::SetAxis(int axis, std::string& r_error) {
  if (!set("mirrorAxis", std::to_string(axis), r_error)) return false;
  axis_ = axis;
  return CallReset("reset", r_error) && CallReset("resetMatch", r_error);
}

bool SoakScene::SetOperation(int operation, std::string& r_error) {
  if (!set("operation", std::to_string(operation), r_error)) return false;
  operation_ = operation;
  return CallReset("reset", r_error);
}

bool SoakScene::SetDirection(int direction, std::string& r_error) {
  if (!set("direction", std::to_string(direction), r_error)) return false;
  direction_ = direction;
  return CallReset("reset", r_error);
}

bool SoakScene::SetConstantUpdate(bool on, std::string& r_error) {
  if (!set("constantUpdate", on ? "on" : "off", r_error)) return false;
  constantUpdate_ = on;
  return CallReset("reset", r_error);
}

bool SoakScene::CallReset(const std::string& function, std::string& r_error) {
  if (!call(function, r_error)) return false;
  // resetMatch forgets only the partners: with constant update off the frozen result still replays.
  if (function == "reset") forgetResult();
  if (function == "resetTarget") forgetTarget();
  return true;
}

bool SoakScene::SaveAndReload(std::string& r_error) {
  std::string bytes;
  if (!SaveSceneToBytes(Scene::Get(), bytes, &r_error)) return false;
  ResetScene();
  if (!LoadSceneFromBytes(Scene::Get(), bytes, "soak.vms", &r_error)) return false;
  findNodes();
  if (inputNode_ == nullptr || modifier_ == nullptr) {
    r_error = "the reloaded scene lacks the input or its modifier";
    return false;
  }
  // A cache without both a result and a captured target is not saved: it comes back empty.
  if (!targetHeld_ || !frozenHeld_) frozenHeld_ = targetHeld_ = false;
  return true;
}

void SoakScene::findNodes() {
  inputNode_ = Scene::Get().FindNode(kInputName);
  IDerivedObject* stack = inputNode_ ? StackOf(inputNode_) : nullptr;
  modifier_ = stack && stack->NumModifiers() == 1 ? stack->GetModifier(0) : nullptr;
}

void SoakScene::ChangeInput(bool secondGrid, unsigned seed) {
  secondGrid_ = secondGrid;
  TriObject* sculpt = MakeSymmetricGrid(columns_, secondGrid ? rows_ + 2 : rows_);
  Sculpt(sculpt->GetMesh(), seed, 0.25f / float(columns_));
  input_ = Positions(sculpt->GetMesh());
  StackOf(inputNode_)->ReferenceObject(sculpt);
}

std::vector<Point3> SoakScene::freshResult() {
  INode* node = Scene::Get().CreateNode(kFreshName, gridWithPositions(columns_, secondGrid_ ? rows_ + 2 : rows_, input_));
  Modifier* mod = NewModifier();
  Scene::Get().ApplyModifier(node, mod);
  IParamBlock2* pb = Params(mod);
  const Target& t = targets_[size_t(target_)];
  pb->SetValue(kUndefObject, 0, t.vertices < 0 ? nullptr : Scene::Get().FindNode(t.name));
  pb->SetValue(kMirrorAxis, 0, axis_);
  pb->SetValue(kOperation, 0, operation_);
  pb->SetValue(kDirection, 0, direction_);
  std::vector<Point3> result = Positions(EvaluatedMeshOf(node));
  Scene::Get().DeleteNode(node);
  return result;
}

bool SoakScene::EvaluateAndCheck(std::string& r_error) {
  GetCOREInterface()->ClearReports();
  const Target& t = targets_[size_t(target_)];
  const int n = int(input_.size());
  std::vector<Point3> expected;
  const char* kind = "";
  bool replay = !constantUpdate_ && !dirty_ && frozenHeld_;
  if (t.vertices < 0) {
    // No target: the modifier hands the input on and its cache is left as it was.
    expected = input_;
    kind = "unchanged (no target)";
    ++unchanged;
  } else if (replay) {
    bool fits = int(frozen_.size()) == n && frozenTargetVertices_ == n;
    expected = fits ? frozen_ : input_;
    kind = fits ? "replay" : "unchanged (frozen result of another vertex count)";
    ++(fits ? replays : unchanged);
  } else if (t.vertices == 0) {
    // A target that is not a mesh cannot be captured: the evaluation stores nothing.
    expected = input_;
    kind = "unchanged (target not a mesh)";
    ++unchanged;
  } else {
    expected = freshResult();
    kind = t.vertices == n ? "full evaluation" : "unchanged (target of another vertex count)";
    ++(t.vertices == n ? fullEvaluations : unchanged);
    frozen_ = expected;
    frozenTargetVertices_ = t.vertices;
    frozenHeld_ = targetHeld_ = true;
    dirty_ = false;
  }

  std::vector<Point3> got = Positions(EvaluatedMeshOf(inputNode_));
  if (!GetCOREInterface()->Reports().empty()) {
    const std::wstring& report = GetCOREInterface()->Reports().front();
    r_error = "the host reported a failure: " + std::string(report.begin(), report.end());
    return false;
  }
  std::string context = std::string(kind) + ", target " + narrow(t.name) + ", axis " + std::to_string(axis_) +
                        ", operation " + std::to_string(operation_) + ", direction " + std::to_string(direction_) +
                        ", constant update " + (constantUpdate_ ? "on" : "off");
  if (got.size() != expected.size()) {
    r_error = context + ": " + std::to_string(got.size()) + " vertices, expected " + std::to_string(expected.size());
    return false;
  }
  for (size_t i = 0; i < got.size(); ++i) {
    const Point3 &a = got[i], &b = expected[i];
    if (a.x != b.x || a.y != b.y || a.z != b.z) {
      r_error = context + ": vertex " + std::to_string(i) + " is " + pointText(a) + ", expected " + pointText(b);
      return false;
    }
  }
  return true;
}
