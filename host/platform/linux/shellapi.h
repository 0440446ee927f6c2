// Stand-in for <shellapi.h> on Linux: opening a document records the request with the host.
#pragma once

#include <windows.h>

HINSTANCE ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int showCommand);
