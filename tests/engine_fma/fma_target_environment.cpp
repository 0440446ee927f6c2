// The pairing's exactness tests, built with their engine for an FMA-capable target (x86-64-v3): they
// run only on a processor that can execute that code, and are skipped elsewhere.
#include <gtest/gtest.h>

namespace {

class FmaTargetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("fma") || !__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("bmi2")) {
      GTEST_SKIP() << "this processor cannot run x86-64-v3 code";
    }
  }
};

const ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FmaTargetEnvironment);

}  // namespace
