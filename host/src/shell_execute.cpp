// ShellExecuteW on this platform: records the request and reports success as Windows does (a value
// above 32).
#include <shellapi.h>

#include "shell_requests.h"

namespace {
std::vector<ShellRequest>& requests() {
  static std::vector<ShellRequest> all;
  return all;
}
std::wstring text(LPCWSTR s) { return s != nullptr ? s : L""; }
}  // namespace

HINSTANCE ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
  requests().push_back({window, text(verb), text(file), text(parameters), text(directory), showCommand});
  return reinterpret_cast<HINSTANCE>(std::intptr_t(33));
}

const std::vector<ShellRequest>& ShellRequests() { return requests(); }

void ClearShellRequests() { requests().clear(); }
