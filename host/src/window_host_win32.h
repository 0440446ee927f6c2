// The host's windows on Windows, behind window_model.h and rollout_dialog.h: a rollout is a dialog
// the system makes from a dialog template of a loaded module, a child of the host's command panel
// (a window this command-line host never shows), with the host's custom controls ("CustButton",
// "CustEdit", "SpinnerControl") among its controls. For every window it made, the host keeps what the template
// says of it (id, kind, rectangle in dialog units, style); the system keeps text, enabled and
// checked states; custom controls keep their own state. Host main thread only.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

#include "rollout_dialog.h"
#include "window_model.h"

// The host library's own module, which owns the command panel and the custom control classes.
HINSTANCE HostModule();
// Hands a message to the rollout `dialog`; 0 when the handle is stale.
INT_PTR SendDialogMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// What the template says of a live window the host made: id, kind, rectangle, style, alignment.
// Empty for any other window.
std::optional<WindowState> TemplateStateOf(HWND window);

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
