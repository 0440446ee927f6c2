// Stand-in for <commctrl.h> on Linux.
#pragma once

#include <windows.h>

void InitCommonControls();

// Host bookkeeping: how often a plug-in asked for the common controls.
int CommonControlInitialisations();
