// Plug-in loading for the command-line host.
#include "plugin_session.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace {

#if defined(_WIN32)
const char kPluginFile[] = "ambiflex.dlm";
const char kSeparator = '\\';

// The running program's folder, in UTF-8.
std::string programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = 0;
  // A path longer than the buffer comes back cut to its size: grow until it fits.
  while ((n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) == path.size()) path.resize(path.size() * 2);
  if (n == 0) return ".";
  path.resize(n);
  path = path.substr(0, path.find_last_of(L"\\/"));
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0, nullptr, nullptr);
  std::string folder(size_t(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), folder.data(), bytes, nullptr, nullptr);
  return folder.empty() ? "." : folder;
}
#else
const char kPluginFile[] = "ambiflex.so";
const char kSeparator = '/';

std::string programFolder() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  std::string dir = ".";
  if (n > 0) {
    buffer[n] = '\0';
    dir = buffer;
    dir = dir.substr(0, dir.find_last_of('/'));
  }
  return dir;
}
#endif

}  // namespace

std::string DefaultPluginPath() { return programFolder() + kSeparator + kPluginFile; }

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
