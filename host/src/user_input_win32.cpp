// Simulated user input on the controls of a rollout on Windows, with the same effects as a user's
// click, drag or typing: the control changes, then the dialog gets the control's notification.
// Input through the system (SendInput) would need a desktop with focus, which tests do not have.
#include <algorithm>

#include "custcont.h"
#include "user_input.h"
#include "window_host_win32.h"

namespace {

// A control the user could reach: live, enabled and visible, on an enabled dialog.
HWND usableControl(HWND dialog, int id) {
  HWND control = LiveControl(dialog, id);
  if (control == nullptr || !IsWindowEnabled(control) || !IsWindowEnabled(dialog)) return nullptr;
  if ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) == 0) return nullptr;
  return control;
}

WindowKind kindOf(HWND control) {
  std::optional<WindowState> s = TemplateStateOf(control);
  return s ? s->kind : WindowKind::Custom;
}

LPARAM from(HWND control) { return reinterpret_cast<LPARAM>(control); }

}  // namespace

bool ClickControl(HWND dialog, int id) {
  HWND control = usableControl(dialog, id);
  if (control == nullptr) return false;
  switch (kindOf(control)) {
    case WindowKind::CheckBox:
      SetControlChecked(control, !ControlChecked(control));
      break;
    case WindowKind::RadioButton:
      SetControlChecked(control, true);
      break;
    case WindowKind::CustButton:
      if (CustomStateOf(control)->checkButton) SetControlChecked(control, !ControlChecked(control));
      break;
    case WindowKind::PushButton:
      break;
    default:
      return false;
  }
  SendDialogMessage(dialog, WM_COMMAND, MAKEWPARAM(WORD(id), BN_CLICKED), from(control));
  return true;
}

bool DragSpinner(HWND dialog, int id, float value) {
  HWND control = usableControl(dialog, id);
  CustomControlState* s = control != nullptr && kindOf(control) == WindowKind::Spinner ? CustomStateOf(control) : nullptr;
  if (s == nullptr) return false;
  s->value = std::min(std::max(value, s->minimum), s->maximum);
  RefreshCustomControl(control);
  SendDialogMessage(dialog, CC_SPINNER_CHANGE, MAKEWPARAM(WORD(id), TRUE), from(control));
  return true;
}

bool TypeIntoControl(HWND dialog, int id, const std::wstring& text) {
  HWND control = usableControl(dialog, id);
  if (control == nullptr) return false;
  WindowKind kind = kindOf(control);
  if (kind != WindowKind::Edit && kind != WindowKind::CustEdit) return false;
  {
    // The edit reports any text set on it; the dialog hears of the typing once, below, as from the
    // Linux window model.
    QuietDialog quiet(dialog);
    SetWindowTextW(control, text.c_str());
  }
  SendDialogMessage(dialog, WM_COMMAND, MAKEWPARAM(WORD(id), EN_CHANGE), from(control));
  return true;
}
