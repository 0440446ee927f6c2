// The plug-in library as the Windows loader sees it: its export directory (the library's name, the
// five exports at their ordinals), and its resources, which must be those of plugin/ambiflex.rc
// and nothing else: the string table, dialogs 101 and 103, the manifest, and no version resource.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "dialog_template_win32.h"
#include "resource_script.h"
#include "strclass.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

const std::string kScript = std::string(VELOMORPH_SOURCE_DIR) + "/plugin/ambiflex.rc";

HMODULE module() { return reinterpret_cast<HMODULE>(Plugin().Instance()); }

const ResourceSet& script() {
  static const ResourceSet resources = parseResourceScript(kScript);
  return resources;
}

const IMAGE_EXPORT_DIRECTORY& exportDirectory() {
  const auto* base = reinterpret_cast<const BYTE*>(module());
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
  return *reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + rva);
}

std::set<ULONG_PTR> resourceTypes() {
  std::set<ULONG_PTR> types;
  EnumResourceTypesW(
      module(),
      [](HMODULE, LPWSTR type, LONG_PTR found) -> BOOL {
        // Types named by string would show up as pointers, never as small numbers.
        reinterpret_cast<std::set<ULONG_PTR>*>(found)->insert(reinterpret_cast<ULONG_PTR>(type));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&types));
  return types;
}

std::string resourceBytes(int id, LPCWSTR type) {
  HRSRC found = FindResourceW(module(), MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return std::string();
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(module(), found)));
  return std::string(bytes, SizeofResource(module(), found));
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

TEST(LibraryImage, TheExportDirectoryNamesTheLibraryAmbiflex) {
  const auto* base = reinterpret_cast<const char*>(module());
  EXPECT_STREQ(base + exportDirectory().Name, "ambiflex");
  EXPECT_EQ(exportDirectory().Base, 1u);
  EXPECT_EQ(exportDirectory().NumberOfFunctions, 5u);
  EXPECT_EQ(exportDirectory().NumberOfNames, 5u);
}

TEST(LibraryImage, EachExportHasItsFixedOrdinal) {
  const char* names[] = {"LibDescription", "LibNumberClasses", "LibClassDesc", "LibVersion", "CanAutoDefer"};
  for (int ordinal = 1; ordinal <= 5; ++ordinal) {
    FARPROC byName = GetProcAddress(module(), names[ordinal - 1]);
    ASSERT_NE(byName, nullptr) << names[ordinal - 1];
    EXPECT_EQ(GetProcAddress(module(), MAKEINTRESOURCEA(ordinal)), byName) << names[ordinal - 1];
  }
  EXPECT_EQ(GetProcAddress(module(), MAKEINTRESOURCEA(6)), nullptr);
  EXPECT_EQ(GetProcAddress(module(), "DllMain"), nullptr);
}

TEST(LibraryImage, CarriesStringsDialogsAndAManifestOnly) {
  auto type = [](LPCWSTR t) { return reinterpret_cast<ULONG_PTR>(t); };
  EXPECT_EQ(resourceTypes(), (std::set<ULONG_PTR>{type(RT_STRING), type(RT_DIALOG), type(RT_MANIFEST)}));
  EXPECT_EQ(FindResourceW(module(), MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
}

TEST(LibraryImage, TheStringTableIsTheScriptsWithNothingBesideIt) {
  ASSERT_EQ(script().strings.size(), 23u);
  wchar_t buffer[256];
  for (const StringResource& s : script().strings) {
    int n = LoadStringW(module(), s.id, buffer, 256);
    ASSERT_GT(n, 0) << "string " << s.id;
    EXPECT_EQ(MSTR(std::wstring(buffer, size_t(n))).ToUTF8(), s.text) << "string " << s.id;
  }
  // The table is ids 1 to 23: the ids around it hold nothing.
  EXPECT_EQ(LoadStringW(module(), 0, buffer, 256), 0);
  EXPECT_EQ(LoadStringW(module(), 24, buffer, 256), 0);
  EXPECT_EQ(LoadStringW(module(), 31, buffer, 256), 0);
}

TEST(LibraryImage, TheDialogsAreTheScriptsControlByControl) {
  ASSERT_EQ(script().dialogs.size(), 2u);
  for (const DialogTemplate& expected : script().dialogs) {
    SCOPED_TRACE("dialog " + std::to_string(expected.id));
    std::string bytes = resourceBytes(expected.id, RT_DIALOG);
    ASSERT_FALSE(bytes.empty());
    std::optional<DialogTemplate> built = DecodeDialogTemplate(bytes.data(), bytes.size());
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(built->style, expected.style);
    EXPECT_EQ(built->exStyle, expected.exStyle);
    EXPECT_EQ(built->caption, expected.caption);
    EXPECT_EQ(built->width, expected.width);
    EXPECT_EQ(built->height, expected.height);
    EXPECT_EQ(built->font.face, expected.font.face);
    EXPECT_EQ(built->font.pointSize, expected.font.pointSize);
    ASSERT_EQ(built->controls.size(), expected.controls.size());
    for (size_t i = 0; i < expected.controls.size(); ++i) {
      const DialogControl& b = built->controls[i];
      const DialogControl& e = expected.controls[i];
      SCOPED_TRACE("control " + std::to_string(i) + " '" + e.caption + "'");
      EXPECT_EQ(b.id, e.id);
      // Windows looks classes up by name without regard to case; the resource compiler stores
      // them in capitals.
      EXPECT_EQ(lower(b.className), lower(e.className));
      EXPECT_EQ(b.caption, e.caption);
      EXPECT_EQ(b.style, e.style);
      EXPECT_EQ(b.exStyle, e.exStyle);
      EXPECT_EQ(b.x, e.x);
      EXPECT_EQ(b.y, e.y);
      EXPECT_EQ(b.width, e.width);
      EXPECT_EQ(b.height, e.height);
    }
  }
}

TEST(LibraryImage, TheManifestIsTheScriptsAsInvokerManifest) {
  ASSERT_EQ(script().manifests.size(), 1u);
  const ManifestResource& expected = script().manifests[0];
  std::string built = resourceBytes(expected.id, RT_MANIFEST);
  EXPECT_EQ(built, expected.content);
  EXPECT_NE(built.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
