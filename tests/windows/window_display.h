// Whether the rollout tests can have windows. The host's Linux window model needs nothing; on
// Windows the rollout is made of the system's windows, which need a desktop to live on: under Wine
// without an X display none can be created, and tests that open a rollout are skipped there. A run
// that gives Wine a display sets VELOMORPH_REQUIRE_WINDOWS, and then no windows is a failure.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace testing_support {

// Empty when windows can be created; otherwise why not.
inline std::string NoWindowsReason() {
#if defined(_WIN32)
  static const std::string reason = [] {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (probe == nullptr) return std::string("no display: the system cannot create the rollout's windows here");
    DestroyWindow(probe);
    return std::string();
  }();
  return reason;
#else
  return std::string();
#endif
}

}  // namespace testing_support

// Skips the current test (from its body or SetUp) when no windows can be created.
#define SKIP_WITHOUT_WINDOWS()                                                                   \
  if (const std::string noWindows = ::testing_support::NoWindowsReason(); !noWindows.empty()) { \
    if (std::getenv("VELOMORPH_REQUIRE_WINDOWS") != nullptr) GTEST_FAIL() << noWindows;         \
    GTEST_SKIP() << noWindows;                                                                 \
  }
