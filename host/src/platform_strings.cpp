// LoadStringW for this platform: the string table of a loaded module, read through
// ResourcesOfModule, with the Windows call's copying rules.
#include <algorithm>
#include <string>

#include <windows.h>

#include "module_resources.h"

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) return 0;
  // The buffer always ends up terminated, so a caller that ignores a 0 result still reads an
  // empty text rather than whatever the buffer held.
  buffer[0] = L'\0';
  const ModuleResources* resources = ResourcesOfModule(instance);
  const std::wstring* text = resources ? resources->FindString(id) : nullptr;
  if (!text) return 0;
  const auto count = int(std::min<std::size_t>(text->size(), std::size_t(bufferMax) - 1));
  std::copy_n(text->data(), count, buffer);
  buffer[count] = L'\0';
  return count;
}
