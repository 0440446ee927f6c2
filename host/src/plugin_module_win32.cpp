// Plug-in modules on Windows: the system loader maps the module, resolves its imports (the host
// DLL among them) and calls its DllMain; the module handle is the one LoadLibrary returns. The
// export table is read from the mapped image's export directory.
#include "plugin_module.h"

#include <algorithm>

namespace {

// The full path of `path`: the loader looks for a module's own dependencies beside it only when
// given a full path with backslashes.
std::wstring fullPath(const std::string& path) {
  std::wstring wide;
  int n = MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0);
  if (n > 0) {
    wide.resize(size_t(n));
    MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), wide.data(), n);
  }
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
  return full;
}

std::string systemMessage(DWORD code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text != nullptr) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, int(n), nullptr, 0, nullptr, nullptr);
    message.resize(size_t(std::max(bytes, 0)));
    WideCharToMultiByte(CP_UTF8, 0, text, int(n), message.data(), bytes, nullptr, nullptr);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
      message.pop_back();
  }
  LocalFree(text);
  return message.empty() ? "error " + std::to_string(code) : message;
}

const IMAGE_EXPORT_DIRECTORY* exportDirectory(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0 || entry.Size == 0) return nullptr;
  return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
}

}  // namespace

bool OpenPluginModule(const std::string& path, void*& r_handle, HINSTANCE& r_instance,
                      std::string& r_error) {
  // A damaged or foreign file is reported to the caller, never in a message box of the system's.
  DWORD previousMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE module = LoadLibraryExW(fullPath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  DWORD error = GetLastError();
  SetThreadErrorMode(previousMode, nullptr);
  if (module == nullptr) {
    r_error = "cannot load plug-in " + path + ": " + systemMessage(error);
    return false;
  }
  r_handle = module;
  r_instance = module;
  return true;
}

ModuleEntryPoint PluginModuleEntryPoint(void* handle, HINSTANCE instance) { return nullptr; }

void* FindPluginExport(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

std::vector<std::string> PluginModuleExportNames(void* handle, const std::string& path) {
  std::vector<std::string> names;
  auto module = static_cast<HMODULE>(handle);
  const IMAGE_EXPORT_DIRECTORY* exports = exportDirectory(module);
  if (exports == nullptr) return names;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
  std::sort(names.begin(), names.end());
  return names;
}

void ClosePluginModule(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
