// The host-side half of the window model (window_model.h): what a window is, how a dialog and its
// controls are made from a dialog template and destroyed, and how messages reach a dialog's
// procedure. The host owns every window; a dialog owns its controls.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "resource_set.h"
#include "rollout_dialog.h"
#include "window_model.h"

struct HWND__ {
  WindowState state;
  HWND__* parent = nullptr;           // the dialog of a control; null for a dialog
  std::vector<HWND__*> children;      // a dialog's controls, in template order
  DialogHandler handler;              // dialogs only; may be empty
};

// A new dialog with one control per template control, titled `title`. The host owns it until
// DestroyDialogWindow.
HWND CreateDialogWindow(const DialogTemplate& dialog, const std::wstring& title);
// Destroys `dialog` and its controls; their handles become stale. A stale handle is ignored.
void DestroyDialogWindow(HWND dialog);
// `window` itself when it is live, else null.
HWND__* LiveWindow(HWND window);
// Hands a message to the procedure of `dialog`; 0 when it has none or the handle is stale.
INT_PTR SendDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// WM_COMMAND's and the custom controls' wParam: the control id in the low word, the notification
// code in the high word.
inline WPARAM MakeCommandParam(int id, unsigned code) {
  return WPARAM((unsigned(id) & 0xffffu) | ((code & 0xffffu) << 16));
}
