// Plug-in modules on Linux: an ELF shared object opened with dlopen. Its module handle is its load
// base (as a Windows module handle is) and its entry point, the ELF header's entry address, is its
// DllMain. The export table is the file's dynamic symbol table.
#include "plugin_module.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

bool OpenPluginModule(const std::string& path, void*& r_handle, HINSTANCE& r_instance,
                      std::string& r_error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    r_error = "cannot load plug-in " + path + ": " + dlerror();
    return false;
  }
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
    r_error = "cannot locate plug-in " + path + " in memory";
    dlclose(handle);
    return false;
  }
  r_handle = handle;
  r_instance = reinterpret_cast<HINSTANCE>(map->l_addr);
  return true;
}

ModuleEntryPoint PluginModuleEntryPoint(void* handle, HINSTANCE instance) {
  const auto* header = reinterpret_cast<const Elf64_Ehdr*>(instance);
  if (header == nullptr || header->e_entry == 0) return nullptr;
  return reinterpret_cast<ModuleEntryPoint>(reinterpret_cast<std::uintptr_t>(instance) + header->e_entry);
}

void* FindPluginExport(void* handle, const char* name) { return dlsym(handle, name); }

// Defined, globally visible symbols of the module file's dynamic symbol table.
std::vector<std::string> PluginModuleExportNames(void* handle, const std::string& path) {
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

void ClosePluginModule(void* handle) { dlclose(handle); }
