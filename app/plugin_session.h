// Loading the ambiflex plug-in the way the host does: through the library loader, from the folder
// of the running program unless a path is given.
#pragma once

#include <memory>
#include <string>

#include "iparamb2.h"
#include "plugin_library.h"

// The ambiflex class id and names, as the host finds them.
#define AMBIFLEX_CLASS_ID_FOR_HOST Class_ID(0x7E3D7747, 0xBA5FB623)

struct PluginSession {
  std::unique_ptr<PluginLibrary> library;
  ClassDesc2* desc = nullptr;
};

// The default plug-in file beside the running program: ambiflex.so, on Windows ambiflex.dlm. Empty
// when the program's folder cannot be found: nothing is then looked for anywhere else.
std::string DefaultPluginPath();

// Loads the library and finds its modifier class; false with a message naming the file otherwise
// (for an empty path, saying that the program's folder could not be found).
bool OpenPluginSession(const std::string& path, PluginSession& r_session, std::string& r_error);
