// The resources of a loaded module on this platform: rc_compiler puts them, encoded, in the
// module's own ELF section (kResourceSectionName); the host reads that section from the module
// file and decodes it once per module. A module handle is the module's load base address, as on
// Windows. Host main thread only, like every call the plug-in makes.
#pragma once

#include <map>
#include <optional>
#include <string>

#include <windows.h>

#include "resource_set.h"

class ModuleResources {
 public:
  explicit ModuleResources(ResourceSet resources);

  // String `id` of the string table, or null when there is none. Stays valid with this object.
  const std::wstring* FindString(unsigned id) const;
  // Dialog template `id`, or null.
  const DialogTemplate* FindDialog(unsigned id) const;
  // Manifest `id`, or null.
  const ManifestResource* FindManifest(unsigned id) const;

  const ResourceSet& Resources() const { return resources_; }

 private:
  ResourceSet resources_;
  std::map<unsigned, std::wstring> strings_;  // the string table, already widened
};

// The resources of the loaded module whose base address is `instance`. Null when `instance` is
// null or the base of no loaded module, or when the module file cannot be read, carries no
// resource section or carries a damaged one. The first call for a module reads its file; later
// calls reuse that while the module stays loaded (a different file loaded at the same base is
// read anew). The result stays valid until the module is unloaded.
const ModuleResources* ResourcesOfModule(HINSTANCE instance);

// Reads and decodes the resource section of the ELF file at `path`. Empty when the file cannot be
// read, is not an ELF file of this machine's class and byte order, has no resource section, or
// the section does not decode.
std::optional<ResourceSet> ReadModuleResourceFile(const std::string& path);
