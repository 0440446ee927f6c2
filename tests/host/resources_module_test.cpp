// The host's resource loader end to end: a module built from host/data/resources_test.rc is
// loaded, and its strings and dialog are read back through its module handle (its load base).
#include <dlfcn.h>
#include <link.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host/data/resources_test.h"
#include "module_resources.h"
#include "resource_script.h"
#include "resources_support.h"
#include "strclass.h"

namespace {

const std::string kTestScript =
    std::string(VELOMORPH_SOURCE_DIR) + "/tests/host/data/resources_test.rc";

HINSTANCE baseOf(void* handle) {
  link_map* map = nullptr;
  if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return reinterpret_cast<HINSTANCE>(map->l_addr);
}

// The module's handle for as long as the object lives.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path)
      : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedModule() { close(); }
  void close() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
  }
  HINSTANCE instance() const { return baseOf(handle_); }

 private:
  void* handle_;
};

class ResourceLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(module.instance(), nullptr) << dlerror();
    script = parseResourceScript(kTestScript);
  }
  std::wstring expectedText(unsigned id) const {
    for (const StringResource& s : script.strings)
      if (s.id == id) return MSTR::FromUTF8(s.text).str();
    ADD_FAILURE() << "the test script has no string " << id;
    return {};
  }

  LoadedModule module{RESOURCES_TEST_MODULE};
  ResourceSet script;
};

}  // namespace

TEST_F(ResourceLoader, LoadStringCopiesEachTextOfTheModule) {
  for (const StringResource& s : script.strings) {
    std::wstring expected = expectedText(s.id);
    std::vector<wchar_t> buffer(expected.size() + 8, L'#');
    int n = LoadStringW(module.instance(), s.id, buffer.data(), int(buffer.size()));
    EXPECT_EQ(n, int(expected.size())) << "string " << s.id;
    EXPECT_EQ(std::wstring(buffer.data()), expected) << "string " << s.id;
  }
  wchar_t buffer[32];
  EXPECT_EQ(LoadStringW(module.instance(), IDS_WIDE, buffer, 32), 9);
  EXPECT_STREQ(buffer, L"Größe ✓ 😀") << "UTF-8 in the script, one wchar_t per character here";
}

TEST_F(ResourceLoader, LoadStringCutsAtTheBufferAndNeverWritesPastIt) {
  const std::wstring full = expectedText(IDS_LONG);
  ASSERT_GT(full.size(), 256u);
  for (int bufferMax : {1, 2, 5, 256, int(full.size()), int(full.size()) + 1}) {
    std::vector<wchar_t> buffer(bufferMax + 4, L'#');
    int n = LoadStringW(module.instance(), IDS_LONG, buffer.data(), bufferMax);
    int expected = std::min(int(full.size()), bufferMax - 1);
    EXPECT_EQ(n, expected) << "capacity " << bufferMax;
    EXPECT_EQ(std::wstring(buffer.data(), n), full.substr(0, n));
    EXPECT_EQ(buffer[n], L'\0');
    for (int k = bufferMax; k < bufferMax + 4; ++k)
      EXPECT_EQ(buffer[k], L'#') << "capacity " << bufferMax;
  }
}

TEST_F(ResourceLoader, LoadStringReturnsZeroWhenThereIsNothingToCopy) {
  wchar_t buffer[16];
  const HINSTANCE m = module.instance();
  auto load = [&](HINSTANCE h, UINT id, int max) {
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    return LoadStringW(h, id, buffer, max);
  };
  EXPECT_EQ(load(m, 9999, 16), 0) << "no such id";
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(load(m, IDS_EMPTY, 16), 0) << "an empty string counts as none";
  EXPECT_EQ(load(m, 0x10000 + IDS_SHORT, 16), 0) << "ids are 16-bit; no wrap-around";
  EXPECT_EQ(load(m, IDS_SHORT, 0), 0);
  EXPECT_EQ(buffer[0], L'#') << "no capacity, nothing written";
  EXPECT_EQ(load(m, IDS_SHORT, -3), 0);
  EXPECT_EQ(buffer[0], L'#');
  EXPECT_EQ(LoadStringW(m, IDS_SHORT, nullptr, 16), 0);
  EXPECT_EQ(load(nullptr, IDS_SHORT, 16), 0) << "null module";
  EXPECT_EQ(load(reinterpret_cast<HINSTANCE>(reinterpret_cast<char*>(m) + 16), IDS_SHORT, 16), 0)
      << "an address inside the module is not its handle";
  EXPECT_EQ(load(m, IDS_LAST, 16), 7);
}

TEST_F(ResourceLoader, ModuleResourcesAreReadOnceAndHoldTheDialogAndManifest) {
  const ModuleResources* resources = ResourcesOfModule(module.instance());
  ASSERT_NE(resources, nullptr);
  EXPECT_EQ(ResourcesOfModule(module.instance()), resources) << "the parse is cached";
  expectSameResources(resources->Resources(), script);

  const DialogTemplate* dialog = resources->FindDialog(IDD_TEST);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(dialog->controls.size(), 2u);
  EXPECT_EQ(dialog->controls[1].id, IDC_CHECK);
  EXPECT_EQ(controlKind(dialog->controls[1]), ControlKind::CheckBox);
  EXPECT_EQ(resources->FindDialog(IDD_TEST + 1), nullptr);

  const ManifestResource* manifest = resources->FindManifest(IDM_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  EXPECT_EQ(manifest->content, readBytes(std::string(VELOMORPH_SOURCE_DIR) +
                                         "/tests/host/data/resources_test.manifest"));
  EXPECT_EQ(resources->FindManifest(2), nullptr);
}

TEST_F(ResourceLoader, ModulesWithoutResourcesHaveNone) {
  Dl_info info;
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&ResourcesOfModule), &info), 0);
  void* host = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ResourcesOfModule(baseOf(host)), nullptr) << "the host library carries no resources";
  dlclose(host);
}

TEST_F(ResourceLoader, UnloadedModuleHasNoResourcesAndIsReadAgainWhenReloaded) {
  const HINSTANCE first = module.instance();
  ASSERT_NE(ResourcesOfModule(first), nullptr);
  module.close();
  void* still = dlopen(RESOURCES_TEST_MODULE, RTLD_NOW | RTLD_NOLOAD);
  if (still) {
    dlclose(still);
    GTEST_SKIP() << "the test module stayed loaded";
  }
  EXPECT_EQ(ResourcesOfModule(first), nullptr);
  wchar_t buffer[16];
  EXPECT_EQ(LoadStringW(first, IDS_SHORT, buffer, 16), 0);

  LoadedModule again(RESOURCES_TEST_MODULE);
  ASSERT_NE(again.instance(), nullptr);
  EXPECT_EQ(LoadStringW(again.instance(), IDS_SHORT, buffer, 16), 5);
  EXPECT_STREQ(buffer, L"Short");
}

TEST_F(ResourceLoader, DamagedOrForeignFilesYieldNoResources) {
  const std::string bytes = readBytes(RESOURCES_TEST_MODULE);
  ASSERT_TRUE(ReadModuleResourceFile(RESOURCES_TEST_MODULE));
  ScratchFolder folder;
  EXPECT_FALSE(ReadModuleResourceFile(folder.file("absent.so")));
  EXPECT_FALSE(ReadModuleResourceFile(kTestScript)) << "not an ELF file";
  for (std::size_t size :
       {std::size_t(0), std::size_t(16), std::size_t(64), bytes.size() / 2, bytes.size() - 1})
    EXPECT_FALSE(ReadModuleResourceFile(folder.write("cut.so", bytes.substr(0, size)))) << size;

  // The same module with its resource data damaged loads, but offers no resources. The intact
  // module is read and unloaded first, so the damaged one usually lands at the same base: the
  // resources cached for that base must not be handed out for it.
  ASSERT_NE(ResourcesOfModule(module.instance()), nullptr);
  module.close();
  const std::size_t blob = bytes.find("VRSC\x01");
  ASSERT_NE(blob, std::string::npos);
  std::string damaged = bytes;
  damaged[blob + 9] ^= 0x7F;
  const std::string path = folder.write("damaged.so", damaged);
  EXPECT_FALSE(ReadModuleResourceFile(path));
  LoadedModule loaded(path);
  ASSERT_NE(loaded.instance(), nullptr) << dlerror();
  EXPECT_EQ(ResourcesOfModule(loaded.instance()), nullptr);
  wchar_t buffer[16];
  EXPECT_EQ(LoadStringW(loaded.instance(), IDS_SHORT, buffer, 16), 0);
}
