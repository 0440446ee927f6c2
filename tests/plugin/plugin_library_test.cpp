// The plug-in as the host's loader sees it: its exports, its one class descriptor and the shared
// string buffer behind every text the descriptor hands out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/plugin_fixture.h"

#if !defined(_WIN32)
// The host's count of common-control set-ups (host/src/platform_controls.cpp); the host exports it
// for host programs without declaring it in the plug-in's headers.
int CommonControlInitialisations();
#endif

using namespace testing_support;

namespace {

TEST(PluginLibrary, ExportsExactlyTheFiveLibraryFunctions) {
  std::vector<std::string> names = Plugin().ExportedNames();
  EXPECT_EQ(names, (std::vector<std::string>{"CanAutoDefer", "LibClassDesc", "LibDescription",
                                             "LibNumberClasses", "LibVersion"}));
}

TEST(PluginLibrary, ExportResults) {
  PluginLibrary& lib = Plugin();
  EXPECT_EQ(lib.NumberClasses(), 1);
  EXPECT_NE(lib.ClassDescAt(0), nullptr);
  EXPECT_EQ(lib.ClassDescAt(1), nullptr);
  EXPECT_EQ(lib.ClassDescAt(-1), nullptr);
  EXPECT_EQ(lib.Version(), 0x3A982800UL);
  EXPECT_EQ(lib.CanAutoDefer(), 0);
  ASSERT_NE(lib.Description(), nullptr);
  EXPECT_EQ(std::wstring(lib.Description()), L"Ambiflex");
}

TEST(PluginLibrary, DescribesOneObjectSpaceModifierClass) {
  ClassDesc* cd = Plugin().ClassDescAt(0);
  EXPECT_EQ(cd, ModifierDesc());
  EXPECT_EQ(cd->IsPublic(), TRUE);
  EXPECT_EQ(cd->SuperClassID(), SClass_ID(0x810));
  EXPECT_EQ(cd->ClassID(), Class_ID(0x7E3D7747, 0xBA5FB623));
  EXPECT_EQ(std::wstring(cd->ClassName()), L"Velomorph");
  EXPECT_EQ(std::wstring(cd->Category()), L"TollwickPlugins");
  EXPECT_EQ(std::wstring(cd->InternalName()), L"ambiflex");
  EXPECT_EQ(cd->HInstance(), Plugin().Instance());
  EXPECT_NE(cd->HInstance(), nullptr);
  EXPECT_EQ(ClassDirectory::Get().FindByInternalName(L"ambiflex"), cd);
}

TEST(PluginLibrary, DescriptorTextsShareOneBuffer) {
  ClassDesc* cd = Plugin().ClassDescAt(0);
  const MCHAR* name = cd->ClassName();
  const MCHAR* category = cd->Category();
  EXPECT_EQ(name, category);
  // The buffer now holds the last text asked for.
  EXPECT_EQ(std::wstring(name), L"TollwickPlugins");
  const MCHAR* description = Plugin().Description();
  EXPECT_EQ(description, name);
  EXPECT_EQ(std::wstring(category), L"Ambiflex");
}

TEST(PluginLibrary, CreateRegistersTheScriptingInterfaceOnEveryCall) {
  ClassDesc2* cd = ModifierDesc();
  FPInterface* published = cd->GetInterface(kMirrorOpsInterface);
  ASSERT_NE(published, nullptr);
  int before = cd->NumInterfaces();
  auto* first = static_cast<Modifier*>(cd->Create(FALSE));
  auto* second = static_cast<Modifier*>(cd->Create(TRUE));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(cd->NumInterfaces(), before + 2);
  EXPECT_EQ(cd->GetInterfaceAt(before), published);
  EXPECT_EQ(cd->GetInterfaceAt(before + 1), published);

  // Two independent modifiers, each with its own block.
  EXPECT_NE(first, second);
  ASSERT_NE(Params(first), nullptr);
  ASSERT_NE(Params(second), nullptr);
  EXPECT_NE(Params(first), Params(second));
  Params(first)->SetValue(kOperation, 0, 2);
  EXPECT_EQ(Params(second)->GetInt(kOperation), 0);
  first->DeleteMe();
  second->DeleteMe();
}

TEST(PluginLibrary, SecondEntryKeepsTheHandleAndInitialisesControlsOnce) {
#if defined(_WIN32)
  GTEST_SKIP() << "on Windows, loading a module that is already loaded does not run its entry point "
                  "again, and the common controls are the system's own: neither can be observed";
#else
  PluginLibrary& lib = Plugin();
  EXPECT_EQ(CommonControlInitialisations(), 1);
  std::string error;
  // Loading the module again runs its entry point a second time in the same process.
  auto again = PluginLibrary::Load(lib.Path(), &error);
  ASSERT_NE(again, nullptr) << error;
  EXPECT_EQ(again->Instance(), lib.Instance());
  EXPECT_EQ(ModifierDesc()->HInstance(), lib.Instance());
  EXPECT_EQ(CommonControlInitialisations(), 1);
  again.reset();
  // Closing the second load unregistered the shared descriptor; the first load keeps the class.
  ClassDirectory::Get().Register(lib.ClassDescAt(0));
  EXPECT_EQ(ModifierDesc(), lib.ClassDescAt(0));
#endif
}

}  // namespace
