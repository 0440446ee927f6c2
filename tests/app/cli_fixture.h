// The command-line tests run the built velomorph program as a user does: each test gets a fresh,
// empty folder that is the program's working folder, writes small mesh and selection files into it,
// runs the program there and reads back what it wrote, printed and returned.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "point3.h"

class MirrorGrid;

struct RunResult {
  int exitCode = -1;  // the program's exit status, or 128 + the signal that ended it
  std::string out;    // standard output
  std::string err;    // standard error
  // Standard error split into lines, without their line ends.
  std::vector<std::string> ErrLines() const;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `velomorph args...` in the test's folder; relative paths in `args` are relative to it.
  // `standardInput` names a file of the folder to read standard input from (default: none, empty).
  RunResult Run(const std::vector<std::string>& args, const std::string& standardInput = "") const;

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // The names of the entries of a sub-folder (or of the test's folder for ""), sorted.
  std::vector<std::string> Entries(const std::string& folder) const;
  // Vertex positions of an OBJ file and weights of a selection file the program wrote; a file
  // that cannot be read fails the test and gives nothing.
  std::vector<Point3> ReadPositions(const std::string& name) const;
  std::vector<float> ReadWeights(const std::string& name) const;

  // Writes base.obj (the grid's base) and sculpt.obj (`sculpt` on the grid's faces), runs
  //   velomorph apply --target base.obj --input sculpt.obj --out out.obj --as KIND --quiet OPTIONS...
  // expects it to succeed silently, and returns the positions of out.obj.
  std::vector<Point3> ApplyToGrid(const MirrorGrid& grid, const std::vector<Point3>& sculpt,
                                  const std::string& kind, const std::vector<std::string>& options) const;

 private:
  std::string folder_;
};

// The test mesh: a 4 x 2 quad grid across the mirror plane, spanning the mirror axis `a` and the
// next axis `b` (b = a + 1 mod 3); its height along the third axis depends only on how far a vertex
// is from the plane, so the grid is exactly symmetric about a = offset and nothing else pairs it.
//
//       b
//     2.5   10---11---12---13---14
//            |    |    |    |    |
//     1      5----6----7----8----9
//            |    |    |    |    |
//     0      0----1----2----3----4
//          -2  -0.75   0  0.75   2     a - offset
//
// Cells are numbered as drawn, column + 5 * row. Column 2 lies on the plane: its vertices are their
// own partners (centre vertices); column k pairs with column 4 - k. The file lists the cells in a
// scrambled order, so vertex indices say nothing about partners: only positions do. Every
// coordinate is a short binary fraction, so it is written and read back exactly.
class MirrorGrid {
 public:
  static constexpr int kColumns = 5;
  static constexpr int kRows = 3;
  static constexpr int kVertices = kColumns * kRows;
  static constexpr int kCentreColumn = 2;

  explicit MirrorGrid(int axis, float offset = 0.0f);

  int axis() const { return axis_; }
  float offset() const { return offset_; }
  // Positions in file order.
  const std::vector<Point3>& Base() const { return base_; }
  // The base moved by an uneven deformation of every vertex along all three axes, so no two
  // vertices move alike and each half differs from the mirror image of the other.
  std::vector<Point3> Sculpt() const;

  // The file index of a cell, and the cell of a file index.
  int At(int column, int row) const;
  int Column(int vertex) const;
  int Row(int vertex) const;
  bool IsCentre(int vertex) const { return Column(vertex) == kCentreColumn; }
  bool OnNegativeSide(int vertex) const { return Column(vertex) < kCentreColumn; }
  bool OnPositiveSide(int vertex) const { return Column(vertex) > kCentreColumn; }
  int Partner(int vertex) const { return At(kColumns - 1 - Column(vertex), Row(vertex)); }
  // The reflection about the mirror plane.
  Point3 Reflect(Point3 p) const;
  // `p` with its coordinate along the mirror axis replaced by the base vertex's: where the centre
  // rule puts a centre vertex.
  Point3 OnPlane(Point3 p, int vertex) const;

  // What Mirror makes of `sculpt` with Align Centre on and no selection: the written side takes the
  // reflection of its partners, centre vertices go onto the plane keeping the rest of their sculpt,
  // the driving side keeps its sculpt.
  std::vector<Point3> Mirrored(const std::vector<Point3>& sculpt, bool negativeWritten) const;
  // What Flip makes of it: every vertex off the plane takes the reflection of its partner; centre
  // vertices as in Mirror.
  std::vector<Point3> Flipped(const std::vector<Point3>& sculpt) const;

  // OBJ text of the grid's faces (quads, in cell order) over `positions` (one per vertex).
  std::string ObjText(const std::vector<Point3>& positions) const;
  // One weight per vertex from weights given by cell, for a selection file.
  std::string WeightsText(const std::vector<float>& byCell) const;
  // Weights in file order from weights given by cell.
  std::vector<float> ByVertex(const std::vector<float>& byCell) const;

 private:
  int axis_;
  float offset_;
  std::vector<int> cellOfVertex_;
  std::vector<int> vertexOfCell_;
  std::vector<Point3> base_;
};

// "x", "y" or "z".
const char* AxisName(int axis);

// Every position equals its expected one to within `tolerance` in each coordinate; failures name
// the vertex.
void ExpectPositions(const std::vector<Point3>& actual, const std::vector<Point3>& expected,
                     float tolerance = 1e-5f);
