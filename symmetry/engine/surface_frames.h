// Local surface frames of triangle meshes, used to carry an offset from one surface onto another
// that shares its vertex numbering: the offset is expressed in the first surface's frame at a
// vertex and re-applied in the second's frame at the same vertex.
//
// A vertex's frame is built from its area-weighted normal and one texture direction of map
// channel 1 (the U or the V direction, summed over the vertex's triangles and normalised). Pure
// functions over plain arrays; nothing is owned or kept.
#pragma once

#include <vector>

#include "matrix3.h"
#include "mesh.h"

// A triangle mesh as the frames read it. Nothing is owned; every pointer may be null when its
// count is 0. The map channel is optional: mapFaces (one per face) and mapVerts both null when the
// mesh has none.
struct SurfaceTriangles {
  SurfaceTriangles()
      : positions(nullptr), positionCount(0), faces(nullptr), faceCount(0), mapFaces(nullptr), mapVerts(nullptr),
        mapVertCount(0) {}

  const Point3* positions;
  int positionCount;
  const Face* faces;
  int faceCount;
  const TVFace* mapFaces;
  const Point3* mapVerts;  // x is u, y is v
  int mapVertCount;

  bool HasMapping() const { return mapFaces != nullptr && mapVerts != nullptr; }
};

// Per-vertex unit vectors: the area-weighted normal and the U and V texture directions.
struct VertexDirections {
  std::vector<Point3> normals;
  std::vector<Point3> u;  // empty unless asked for
  std::vector<Point3> v;  // empty unless asked for
};

enum TextureDirections { kU, kV, kBoth };

// Fills `count` entries of the normals and of the texture directions asked for. A triangle with a
// vertex index at or above `count` or the mesh's positionCount adds nothing; one whose map corners
// lie outside mapVerts adds its normal but no directions. An entry no triangle reaches is (0, 0, 0).
void BuildVertexDirections(const SurfaceTriangles& mesh, int count, TextureDirections which,
                           VertexDirections& r_directions);

struct SurfaceFrameOptions {
  SurfaceFrameOptions() : tangentIsV(false), orthonormal(false) {}

  bool tangentIsV;   // UVDominance other than 0: the V direction is the frame's tangent
  bool orthonormal;  // NormXforms: orthonormalise the frame around the normal
};

// The frame at a vertex, translation zero. Orthonormal: a = |n x d|, b = |n x a|, c = |n x b| and
// rows c, b, n. Otherwise rows d, n x d, n.
Matrix3 SurfaceFrame(const Point3& normal, const Point3& tangent, bool orthonormal);

// Carries each of `count` offsets, in place, from the frame of `from` at its vertex to the frame of
// `to` at the same vertex: o = o * Inverse(F_from) * F_to. The directions are built over
// `tableCount` vertices (count must not exceed it), so triangles reaching vertices in
// [count, tableCount) still shape the frames below count.
//
// An offset stays as it is where it cannot be carried: at every vertex when either mesh has no map
// channel, and at a vertex whose `from` frame is singular (no normal, no tangent, or a tangent
// along the normal).
void TransportOffsets(const SurfaceTriangles& from, const SurfaceTriangles& to, int tableCount,
                      const SurfaceFrameOptions& options, Point3* offsets, int count);
