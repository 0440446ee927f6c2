// The string-table lookup: one shared buffer, as every caller copies the text at once or hands it
// straight to the host.
#include "plugin/resource_string.h"

HINSTANCE hInstance = nullptr;

namespace {
wchar_t stringBuffer[256];
}

const wchar_t* GetResourceString(int id) {
  if (hInstance == nullptr) return nullptr;
  if (LoadStringW(hInstance, UINT(id), stringBuffer, int(sizeof(stringBuffer) / sizeof(stringBuffer[0]))) == 0) {
    return nullptr;
  }
  return stringBuffer;
}
