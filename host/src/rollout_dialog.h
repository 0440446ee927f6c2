// What the host's parameter maps need of a rollout's windows, alike on every system: a dialog made
// from a dialog template of a loaded module, its controls by id, and their states. On Linux these
// are the host's window model (window_tree.h); on Windows, the system's windows
// (window_host_win32.h). Host main thread only.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

// A dialog's procedure: the host's handler of the messages the dialog receives.
using DialogHandler = std::function<INT_PTR(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)>;

// Whether `module` carries dialog template `templateId`.
bool ModuleHasDialog(HINSTANCE module, int templateId);
// A new rollout made from dialog template `templateId` of `module` and titled `title`; null with the
// reason in `r_why` when the module has no such template or the system makes no window of it (as
// under Wine without a display). The host owns it until DestroyRolloutDialog.
HWND CreateRolloutDialog(HINSTANCE module, int templateId, const std::wstring& title, std::wstring& r_why);
// Destroys a rollout made by CreateRolloutDialog; its handler sees WM_DESTROY first, as its last
// message. A stale handle is ignored.
void DestroyRolloutDialog(HWND dialog);
// Messages reach `handler` from now on (an empty one drops them).
void SetDialogHandler(HWND dialog, DialogHandler handler);
// The control `id` of the rollout `dialog` that the host made from its template, or null.
HWND LiveControl(HWND dialog, int id);

// While one lives, the controls of `dialog` that the host changes send no notifications to it, as
// only the user's changes do.
class QuietDialog {
 public:
  explicit QuietDialog(HWND dialog);
  ~QuietDialog();
  QuietDialog(const QuietDialog&) = delete;
  QuietDialog& operator=(const QuietDialog&) = delete;

 private:
  HWND dialog_;
};

// Check boxes, radio buttons and check buttons.
bool ControlChecked(HWND control);
void SetControlChecked(HWND control, bool checked);
// Captions and edit texts.
std::wstring ControlText(HWND window);
void SetControlText(HWND window, const std::wstring& text);
// Spinners: false (and nothing changed) when `control` is not one.
bool SpinnerValue(HWND control, float& r_value);
bool SetSpinnerValue(HWND control, float value);
bool SetSpinnerRange(HWND control, float low, float high);
