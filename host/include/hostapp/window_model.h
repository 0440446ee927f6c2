// The host's windows on this platform: a dialog built from a dialog template of a loaded module,
// with one child window per template control. Each window has an id, a kind, a class, a caption,
// a position and size in dialog units, and enabled, checked and visible states; custom controls add
// their own state. The Windows calls the plug-in makes (GetDlgItem, EnableWindow, SetWindowTextW)
// and the host's custom controls act on these windows.
//
// Host programs read windows here; user input goes through user_input.h. A handle stays valid until
// its dialog is destroyed; every call accepts a null or stale handle and treats it as no window.
// Host main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

enum class WindowKind {
  Dialog,
  PushButton,
  CheckBox,
  RadioButton,
  GroupBox,
  StaticText,
  Edit,
  CustButton,   // the host's custom button ("CustButton")
  CustEdit,     // the host's custom edit ("CustEdit")
  Spinner,      // the host's spinner ("SpinnerControl")
  Custom,       // any other class
};

enum class TextAlignment { Left, Centre, Right };

struct WindowState {
  int id = -1;  // -1 for controls nothing refers to, and for dialogs
  WindowKind kind = WindowKind::Custom;
  std::wstring className;
  std::wstring text;  // the caption; an edit's text; a dialog's title
  int x = 0, y = 0, width = 0, height = 0;  // dialog units; controls relative to their dialog
  std::uint32_t style = 0;                  // the template's style word
  TextAlignment alignment = TextAlignment::Left;
  bool enabled = true;
  bool checked = false;  // check boxes, radio buttons and check-type custom buttons
  bool visible = true;
  // Custom buttons: whether the button is a check button, and the colour it shows while checked.
  bool checkButton = false;
  COLORREF highlight = 0;
  // Spinners: the value and its limits.
  float value = 0.0f;
  float minimum = 0.0f, maximum = 0.0f;
};

// Whether `window` is a live window.
bool WindowExists(HWND window);
// The state of `window`; empty for a null or stale handle.
std::optional<WindowState> DescribeWindow(HWND window);
// The controls of `dialog` in template (tab) order; empty for no dialog.
std::vector<HWND> DialogControls(HWND dialog);
// How many dialogs are open (for hosts and tests checking that closed rollouts go away).
int OpenDialogCount();
