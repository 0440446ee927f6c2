// The plug-in library loader's refusals: a missing file, a file that is no module, and a module
// without the library exports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "plugin_library.h"

namespace {

TEST(PluginLoader, MissingFileIsRefusedWithItsPath) {
  std::string error;
  const std::string path = "/nonexistent/velomorph/ambiflex.so";
  EXPECT_EQ(PluginLibrary::Load(path, &error), nullptr);
  EXPECT_NE(error.find("cannot load plug-in"), std::string::npos) << error;
  EXPECT_NE(error.find(path), std::string::npos) << error;
  // A caller that does not want the message may pass none.
  EXPECT_EQ(PluginLibrary::Load(path, nullptr), nullptr);
}

TEST(PluginLoader, FileThatIsNoModuleIsRefused) {
  const std::string path = "/tmp/velomorph_loader_" + std::to_string(getpid()) + ".so";
  std::ofstream(path) << "not a shared object";
  std::string error;
  EXPECT_EQ(PluginLibrary::Load(path, &error), nullptr);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  std::remove(path.c_str());
}

TEST(PluginLoader, ModuleWithoutTheLibraryExportsIsRefused) {
  std::string error;
  // The resource tests' module holds resources and no plug-in functions.
  EXPECT_EQ(PluginLibrary::Load(RESOURCES_TEST_MODULE, &error), nullptr);
  EXPECT_NE(error.find("lacks one of the library exports"), std::string::npos) << error;
  EXPECT_EQ(ClassDirectory::Get().FindByInternalName(L"ambiflex"), nullptr);
}

TEST(PluginLoader, UnknownClassCreatesNothing) {
  EXPECT_EQ(CreateInstance(0x810, Class_ID(1, 1)), nullptr);
  EXPECT_EQ(ClassDirectory::Get().Find(0x810, Class_ID(1, 1)), nullptr);
}

}  // namespace
