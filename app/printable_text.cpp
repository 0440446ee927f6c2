// A strict UTF-8 decoder that keeps what it accepts byte for byte and escapes the rest.
#include "printable_text.h"

#include <cstdint>
#include <cstdio>

namespace {

// The length of the well-formed, printable character starting at `at`, or 0.
size_t printableCharacterAt(std::string_view text, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return lead >= 0x20 && lead != 0x7F ? 1 : 0;
  size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, code = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, code = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, code = lead & 0x07;
  else return 0;
  if (at + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  static constexpr std::uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF) return 0;  // overlong, or beyond Unicode
  if (code >= 0xD800 && code <= 0xDFFF) return 0;             // surrogates
  if (code <= 0x9F || code == 0xFFFE || code == 0xFFFF) return 0;  // C1 controls, XML's non-characters
  return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    if (const size_t length = printableCharacterAt(text, at); length > 0) {
      shown.append(text.substr(at, length));
      at += length;
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(text[at])));
    shown += escape;
    ++at;
  }
  return shown;
}
