// Rollout windows on Linux: the host's window model, whose controls hold their states themselves.
// The host's changes to a control's state never notify its dialog here, so a quiet dialog has
// nothing to hold back.
#include "module_resources.h"
#include "rollout_dialog.h"
#include "window_tree.h"

namespace {

const DialogTemplate* findDialog(HINSTANCE module, int templateId) {
  const ModuleResources* resources = ResourcesOfModule(module);
  return resources != nullptr ? resources->FindDialog(unsigned(templateId)) : nullptr;
}

HWND__* liveSpinner(HWND control) {
  HWND__* window = LiveWindow(control);
  return window != nullptr && window->state.kind == WindowKind::Spinner ? window : nullptr;
}

}  // namespace

bool ModuleHasDialog(HINSTANCE module, int templateId) { return findDialog(module, templateId) != nullptr; }

HWND CreateRolloutDialog(HINSTANCE module, int templateId, const std::wstring& title, std::wstring& r_why) {
  const DialogTemplate* dialog = findDialog(module, templateId);
  if (dialog == nullptr) {
    r_why = L"its module has no dialog template " + std::to_wstring(templateId);
    return nullptr;
  }
  return CreateDialogWindow(*dialog, title);
}

void DestroyRolloutDialog(HWND dialog) {
  if (LiveWindow(dialog) == nullptr) return;
  SendDialogMessage(dialog, WM_DESTROY, 0, 0);
  DestroyDialogWindow(dialog);
}

void SetDialogHandler(HWND dialog, DialogHandler handler) {
  if (HWND__* window = LiveWindow(dialog)) window->handler = std::move(handler);
}

QuietDialog::QuietDialog(HWND dialog) : dialog_(dialog) {}
QuietDialog::~QuietDialog() = default;

bool ControlChecked(HWND control) {
  HWND__* window = LiveWindow(control);
  return window != nullptr && window->state.checked;
}

void SetControlChecked(HWND control, bool checked) {
  if (HWND__* window = LiveWindow(control)) window->state.checked = checked;
}

std::wstring ControlText(HWND window) {
  HWND__* live = LiveWindow(window);
  return live != nullptr ? live->state.text : std::wstring();
}

void SetControlText(HWND window, const std::wstring& text) {
  if (HWND__* live = LiveWindow(window)) live->state.text = text;
}

bool SpinnerValue(HWND control, float& r_value) {
  HWND__* spinner = liveSpinner(control);
  if (spinner == nullptr) return false;
  r_value = spinner->state.value;
  return true;
}

bool SetSpinnerValue(HWND control, float value) {
  HWND__* spinner = liveSpinner(control);
  if (spinner == nullptr) return false;
  spinner->state.value = value;
  return true;
}

bool SetSpinnerRange(HWND control, float low, float high) {
  HWND__* spinner = liveSpinner(control);
  if (spinner == nullptr) return false;
  spinner->state.minimum = low;
  spinner->state.maximum = high;
  return true;
}
