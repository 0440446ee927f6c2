// Stand-in for <commctrl.h> on Linux.
#pragma once

#include <windows.h>

void InitCommonControls();
