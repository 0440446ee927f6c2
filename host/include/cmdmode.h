// Pick modes: a command mode in which the user picks a scene node in a viewport (or from the host's
// pick-by-name list) for a plug-in. The plug-in implements PickModeCallback and hands it to
// Interface::SetPickMode; a PickNodeCallback filters which nodes may be picked. The host never owns
// either.
#pragma once

#include "maxapi.h"

class INode;
class ViewExp;

class PickNodeCallback {
 public:
  virtual ~PickNodeCallback() = default;
  // TRUE when `node` may be picked.
  virtual BOOL Filter(INode* node) = 0;
};

class PickModeCallback {
 public:
  virtual ~PickModeCallback() = default;
  // Whether something pickable lies under point `m` of viewport window `hWnd`.
  virtual BOOL HitTest(IObjParam* ip, HWND hWnd, ViewExp* vpt, IPoint2 m, int flags) = 0;
  // The user clicked where HitTest found something; TRUE ends the pick mode.
  virtual BOOL Pick(IObjParam* ip, ViewExp* vpt) = 0;
  virtual BOOL PickAnimatable(Animatable* anim) { return TRUE; }
  // A right click in a viewport; TRUE ends the pick mode.
  virtual BOOL RightClick(IObjParam* ip, ViewExp* vpt) { return FALSE; }
  // The mode starts (ends).
  virtual void EnterMode(IObjParam* ip) {}
  virtual void ExitMode(IObjParam* ip) {}
  // Cursors; null for the host's own.
  virtual HCURSOR GetDefCursor(IObjParam* ip) { return nullptr; }
  virtual HCURSOR GetHitCursor(IObjParam* ip) { return nullptr; }
  // The filter of the host's pick-by-name list; null lists every node.
  virtual PickNodeCallback* GetFilter() { return nullptr; }
  virtual BOOL AllowMultiSelect() { return FALSE; }
};
