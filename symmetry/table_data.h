// The elements of a host table as a plain array: the address of its first element, or null when it
// is empty. The host promises no usable address in an empty table (its debug build asserts), so the
// plug-in never asks it for one.
#pragma once

#include "tab.h"

template <class T>
T* TableData(Tab<T>& table) {
  return table.Count() > 0 ? table.Addr(0) : nullptr;
}

template <class T>
const T* TableData(const Tab<T>& table) {
  return table.Count() > 0 ? table.Addr(0) : nullptr;
}
