// Simulated user input: controls of the window model and the active viewport's pick mode.
#include "user_input.h"

#include <algorithm>

#include "maxapi.h"
#include "custcont.h"
#include "scene.h"
// On Windows the controls are the system's windows: user_input_win32.cpp gives them their input.
#if !defined(_WIN32)
#include "window_tree.h"
#endif

namespace {

#if !defined(_WIN32)

HWND__* usableControl(HWND dialog, int id) {
  HWND__* control = LiveControl(dialog, id);
  if (control == nullptr || !control->state.enabled || !control->state.visible) return nullptr;
  HWND__* parent = control->parent;
  if (!parent->state.enabled) return nullptr;
  return control;
}
#endif

IObjParam* core() { return static_cast<IObjParam*>(GetCOREInterface()); }

}  // namespace

#if !defined(_WIN32)
bool ClickControl(HWND dialog, int id) {
  HWND__* control = usableControl(dialog, id);
  if (control == nullptr) return false;
  WindowState& s = control->state;
  switch (s.kind) {
    case WindowKind::CheckBox:
      s.checked = !s.checked;
      break;
    case WindowKind::RadioButton:
      s.checked = true;
      break;
    case WindowKind::CustButton:
      if (s.checkButton) s.checked = !s.checked;
      break;
    case WindowKind::PushButton:
      break;
    default:
      return false;
  }
  SendDialogMessage(dialog, WM_COMMAND, MakeCommandParam(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  return true;
}

bool DragSpinner(HWND dialog, int id, float value) {
  HWND__* control = usableControl(dialog, id);
  if (control == nullptr || control->state.kind != WindowKind::Spinner) return false;
  WindowState& s = control->state;
  s.value = std::min(std::max(value, s.minimum), s.maximum);
  SendDialogMessage(dialog, CC_SPINNER_CHANGE, MakeCommandParam(id, TRUE), reinterpret_cast<LPARAM>(control));
  return true;
}

bool TypeIntoControl(HWND dialog, int id, const std::wstring& text) {
  HWND__* control = usableControl(dialog, id);
  if (control == nullptr || (control->state.kind != WindowKind::Edit && control->state.kind != WindowKind::CustEdit))
    return false;
  control->state.text = text;
  SendDialogMessage(dialog, WM_COMMAND, MakeCommandParam(id, EN_CHANGE), reinterpret_cast<LPARAM>(control));
  return true;
}
#endif

bool ClickNodeInViewport(INode* node) {
  Interface* ip = GetCOREInterface();
  PickModeCallback* mode = ip->GetCurPickMode();
  if (mode == nullptr) return false;
  ViewExp* vpt = ip->GetActiveViewExp();
  vpt->ClearHitList();
  ip->SetNodeUnderCursor(node);
  BOOL hit = mode->HitTest(core(), vpt->GetHWnd(), vpt, IPoint2(0, 0), 0);
  ip->SetNodeUnderCursor(nullptr);
  if (hit && mode->Pick(core(), vpt) && ip->GetCurPickMode() == mode) ip->ClearPickMode();
  return true;
}

bool RightClickInViewport() {
  Interface* ip = GetCOREInterface();
  PickModeCallback* mode = ip->GetCurPickMode();
  if (mode == nullptr) return false;
  if (mode->RightClick(core(), ip->GetActiveViewExp()) && ip->GetCurPickMode() == mode) ip->ClearPickMode();
  return true;
}

std::vector<INode*> PickByNameList() {
  std::vector<INode*> offered;
  PickModeCallback* mode = GetCOREInterface()->GetCurPickMode();
  if (mode == nullptr) return offered;
  PickNodeCallback* filter = mode->GetFilter();
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) {
    INode* node = Scene::Get().GetNode(i);
    if (filter == nullptr || filter->Filter(node)) offered.push_back(node);
  }
  return offered;
}

bool PickNodeByName(const MCHAR* name) {
  Interface* ip = GetCOREInterface();
  PickModeCallback* mode = ip->GetCurPickMode();
  if (mode == nullptr || name == nullptr) return false;
  INode* node = Scene::Get().FindNode(name);
  if (node == nullptr) return false;
  PickNodeCallback* filter = mode->GetFilter();
  if (filter != nullptr && !filter->Filter(node)) return false;
  ViewExp* vpt = ip->GetActiveViewExp();
  vpt->ClearHitList();
  vpt->LogHit(node);
  if (mode->Pick(core(), vpt) && ip->GetCurPickMode() == mode) ip->ClearPickMode();
  return true;
}
