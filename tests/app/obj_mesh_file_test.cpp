// OBJ reading and rewriting: strictness with line numbers, byte-for-byte preservation, float round
// trips through real files, and the in-order triangulation.
#include "obj_mesh_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string tempPath(const std::string& leaf) {
  return ::testing::TempDir() + "velomorph_objio_" + std::to_string(getpid()) + "_" + leaf;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

uint32_t bitsOf(float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

ObjMesh parseOk(const std::string& text) {
  ObjReadResult r = ParseObjText(text, "t.obj");
  EXPECT_TRUE(r.ok) << r.error;
  return r.mesh;
}

std::string rewrite(const ObjMesh& mesh, const std::vector<Point3>& positions) {
  std::string text, error;
  EXPECT_TRUE(FormatObjWithPositions(mesh, positions, text, error)) << error;
  return text;
}

// The rewrite of `mesh`, whose file's bytes are `source`, handed over in pieces of `step` bytes.
bool rewriteInPieces(const ObjMesh& mesh, const std::string& source, const std::vector<Point3>& positions,
                     size_t step, std::string& r_text) {
  r_text.clear();
  return RewriteObjInPieces(
      mesh, mesh.positions, positions,
      [&](const std::function<bool(std::string_view)>& take) {
        for (size_t at = 0; at < source.size(); at += step) {
          if (!take(std::string_view(source).substr(at, step))) return false;
        }
        return true;
      },
      [&](std::string_view piece) {
        r_text.append(piece);
        return true;
      });
}

// ---------------------------------------------------------------------------------------------

TEST(ObjRead, KeepsPositionsFacesAndTexCoordsInFileOrder) {
  //  4---3
  //  |   |     a quad and a triangle sharing the edge 2-3
  //  1---2---5
  const ObjMesh m = parseOk(
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\n"
      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvt 0.5\n"
      "f 1/1 2/2 3/3 4/4\nf 2/2 5/5 3/3\n");
  ASSERT_EQ(m.positions.size(), 5u);
  EXPECT_EQ(m.positions[4], Point3(2.0f, 0.0f, 0.0f));
  ASSERT_EQ(m.texCoords.size(), 5u);
  EXPECT_EQ(m.texCoords[4], Point3(0.5f, 0.0f, 0.0f));
  ASSERT_EQ(m.NumFaces(), 2);
  EXPECT_EQ(m.FaceDegree(0), 4);
  EXPECT_EQ(m.FaceDegree(1), 3);
  EXPECT_EQ(m.cornerVertex, (std::vector<int>{0, 1, 2, 3, 1, 4, 2}));
  EXPECT_EQ(m.cornerTexCoord, (std::vector<int>{0, 1, 2, 3, 1, 4, 2}));
  EXPECT_TRUE(m.FaceHasTexCoords(1));
}

TEST(ObjRead, AcceptsEveryCornerFormAndRelativeIndices) {
  const ObjMesh m = parseOk(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n"
      "f 1 2 3\nf 1/1 2/2 3/3\nf 1//1 2//1 3//1\nf 1/1/1 2/2/1 3/3/1\nf -3/-3/-1 -2/-2/-1 -1/-1/-1\n");
  ASSERT_EQ(m.NumFaces(), 5);
  for (int f = 0; f < 5; ++f) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(m.cornerVertex[m.faceStart[f] + c], c) << "face " << f;
  }
  EXPECT_FALSE(m.FaceHasTexCoords(0));
  EXPECT_FALSE(m.FaceHasTexCoords(2));
  EXPECT_TRUE(m.FaceHasTexCoords(4));
  EXPECT_EQ(m.cornerTexCoord[m.faceStart[4] + 2], 2);
  // Texture indices cost nothing until a face has them: the corners before are filled in with -1.
  EXPECT_EQ(m.cornerTexCoord.size(), m.cornerVertex.size());
  EXPECT_EQ(m.cornerTexCoord[m.faceStart[1] - 1], -1);
  EXPECT_TRUE(parseOk("v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1 2 3\nf 1//1 2//1 3//1\n").cornerTexCoord.empty());
}

TEST(ObjRead, RelativeIndicesCountFromTheirOwnLine) {
  const ObjMesh m = parseOk("v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -3\nv 5 5 5\nf -1 -2 -3\n");
  EXPECT_EQ(m.cornerVertex, (std::vector<int>{2, 1, 0, 3, 2, 1}));
}

TEST(ObjRead, PositiveIndicesMayPointAheadWithinTheFile) {
  const ObjMesh m = parseOk("f 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n");
  EXPECT_EQ(m.cornerVertex, (std::vector<int>{0, 1, 2}));
}

TEST(ObjRead, IgnoresWAndColoursAndPassThroughStatements) {
  const ObjMesh m = parseOk(
      "mtllib a.mtl\no head\ng left right\ns 1\nusemtl skin\n"
      "v 1 2 3 1.0\nv 4 5 6 0.1 0.2 0.3\nv 7 8 9 1 0.1 0.2 0.3\n"
      "vp 0.5\nl 1 2 3\np 1\nf 1 2 3 # trailing comment\n");
  ASSERT_EQ(m.positions.size(), 3u);
  EXPECT_EQ(m.positions[1], Point3(4.0f, 5.0f, 6.0f));
  EXPECT_EQ(m.positions[2], Point3(7.0f, 8.0f, 9.0f));
  EXPECT_EQ(m.NumFaces(), 1);
}

TEST(ObjRead, HandlesCrlfLoneCrAndContinuations) {
  const ObjMesh crlf = parseOk("v 1 2 3\r\nv 4 5 6\r\nv 7 8 9\r\nf 1 2 3\r\n");
  EXPECT_EQ(crlf.positions[2], Point3(7.0f, 8.0f, 9.0f));
  const ObjMesh cr = parseOk("v 1 2 3\rv 4 5 6\rv 7 8 9\rf 1 2 3\r");
  EXPECT_EQ(cr.positions.size(), 3u);
  const ObjMesh joined = parseOk("v 1 2 \\\n 3\nv 4 5 6\nv 7 8 9\nf 1 \\\r\n2 3\n");
  EXPECT_EQ(joined.positions[0], Point3(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(joined.cornerVertex, (std::vector<int>{0, 1, 2}));
}

TEST(ObjRead, UnderflowBecomesZeroAndPlusSignIsAccepted) {
  const ObjMesh m = parseOk("v 1e-60 -1e-60 +2.5\n");
  EXPECT_EQ(bitsOf(m.positions[0].x), bitsOf(0.0f));
  EXPECT_EQ(bitsOf(m.positions[0].y), bitsOf(-0.0f));
  EXPECT_EQ(m.positions[0].z, 2.5f);
}

// Each damaged file must be refused, naming the file and the line where the damage is.
struct BadObj {
  const char* text;
  int line;
  const char* mentions;
};
void PrintTo(const BadObj& bad, std::ostream* os) { *os << "line " << bad.line << ": " << bad.mentions; }

class ObjParseErrors : public ::testing::TestWithParam<BadObj> {};

TEST_P(ObjParseErrors, ReportsFileAndLine) {
  const BadObj& bad = GetParam();
  const ObjReadResult r = ParseObjText(bad.text, "bad.obj");
  ASSERT_FALSE(r.ok);
  const std::string prefix = "bad.obj:" + std::to_string(bad.line) + ": ";
  EXPECT_EQ(r.error.compare(0, prefix.size(), prefix), 0) << r.error;
  EXPECT_NE(r.error.find(bad.mentions), std::string::npos) << r.error;
  EXPECT_EQ(r.error.find('\n'), std::string::npos) << "message must be one line";
  EXPECT_TRUE(r.mesh.positions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    DamagedFiles, ObjParseErrors,
    ::testing::Values(
        BadObj{"v 0 0 0\nv 1 2\n", 2, "three numbers"},
        BadObj{"v 0 0 0\nv\n", 2, "three numbers"},
        BadObj{"v 1 2 3 4 5\n", 1, "5 numbers"},
        BadObj{"v 1 2 3 4 5 6 7 8\n", 1, "8 numbers"},
        BadObj{"# c\nv 1 abc 3\n", 2, "'abc' is not a number"},
        BadObj{"v 1 2 3x\n", 1, "'3x' is not a number"},
        BadObj{"v 1 2,5 3\n", 1, "not a number"},
        BadObj{"v 0x10 0 0\n", 1, "not a number"},
        BadObj{"v 1 2 3 1 0.5 zz\n", 1, "'zz' is not a number"},
        BadObj{"v 1 nan 3\n", 1, "not a finite number"},
        BadObj{"v 1 2 -inf\n", 1, "not a finite number"},
        BadObj{"v 1 2 infinity\n", 1, "not a finite number"},
        BadObj{"v 1e39 2 3\n", 1, "not a finite number"},
        BadObj{"v 1 2 3\nvt 0.5 nan\n", 2, "not a finite number"},
        BadObj{"v 1 2 3\nvt\n", 2, "vt line"},
        BadObj{"v 1 2 3\nvt 1 2 3 4\n", 2, "vt line"},
        BadObj{"v 1 2 3\nvn 0 1\n", 2, "vn line"},
        BadObj{"v 1 2 3\nvn 0 q 1\n", 2, "'q' is not a number"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n", 4, "vertex 4, but the file has 3"},
        BadObj{"v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\nf 1 2 9\n", 5, "vertex 9"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -4\n", 4, "only 3 vertices come before"},
        BadObj{"f -1 -2 -3\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", 1, "only 0 vertices"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", 4, "index 0"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 99999999999999999999999\n", 4, "out of range"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3000000000\n", 4, "out of range"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/2 3/1\n", 5, "texture coordinate 2"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//2 3//1\n", 5, "normal 2"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2 3/1\n", 5, "mixes"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", 4, "three corners"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 x\n", 4, "'x' is not a valid face corner"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/ 2 3\n", 4, "not a valid face corner"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1// 2 3\n", 4, "not a valid face corner"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/1/1 2 3\n", 4, "not a valid face corner"},
        BadObj{"v 0 0 0\nv 1 0 0\nv 0 1 0\nf +1 2 3\n", 4, "not a valid face corner"},
        BadObj{"v 0 0 0\nv 1 0 0\nl 1 7\n", 3, "polyline names vertex 7"},
        BadObj{"v 0 0 0\nl 1\n", 2, "polyline needs at least two vertices"},
        BadObj{"v 0 0 0\nf 1 1 2\n", 2, "vertex 2, but the file has 1 vertex"},
        BadObj{"v 0 0 0\np 1/1\n", 2, "not a valid point corner"},
        BadObj{"v 0 0 0\nvv 1 2 3\n", 2, "unknown statement 'vv'"},
        BadObj{"v 0 0 0\n\x89PNG\x01\x02\n", 2, "unknown statement '?PNG?"},
        // After a continuation the damage is reported on the physical line that holds it.
        BadObj{"v 1 2 \\\n 3\nv 4 \\\n 5 x\n", 4, "'x' is not a number"},
        BadObj{"v 1 2 3\r\nv 4 5 6\r\nv 7 8 nan\r\n", 3, "not a finite number"}));

TEST(ObjReadFile, RefusesMissingUnreadableAndEmptyFiles) {
  const std::string missing = tempPath("missing.obj");
  ObjReadResult r = ReadObjFile(missing);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, missing + ": cannot open: No such file or directory");

  r = ReadObjFile(::testing::TempDir());
  EXPECT_FALSE(r.ok);
  // Linux opens a folder and refuses it by its kind; Windows refuses to open it.
#if defined(_WIN32)
  const std::string refusal = ": cannot open";
#else
  const std::string refusal = ": is a folder, not a file";
#endif
  EXPECT_EQ(r.error.find(::testing::TempDir() + refusal), 0u) << r.error;

  const std::string empty = tempPath("empty.obj");
  writeAll(empty, "# nothing here\n\n");
  r = ReadObjFile(empty);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, empty + ": contains no vertices");
  std::remove(empty.c_str());
}

TEST(ObjReadFile, KeepsTheFileBytes) {
  const std::string path = tempPath("bytes.obj");
  const std::string text = "v 1 2 3\r\nv 4 5 6\nv 7 8 9\n# end";
  writeAll(path, text);
  const ObjReadResult r = ReadObjFile(path);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.mesh.source, text);
  std::remove(path.c_str());
}

// ---------------------------------------------------------------------------------------------

TEST(ObjWrite, ChangesOnlyTheCoordinatesOfVLines) {
  const std::string before =
      "# exported by hand\r\n"
      "mtllib head.mtl\r\n"
      "o head\r\n"
      "v  1.000000\t2.000000   3.000000\r\n"
      "v 4 5 6 1.0 0.25 0.5 0.75   # coloured\r\n"
      "v 7 8 \\\r\n 9\r\n"
      "vt 0.000000 1.000000\r\n"
      "vn 0.0 0.0 1.0\r\n"
      "g left\r\n"
      "usemtl skin\r\n"
      "s off\r\n"
      "f 1/1/1 2/1/1 3/1/1\r\n"
      "\r\n"
      "# no line end at the very end";
  const ObjMesh m = parseOk(before);
  const std::string after = rewrite(m, {Point3(-1.5f, 0.1f, 1e-7f), Point3(10.0f, 20.0f, 30.0f),
                                        Point3(0.0f, -0.0f, 123456.0f)});
  const std::string expected =
      "# exported by hand\r\n"
      "mtllib head.mtl\r\n"
      "o head\r\n"
      "v  -1.5\t0.1   1e-07\r\n"
      "v 10 20 30 1.0 0.25 0.5 0.75   # coloured\r\n"
      "v 0 -0 \\\r\n 123456\r\n"
      "vt 0.000000 1.000000\r\n"
      "vn 0.0 0.0 1.0\r\n"
      "g left\r\n"
      "usemtl skin\r\n"
      "s off\r\n"
      "f 1/1/1 2/1/1 3/1/1\r\n"
      "\r\n"
      "# no line end at the very end";
  EXPECT_EQ(after, expected);
}

TEST(ObjWrite, UnchangedPositionsInShortestFormReproduceTheFile) {
  const std::string text = "v 0.5 -2 1e-05\nvn 0 1 0\nv 3 4 5\n";
  const ObjMesh m = parseOk(text);
  EXPECT_EQ(rewrite(m, m.positions), text);
}

TEST(ObjWrite, RandomFloatsReadBackBitForBitThroughAFile) {
  // Random bit patterns cover every exponent, subnormals and signed zeros, not just "nice" values.
  std::mt19937 rng(20240611u);
  std::string text;
  const int count = 5000;
  for (int i = 0; i < count; ++i) text += "v 0 0 0\n";
  text += "f 1 2 3\n";
  const ObjMesh m = parseOk(text);
  std::vector<Point3> positions(count);
  for (Point3& p : positions) {
    for (int axis = 0; axis < 3; ++axis) {
      float f;
      do {
        const uint32_t bits = rng();
        std::memcpy(&f, &bits, sizeof f);
      } while (!std::isfinite(f));
      p[axis] = f;
    }
  }
  positions[0] = Point3(-0.0f, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max());
  positions[1] = Point3(std::numeric_limits<float>::lowest(), std::numeric_limits<float>::min(), 0.1f);

  const std::string path = tempPath("roundtrip.obj");
  std::string error;
  ASSERT_TRUE(WriteObjWithPositions(m, positions, path, error)) << error;
  const ObjReadResult back = ReadObjFile(path);
  ASSERT_TRUE(back.ok) << back.error;
  ASSERT_EQ(back.mesh.positions.size(), positions.size());
  for (int i = 0; i < count; ++i) {
    for (int axis = 0; axis < 3; ++axis)
      ASSERT_EQ(bitsOf(back.mesh.positions[i][axis]), bitsOf(positions[i][axis])) << "vertex " << i;
  }
  std::remove(path.c_str());
}

TEST(ObjWrite, OverwritesTheFileItWasReadFrom) {
  const std::string path = tempPath("inplace.obj");
  writeAll(path, "v 1 1 1\nv 2 2 2\nv 3 3 3\nf 1 2 3\n");
  const ObjReadResult r = ReadObjFile(path);
  ASSERT_TRUE(r.ok) << r.error;
  std::string error;
  ASSERT_TRUE(WriteObjWithPositions(r.mesh, {Point3(9, 9, 9), Point3(8, 8, 8), Point3(7, 7, 7)}, path, error));
  EXPECT_EQ(readAll(path), "v 9 9 9\nv 8 8 8\nv 7 7 7\nf 1 2 3\n");
  std::remove(path.c_str());
}

TEST(ObjWrite, ReadsTheSourceAgainInPiecesOfAnySizeAndRefusesOneThatChanged) {
  const std::string source =
      "# tricky\r\nv 1 2 3\r\nv  4\\\n 5 6 1.0 # w and a comment\nvt 0 0\nv 7 8 9\nv 10 11 12\nf 1 2 3 4\n";
  const ObjMesh m = parseOk(source);
  const std::vector<Point3> moved = {Point3(-1, 2, 3), Point3(4.0f, 5.5f, 6.0f), Point3(7, 8, 9), Point3(0.25f, 11.0f, -12.0f)};
  const std::string whole = rewrite(m, moved);
  EXPECT_EQ(whole, "# tricky\r\nv -1 2 3\r\nv  4\\\n 5.5 6 1.0 # w and a comment\nvt 0 0\nv 7 8 9\nv 0.25 11 -12\nf 1 2 3 4\n");
  for (size_t step = 1; step < 20; ++step) {
    std::string pieced;
    ASSERT_TRUE(rewriteInPieces(m, source, moved, step, pieced));
    EXPECT_EQ(pieced, whole) << "pieces of " << step;
  }

  // Let go of and read again from its file; refused once the file changed, and nothing written.
  const std::string in = tempPath("again.obj"), out = tempPath("again_out.obj");
  writeAll(in, source);
  ObjReadResult r = ReadObjFile(in);
  ASSERT_TRUE(r.ok) << r.error;
  const std::vector<Point3> asRead = r.mesh.positions;
  KeepOnlyWhatRewritingNeeds(r.mesh);
  EXPECT_FALSE(r.mesh.source.empty());  // whether its result may come from the file read again is the caller's call
  LetGoOfSource(r.mesh);
  EXPECT_TRUE(r.mesh.source.empty());
  std::string error;
  // Its positions as read went too: without them it is refused, not read past the end.
  EXPECT_FALSE(WriteObjWithPositions(r.mesh, moved, out, error));
  EXPECT_NE(error.find("positions the mesh file was read with are not at hand"), std::string::npos) << error;
  ASSERT_TRUE(WriteObjWithPositions(r.mesh, asRead, moved, out, error)) << error;
  EXPECT_EQ(readAll(out), whole);
  writeAll(in, source + "# edited\n");
  EXPECT_FALSE(WriteObjWithPositions(r.mesh, asRead, asRead, out, error));
  EXPECT_EQ(error, in + ": changed since it was read; " + out + " was not written");
  EXPECT_EQ(readAll(out), whole);
  std::remove(in.c_str());
  std::remove(out.c_str());
}

// A moved vertex whose statement runs on over a great many continued lines, cut by the pieces:
// completed as it would be in one piece, in one pass (looked again at after every line, it ran for a
// quarter of an hour, past the time limit).
TEST(ObjWrite, CompletesAStatementOfManyContinuedLinesCutByPieces) {
  std::string continued;
  for (int line = 0; line < 1000000; ++line) continued += line % 2 ? "\\\n" : "\\\r\n";
  const std::string source = "v 1 " + continued + "2 3\nv 4 5 6\n";
  const ObjMesh m = parseOk(source);
  const std::vector<Point3> moved = {Point3(1.0f, 2.0f, 3.5f), Point3(4, 5, 6)};
  std::string pieced;
  ASSERT_TRUE(rewriteInPieces(m, source, moved, size_t(1) << 16, pieced));
  EXPECT_EQ(pieced, "v 1 " + continued + "2 3.5\nv 4 5 6\n");
}

TEST(ObjWrite, RefusesWrongCountNonFinitePositionsAndUnwritablePaths) {
  const ObjMesh m = parseOk("v 1 1 1\nv 2 2 2\n");
  std::string text = "untouched", error;
  EXPECT_FALSE(FormatObjWithPositions(m, {Point3(0, 0, 0)}, text, error));
  EXPECT_NE(error.find("1 positions over a mesh file of 2"), std::string::npos) << error;
  EXPECT_FALSE(FormatObjWithPositions(m, {Point3(0, 0, 0), Point3(0.0f, NAN, 0.0f)}, text, error));
  EXPECT_NE(error.find("vertex 2"), std::string::npos) << error;
  EXPECT_EQ(text, "untouched");

  const std::string path = tempPath("no_such_dir/out.obj");
  EXPECT_FALSE(WriteObjWithPositions(m, m.positions, path, error));
  // What failed is the folder, which is not there.
  EXPECT_EQ(error, tempPath("no_such_dir") + ": no such folder (writing " + path + ")");
}

// ---------------------------------------------------------------------------------------------

// Each triangle as (face, vertex, vertex, vertex, texture coordinate of its first corner).
std::vector<std::array<int, 5>> trianglesOf(const ObjMesh& m) {
  std::vector<std::array<int, 5>> out;
  ForEachTriangleInOrder(m, [&](int face, int c0, int c1, int c2) {
    out.push_back({face, m.cornerVertex[size_t(c0)], m.cornerVertex[size_t(c1)], m.cornerVertex[size_t(c2)],
                   m.CornerTexCoord(size_t(c0))});
  });
  EXPECT_EQ(out.size(), TriangleCount(m));
  return out;
}

TEST(ObjTriangulate, FansEachPolygonInFaceOrder) {
  //  a pentagon 1..5, then a triangle 6 7 8, then a quad 2 6 8 9 (with texture coordinates)
  const ObjMesh m = parseOk(
      "v 0 0 0\nv 1 0 0\nv 2 1 0\nv 1 2 0\nv 0 1 0\nv 3 0 0\nv 4 0 0\nv 4 1 0\nv 3 1 0\n"
      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
      "f 1 2 3 4 5\nf 6 7 8\nf 2/1 6/2 8/3 9/4\n");
  const std::vector<std::array<int, 5>> expected = {{0, 0, 1, 2, -1}, {0, 0, 2, 3, -1}, {0, 0, 3, 4, -1},
                                                    {1, 5, 6, 7, -1}, {2, 1, 5, 7, 0},   {2, 1, 7, 8, 0}};
  EXPECT_EQ(trianglesOf(m), expected);
  EXPECT_TRUE(trianglesOf(parseOk("v 0 0 0\n")).empty());
}

}  // namespace
