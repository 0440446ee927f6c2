// A dialog of the host's window model drawn as SVG, the way the host shows a rollout: a title bar
// with the dialog's title, then every control at its template position and size (dialog units
// times `scale`), with its caption, checked state and enabled state (disabled controls greyed).
#pragma once

#include <string>

#include <windows.h>

// The SVG document for `dialog`; an empty string for a null or stale handle. `scale` is in pixels
// per dialog unit and must be positive.
std::string DrawDialogSvg(HWND dialog, double scale);
