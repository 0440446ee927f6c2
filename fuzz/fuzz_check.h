// Checks inside fuzz targets. A broken invariant is a finding: it is reported the way a sanitizer
// reports (one line on standard error, then abort), so libFuzzer keeps the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                    \
  do {                                                                                                 \
    if (!(condition)) {                                                                                \
      std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what, #condition, __FILE__, __LINE__); \
      std::abort();                                                                                    \
    }                                                                                                  \
  } while (0)
