// Library-wide module state and the string-table lookup every user-visible text goes through.
#pragma once

#include <windows.h>

// The library's own module handle; null until the entry point has run.
extern HINSTANCE hInstance;

// String `id` of the library's string table in a library-wide buffer of 256 wide characters, valid
// until the next call; null before the entry point has run or for an id without a string.
const wchar_t* GetResourceString(int id);
