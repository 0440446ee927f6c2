// Picking the target node (UndefObject, button 1003) or the asymmetry node (asymNode, button 1010)
// in a viewport or from the host's pick-by-name list. The rollout's dialog procedure sets the two
// fields and starts the host's pick mode with the library's one instance; any node that does not
// depend on the modifier may be picked, and the pick is one undoable step.
#pragma once

#include "maxapi.h"

class ambiflex;

class PickControlNode : public PickModeCallback, public PickNodeCallback {
 public:
  PickControlNode() : modifier(nullptr), pickAsymmetry(0) {}

  // The modifier whose rollout started the pick; null until the first pick starts.
  ambiflex* modifier;
  // 0: picking the target; 1: picking the asymmetry node.
  int pickAsymmetry;

  // PickModeCallback
  BOOL HitTest(IObjParam* ip, HWND hWnd, ViewExp* vpt, IPoint2 m, int flags) override;
  BOOL Pick(IObjParam* ip, ViewExp* vpt) override;
  BOOL RightClick(IObjParam* ip, ViewExp* vpt) override { return TRUE; }
  void EnterMode(IObjParam* ip) override;
  void ExitMode(IObjParam* ip) override;
  PickNodeCallback* GetFilter() override { return this; }
  BOOL AllowMultiSelect() override { return FALSE; }

  // PickNodeCallback: TRUE for a node that does not depend on the modifier.
  BOOL Filter(INode* node) override;
};
