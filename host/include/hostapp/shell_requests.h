// What the plug-in asked the Windows shell to open (ShellExecuteW). This host opens nothing: it
// records each request so host programs can show or check it.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

struct ShellRequest {
  HWND window = nullptr;
  std::wstring verb;
  std::wstring file;
  std::wstring parameters;
  std::wstring directory;
  int showCommand = 0;
};

// Every request since the last ClearShellRequests, oldest first.
const std::vector<ShellRequest>& ShellRequests();
void ClearShellRequests();
