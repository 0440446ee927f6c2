// velomorph apply keeps the input file as it was apart from the coordinates of its `v` lines:
// comments, normals, texture coordinates, groups, materials, smoothing groups, odd spacing, a w or
// a colour after the coordinates and each line's own ending (CRLF or LF) come through byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

std::string number(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "%.9g", double(v));
  return buffer;
}

// The grid over `positions` as an exporter with habits of its own might write it.
std::string decoratedObj(const MirrorGrid& grid, const std::vector<Point3>& positions) {
  std::string text = "# exported by hand\r\nmtllib grid.mtl\r\no grid\r\n";
  for (size_t v = 0; v < positions.size(); ++v) {
    const Point3& p = positions[v];
    switch (v % 4) {
      case 0: text += "v " + number(p.x) + " " + number(p.y) + " " + number(p.z) + "\r\n"; break;
      case 1: text += "v  " + number(p.x) + "   " + number(p.y) + "\t" + number(p.z) + "  # moved\r\n"; break;
      case 2: text += "v " + number(p.x) + " " + number(p.y) + " " + number(p.z) + " 1.0\n"; break;
      default: text += "v\t" + number(p.x) + " " + number(p.y) + " " + number(p.z) + " 0.5 0.25 0.125\r\n"; break;
    }
  }
  for (size_t v = 0; v < positions.size(); ++v) text += "vt " + number(float(v) / 16.0f) + " 0.5\r\n";
  text += "vn 0 0 1\r\nvn 0.0 0.0 -1.0\n\ng left right\r\nusemtl skin\r\ns 1\r\n";
  for (int row = 0; row + 1 < MirrorGrid::kRows; ++row) {
    for (int column = 0; column + 1 < MirrorGrid::kColumns; ++column) {
      std::string face = "f";
      for (int corner : {grid.At(column, row), grid.At(column + 1, row), grid.At(column + 1, row + 1), grid.At(column, row + 1)}) {
        face += " " + std::to_string(corner + 1) + "/" + std::to_string(corner + 1) + "/1";
      }
      text += face + (column % 2 ? "\n" : "\r\n");
    }
    if (row == 0) text += "s off\r\nusemtl eyes\r\n";
  }
  return text + "# no line end after this comment";
}

// Lines with their own endings.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// A `v` line with its x, y and z tokens cut out (each replaced by "#"), and those tokens.
std::string withoutCoordinates(const std::string& line, std::vector<std::string>& r_coordinates) {
  std::string masked;
  size_t i = 0;
  int token = 0;
  while (i < line.size()) {
    if (isBlank(line[i]) || line[i] == '\r' || line[i] == '\n') {
      masked += line[i++];
      continue;
    }
    size_t end = i;
    while (end < line.size() && !isBlank(line[end]) && line[end] != '\r' && line[end] != '\n') ++end;
    if (token >= 1 && token <= 3) {
      r_coordinates.push_back(line.substr(i, end - i));
      masked += "#";
    } else {
      masked += line.substr(i, end - i);
    }
    ++token;
    i = end;
  }
  return masked;
}

bool isVertexLine(const std::string& line) { return line.size() > 2 && line[0] == 'v' && isBlank(line[1]); }

class ApplyKeepsTheFile : public CliTest {
 protected:
  const MirrorGrid grid{0};
};

TEST_F(ApplyKeepsTheFile, ChangesOnlyTheCoordinatesOfVertexLines) {
  const std::vector<Point3> sculpt = grid.Sculpt();
  const std::string input = decoratedObj(grid, sculpt);
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", input);
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--as", "mesh"});
  ASSERT_EQ(r.exitCode, 0) << r.err;

  const std::vector<Point3> expected = grid.Mirrored(sculpt, true);
  const std::vector<std::string> before = linesOf(input), after = linesOf(Read("out.obj"));
  ASSERT_EQ(after.size(), before.size());
  size_t vertex = 0;
  for (size_t k = 0; k < before.size(); ++k) {
    if (!isVertexLine(before[k])) {
      EXPECT_EQ(after[k], before[k]) << "line " << k + 1;
      continue;
    }
    std::vector<std::string> unused, coordinates;
    EXPECT_EQ(withoutCoordinates(after[k], coordinates), withoutCoordinates(before[k], unused)) << "line " << k + 1;
    ASSERT_EQ(coordinates.size(), 3u) << after[k];
    ASSERT_LT(vertex, expected.size());
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(std::strtof(coordinates[size_t(c)].c_str(), nullptr), expected[vertex][c], 1e-5f)
          << "line " << k + 1 << ": " << after[k];
    }
    ++vertex;
  }
  EXPECT_EQ(vertex, expected.size());
}

// The base's numbers are already in their shortest form, so resetting the base onto itself gives
// the very same bytes.
TEST_F(ApplyKeepsTheFile, ResetOfTheBaseGivesBackItsBytes) {
  const std::string base = decoratedObj(grid, grid.Base());
  Write("base.obj", base);
  for (const char* kind : {"mesh", "poly"}) {
    const RunResult r = Run({"apply", "--target", "base.obj", "--input", "base.obj", "--out", "out.obj",
                             "--operation", "reset", "--as", kind});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Read("out.obj"), base) << kind;
  }
}

TEST_F(ApplyKeepsTheFile, WritesOverItsOwnInputWhenAskedTo) {
  const std::vector<Point3> sculpt = grid.Sculpt();
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", decoratedObj(grid, sculpt));
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "sculpt.obj", "--as", "mesh"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read("sculpt.obj"), decoratedObj(grid, grid.Mirrored(sculpt, true)));
}

// Coordinates written with more digits than a float holds: a vertex the modifier did not move
// keeps its text byte for byte; a moved one reads back as exactly the float the modifier made.
TEST_F(ApplyKeepsTheFile, VerticesTheModifierDidNotMoveKeepTheirText) {
  const std::vector<Point3> sculpt = grid.Sculpt();
  std::string input;
  for (const Point3& p : sculpt) {
    char line[128];
    std::snprintf(line, sizeof(line), "v %.17g %.17g %.17g\n", double(p.x) + 1e-9, double(p.y) + 1e-9, double(p.z));
    input += line;
  }
  const std::string faces = grid.ObjText(sculpt).substr(grid.ObjText(sculpt).find("\nf ") + 1);
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", input + faces);
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj"});
  ASSERT_EQ(r.exitCode, 0) << r.err;

  const std::vector<std::string> before = linesOf(input + faces), after = linesOf(Read("out.obj"));
  ASSERT_EQ(after.size(), before.size());
  const std::vector<Point3> read = ReadPositions("sculpt.obj"), expected = grid.Mirrored(read, true);
  for (int v = 0; v < MirrorGrid::kVertices; ++v) {
    if (grid.OnPositiveSide(v)) {
      EXPECT_EQ(after[size_t(v)], before[size_t(v)]);
    }
  }
  ExpectPositions(ReadPositions("out.obj"), expected);
}

}  // namespace
