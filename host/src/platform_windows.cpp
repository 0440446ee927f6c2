// The Windows window calls on this platform, acting on the host's window model.
#include <windows.h>

#include "window_tree.h"

HWND GetDlgItem(HWND dialog, int id) { return LiveControl(dialog, id); }

BOOL EnableWindow(HWND window, BOOL enable) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr) return FALSE;
  // As on Windows: the result tells whether the window was disabled before the call.
  BOOL wasDisabled = live->state.enabled ? FALSE : TRUE;
  live->state.enabled = enable != FALSE;
  return wasDisabled;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  HWND__* live = LiveWindow(window);
  if (live == nullptr) return FALSE;
  live->state.text = text != nullptr ? text : L"";
  return TRUE;
}
