// The plug-in library loader: the platform opens the module (plugin_module.h); the loader checks its
// five exports and its host release, and registers its class descriptors.
#include "plugin_library.h"

#include <algorithm>
#include <cwchar>

#include "max_types.h"
#include "plugin_module.h"

namespace {

template <class T>
T lookup(void* handle, const char* name) {
  return reinterpret_cast<T>(FindPluginExport(handle, name));
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* r_error) {
  std::unique_ptr<PluginLibrary> lib(new PluginLibrary());
  lib->path_ = path;
  std::string error;
  if (!OpenPluginModule(path, lib->handle_, lib->instance_, error)) {
    if (r_error) *r_error = error;
    return nullptr;
  }
  lib->description_ = lookup<LibDescriptionFunction>(lib->handle_, "LibDescription");
  lib->numberClasses_ = lookup<LibNumberClassesFunction>(lib->handle_, "LibNumberClasses");
  lib->classDesc_ = lookup<LibClassDescFunction>(lib->handle_, "LibClassDesc");
  lib->version_ = lookup<LibVersionFunction>(lib->handle_, "LibVersion");
  lib->canAutoDefer_ = lookup<CanAutoDeferFunction>(lib->handle_, "CanAutoDefer");
  if (!lib->description_ || !lib->numberClasses_ || !lib->classDesc_ || !lib->version_ || !lib->canAutoDefer_) {
    if (r_error) *r_error = "plug-in " + path + " lacks one of the library exports";
    ClosePluginModule(lib->handle_);
    lib->handle_ = nullptr;
    return nullptr;
  }

  // The entry point, as a Windows loader calls DllMain once the module is mapped; where the system
  // loader has already called it there is none to call.
  lib->entry_ = PluginModuleEntryPoint(lib->handle_, lib->instance_);
  if (lib->entry_ != nullptr) lib->entry_(lib->instance_, DLL_PROCESS_ATTACH, nullptr);

  ULONG version = lib->version_();
  if ((version >> 16) != (VERSION_3DSMAX >> 16)) {
    if (r_error) *r_error = "plug-in " + path + " was built for another host release";
    return nullptr;
  }
  int n = lib->numberClasses_();
  for (int i = 0; i < n; ++i) {
    if (ClassDesc* cd = lib->classDesc_(i)) {
      ClassDirectory::Get().Register(cd);
      lib->registered_.push_back(cd);
    }
  }
  return lib;
}

PluginLibrary::~PluginLibrary() {
  for (ClassDesc* cd : registered_) ClassDirectory::Get().Unregister(cd);
  if (handle_ != nullptr) {
    if (entry_ != nullptr) entry_(instance_, DLL_PROCESS_DETACH, nullptr);
    ClosePluginModule(handle_);
  }
}

std::vector<std::string> PluginLibrary::ExportedNames() const { return PluginModuleExportNames(handle_, path_); }

ClassDirectory& ClassDirectory::Get() {
  static ClassDirectory directory;
  return directory;
}

void ClassDirectory::Register(ClassDesc* cd) {
  if (std::find(classes_.begin(), classes_.end(), cd) == classes_.end()) classes_.push_back(cd);
}

void ClassDirectory::Unregister(ClassDesc* cd) {
  classes_.erase(std::remove(classes_.begin(), classes_.end(), cd), classes_.end());
}

ClassDesc* ClassDirectory::Find(SClass_ID sclass, Class_ID cid) const {
  for (ClassDesc* cd : classes_) {
    if (cd->SuperClassID() == sclass && cd->ClassID() == cid) return cd;
  }
  return nullptr;
}

ClassDesc* ClassDirectory::FindByInternalName(const MCHAR* name) const {
  for (ClassDesc* cd : classes_) {
    const MCHAR* n = cd->InternalName();
    if (n != nullptr && name != nullptr && std::wcscmp(n, name) == 0) return cd;
  }
  return nullptr;
}

void* CreateInstance(SClass_ID superID, Class_ID classID) {
  ClassDesc* cd = ClassDirectory::Get().Find(superID, classID);
  return cd ? cd->Create(FALSE) : nullptr;
}
