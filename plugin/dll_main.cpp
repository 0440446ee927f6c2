// The library's entry point and its five exported functions.
#include <windows.h>
#include <commctrl.h>

#include "max.h"
#include "plugin/ambiflex_class_desc.h"
#include "plugin/library_exports.h"
#include "plugin/resource.h"
#include "plugin/resource_string.h"

namespace {
int controlsInit = 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved) {
  hInstance = hinstDLL;
  if (!controlsInit) {
    controlsInit = 1;
    InitCommonControls();
  }
  return TRUE;
}

extern "C" AMBIFLEX_EXPORT const MCHAR* LibDescription() { return GetResourceString(IDS_LIBDESCRIPTION); }

extern "C" AMBIFLEX_EXPORT int LibNumberClasses() { return 1; }

extern "C" AMBIFLEX_EXPORT ClassDesc* LibClassDesc(int i) {
  return i == 0 ? GetAmbiflexDesc() : nullptr;
}

extern "C" AMBIFLEX_EXPORT ULONG LibVersion() { return VERSION_3DSMAX; }

extern "C" AMBIFLEX_EXPORT int CanAutoDefer() { return 0; }
