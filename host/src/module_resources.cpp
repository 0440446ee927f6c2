// Resource lookup for loaded modules. Section headers are not mapped into memory, so the module's
// file is read: its ELF section headers name the resource section, whose bytes are decoded with
// every offset and size checked against the file first. Nothing read from the file is used to
// touch memory, so a damaged or replaced file can only yield no resources.
#include "module_resources.h"

#include <elf.h>
#include <link.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "resource_blob.h"
#include "strclass.h"

namespace {

using Ehdr = ElfW(Ehdr);
using Shdr = ElfW(Shdr);

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeByteOrder =
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;

bool readAt(std::ifstream& in, std::uint64_t fileSize, std::uint64_t offset, void* out,
            std::uint64_t size) {
  if (offset > fileSize || size > fileSize - offset) return false;
  in.seekg(std::streamoff(offset));
  in.read(static_cast<char*>(out), std::streamsize(size));
  return bool(in);
}

// A loaded module as the dynamic linker lists it, and how many modules have been unloaded so far.
struct LoadedModule {
  std::string path;
  unsigned long long unloads = 0;
};

bool findLoadedModule(HINSTANCE instance, LoadedModule& r_module) {
  struct Search {
    ElfW(Addr) base;
    LoadedModule* module;
    bool found;
  } search{reinterpret_cast<ElfW(Addr)>(instance), &r_module, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t size, void* data) {
        auto* s = static_cast<Search*>(data);
        // The main program has an empty name and no file of its own to read here.
        if (info->dlpi_addr != s->base || !info->dlpi_name || !*info->dlpi_name) return 0;
        s->module->path = info->dlpi_name;
        if (size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof info->dlpi_subs)
          s->module->unloads = info->dlpi_subs;
        s->found = true;
        return 1;
      },
      &search);
  return search.found;
}

// What tells one module file from another at the same path.
struct FileIdentity {
  std::string path;
  bool known = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  struct timespec modified = {};

  bool operator==(const FileIdentity& o) const {
    return path == o.path && known == o.known && device == o.device && inode == o.inode &&
           size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec;
  }
};

FileIdentity identify(const std::string& path) {
  FileIdentity id;
  id.path = path;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return id;
  id.known = true;
  id.device = st.st_dev;
  id.inode = st.st_ino;
  id.size = st.st_size;
  id.modified = st.st_mtim;
  return id;
}

struct CachedModule {
  FileIdentity file;
  unsigned long long unloads = 0;
  std::unique_ptr<ModuleResources> resources;  // null: the module carries no usable resources
};

std::mutex& cacheMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::uintptr_t, CachedModule>& cache() {
  static std::map<std::uintptr_t, CachedModule> modules;
  return modules;
}

}  // namespace

ModuleResources::ModuleResources(ResourceSet resources) : resources_(std::move(resources)) {
  for (const StringResource& s : resources_.strings)
    strings_.emplace(s.id, MSTR::FromUTF8(s.text).str());
}

const std::wstring* ModuleResources::FindString(unsigned id) const {
  auto it = strings_.find(id);
  return it == strings_.end() ? nullptr : &it->second;
}

const DialogTemplate* ModuleResources::FindDialog(unsigned id) const {
  for (const DialogTemplate& d : resources_.dialogs)
    if (d.id == id) return &d;
  return nullptr;
}

const ManifestResource* ModuleResources::FindManifest(unsigned id) const {
  for (const ManifestResource& m : resources_.manifests)
    if (m.id == id) return &m;
  return nullptr;
}

std::optional<ResourceSet> ReadModuleResourceFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
  if (ec) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  Ehdr header;
  if (!in || !readAt(in, fileSize, 0, &header, sizeof header)) return std::nullopt;
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != kNativeClass || header.e_ident[EI_DATA] != kNativeByteOrder ||
      header.e_shentsize != sizeof(Shdr) || header.e_shoff == 0)
    return std::nullopt;

  // A file with very many sections keeps the real count and name-table index in section 0.
  Shdr first;
  if (!readAt(in, fileSize, header.e_shoff, &first, sizeof first)) return std::nullopt;
  std::uint64_t count = header.e_shnum ? header.e_shnum : first.sh_size;
  std::uint64_t namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
  if (count == 0 || count > fileSize / sizeof(Shdr) || namesIndex >= count) return std::nullopt;
  std::vector<Shdr> sections(count);
  if (!readAt(in, fileSize, header.e_shoff, sections.data(), count * sizeof(Shdr)))
    return std::nullopt;

  const Shdr& namesSection = sections[namesIndex];
  if (namesSection.sh_type == SHT_NOBITS || namesSection.sh_size > fileSize) return std::nullopt;
  std::vector<char> names(namesSection.sh_size);
  if (!readAt(in, fileSize, namesSection.sh_offset, names.data(), names.size()))
    return std::nullopt;

  for (const Shdr& s : sections) {
    if (s.sh_name >= names.size()) continue;
    const char* name = names.data() + s.sh_name;
    std::size_t room = names.size() - s.sh_name;
    if (strnlen(name, room) == room || std::strcmp(name, kResourceSectionName) != 0) continue;
    if (s.sh_type == SHT_NOBITS || s.sh_size > fileSize) return std::nullopt;
    std::vector<unsigned char> bytes(s.sh_size);
    if (!readAt(in, fileSize, s.sh_offset, bytes.data(), bytes.size())) return std::nullopt;
    return decodeResourceBlob(bytes.data(), bytes.size());
  }
  return std::nullopt;
}

const ModuleResources* ResourcesOfModule(HINSTANCE instance) {
  if (!instance) return nullptr;
  std::lock_guard<std::mutex> lock(cacheMutex());
  auto key = reinterpret_cast<std::uintptr_t>(instance);
  LoadedModule module;
  if (!findLoadedModule(instance, module)) {
    cache().erase(key);
    return nullptr;
  }

  // While no module has been unloaded since the cached read, the module at this base is the one
  // that was read, even if its file has since been rebuilt on disk. After an unload, another
  // module may have been loaded at the same base: only a file that is still the same keeps the
  // cached resources.
  auto cached = cache().find(key);
  if (cached != cache().end()) {
    CachedModule& entry = cached->second;
    if (entry.unloads == module.unloads) return entry.resources.get();
    FileIdentity file = identify(module.path);
    if (file == entry.file || (!file.known && file.path == entry.file.path)) {
      entry.unloads = module.unloads;
      return entry.resources.get();
    }
  }

  CachedModule entry;
  entry.file = identify(module.path);
  entry.unloads = module.unloads;
  if (std::optional<ResourceSet> resources = ReadModuleResourceFile(module.path))
    entry.resources = std::make_unique<ModuleResources>(std::move(*resources));
  CachedModule& stored = cache()[key] = std::move(entry);
  return stored.resources.get();
}
