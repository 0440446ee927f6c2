// Selection files: strict weights with line numbers, and write-then-read giving the same floats.
#include "selection_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string tempPath(const std::string& leaf) {
  return ::testing::TempDir() + "velomorph_objio_" + std::to_string(getpid()) + "_" + leaf;
}

TEST(SelectionRead, AcceptsOnePerLineOrBlankSeparated) {
  const SelectionReadResult lines = ParseSelectionText("1\n0\r\n0.25\n\n1e-3\n", "s.txt");
  ASSERT_TRUE(lines.ok) << lines.error;
  EXPECT_EQ(lines.weights, (std::vector<float>{1.0f, 0.0f, 0.25f, 0.001f}));
  const SelectionReadResult row = ParseSelectionText("  1 0\t0.5 1.0  ", "s.txt");
  ASSERT_TRUE(row.ok) << row.error;
  EXPECT_EQ(row.weights, (std::vector<float>{1.0f, 0.0f, 0.5f, 1.0f}));
}

TEST(SelectionRead, EmptyFileHasNoWeights) {
  const SelectionReadResult r = ParseSelectionText("\n \n", "s.txt");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.weights.empty());
}

TEST(SelectionRead, NegativeZeroIsPlainZero) {
  const SelectionReadResult r = ParseSelectionText("-0\n", "s.txt");
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(std::signbit(r.weights[0]));
}

struct BadSelection {
  const char* text;
  int line;
  const char* mentions;
};
void PrintTo(const BadSelection& bad, std::ostream* os) { *os << "line " << bad.line << ": " << bad.mentions; }

class SelectionParseErrors : public ::testing::TestWithParam<BadSelection> {};

TEST_P(SelectionParseErrors, ReportsFileAndLine) {
  const BadSelection& bad = GetParam();
  const SelectionReadResult r = ParseSelectionText(bad.text, "sel.txt");
  ASSERT_FALSE(r.ok);
  const std::string prefix = "sel.txt:" + std::to_string(bad.line) + ": ";
  EXPECT_EQ(r.error.compare(0, prefix.size(), prefix), 0) << r.error;
  EXPECT_NE(r.error.find(bad.mentions), std::string::npos) << r.error;
  EXPECT_TRUE(r.weights.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DamagedFiles, SelectionParseErrors,
    ::testing::Values(BadSelection{"1\n0\nyes\n", 3, "'yes' is not a number"},
                      BadSelection{"1\r\n0.5x\r\n", 2, "'0.5x' is not a number"},
                      BadSelection{"1 0\n0 nan\n", 2, "not a finite number"},
                      BadSelection{"inf\n", 1, "not a finite number"},
                      BadSelection{"1\n\n\n1.5\n", 4, "outside 0 to 1"},
                      BadSelection{"0\n-0.25\n", 2, "outside 0 to 1"},
                      BadSelection{"1,0\n", 1, "not a number"}));

TEST(SelectionWrite, RandomWeightsReadBackBitForBit) {
  std::mt19937 rng(7u);
  std::uniform_real_distribution<float> weight(0.0f, 1.0f);
  std::vector<float> weights(3000);
  for (float& w : weights) w = weight(rng);
  weights[0] = 0.0f;
  weights[1] = 1.0f;
  weights[2] = std::numeric_limits<float>::denorm_min();
  weights[3] = std::nextafter(1.0f, 0.0f);

  const std::string path = tempPath("weights.txt");
  std::string error;
  ASSERT_TRUE(WriteSelectionFile(weights, path, error)) << error;
  const SelectionReadResult back = ReadSelectionFile(path);
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.weights.size(), weights.size());
  for (size_t i = 0; i < weights.size(); ++i) {
    uint32_t a, b;
    std::memcpy(&a, &weights[i], 4);
    std::memcpy(&b, &back.weights[i], 4);
    ASSERT_EQ(a, b) << "vertex " << i;
  }
  std::remove(path.c_str());
}

TEST(SelectionWrite, WritesOneWeightPerLine) {
  std::string text, error;
  ASSERT_TRUE(FormatSelection({1.0f, 0.0f, 0.5f, -0.0f}, text, error)) << error;
  EXPECT_EQ(text, "1\n0\n0.5\n0\n");
}

TEST(SelectionWrite, RefusesWeightsThatCouldNotBeReadBack) {
  std::string text, error;
  EXPECT_FALSE(FormatSelection({0.5f, 1.5f}, text, error));
  EXPECT_NE(error.find("vertex 2"), std::string::npos) << error;
  EXPECT_FALSE(FormatSelection({NAN}, text, error));
  EXPECT_NE(error.find("vertex 1"), std::string::npos) << error;
}

TEST(SelectionReadFile, NamesAMissingFile) {
  const std::string path = tempPath("missing_selection.txt");
  const SelectionReadResult r = ReadSelectionFile(path);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, path + ": cannot open: No such file or directory");
}

}  // namespace
