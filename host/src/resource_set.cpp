// Classification of dialog controls by class and style.
#include "resource_set.h"

#include <cctype>

bool SameWindowClass(const std::string& name, const char* windowsClass) {
  std::size_t i = 0;
  for (; i < name.size() && windowsClass[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) !=
        std::tolower(static_cast<unsigned char>(windowsClass[i])))
      return false;
  }
  return i == name.size() && !windowsClass[i];
}

ControlKind controlKind(const DialogControl& control) {
  using namespace ResourceStyle;
  if (SameWindowClass(control.className, "Static")) return ControlKind::StaticText;
  if (SameWindowClass(control.className, "Edit")) return ControlKind::Edit;
  if (!SameWindowClass(control.className, "Button")) return ControlKind::Custom;
  switch (control.style & kTypeMask) {
    case kPushButton:
    case kDefPushButton:
      return ControlKind::PushButton;
    case kCheckBox:
    case kAutoCheckBox:
    case k3State:
    case kAuto3State:
      return ControlKind::CheckBox;
    case kRadioButton:
    case kAutoRadioButton:
      return ControlKind::RadioButton;
    case kGroupBox:
      return ControlKind::GroupBox;
    default:
      return ControlKind::Custom;
  }
}
