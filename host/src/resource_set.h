// The resources a module carries, in the form the resource compiler produces from a resource
// script and the host decodes from a loaded module: string table entries, dialog templates and
// manifests. Texts are UTF-8. Styles are the Windows style words a Windows resource compiler would
// store, so a Windows build and this host describe the same controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Window and control style bits that users of dialog templates test.
namespace ResourceStyle {
constexpr std::uint32_t kPopup = 0x80000000u;
constexpr std::uint32_t kChild = 0x40000000u;
constexpr std::uint32_t kVisible = 0x10000000u;
constexpr std::uint32_t kDisabled = 0x08000000u;
constexpr std::uint32_t kCaption = 0x00C00000u;
constexpr std::uint32_t kBorder = 0x00800000u;
constexpr std::uint32_t kSysMenu = 0x00080000u;
constexpr std::uint32_t kGroup = 0x00020000u;
constexpr std::uint32_t kTabStop = 0x00010000u;
constexpr std::uint32_t kDialogSetFont = 0x00000040u;
// The low four bits of a "Button" control's style select its kind; of a "Static" control, its
// text alignment.
constexpr std::uint32_t kTypeMask = 0x0000000Fu;
constexpr std::uint32_t kPushButton = 0x0u;
constexpr std::uint32_t kDefPushButton = 0x1u;
constexpr std::uint32_t kCheckBox = 0x2u;
constexpr std::uint32_t kAutoCheckBox = 0x3u;
constexpr std::uint32_t kRadioButton = 0x4u;
constexpr std::uint32_t k3State = 0x5u;
constexpr std::uint32_t kAuto3State = 0x6u;
constexpr std::uint32_t kGroupBox = 0x7u;
constexpr std::uint32_t kAutoRadioButton = 0x9u;
constexpr std::uint32_t kStaticLeft = 0x0u;
constexpr std::uint32_t kStaticCenter = 0x1u;
constexpr std::uint32_t kStaticRight = 0x2u;
}  // namespace ResourceStyle

// Default language of resources that name none: US English.
constexpr std::uint16_t kDefaultResourceLanguage = 0x0409;

struct StringResource {
  std::uint16_t id = 0;
  std::uint16_t language = kDefaultResourceLanguage;
  std::string text;
};

struct DialogControl {
  std::int32_t id = -1;   // -1 for controls nothing refers to (static texts, group boxes)
  std::string className;  // "Button", "Static", "Edit" or a custom class such as "CustButton"
  std::string caption;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::int16_t x = 0, y = 0, width = 0, height = 0;  // dialog units
};

struct DialogFont {
  std::uint16_t pointSize = 0;
  std::uint16_t weight = 0;
  std::uint8_t italic = 0;
  std::uint8_t charset = 1;
  std::string face;
};

struct DialogTemplate {
  std::uint16_t id = 0;
  std::uint16_t language = kDefaultResourceLanguage;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::int16_t x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::string caption;
  bool hasFont = false;
  DialogFont font;                      // meaningful when hasFont
  std::vector<DialogControl> controls;  // in tab order
};

struct ManifestResource {
  std::uint16_t id = 0;
  std::uint16_t language = kDefaultResourceLanguage;
  std::string content;  // the manifest file's bytes
};

// Resources in script order. Ids are unique within each list.
struct ResourceSet {
  std::vector<StringResource> strings;
  std::vector<DialogTemplate> dialogs;
  std::vector<ManifestResource> manifests;
};

// What a control is, read from its class name (case-insensitive, as Windows matches classes) and
// the type bits of its style.
enum class ControlKind {
  PushButton,
  CheckBox,
  RadioButton,
  GroupBox,
  StaticText,
  Edit,
  Custom,  // any other class, or a "Button" style this host does not model
};
ControlKind controlKind(const DialogControl& control);
// Whether class name `name` names `windowsClass`, ignoring ASCII case as Windows does.
bool SameWindowClass(const std::string& name, const char* windowsClass);
