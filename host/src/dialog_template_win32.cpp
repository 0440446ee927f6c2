// The binary dialog template: a header, then one item per control, each item aligned to four
// bytes. Both layouts are read: the extended one (DLGTEMPLATEEX, signature 0xFFFF) that DIALOGEX
// statements produce, and the original one (DLGTEMPLATE). Every read is checked against the size.
#include "dialog_template_win32.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "strclass.h"

namespace {

class Reader {
 public:
  Reader(const void* bytes, std::size_t size) : bytes_(static_cast<const unsigned char*>(bytes)), size_(size) {}

  bool ok() const { return ok_; }

  template <class T>
  T read() {
    T value{};
    if (!ok_ || size_ - offset_ < sizeof(T)) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, bytes_ + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }

  // A zero-terminated UTF-16 string.
  std::wstring text() {
    std::wstring s;
    for (std::uint16_t c = read<std::uint16_t>(); ok_ && c != 0; c = read<std::uint16_t>()) s += wchar_t(c);
    return s;
  }

  // A string or, after 0xFFFF, an ordinal.
  std::wstring textOrOrdinal(std::uint16_t& r_ordinal) {
    r_ordinal = 0;
    if (!ok_ || size_ - offset_ < 2) {
      ok_ = false;
      return std::wstring();
    }
    std::uint16_t first;
    std::memcpy(&first, bytes_ + offset_, 2);
    if (first == 0xFFFF) {
      offset_ += 2;
      r_ordinal = read<std::uint16_t>();
      return std::wstring();
    }
    return text();
  }

  void skip(std::size_t n) {
    if (!ok_ || size_ - offset_ < n) ok_ = false;
    else offset_ += n;
  }

  void alignTo4() { skip((4 - offset_ % 4) % 4); }

 private:
  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t offset_ = 0;
  bool ok_ = true;
};

std::string utf8(const std::wstring& text) { return MSTR(text).ToUTF8(); }

// The predefined control classes a template names by ordinal.
std::string predefinedClass(std::uint16_t ordinal) {
  switch (ordinal) {
    case 0x0080: return "Button";
    case 0x0081: return "Edit";
    case 0x0082: return "Static";
    case 0x0083: return "ListBox";
    case 0x0084: return "ScrollBar";
    case 0x0085: return "ComboBox";
    default: return "#" + std::to_string(ordinal);
  }
}

}  // namespace

std::optional<DialogTemplate> DecodeDialogTemplate(const void* bytes, std::size_t size) {
  if (bytes == nullptr) return std::nullopt;
  Reader in(bytes, size);
  DialogTemplate t;
  std::uint16_t version = in.read<std::uint16_t>();
  std::uint16_t signature = in.read<std::uint16_t>();
  const bool extended = version == 1 && signature == 0xFFFF;
  if (extended) {
    in.read<std::uint32_t>();  // help id
    t.exStyle = in.read<std::uint32_t>();
    t.style = in.read<std::uint32_t>();
  } else {
    // The original layout opens with the style and extended style instead.
    t.style = std::uint32_t(version) | (std::uint32_t(signature) << 16);
    t.exStyle = in.read<std::uint32_t>();
  }
  const std::uint16_t count = in.read<std::uint16_t>();
  t.x = in.read<std::int16_t>();
  t.y = in.read<std::int16_t>();
  t.width = in.read<std::int16_t>();
  t.height = in.read<std::int16_t>();
  std::uint16_t ordinal = 0;
  in.textOrOrdinal(ordinal);  // menu
  in.textOrOrdinal(ordinal);  // window class
  t.caption = utf8(in.text());
  if (t.style & ResourceStyle::kDialogSetFont) {
    t.hasFont = true;
    t.font.pointSize = in.read<std::uint16_t>();
    if (extended) {
      t.font.weight = in.read<std::uint16_t>();
      t.font.italic = in.read<std::uint8_t>();
      t.font.charset = in.read<std::uint8_t>();
    }
    t.font.face = utf8(in.text());
  }
  for (std::uint16_t i = 0; i < count && in.ok(); ++i) {
    in.alignTo4();
    DialogControl c;
    if (extended) {
      in.read<std::uint32_t>();  // help id
      c.exStyle = in.read<std::uint32_t>();
      c.style = in.read<std::uint32_t>();
    } else {
      c.style = in.read<std::uint32_t>();
      c.exStyle = in.read<std::uint32_t>();
    }
    c.x = in.read<std::int16_t>();
    c.y = in.read<std::int16_t>();
    c.width = in.read<std::int16_t>();
    c.height = in.read<std::int16_t>();
    c.id = extended ? in.read<std::int32_t>() : std::int32_t(in.read<std::int16_t>());
    std::wstring className = in.textOrOrdinal(ordinal);
    c.className = ordinal != 0 ? predefinedClass(ordinal) : utf8(className);
    std::wstring caption = in.textOrOrdinal(ordinal);
    c.caption = ordinal != 0 ? "#" + std::to_string(ordinal) : utf8(caption);
    in.skip(in.read<std::uint16_t>());  // creation data
    if (in.ok()) t.controls.push_back(std::move(c));
  }
  if (!in.ok()) return std::nullopt;
  return t;
}
