// The core interface: current time, viewport redraws, the active viewport, pick modes (cmdmode.h)
// and the host's record of what it showed the user (redraws, failures reported during evaluation).
#pragma once

#include <string>
#include <vector>

#include "ref.h"

class INode;
class ViewExp;
class PickModeCallback;
class PickNodeCallback;

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
