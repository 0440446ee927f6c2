// Window kinds and text alignment of template controls.
#include "window_kinds.h"

WindowKind WindowKindOf(const DialogControl& control) {
  switch (controlKind(control)) {
    case ControlKind::PushButton:
      return WindowKind::PushButton;
    case ControlKind::CheckBox:
      return WindowKind::CheckBox;
    case ControlKind::RadioButton:
      return WindowKind::RadioButton;
    case ControlKind::GroupBox:
      return WindowKind::GroupBox;
    case ControlKind::StaticText:
      return WindowKind::StaticText;
    case ControlKind::Edit:
      return WindowKind::Edit;
    case ControlKind::Custom:
      break;
  }
  if (SameWindowClass(control.className, "CustButton")) return WindowKind::CustButton;
  if (SameWindowClass(control.className, "CustEdit")) return WindowKind::CustEdit;
  if (SameWindowClass(control.className, "SpinnerControl")) return WindowKind::Spinner;
  return WindowKind::Custom;
}

TextAlignment TextAlignmentOf(const DialogControl& control, WindowKind kind) {
  if (kind != WindowKind::StaticText) return TextAlignment::Left;
  switch (control.style & ResourceStyle::kTypeMask) {
    case ResourceStyle::kStaticCenter:
      return TextAlignment::Centre;
    case ResourceStyle::kStaticRight:
      return TextAlignment::Right;
    default:
      return TextAlignment::Left;
  }
}

WindowState ControlStateFromTemplate(const DialogControl& control) {
  WindowState s;
  s.id = control.id;
  s.kind = WindowKindOf(control);
  s.x = control.x;
  s.y = control.y;
  s.width = control.width;
  s.height = control.height;
  s.style = control.style;
  s.alignment = TextAlignmentOf(control, s.kind);
  return s;
}
