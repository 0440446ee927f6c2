// Compiler-specific hints, in one place: each has a plain fallback that does nothing, and no result
// depends on them, so the plug-in builds alike with GCC, Clang and Microsoft's compiler.
#pragma once

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
