// Wavefront OBJ meshes for the command-line host: a strict reader, a writer that rewrites only the
// vertex coordinates of the file it read, and the in-order triangulation of its polygons.
//
// The reader keeps what the modifier needs (positions, polygons, texture coordinates for map
// channel 1) and, for the writer, the file's own bytes and where each `v` line's coordinates sit in
// them. Every other statement (normals, groups, materials, smoothing, comments, free-form data) is
// checked where it can be damaged and otherwise carried through the writer untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "file_paths.h"
#include "point3.h"
#include "positions_view.h"

// Files above this size are refused before parsing; a dense mesh of a million vertices with
// normals and texture coordinates takes about 200 MB.
constexpr size_t kMaxObjFileBytes = size_t(1) << 30;
// Meshes with more vertices are refused as they are read. Memory grows with the vertex count, not
// the file's size (a `v 0 0 0` line is 8 bytes; the work on its vertex takes a hundred or more), so
// without this a file of nothing but short `v` lines could ask for tens of gigabytes.
constexpr size_t kMaxObjVertices = size_t(1) << 25;
// Faces and face corners are limited alike: a face line of a few bytes (`f 1 2 3`) costs tens of
// bytes in the reader and more in every host object built from it (docs/bad_input.md gives the
// figures), so a file of nothing but short face lines must not ask for tens of gigabytes either.
// 2^25 faces and 2^27 corners (four a face at the face limit) are as many as the vertex limit's
// meshes have.
constexpr size_t kMaxObjFaces = size_t(1) << 25;
constexpr size_t kMaxObjCorners = size_t(1) << 27;

struct ObjMesh {
  // One per `v` line, in file order; a w and any vertex colour after x y z are not kept here.
  std::vector<Point3> positions;
  // One per `vt` line, in file order, as (u, v, w); a missing v or w is 0.
  std::vector<Point3> texCoords;
  // Face f has the corners faceStart[f] .. faceStart[f + 1] - 1; faceStart has NumFaces() + 1
  // entries (just {0} for a mesh without faces). Every face has at least three corners.
  std::vector<int> faceStart = {0};
  // Per corner, 0-based and resolved (relative indices made absolute): an index into positions.
  std::vector<int> cornerVertex;
  // Per corner, an index into texCoords, or -1 throughout a face written without texture
  // coordinates (a face never mixes the two). Empty while no face has texture coordinates, so a mesh
  // without them spends nothing on it: read through CornerTexCoord.
  std::vector<int> cornerTexCoord;

  // The file as read, byte for byte, and for each position where its `v` line's x token starts in
  // it (y and z are the statement's next two tokens). Four bytes a vertex: a file of nothing but
  // short `v` lines must not cost many times its size.
  std::string source;
  std::vector<uint32_t> coordStart;
  // The file the mesh was read from and its stamp then (empty for standard input or text given in
  // memory). Once the source is let go, the writer reads the file again, refusing to write if it
  // changed.
  std::string sourceFile;
  FileStamp sourceStamp;

  // A mesh read from a file always has bytes: none left means they were let go (LetGoOfSource).
  bool SourceLetGo() const { return source.empty() && !sourceFile.empty(); }
  int NumFaces() const { return static_cast<int>(faceStart.size()) - 1; }
  int FaceDegree(int face) const { return faceStart[face + 1] - faceStart[face]; }
  int CornerTexCoord(size_t corner) const { return cornerTexCoord.empty() ? -1 : cornerTexCoord[corner]; }
  bool FaceHasTexCoords(int face) const { return CornerTexCoord(size_t(faceStart[face])) >= 0; }
};

struct ObjReadResult {
  bool ok = false;
  ObjMesh mesh;
  // When !ok: one line naming the file and, for a parse error, the line ("head.obj:12: ...").
  std::string error;
};

// Reads and parses `path`. Refuses files larger than kMaxObjFileBytes, unreadable files, any parse
// error, and files with no vertices.
ObjReadResult ReadObjFile(const std::string& path);

// Parses OBJ text already in memory; `name` stands for the file in messages. The result's source is
// a copy of `text`.
ObjReadResult ParseObjText(std::string_view text, const std::string& name);

// The source file with the coordinates of its `v` lines replaced, in order, by `positions` (one per
// source position). A coordinate whose float is bit for bit the one read keeps its text, so a vertex
// the modifier did not move is written as it was; any other is written in the shortest form that
// reads back to the same float. Spacing,
// a trailing w or colour, comments and the line ending of each `v` line, and every other line,
// are kept byte for byte. Returns false with r_error set when the count differs from the source's
// or a position is not finite (the file could not be read back).
bool FormatObjWithPositions(const ObjMesh& source, const std::vector<Point3>& positions,
                            std::string& r_text, std::string& r_error);

// FormatObjWithPositions, written to `path` (created or truncated). `path` may be the file that
// `source` was read from: its bytes are held in memory, or read again into the new file before it
// replaces the old. When the source was let go and its file changed since it was read, nothing is
// written and r_error says so.
bool WriteObjWithPositions(const ObjMesh& source, const std::vector<Point3>& positions,
                           const std::string& path, std::string& r_error);
// The same with the positions the file holds (`asRead`, in its vertex order) given apart from the
// mesh, for a mesh whose positions now live in a host object.
bool WriteObjWithPositions(const ObjMesh& source, PositionsView asRead, PositionsView positions,
                           const std::string& path, std::string& r_error);

// The rewrite itself, for a source whose bytes `sourceBytes` hands over in pieces of any size, in
// order; the result goes to `put` in pieces. False when either gives up or the bytes end early.
bool RewriteObjInPieces(const ObjMesh& source, PositionsView asRead, PositionsView positions,
                        const FilePieces& sourceBytes, const std::function<bool(std::string_view)>& put);

// Frees the file's bytes when the mesh came from a file that can be read again (the writer then
// reads it again); a mesh from standard input or memory keeps them.
void LetGoOfSource(ObjMesh& mesh);

// Frees what a host object built from the mesh now holds (positions, faces, texture coordinates):
// what stays is what WriteObjWithPositions needs, given the positions as read. The file's bytes
// stay too unless LetGoOfSource let them go, since only the caller knows whether its result may be
// made from the file read again.
void KeepOnlyWhatRewritingNeeds(ObjMesh& mesh);

// The polygons as triangles, for the triangle-mesh form: each face, in face order, becomes the fan
// (c0, c1, c2), (c0, c2, c3), ... of its corners c0..cn-1, so a face of n corners gives n - 2
// triangles and the triangles of face f follow those of face f - 1. `visit(face, c0, c1, c2)` is
// called once a triangle with its corner numbers (indices into cornerVertex and cornerTexCoord).
template <class Visit>
void ForEachTriangleInOrder(const ObjMesh& mesh, Visit&& visit) {
  for (int face = 0; face < mesh.NumFaces(); ++face) {
    const int c0 = mesh.faceStart[size_t(face)];
    for (int c = c0 + 1; c + 1 < mesh.faceStart[size_t(face) + 1]; ++c) visit(face, c0, c, c + 1);
  }
}
// How many triangles that gives.
size_t TriangleCount(const ObjMesh& mesh);
