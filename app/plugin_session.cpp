// Plug-in loading for the command-line host.
#include "plugin_session.h"

#include <unistd.h>

#include <climits>

std::string DefaultPluginPath() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  std::string dir = ".";
  if (n > 0) {
    buffer[n] = '\0';
    dir = buffer;
    dir = dir.substr(0, dir.find_last_of('/'));
  }
  return dir + "/ambiflex.so";
}

bool OpenPluginSession(const std::string& path, PluginSession& r_session, std::string& r_error) {
  r_session.library = PluginLibrary::Load(path, &r_error);
  if (!r_session.library) return false;
  ClassDesc* cd = ClassDirectory::Get().Find(OSM_CLASS_ID, AMBIFLEX_CLASS_ID_FOR_HOST);
  r_session.desc = dynamic_cast<ClassDesc2*>(cd);
  if (r_session.desc == nullptr) {
    r_error = path + " does not describe the ambiflex modifier";
    r_session.library.reset();
    return false;
  }
  return true;
}
