// Compiler-specific code, in one place, so the plug-in builds alike with GCC, Clang and Microsoft's
// compiler of the real host (Visual C++ 10.0, whose library has none of C99's additions to <cmath>).
// The prefetch is a hint with a plain fallback that does nothing; no result depends on it. The
// floating-point classification is written as exact tests of the IEEE 754 bits, so it answers the
// same on every compiler and at every optimisation level.
#pragma once

#include <cstring>

// Whether `f` is neither infinite nor not-a-number: its exponent bits are not all ones.
static_assert(sizeof(unsigned int) == sizeof(float) && sizeof(unsigned long long) == sizeof(double),
              "the bit tests read a float as 32 bits and a double as 64");
inline bool IsFiniteFloat(float f) {
  unsigned int bits;
  std::memcpy(&bits, &f, sizeof bits);
  return (bits & 0x7F800000u) != 0x7F800000u;
}
inline bool IsFiniteDouble(double d) {
  unsigned long long bits;
  std::memcpy(&bits, &d, sizeof bits);
  return (bits & 0x7FF0000000000000ull) != 0x7FF0000000000000ull;
}

#if defined(__GNUC__) || defined(__clang__)

// Starts loading the cache line of `address` ahead of a read. Always inlined: GCC judges a function
// holding nothing but a prefetch free of effects, and drops the calls it has not inlined yet. (The
// attribute is GCC's and Clang's; Microsoft's compiler takes the intrinsic below.)
__attribute__((always_inline)) inline void PrefetchForRead(const void* address) { __builtin_prefetch(address); }

#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))

#include <xmmintrin.h>
inline void PrefetchForRead(const void* address) { _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0); }

#else

inline void PrefetchForRead(const void*) {}

#endif
