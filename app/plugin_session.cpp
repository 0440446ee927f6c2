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

// The running program's folder, in UTF-8; empty when the system cannot say.
std::string programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = 0;
  // A path longer than the buffer comes back cut to its size: grow until it fits.
  while ((n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) == path.size()) path.resize(path.size() * 2);
  if (n == 0) return std::string();
  path.resize(n);
  path = path.substr(0, path.find_last_of(L"\\/"));
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0, nullptr, nullptr);
  std::string folder(size_t(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), int(path.size()), folder.data(), bytes, nullptr, nullptr);
  return folder;
}
#else
const char kPluginFile[] = "ambiflex.so";
const char kSeparator = '/';

// The running program's folder; empty when the system cannot say (no /proc, a path cut short by the
// buffer). Never the current folder in its stead: whatever lies there is not this program's plug-in.
std::string programFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (n <= 0 || size_t(n) >= sizeof(buffer) || buffer[0] != '/') return std::string();
  const std::string program(buffer, size_t(n));
  return program.substr(0, program.find_last_of('/'));
}
#endif

}  // namespace

std::string DefaultPluginPath() {
  const std::string folder = programFolder();
  return folder.empty() ? std::string() : folder + kSeparator + kPluginFile;
}

bool OpenPluginSession(const std::string& path, PluginSession& r_session, std::string& r_error) {
  if (path.empty()) {
    r_error = std::string("cannot find the folder this program runs from, where its plug-in ") + kPluginFile +
              " lies (is /proc mounted?); give the plug-in with --plugin FILE";
    return false;
  }
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
