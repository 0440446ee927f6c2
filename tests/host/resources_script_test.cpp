// The resource-script parser: on the plug-in's own script (the texts and rollout layout the
// library must carry), on the syntax it accepts, and on the errors it must report with their place.
#include <algorithm>
#include <map>
#include <set>

#include "resource_script.h"
#include "resources_support.h"

using namespace ResourceStyle;

namespace {

const std::string kPluginScript = std::string(VELOMORPH_SOURCE_DIR) + "/plugin/ambiflex.rc";

const DialogTemplate* dialogOf(const ResourceSet& r, std::uint16_t id) {
  for (const DialogTemplate& d : r.dialogs)
    if (d.id == id) return &d;
  return nullptr;
}

ResourceSet parse(const std::string& text) { return parseResourceScriptText(text, "test.rc"); }

// One control wrapped in a dialog, as the parser stores it.
DialogControl control(const std::string& statement) {
  ResourceSet r = parse("1 DIALOGEX 0, 0, 10, 10\nBEGIN\n" + statement + "\nEND\n");
  return r.dialogs.at(0).controls.at(0);
}

}  // namespace

TEST(ResourceScriptPlugin, StringTableHoldsTheLibraryTexts) {
  const std::map<int, std::string> expected = {{1, "Ambiflex"},
                                               {2, "TollwickPlugins"},
                                               {3, "Velomorph"},
                                               {4, "Velomorph v1.02"},
                                               {5, "Spin"},
                                               {6, "ReferenceNode"},
                                               {7, "DeformedTarget"},
                                               {8, "Axis"},
                                               {9, "Auto Update"},
                                               {10, "Operation"},
                                               {11, "Direction"},
                                               {12, "Cache Undeformed"},
                                               {13, "Constant Update"},
                                               {14, "Ignore SO"},
                                               {15, "Display Axis"},
                                               {16, "Axis Offset"},
                                               {17, "Display Size"},
                                               {18, "resetCenterVerts"},
                                               {19, "AsymmetryNode"},
                                               {20, "AsymmetryType"},
                                               {21, "UVDominance"},
                                               {22, "OperateOnSelection"},
                                               {23, "OperateONLYonSelection"}};
  ResourceSet r = parseResourceScript(kPluginScript);
  std::map<int, std::string> found;
  for (const StringResource& s : r.strings) {
    found[s.id] = s.text;
    EXPECT_EQ(s.language, 0x0409) << "string " << s.id << " is not US English";
  }
  EXPECT_EQ(found, expected);
}

TEST(ResourceScriptPlugin, RolloutTemplateListsItsFortyControlsInTabOrder) {
  struct Row {
    int id;
    ControlKind kind;
    const char* className;  // for the host's custom controls
    const char* caption;
    int x, y, w, h;
  };
  using K = ControlKind;
  const Row rows[] = {
      {1003, K::Custom, "CustButton", "Custom2", 2, 12, 102, 15},
      {-1, K::StaticText, nullptr, "Undeformed Symmetrical Mesh:", 2, 2, 102, 8},
      {1004, K::CheckBox, nullptr, "Cache Target", 2, 29, 56, 10},
      {1000, K::RadioButton, nullptr, "X", 7, 76, 18, 12},
      {1001, K::RadioButton, nullptr, "Y", 41, 76, 18, 12},
      {1005, K::RadioButton, nullptr, "Z", 72, 76, 18, 12},
      {1002, K::RadioButton, nullptr, "Mirror", 5, 51, 34, 12},
      {1006, K::RadioButton, nullptr, "Flip", 40, 51, 26, 12},
      {1007, K::RadioButton, nullptr, "Negative", 7, 88, 42, 12},
      {1008, K::RadioButton, nullptr, "Positive", 55, 88, 42, 12},
      {-1, K::GroupBox, nullptr, "Operation:", 2, 41, 102, 24},
      {-1, K::GroupBox, nullptr, "Mirror Axis", 2, 66, 102, 65},
      {1009, K::RadioButton, nullptr, "Reset", 69, 51, 31, 12},
      {1011, K::Custom, "CustButton", "Update", 62, 29, 42, 11},
      {1014, K::CheckBox, nullptr, "Constant Update", 8, 141, 73, 10},
      {-1, K::GroupBox, nullptr, "Interactivity:", 2, 131, 102, 22},
      {1015, K::CheckBox, nullptr, "Ignore SO Selection", 8, 164, 82, 10},
      {-1, K::GroupBox, nullptr, "Options:", 2, 154, 102, 83},
      {1016, K::Custom, "CustButton", "About (website)", 2, 319, 102, 16},
      {-1, K::StaticText, nullptr, "Velomorph 1.02 by TollwickPlugins", 2, 335, 102, 8},
      {1017, K::CheckBox, nullptr, "Display Size:", 7, 117, 52, 10},
      {1013, K::Custom, "CustEdit", "", 64, 103, 26, 10},
      {1018, K::Custom, "SpinnerControl", "", 91, 103, 7, 10},
      {1022, K::StaticText, nullptr, "Axis Offset:", 8, 103, 53, 10},
      {1019, K::Custom, "CustEdit", "", 66, 117, 24, 10},
      {1020, K::Custom, "SpinnerControl", "", 91, 117, 7, 10},
      {1021, K::CheckBox, nullptr, "Align Center Verts", 8, 176, 82, 10},
      {1023, K::CheckBox, nullptr, "Base Selection Masks", 8, 187, 85, 10},
      {1024, K::CheckBox, nullptr, "Invert", 20, 198, 35, 10},
      {-1, K::GroupBox, nullptr, "Asymmetry", 2, 237, 102, 75},
      {1010, K::Custom, "CustButton", "Custom2", 5, 257, 94, 15},
      {1025, K::CheckBox, nullptr, "Enable", 7, 247, 37, 10},
      {1012, K::RadioButton, nullptr, "Local", 7, 272, 43, 12},
      {1026, K::RadioButton, nullptr, "Surface", 56, 272, 38, 12},
      {1027, K::RadioButton, nullptr, "U", 54, 285, 20, 12},
      {1028, K::RadioButton, nullptr, "V", 78, 285, 19, 12},
      {-1, K::StaticText, nullptr, "Dominant:", 8, 286, 34, 8},
      {1029, K::CheckBox, nullptr, "Norm. Xform Space", 8, 297, 81, 10},
      {1030, K::CheckBox, nullptr, "Operate on Selection", 8, 211, 82, 10},
      {1031, K::CheckBox, nullptr, "ONLY do Selection", 17, 222, 74, 10},
  };
  ResourceSet r = parseResourceScript(kPluginScript);
  const DialogTemplate* d = dialogOf(r, 101);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->language, 0x0409);
  EXPECT_EQ(d->width, 108);
  EXPECT_EQ(d->height, 346);
  EXPECT_TRUE(d->caption.empty());
  EXPECT_EQ(d->style & (kChild | kVisible | kCaption | kPopup), kChild | kVisible);
  ASSERT_TRUE(d->hasFont);
  EXPECT_EQ(d->font.pointSize, 8);
  EXPECT_EQ(d->font.face, "MS Sans Serif");

  ASSERT_EQ(d->controls.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const Row& row = rows[i];
    const DialogControl& c = d->controls[i];
    SCOPED_TRACE("tab position " + std::to_string(i) + ": " + row.caption);
    EXPECT_EQ(c.id, row.id);
    EXPECT_EQ(controlKind(c), row.kind);
    if (row.className) {
      EXPECT_EQ(c.className, row.className);
    }
    EXPECT_EQ(c.caption, row.caption);
    EXPECT_EQ(c.x, row.x);
    EXPECT_EQ(c.y, row.y);
    EXPECT_EQ(c.width, row.w);
    EXPECT_EQ(c.height, row.h);
    EXPECT_EQ(c.style & (kChild | kVisible | kDisabled), kChild | kVisible);
    if (row.kind == K::CheckBox) {
      EXPECT_EQ(c.style & kTypeMask, kAutoCheckBox);
      EXPECT_TRUE(c.style & kTabStop);
    }
    if (row.kind == K::RadioButton) {
      EXPECT_EQ(c.style & kTypeMask, kAutoRadioButton);
    }
    if (c.className == "CustButton" || c.className == "CustEdit") {
      EXPECT_TRUE(c.style & kTabStop);
    }
  }
  EXPECT_EQ(d->controls[19].style & kTypeMask, kStaticCenter) << "the credit line is centred";
}

// Windows groups automatic radio buttons from one WS_GROUP control to the next in tab order, and
// clicking one clears the others of its group: each group must hold one parameter's buttons only.
TEST(ResourceScriptPlugin, EachRadioGroupHoldsOneParameterOnly) {
  const std::map<int, int> parameterOf = {{1000, 1},  {1001, 1},  {1005, 1},  {1002, 3},
                                          {1006, 3},  {1009, 3},  {1007, 4},  {1008, 4},
                                          {1012, 15}, {1026, 15}, {1027, 16}, {1028, 16}};
  ResourceSet r = parseResourceScript(kPluginScript);
  for (std::uint16_t id : {101, 103}) {
    const DialogTemplate* d = dialogOf(r, id);
    ASSERT_NE(d, nullptr);
    int groupParameter = 0;
    for (const DialogControl& c : d->controls) {
      if (c.style & kGroup) groupParameter = 0;
      if (controlKind(c) != ControlKind::RadioButton) continue;
      ASSERT_TRUE(parameterOf.count(c.id)) << c.id;
      if (groupParameter == 0) groupParameter = parameterOf.at(c.id);
      EXPECT_EQ(parameterOf.at(c.id), groupParameter)
          << "dialog " << id << ": radio " << c.id << " shares a group with another parameter";
    }
  }
}

TEST(ResourceScriptPlugin, CarriesTheAsymmetryPanelAndAnAsInvokerManifest) {
  ResourceSet r = parseResourceScript(kPluginScript);
  const DialogTemplate* d = dialogOf(r, 103);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->caption, "Dialog");
  std::vector<std::pair<int, std::string>> controls;
  for (const DialogControl& c : d->controls) controls.emplace_back(c.id, c.caption);
  const std::vector<std::pair<int, std::string>> expected = {
      {-1, "Asymmetry"}, {1010, "Custom2"}, {1025, "Enable"}, {1012, "Local"}, {1026, "Surface"}};
  EXPECT_EQ(controls, expected);
  EXPECT_EQ(controlKind(d->controls[0]), ControlKind::GroupBox);
  EXPECT_EQ(d->controls[1].className, "CustButton");
  EXPECT_EQ(controlKind(d->controls[2]), ControlKind::CheckBox);
  EXPECT_EQ(controlKind(d->controls[3]), ControlKind::RadioButton);
  EXPECT_EQ(controlKind(d->controls[4]), ControlKind::RadioButton);

  ASSERT_EQ(r.manifests.size(), 1u);
  EXPECT_EQ(r.manifests[0].id, 2) << "a library's manifest has id 2";
  EXPECT_NE(r.manifests[0].content.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_EQ(r.dialogs.size(), 2u);
}

TEST(ResourceScriptSyntax, ShorthandStatementsEqualTheirControlStatements) {
  const std::pair<const char*, const char*> pairs[] = {
      {R"(LTEXT "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Static", SS_LEFT | WS_GROUP, 1, 2, 3, 4)"},
      {R"(CTEXT "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Static", SS_CENTER | WS_GROUP, 1, 2, 3, 4)"},
      {R"(RTEXT "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Static", SS_RIGHT | WS_GROUP, 1, 2, 3, 4)"},
      {R"(GROUPBOX "t", 5, 1, 2, 3, 4)", R"(CONTROL "t", 5, "Button", BS_GROUPBOX, 1, 2, 3, 4)"},
      {R"(AUTOCHECKBOX "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4)"},
      {R"(AUTORADIOBUTTON "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, 1, 2, 3, 4)"},
      {R"(PUSHBUTTON "t", 5, 1, 2, 3, 4)", R"(CONTROL "t", 5, "Button", WS_TABSTOP, 1, 2, 3, 4)"},
      {R"(DEFPUSHBUTTON "t", 5, 1, 2, 3, 4)",
       R"(CONTROL "t", 5, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, 1, 2, 3, 4)"},
      {R"(EDITTEXT 5, 1, 2, 3, 4)", R"(CONTROL "", 5, "Edit", WS_BORDER | WS_TABSTOP, 1, 2, 3, 4)"},
      // A written style keeps the kind bits (and a button's tab stop) but drops a text's group.
      {R"(LTEXT "t", 5, 1, 2, 3, 4, WS_TABSTOP)",
       R"(CONTROL "t", 5, "Static", WS_TABSTOP, 1, 2, 3, 4)"},
      {R"(PUSHBUTTON "t", 5, 1, 2, 3, 4, WS_DISABLED, WS_EX_CLIENTEDGE)",
       R"(CONTROL "t", 5, "Button", WS_TABSTOP | WS_DISABLED, 1, 2, 3, 4, WS_EX_CLIENTEDGE)"},
      {R"(EDITTEXT 5, 1, 2, 3, 4, ES_NUMBER)",
       R"(CONTROL "", 5, "Edit", WS_BORDER | WS_TABSTOP | ES_NUMBER, 1, 2, 3, 4)"},
  };
  for (const auto& [shorthand, full] : pairs) {
    SCOPED_TRACE(shorthand);
    expectSameControl(control(shorthand), control(full));
  }
  EXPECT_EQ(control(R"(CONTROL "t", 5, "Button", 0, 1, 2, 3, 4)").style, kChild | kVisible);
}

TEST(ResourceScriptSyntax, DialogStyleDependsOnStyleCaptionAndFont) {
  ResourceSet r = parse(
      "1 DIALOGEX 0, 0, 10, 10\nBEGIN\nEND\n"
      "2 DIALOGEX 0, 0, 10, 10\nCAPTION \"c\"\nFONT 9, \"F\"\nBEGIN\nEND\n"
      "3 DIALOGEX -1, 2, 10, 10\nSTYLE WS_CHILD\nEXSTYLE WS_EX_TOOLWINDOW\n"
      "FONT 8, \"G\", 700, 1, 0\n{\n}\n");
  ASSERT_EQ(r.dialogs.size(), 3u);
  EXPECT_EQ(r.dialogs[0].style, kPopup | kBorder | kSysMenu);
  EXPECT_FALSE(r.dialogs[0].hasFont);
  EXPECT_EQ(r.dialogs[1].style, kPopup | kBorder | kSysMenu | kCaption | kDialogSetFont);
  EXPECT_EQ(r.dialogs[1].font.weight, 0);
  EXPECT_EQ(r.dialogs[1].font.charset, 1) << "the default character set";
  EXPECT_EQ(r.dialogs[2].style, kChild | kDialogSetFont);
  EXPECT_EQ(r.dialogs[2].exStyle, 0x80u);
  EXPECT_EQ(r.dialogs[2].x, -1);
  EXPECT_EQ(r.dialogs[2].font.weight, 700);
  EXPECT_EQ(r.dialogs[2].font.italic, 1);
  EXPECT_EQ(r.dialogs[2].font.charset, 0);
}

TEST(ResourceScriptSyntax, PreprocessorFollowsIncludesMacrosAndConditions) {
  ScratchFolder folder;
  folder.write("ids.h",
               "#pragma once\n#define BASE 0x10\n#define IDS_A (BASE + 1)\n"
               "#define IDS_B IDS_A | 0x20L /* comment */\n#ifndef UNSET\n#define IDS_C 3\n"
               "#else\n#define IDS_C 4\n#endif\n#define SELF SELF\n");
  std::string script =
      folder.write("main.rc",
                   "#include <windows.h>\n#include \"ids.h\"\n#include \"ids.h\"\n"
                   "#ifdef RC_INVOKED\n#define TEXT \"seen\"\n#endif\n"
                   "#ifdef UNSET\n#error not reached\n#if nested\n#endif\n#endif\n"
                   "#undef IDS_C\n#define IDS_C 5\n"
                   "STRINGTABLE\nBEGIN\n IDS_A, TEXT\n IDS_B L\"b\"\n IDS_C \"c\"\n"
                   " ~0xFFFFFFF0 \"~\"\n (7 - 2) - 1 \"minus\"\nEND\n");
  ResourceSet r = parseResourceScript(script);
  std::map<int, std::string> found;
  for (const StringResource& s : r.strings) found[s.id] = s.text;
  const std::map<int, std::string> expected = {
      {0x11, "seen"}, {0x31, "b"}, {5, "c"}, {15, "~"}, {4, "minus"}};
  EXPECT_EQ(found, expected);
  EXPECT_THROW(parse("#define SELF SELF\nSTRINGTABLE BEGIN SELF \"x\" END\n"), ResourceScriptError)
      << "a self-referring macro stays a name, which is then unknown";
}

TEST(ResourceScriptSyntax, StringsTakeEscapesAndUtf8UnderItsCodePage) {
  ResourceSet r = parse(
      "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n"
      "1 \"say \"\"hi\"\"\\tthen\\\\\\n\"\n2 \"Gr\xC3\xB6\xC3\x9F"
      "e \xF0\x9F\x98\x80\"\nEND\n");
  ASSERT_EQ(r.strings.size(), 2u);
  EXPECT_EQ(r.strings[0].text, "say \"hi\"\tthen\\\n");
  EXPECT_EQ(r.strings[1].text,
            "Gr\xC3\xB6\xC3\x9F"
            "e \xF0\x9F\x98\x80");
  EXPECT_THROW(parse("STRINGTABLE BEGIN 1 \"Gr\xC3\xB6\xC3\x9F"
                     "e\" END\n"),
               ResourceScriptError)
      << "outside ASCII without the UTF-8 code page";
  EXPECT_THROW(parse("#pragma code_page(65001)\nSTRINGTABLE BEGIN 1 \"\xC3(\" END\n"),
               ResourceScriptError)
      << "malformed UTF-8";
}

TEST(ResourceScriptSyntax, LanguageAppliesToWhatFollowsUnlessOverridden) {
  ResourceSet r = parse(
      "STRINGTABLE BEGIN 1 \"a\" END\n"
      "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\n"
      "STRINGTABLE BEGIN 2 \"b\" END\n"
      "STRINGTABLE LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_UK BEGIN 3 \"c\" END\n"
      "4 DIALOGEX 0, 0, 1, 1 LANGUAGE 9, 1 BEGIN END\n");
  ASSERT_EQ(r.strings.size(), 3u);
  EXPECT_EQ(r.strings[0].language, kDefaultResourceLanguage);
  EXPECT_EQ(r.strings[1].language, 0);
  EXPECT_EQ(r.strings[2].language, 0x0809);
  EXPECT_EQ(r.dialogs.at(0).language, 0x0409);
}

TEST(ResourceScriptSyntax, ControlKindReadsClassCaseInsensitivelyAndButtonType) {
  DialogControl c;
  c.className = "BUTTON";
  c.style = kAutoRadioButton | kTabStop;
  EXPECT_EQ(controlKind(c), ControlKind::RadioButton);
  c.style = kDefPushButton;
  EXPECT_EQ(controlKind(c), ControlKind::PushButton);
  c.style = 0x8;  // an owner-drawn button type this host does not model
  EXPECT_EQ(controlKind(c), ControlKind::Custom);
  c.className = "static";
  EXPECT_EQ(controlKind(c), ControlKind::StaticText);
  c.className = "Buttons";
  EXPECT_EQ(controlKind(c), ControlKind::Custom);
}

TEST(ResourceScriptErrors, NameTheFileAndLineOfTheFault) {
  struct Case {
    const char* script;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"STRINGTABLE\nBEGIN\n  IDS_MISSING \"x\"\nEND\n", 3, "unknown name 'IDS_MISSING'"},
      {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n  CONTROL \"a\" 5, \"Button\", 0, 1, 2, 3, 4\nEND\n", 3,
       "expected ','"},
      {"STRINGTABLE\nBEGIN\n  1 \"open\nEND\n", 3, "unterminated string"},
      {"\n/* never\nclosed\n", 2, "unterminated comment"},
      {"STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", 4, "string 1 is defined twice"},
      {"STRINGTABLE BEGIN\n 70000 \"a\" END\n", 2, "string id 70000 is outside 0 to 65535"},
      {"\n0 DIALOGEX 0, 0, 1, 1 BEGIN END\n", 2, "resource id 0 is outside 1 to 65535"},
      {"1 DIALOGEX 0, 0, 40000, 1 BEGIN END\n", 1, "width 40000 is outside"},
      {"1 DIALOG 0, 0, 1, 1 BEGIN END\n", 1, "DIALOG templates are not supported"},
      {"1 DIALOGEX 0, 0, 1, 1\nMENU 5\nBEGIN END\n", 2, "unsupported dialog statement 'MENU'"},
      {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n SCROLLBAR 1, 2, 3, 4, 5\nEND\n", 3,
       "unsupported control statement 'SCROLLBAR'"},
      {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n LTEXT \"a\", 1, 2, 3, 4, 5\n", 4, "has no END"},
      {"1 DIALOGEX 0, 0, 1, 1\nBEGIN\n LTEXT \"a\", 1, 2, 3, 4, 5, 0, 0, 7\nEND\n", 3,
       "help ids of controls are not supported"},
      {"\n\n#if 1\n#endif\n", 3, "#if is not supported"},
      {"#ifdef X\n\n", 1, "#ifdef without #endif"},
      {"\n#endif\n", 2, "#endif without #ifdef"},
      {"#include <afxres.h>\n", 1, "unknown system header <afxres.h>"},
      {"\n#include \"missing.h\"\n", 2, "cannot open include file \"missing.h\""},
      {"#define F(x) x\n", 1, "macros with parameters are not supported"},
      {"1 RT_MANIFEST\n  \"missing.manifest\"\n", 2, "cannot read manifest file"},
      {"1 RCDATA \"x\"\n", 1, "unsupported resource type 'RCDATA'"},
      {"STRINGTABLE BEGIN 0x100000000 \"a\" END\n", 1, "does not fit in 32 bits"},
      {"STRINGTABLE BEGIN\n 1 @ END\n", 2, "unexpected character '@'"},
      {"STRINGTABLE BEGIN 1 \"a\\q\" END\n", 1, "unsupported escape \\q"},
      // A fault in a macro's expansion is reported where the macro is used.
      {"#define BAD (1 +)\n\nSTRINGTABLE BEGIN\n BAD \"x\" END\n", 4, "expected a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    try {
      parse(c.script);
      ADD_FAILURE() << "no error";
    } catch (const ResourceScriptError& e) {
      EXPECT_EQ(e.file(), "test.rc");
      EXPECT_EQ(e.line(), c.line);
      EXPECT_NE(e.message().find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("test.rc:" + std::to_string(c.line) + ": ", 0), 0u);
    }
  }
}

TEST(ResourceScriptErrors, FaultsInAnIncludedFileNameThatFile) {
  ScratchFolder folder;
  std::string header = folder.write("ids.h", "#define A 1\n#define B 2\n#bogus\n");
  std::string script = folder.write("main.rc", "#include \"ids.h\"\n");
  try {
    parseResourceScript(script);
    ADD_FAILURE() << "no error";
  } catch (const ResourceScriptError& e) {
    EXPECT_EQ(e.file(), header);
    EXPECT_EQ(e.line(), 3);
  }
  try {
    parseResourceScript(folder.file("absent.rc"));
    ADD_FAILURE() << "no error";
  } catch (const ResourceScriptError& e) {
    EXPECT_EQ(e.file(), folder.file("absent.rc"));
  }
}
