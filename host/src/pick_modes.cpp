// The core interface's active viewport and pick modes.
#include "maxapi.h"

ViewExp* Interface::GetActiveViewExp() {
  static ViewExp viewport;
  return &viewport;
}

// The callbacks take the interface objects are edited with; the core interface is one.
static IObjParam* editInterface(Interface* ip) { return static_cast<IObjParam*>(ip); }

void Interface::SetPickMode(PickModeCallback* mode) {
  ClearPickMode();
  pickMode_ = mode;
  if (mode != nullptr) mode->EnterMode(editInterface(this));
}

void Interface::ClearPickMode() {
  PickModeCallback* running = pickMode_;
  pickMode_ = nullptr;
  if (running != nullptr) running->ExitMode(editInterface(this));
}

INode* Interface::PickNode(HWND hWnd, IPoint2 pt, PickNodeCallback* filter) {
  INode* node = nodeUnderCursor_;
  if (node == nullptr || (filter != nullptr && !filter->Filter(node))) return nullptr;
  GetActiveViewExp()->LogHit(node);
  return node;
}
