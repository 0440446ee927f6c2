// The core interface: current time, viewport redraws, the active viewport, pick modes and the
// host's record of what it showed the user (redraws, failures reported during evaluation); the
// viewports objects draw into (ViewExp) and the callbacks of a pick mode.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "box3.h"
#include "gfx.h"
#include "ref.h"

class INode;
class IObjParam;

// ViewExp: one viewport as objects see it while they draw or are picked: its graphics window and
// the nodes a pick hit. The core interface keeps the active viewport (Interface::GetActiveViewExp);
// host programs may make their own to draw into.
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

// Pick modes: a command mode in which the user picks a scene node in a viewport (or from the host's
// pick-by-name list) for a plug-in. The plug-in implements PickModeCallback and hands it to
// Interface::SetPickMode; a PickNodeCallback filters which nodes may be picked. The host never owns
// either.
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

#define REDRAW_BEGIN (1 << 0)
#define REDRAW_INTERACTIVE (1 << 1)
#define REDRAW_END (1 << 2)
#define REDRAW_NORMAL (1 << 3)

class Interface {
 public:
  virtual ~Interface() = default;
  virtual TimeValue GetTime() { return time_; }
  virtual void SetTime(TimeValue t, BOOL redraw = TRUE);
  virtual void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL, ReferenceTarget* change = nullptr);

  // The viewport the user works in; never null, owned by the host.
  virtual ViewExp* GetActiveViewExp();

  // Pick modes. SetPickMode ends the running mode (ExitMode) and starts `mode` (EnterMode), even
  // when it is the same callback; ClearPickMode ends the running mode. The host does not own them.
  virtual void SetPickMode(PickModeCallback* mode);
  virtual void ClearPickMode();
  virtual PickModeCallback* GetCurPickMode() { return pickMode_; }
  // The node under point `pt` of viewport window `hWnd` that `filter` accepts (every node without a
  // filter), logged as the active viewport's closest hit; null when there is none.
  virtual INode* PickNode(HWND hWnd, IPoint2 pt, PickNodeCallback* filter = nullptr);

  // How far a long operation has got, `pct` from 0 to 100, shown on the host's progress bar (with
  // the percentage when `showPct`, retitled when `title` is not null). This host passes it on to the
  // host program (hostapp/progress_listener.h).
  virtual void ProgressUpdate(int pct, BOOL showPct = TRUE, const MCHAR* title = nullptr);

  // Host bookkeeping, read by host programs and tests.
  int RedrawCount() const { return redraws_; }
  // Messages the host showed the user (evaluation failures and the like), oldest first.
  const std::vector<std::wstring>& Reports() const { return reports_; }
  void Report(const std::wstring& text) { reports_.push_back(text); }
  void ClearReports() { reports_.clear(); }
  // The node under the cursor in the active viewport, as the host program placing the cursor says
  // (user_input.h); null over empty space.
  void SetNodeUnderCursor(INode* node) { nodeUnderCursor_ = node; }

 private:
  PickModeCallback* pickMode_ = nullptr;
  INode* nodeUnderCursor_ = nullptr;
  TimeValue time_ = 0;
  int redraws_ = 0;
  std::vector<std::wstring> reports_;
};

// The interface handed to objects while they are edited.
class IObjParam : public Interface {};

Interface* GetCOREInterface();
