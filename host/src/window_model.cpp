// The window model: dialogs made from templates, the registry that tells live handles from stale
// ones, message delivery and the read access host programs use.
#include <map>
#include <memory>

#include "strclass.h"
#include "window_kinds.h"
#include "window_tree.h"

namespace {

// Every live window, dialogs and controls alike, owned here.
std::map<HWND__*, std::unique_ptr<HWND__>>& windows() {
  static std::map<HWND__*, std::unique_ptr<HWND__>> all;
  return all;
}

HWND__* adopt(std::unique_ptr<HWND__> window) {
  HWND__* raw = window.get();
  windows()[raw] = std::move(window);
  return raw;
}

}  // namespace

HWND CreateDialogWindow(const DialogTemplate& dialog, const std::wstring& title) {
  auto window = std::make_unique<HWND__>();
  WindowState& s = window->state;
  s.kind = WindowKind::Dialog;
  s.text = title;
  s.x = dialog.x;
  s.y = dialog.y;
  s.width = dialog.width;
  s.height = dialog.height;
  s.style = dialog.style;
  s.enabled = (dialog.style & ResourceStyle::kDisabled) == 0;
  s.visible = (dialog.style & ResourceStyle::kVisible) != 0;
  HWND__* parent = adopt(std::move(window));
  for (const DialogControl& control : dialog.controls) {
    auto child = std::make_unique<HWND__>();
    WindowState& c = child->state;
    c = ControlStateFromTemplate(control);
    c.className = MSTR::FromUTF8(control.className).str();
    c.text = MSTR::FromUTF8(control.caption).str();
    c.enabled = (control.style & ResourceStyle::kDisabled) == 0;
    c.visible = (control.style & ResourceStyle::kVisible) != 0;
    child->parent = parent;
    parent->children.push_back(adopt(std::move(child)));
  }
  return parent;
}

void DestroyDialogWindow(HWND dialog) {
  HWND__* window = LiveWindow(dialog);
  if (window == nullptr || window->parent != nullptr) return;
  std::vector<HWND__*> children = window->children;
  for (HWND__* child : children) windows().erase(child);
  windows().erase(window);
}

HWND__* LiveWindow(HWND window) {
  if (window == nullptr) return nullptr;
  return windows().count(window) ? window : nullptr;
}

HWND__* LiveControl(HWND dialog, int id) {
  HWND__* window = LiveWindow(dialog);
  if (window == nullptr) return nullptr;
  for (HWND__* child : window->children) {
    if (child->state.id == id) return child;
  }
  return nullptr;
}

INT_PTR SendDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND__* window = LiveWindow(dialog);
  if (window == nullptr || !window->handler) return 0;
  // The handler may destroy the dialog; it runs from a copy so the call stays valid.
  DialogHandler handler = window->handler;
  return handler(dialog, msg, wParam, lParam);
}

bool WindowExists(HWND window) { return LiveWindow(window) != nullptr; }

std::optional<WindowState> DescribeWindow(HWND window) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr) return std::nullopt;
  return live->state;
}

std::vector<HWND> DialogControls(HWND dialog) {
  HWND__* window = LiveWindow(dialog);
  if (window == nullptr) return {};
  return std::vector<HWND>(window->children.begin(), window->children.end());
}

int OpenDialogCount() {
  int n = 0;
  for (const auto& entry : windows()) n += entry.first->parent == nullptr ? 1 : 0;
  return n;
}
