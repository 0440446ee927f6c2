// The platform half of the plug-in library loader: opening a module file, finding its exports by
// name, its module handle and entry point, listing its export table, and closing it. On Windows the
// system loader maps the module and calls its DllMain itself; on Linux (an ELF shared object) the
// host calls the entry point as that loader would. Host main thread only.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

using ModuleEntryPoint = BOOL (*)(HINSTANCE, DWORD, LPVOID);

// Opens the module at `path` (UTF-8). On success `r_handle` is the platform's handle and
// `r_instance` the module handle the plug-in is given; otherwise false with a message naming
// `path` in `r_error`.
bool OpenPluginModule(const std::string& path, void*& r_handle, HINSTANCE& r_instance,
                      std::string& r_error);
// The entry point the host must call itself; null where the system calls it (Windows) or the
// module has none.
ModuleEntryPoint PluginModuleEntryPoint(void* handle, HINSTANCE instance);
// The address of the export `name`, or null.
void* FindPluginExport(void* handle, const char* name);
// Every name in the module's export table, sorted.
std::vector<std::string> PluginModuleExportNames(void* handle, const std::string& path);
// Closes a module opened by OpenPluginModule.
void ClosePluginModule(void* handle);
