// The soak's scene and the moves of a long session on it: a sculpted grid (the input) carrying one
// ambiflex modifier, the bases it may take as its target, and every change made as a script makes
// it (parameters set by name, the published reset functions), each parameter change followed by
// the reset the rollout makes for the same change.
//
// After each move the input is evaluated and compared, vertex for vertex and bit for bit, with what
// it must give: the result of a fresh modifier with the same settings on a copy of the same input
// (built, evaluated and deleted in the same scene); or, while constant update is off and nothing
// was reset since the last full evaluation, the frozen result of that evaluation when the input
// still has its vertex count, and the input unchanged when it has not.
//
// Targets, by index: 0 and 1 two symmetric bases of the input's first grid, 2 a base of the second
// grid (more rows: another vertex count), 3 a node without an object (not a mesh), 4 none.
#pragma once

#include <string>
#include <vector>

#include "max.h"

class SoakScene {
 public:
  // Bases and input of about `vertices` vertices (at least 9). Loads the plug-in if needed and
  // replaces the host's scene; the destructor empties it.
  explicit SoakScene(int vertices);
  ~SoakScene();
  SoakScene(const SoakScene&) = delete;
  SoakScene& operator=(const SoakScene&) = delete;

  int InputVertexCount() const { return int(input_.size()); }

  // The moves. Each returns false with r_error set when the host or the plug-in refuses it.
  bool PickTarget(int target, std::string& r_error);  // UndefObject, then resetTarget (as picking does)
  bool SetAxis(int axis, std::string& r_error);       // then reset and resetMatch
  bool SetOperation(int operation, std::string& r_error);  // then reset
  bool SetDirection(int direction, std::string& r_error);  // then reset
  bool SetConstantUpdate(bool on, std::string& r_error);   // then reset
  bool CallReset(const std::string& function, std::string& r_error);  // reset, resetTarget, resetMatch
  bool SaveAndReload(std::string& r_error);
  // A new sculpt of the first grid or the second, replacing the input's base object.
  void ChangeInput(bool secondGrid, unsigned seed);

  // Evaluates the input and compares it with what it must give; false with r_error describing the
  // first difference, or a failure the host reported.
  bool EvaluateAndCheck(std::string& r_error);

  // How the checked evaluations went, for the summary.
  int fullEvaluations = 0;  // the result of a fresh modifier
  int replays = 0;          // the frozen result
  int unchanged = 0;        // the input handed on (no target, not a mesh, vertex count mismatch)

 private:
  struct Target {
    const MCHAR* name;
    int vertices;  // 0: not a mesh, -1: no target at all
  };

  bool set(const std::string& param, const std::string& value, std::string& r_error);
  bool call(const std::string& function, std::string& r_error);
  void findNodes();
  std::vector<Point3> freshResult();
  // The model's view of the cache after reset functions.
  void forgetResult() {
    frozenHeld_ = false;
    dirty_ = true;
  }
  void forgetTarget() {
    targetHeld_ = false;
    dirty_ = true;
  }

  int columns_ = 0, rows_ = 0;
  std::vector<Target> targets_;
  INode* inputNode_ = nullptr;
  Modifier* modifier_ = nullptr;
  std::vector<Point3> input_;  // the input's base positions
  bool secondGrid_ = false;

  // Settings as set.
  int target_ = 4, axis_ = 0, operation_ = 0, direction_ = 0;
  bool constantUpdate_ = true;

  // What the modifier's cache holds, as far as its results show.
  bool frozenHeld_ = false;
  std::vector<Point3> frozen_;
  int frozenTargetVertices_ = 0;
  bool targetHeld_ = false;
  bool dirty_ = true;
};
