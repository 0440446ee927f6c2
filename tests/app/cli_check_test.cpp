// velomorph check: a symmetric base passes, a base with one vertex nudged off its mirror image fails
// or passes depending on the tolerance, --json prints the counts as one JSON object, and --svg draws
// the base with the plane as a line and the asymmetric vertex marked. On each axis.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

struct JsonValue {
  enum Kind { kString, kNumber, kBool } kind = kString;
  std::string text;
  double number = 0.0;
  bool flag = false;
};

// A reader for the one flat JSON object check prints: string keys; string, number, true and false
// values. False when the text is anything else (a trailing line end aside).
class FlatJsonReader {
 public:
  explicit FlatJsonReader(const std::string& text) : s_(text) {}

  bool Read(std::map<std::string, JsonValue>& r_fields) {
    blanks();
    if (!take('{')) return false;
    blanks();
    if (!take('}')) {
      for (;;) {
        std::string key;
        JsonValue value;
        blanks();
        if (!string(key)) return false;
        blanks();
        if (!take(':')) return false;
        blanks();
        if (!this->value(value) || r_fields.count(key)) return false;
        r_fields[key] = value;
        blanks();
        if (take('}')) break;
        if (!take(',')) return false;
      }
    }
    blanks();
    return i_ == s_.size();
  }

 private:
  void blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  bool take(char c) {
    if (i_ >= s_.size() || s_[i_] != c) return false;
    ++i_;
    return true;
  }
  bool string(std::string& r_text) {
    if (!take('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        if (i_ >= s_.size()) return false;
        char e = s_[i_++];
        if (e == 'u') {
          if (i_ + 4 > s_.size()) return false;
          c = char(std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16));
          i_ += 4;
        } else {
          const std::string from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
          const size_t k = from.find(e);
          if (k == std::string::npos) return false;
          c = to[k];
        }
      }
      r_text += c;
    }
    return take('"');
  }
  bool value(JsonValue& r_value) {
    if (i_ < s_.size() && s_[i_] == '"') {
      r_value.kind = JsonValue::kString;
      return string(r_value.text);
    }
    for (const char* word : {"true", "false"}) {
      if (s_.compare(i_, std::strlen(word), word) == 0) {
        r_value.kind = JsonValue::kBool;
        r_value.flag = word[0] == 't';
        i_ += std::strlen(word);
        return true;
      }
    }
    static const std::regex number("-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][-+]?[0-9]+)?");
    std::smatch m;
    const std::string rest = s_.substr(i_);
    if (!std::regex_search(rest, m, number, std::regex_constants::match_continuous)) return false;
    r_value.kind = JsonValue::kNumber;
    r_value.number = std::strtod(m[0].str().c_str(), nullptr);
    i_ += size_t(m.length(0));
    return true;
  }

  const std::string& s_;
  size_t i_ = 0;
};

class CheckSymmetry : public CliTest, public ::testing::WithParamInterface<int> {
 protected:
  int axis() const { return GetParam(); }
  std::string axisName() const { return AxisName(axis()); }
  // The grid with its middle centre vertex moved 0.01 off the plane: its reflection lies 0.02
  // from it, and no other vertex comes nearer to that reflection; every other vertex still has an
  // exact mirror image.
  std::vector<Point3> nudged(const MirrorGrid& grid) const {
    std::vector<Point3> p = grid.Base();
    p[size_t(grid.At(MirrorGrid::kCentreColumn, 1))][axis()] += 0.01f;
    return p;
  }
  std::map<std::string, JsonValue> json(const RunResult& r) const {
    std::map<std::string, JsonValue> fields;
    EXPECT_TRUE(FlatJsonReader(r.out).Read(fields)) << "not one JSON object: " << r.out;
    return fields;
  }
};

TEST_P(CheckSymmetry, SymmetricBaseExitsZero) {
  const MirrorGrid grid(axis());
  Write("base.obj", grid.ObjText(grid.Base()));
  const RunResult r = Run({"check", "--target", "base.obj", "--axis", axisName()});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.err, "");
}

TEST_P(CheckSymmetry, SlightlyAsymmetricBaseFailsOnlyWithinAFinerTolerance) {
  const MirrorGrid grid(axis());
  Write("base.obj", grid.ObjText(nudged(grid)));
  EXPECT_EQ(Run({"check", "--target", "base.obj", "--axis", axisName(), "--tolerance", "0.001"}).exitCode, 1);
  EXPECT_EQ(Run({"check", "--target", "base.obj", "--axis", axisName(), "--tolerance", "0.1"}).exitCode, 0);
}

TEST_P(CheckSymmetry, MeasuresAboutTheOffsetPlane) {
  const MirrorGrid grid(axis(), 1.0f);
  Write("base.obj", grid.ObjText(grid.Base()));
  EXPECT_EQ(Run({"check", "--target", "base.obj", "--axis", axisName(), "--offset", "1"}).exitCode, 0);
  EXPECT_EQ(Run({"check", "--target", "base.obj", "--axis", axisName()}).exitCode, 1);
}

TEST_P(CheckSymmetry, JsonHoldsTheCounts) {
  const MirrorGrid grid(axis());
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("nudged.obj", grid.ObjText(nudged(grid)));

  const RunResult symmetric = Run({"check", "--target", "base.obj", "--axis", axisName(), "--json"});
  EXPECT_EQ(symmetric.exitCode, 0);
  std::map<std::string, JsonValue> f = json(symmetric);
  EXPECT_EQ(f["file"].text, "base.obj");
  EXPECT_EQ(f["axis"].text, axisName());
  EXPECT_EQ(f["offset"].number, 0.0);
  EXPECT_EQ(f["vertices"].number, MirrorGrid::kVertices);
  EXPECT_EQ(f["centre_vertices"].number, MirrorGrid::kRows);
  EXPECT_EQ(f["mutual_pairs"].number, (MirrorGrid::kVertices - MirrorGrid::kRows) / 2);
  EXPECT_EQ(f["non_mutual_partners"].number, 0);
  EXPECT_EQ(f["asymmetric_vertices"].number, 0);
  EXPECT_EQ(f["largest_distance"].number, 0.0);
  EXPECT_EQ(f["symmetric"].kind, JsonValue::kBool);
  EXPECT_TRUE(f["symmetric"].flag);

  const RunResult asymmetric =
      Run({"check", "--target", "nudged.obj", "--axis", axisName(), "--tolerance", "0.001", "--json"});
  EXPECT_EQ(asymmetric.exitCode, 1);
  f = json(asymmetric);
  EXPECT_NEAR(f["tolerance"].number, 0.001, 1e-9);
  EXPECT_EQ(f["vertices"].number, MirrorGrid::kVertices);
  EXPECT_EQ(f["centre_vertices"].number, MirrorGrid::kRows);
  EXPECT_EQ(f["asymmetric_vertices"].number, 1);
  EXPECT_NEAR(f["largest_distance"].number, 0.02, 1e-6);
  EXPECT_EQ(f["symmetric"].kind, JsonValue::kBool);
  EXPECT_FALSE(f["symmetric"].flag);
}

std::vector<std::smatch> allMatches(const std::string& text, const std::regex& re) {
  std::vector<std::smatch> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) found.push_back(*it);
  return found;
}

TEST_P(CheckSymmetry, SvgDrawsThePlaneAndMarksTheAsymmetricVertex) {
  const MirrorGrid grid(axis());
  Write("base.obj", grid.ObjText(nudged(grid)));
  const RunResult r = Run({"check", "--target", "base.obj", "--axis", axisName(), "--tolerance", "0.001", "--svg", "base.svg"});
  EXPECT_EQ(r.exitCode, 1);
  const std::string svg = Read("base.svg");
  ASSERT_EQ(svg.rfind("<svg ", 0), 0u) << svg.substr(0, 80);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);

  const auto lines = allMatches(svg, std::regex("<line x1=\"([-0-9.e]+)\" y1=\"[-0-9.e]+\" x2=\"([-0-9.e]+)\""));
  ASSERT_EQ(lines.size(), 1u) << svg;
  const double planeX = std::strtod(lines[0][1].str().c_str(), nullptr);
  EXPECT_EQ(planeX, std::strtod(lines[0][2].str().c_str(), nullptr)) << "the plane is drawn upright";

  EXPECT_EQ(allMatches(svg, std::regex("<circle [^>]*r=\"1\"")).size(), size_t(MirrorGrid::kVertices));
  const auto marked = allMatches(svg, std::regex("<circle cx=\"([-0-9.e]+)\"[^>]*r=\"4\""));
  ASSERT_EQ(marked.size(), 1u) << svg;
  // The nudged vertex sits a hundredth of a unit from the plane, on a picture four units wide.
  EXPECT_NEAR(std::strtod(marked[0][1].str().c_str(), nullptr), planeX, 3.0);
}

TEST_P(CheckSymmetry, SvgOfASymmetricBaseMarksNothing) {
  const MirrorGrid grid(axis());
  Write("base.obj", grid.ObjText(grid.Base()));
  EXPECT_EQ(Run({"check", "--target", "base.obj", "--axis", axisName(), "--svg", "base.svg"}).exitCode, 0);
  const std::string svg = Read("base.svg");
  EXPECT_EQ(allMatches(svg, std::regex("<line ")).size(), 1u);
  EXPECT_EQ(allMatches(svg, std::regex("<circle [^>]*r=\"4\"")).size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(EachAxis, CheckSymmetry, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(AxisName(info.param)); });

class CheckRefuses : public CliTest {};

TEST_F(CheckRefuses, MissingBaseAndBadOptions) {
  const MirrorGrid grid(0);
  Write("base.obj", grid.ObjText(grid.Base()));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* mentions;
  };
  for (const Case& c : {Case{{"check", "--target", "nothere.obj"}, 3, "nothere.obj"},
                        Case{{"check", "--target", "base.obj", "--axis", "w"}, 2, "'w'"},
                        Case{{"check", "--target", "base.obj", "--tolerance", "-1"}, 2, "'-1'"},
                        Case{{"check", "--axis", "x"}, 2, "--target"},
                        Case{{"check", "--target", "base.obj", "--bogus", "1"}, 2, "--bogus"}}) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.mentions;
    ASSERT_EQ(r.ErrLines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Entries(""), std::vector<std::string>{"base.obj"});
}

}  // namespace
