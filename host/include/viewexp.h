// ViewExp: one viewport as objects see it while they draw or are picked: its graphics window and
// the nodes a pick hit. The core interface keeps the active viewport (Interface::GetActiveViewExp);
// host programs may make their own to draw into.
#pragma once

#include <memory>
#include <vector>

#include "box3.h"
#include "gfx.h"

class INode;

class ViewExp {
 public:
  ViewExp();
  virtual ~ViewExp();
  ViewExp(const ViewExp&) = delete;
  ViewExp& operator=(const ViewExp&) = delete;

  // Never null; owned by the viewport.
  virtual GraphicsWindow* getGW() { return gw_.get(); }
  // The node the last pick hit nearest, or null.
  virtual INode* GetClosestHit() { return hits_.empty() ? nullptr : hits_.front(); }
  virtual int HitCount() { return int(hits_.size()); }
  virtual void ClearHitList() { hits_.clear(); }
  // Adds `node` to the hits, nearest last logged first.
  virtual void LogHit(INode* node);
  virtual HWND GetHWnd() { return nullptr; }

 private:
  std::unique_ptr<GraphicsWindow> gw_;
  std::vector<INode*> hits_;
};

// Draws the gizmos of every enabled modifier in `node`'s stack into `vpt` at t (Modifier::Display
// with each application's context), from the top of the stack down.
void DisplayModifiers(INode* node, ViewExp* vpt, TimeValue t);
// The union of those modifiers' world bound boxes (GetWorldBoundBox with their contexts): what a
// zoom-extents frames of them. Empty when none reports a box.
Box3 ModifiersWorldBoundBox(INode* node, ViewExp* vpt, TimeValue t);
