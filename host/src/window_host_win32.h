// The host's windows on Windows, behind window_model.h: a rollout is a dialog the system makes from
// a dialog template of a loaded module, a child of the host's command panel (a window this
// command-line host never shows), with the host's custom controls ("CustButton", "CustEdit",
// "SpinnerControl") among its controls. For every window it made, the host keeps what the template
// says of it (id, kind, rectangle in dialog units, style); the system keeps text, enabled and
// checked states; custom controls keep their own state. Host main thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <windows.h>

#include "window_model.h"

// A dialog's procedure: the host's handler of the messages the dialog receives.
using DialogHandler = std::function<INT_PTR(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)>;

// The host library's own module, which owns the command panel and the custom control classes.
HINSTANCE HostModule();
// Whether `module` carries dialog template `templateId`.
bool ModuleHasDialog(HINSTANCE module, int templateId);
// A new rollout made from dialog template `templateId` of `module` and titled `title`; null with the
// reason in `r_why` when the module has no such template or the system makes no window of it (as
// under Wine without a display). The host owns it until DestroyRolloutDialog.
HWND CreateRolloutDialog(HINSTANCE module, int templateId, const std::wstring& title, std::wstring& r_why);
// Destroys a rollout made by CreateRolloutDialog (its handler sees WM_DESTROY); a stale handle is
// ignored.
void DestroyRolloutDialog(HWND dialog);
// Messages reach `handler` from now on (an empty one drops them).
void SetDialogHandler(HWND dialog, DialogHandler handler);
// Hands a message to the rollout `dialog`; 0 when the handle is stale.
INT_PTR SendDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// The control `id` of the rollout `dialog` that the host made from its template, or null.
HWND LiveControl(HWND dialog, int id);
// What the template says of a live window the host made: id, kind, rectangle, style, alignment.
// Empty for any other window.
std::optional<WindowState> TemplateStateOf(HWND window);

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

// The state of a custom control window (custom_controls_win32.cpp); null for a stale handle or any
// other window. Stays valid while the window lives.
struct CustomControlState {
  WindowKind kind = WindowKind::Custom;
  bool checkButton = false;  // custom buttons
  bool checked = false;
  COLORREF highlight = 0;
  float value = 0.0f;  // spinners
  float minimum = 0.0f, maximum = 0.0f;
  float scale = 0.1f;
};
CustomControlState* CustomStateOf(HWND window);
// Registers the custom control classes with the system, once; false when it refuses.
bool RegisterCustomControlClasses();
// Redraws a custom control after its state changed.
void RefreshCustomControl(HWND window);

// Control states through the system's messages or a custom control's own state.
bool ControlChecked(HWND control);
void SetControlChecked(HWND control, bool checked);
std::wstring ControlText(HWND window);
