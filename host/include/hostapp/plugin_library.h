// The plug-in library loader: opens a plug-in module, runs its entry point as the platform loader
// would, reads its exported functions and registers its class descriptors with the class
// directory, from which objects are created by class id.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugapi.h"

class PluginLibrary {
 public:
  // Loads the module at `path`; null with a message in `r_error` when it cannot be opened, lacks
  // an export, or was built for another host version.
  static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string* r_error);
  // Unregisters its classes, runs the entry point for detach and closes the module.
  ~PluginLibrary();

  const MCHAR* Description() { return description_(); }
  int NumberClasses() { return numberClasses_(); }
  ClassDesc* ClassDescAt(int i) { return classDesc_(i); }
  ULONG Version() { return version_(); }
  int CanAutoDefer() { return canAutoDefer_(); }
  HINSTANCE Instance() const { return instance_; }
  const std::string& Path() const { return path_; }
  // The module's exported symbol names (its whole dynamic export table).
  std::vector<std::string> ExportedNames() const;

 private:
  PluginLibrary() = default;
  void* handle_ = nullptr;
  HINSTANCE instance_ = nullptr;
  std::string path_;
  BOOL (*entry_)(HINSTANCE, DWORD, LPVOID) = nullptr;
  LibDescriptionFunction description_ = nullptr;
  LibNumberClassesFunction numberClasses_ = nullptr;
  LibClassDescFunction classDesc_ = nullptr;
  LibVersionFunction version_ = nullptr;
  CanAutoDeferFunction canAutoDefer_ = nullptr;
  std::vector<ClassDesc*> registered_;
};

class ClassDirectory {
 public:
  static ClassDirectory& Get();
  void Register(ClassDesc* cd);
  void Unregister(ClassDesc* cd);
  ClassDesc* Find(SClass_ID sclass, Class_ID cid) const;
  // Looked up by the name scripts know a class by.
  ClassDesc* FindByInternalName(const MCHAR* name) const;

 private:
  std::vector<ClassDesc*> classes_;
};

// A new object of the registered class, or null.
void* CreateInstance(SClass_ID superID, Class_ID classID);
