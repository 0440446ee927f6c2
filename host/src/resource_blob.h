// Binary form of a ResourceSet: what the resource compiler embeds in a module (in the section named
// kResourceSectionName) and what the host decodes from the module file.
//
// Layout: integers little-endian, no padding, no alignment requirement.
//   magic "VRSC", u32 format version (1)
//   u32 string count; per string:     u16 id, u16 language, text
//   u32 dialog count; per dialog:     u16 id, u16 language, u32 style, u32 exStyle,
//                                     i16 x, y, width, height, text caption,
//                                     u8 hasFont (0 or 1); if 1: u16 pointSize, u16 weight,
//                                     u8 italic, u8 charset, text face;
//                                     u32 control count; per control:
//                                       i32 id, text className, text caption, u32 style,
//                                       u32 exStyle, i16 x, y, width, height
//   u32 manifest count; per manifest: u16 id, u16 language, u32 byte count, the bytes
// A text is a u32 byte count followed by that many bytes of UTF-8 (no terminator).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "resource_set.h"

constexpr const char* kResourceSectionName = ".rsrc";

// Encodes `resources` whole. Texts are written as they are: the caller supplies valid UTF-8.
std::vector<unsigned char> encodeResourceBlob(const ResourceSet& resources);

// Decodes exactly `size` bytes at `data` (null only with size 0). Empty on any damage: wrong magic
// or version, a count or length that runs past the end, a font flag other than 0 or 1, invalid
// UTF-8 in a text, two strings (or two dialogs, or two manifests) with one id, or bytes left over.
std::optional<ResourceSet> decodeResourceBlob(const unsigned char* data, std::size_t size);

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(const std::string& text);
