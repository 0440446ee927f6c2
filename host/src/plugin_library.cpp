// The plug-in library loader. On Linux a plug-in is an ELF shared object: its module handle is its
// load base (as a Windows module handle is), its entry point (the ELF header's entry address) is
// its DllMain, which the loader calls after the module's static objects are built, and its
// exports are looked up by name.
#include "plugin_library.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "max_types.h"

namespace {

template <class T>
T lookup(void* handle, const char* name) {
  return reinterpret_cast<T>(dlsym(handle, name));
}

// Defined, globally visible symbols of the module file's dynamic symbol table.
std::vector<std::string> dynamicExports(const std::string& path) {
  std::vector<std::string> names;
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr eh;
  std::memcpy(&eh, bytes.data(), sizeof(eh));
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return names;
  if (eh.e_shoff == 0 || eh.e_shoff + size_t(eh.e_shnum) * sizeof(Elf64_Shdr) > bytes.size()) return names;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  std::memcpy(sections.data(), bytes.data() + eh.e_shoff, sections.size() * sizeof(Elf64_Shdr));
  for (const Elf64_Shdr& sh : sections) {
    if (sh.sh_type != SHT_DYNSYM || sh.sh_link >= sections.size()) continue;
    const Elf64_Shdr& strtab = sections[sh.sh_link];
    if (sh.sh_offset + sh.sh_size > bytes.size() || strtab.sh_offset + strtab.sh_size > bytes.size()) continue;
    size_t count = sh.sh_size / sizeof(Elf64_Sym);
    for (size_t k = 0; k < count; ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, bytes.data() + sh.sh_offset + k * sizeof(Elf64_Sym), sizeof(sym));
      int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || sym.st_name >= strtab.sh_size) continue;
      if (bind != STB_GLOBAL && bind != STB_WEAK) continue;
      if (ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT) continue;
      names.emplace_back(bytes.data() + strtab.sh_offset + sym.st_name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* r_error) {
  std::unique_ptr<PluginLibrary> lib(new PluginLibrary());
  lib->path_ = path;
  lib->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib->handle_ == nullptr) {
    if (r_error) *r_error = "cannot load plug-in " + path + ": " + dlerror();
    return nullptr;
  }
  link_map* map = nullptr;
  if (dlinfo(lib->handle_, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
    if (r_error) *r_error = "cannot locate plug-in " + path + " in memory";
    dlclose(lib->handle_);
    lib->handle_ = nullptr;
    return nullptr;
  }
  lib->instance_ = reinterpret_cast<HINSTANCE>(map->l_addr);
  lib->description_ = lookup<LibDescriptionFunction>(lib->handle_, "LibDescription");
  lib->numberClasses_ = lookup<LibNumberClassesFunction>(lib->handle_, "LibNumberClasses");
  lib->classDesc_ = lookup<LibClassDescFunction>(lib->handle_, "LibClassDesc");
  lib->version_ = lookup<LibVersionFunction>(lib->handle_, "LibVersion");
  lib->canAutoDefer_ = lookup<CanAutoDeferFunction>(lib->handle_, "CanAutoDefer");
  if (!lib->description_ || !lib->numberClasses_ || !lib->classDesc_ || !lib->version_ || !lib->canAutoDefer_) {
    if (r_error) *r_error = "plug-in " + path + " lacks one of the library exports";
    dlclose(lib->handle_);
    lib->handle_ = nullptr;
    return nullptr;
  }

  // The entry point, as a Windows loader would call DllMain once the module is mapped.
  const auto* header = reinterpret_cast<const Elf64_Ehdr*>(map->l_addr);
  if (header->e_entry != 0) {
    lib->entry_ = reinterpret_cast<BOOL (*)(HINSTANCE, DWORD, LPVOID)>(map->l_addr + header->e_entry);
    lib->entry_(lib->instance_, DLL_PROCESS_ATTACH, nullptr);
  }

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
    dlclose(handle_);
  }
}

std::vector<std::string> PluginLibrary::ExportedNames() const { return dynamicExports(path_); }

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
