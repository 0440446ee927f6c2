// How the host shows a template's control, alike on every system: the window kind (the standard
// controls by class and style, the host's custom controls by class name), for static text the
// alignment its style asks for, and the control's state as the template gives it.
#pragma once

#include "resource_set.h"
#include "window_model.h"

WindowKind WindowKindOf(const DialogControl& control);
TextAlignment TextAlignmentOf(const DialogControl& control, WindowKind kind);
// Id, kind, rectangle in dialog units, style and alignment; the rest is left at its defaults.
WindowState ControlStateFromTemplate(const DialogControl& control);
