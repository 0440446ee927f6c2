// How the host shows a template's control, alike on every system: the window kind (the standard
// controls by class and style, the host's custom controls by class name) and, for static text, the
// alignment its style asks for.
#pragma once

#include "resource_set.h"
#include "window_model.h"

WindowKind WindowKindOf(const DialogControl& control);
TextAlignment TextAlignmentOf(const DialogControl& control, WindowKind kind);
