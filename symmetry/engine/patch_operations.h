// Mirror, Flip and Reset on a patch mesh, on plain arrays: the vertices' positions follow the vertex
// rules of vertex_operations.h (there is no base-selection mask and no selection record on patches),
// each vertex's flags word travels with its position, and the Bezier handle vectors follow rules of
// their own in the same pattern. Also the owner search the vector rules rely on. Nothing here knows a
// scene object.
//
// Vertices are visited first, in index order, then vectors, in index order; everything is written in
// place, so later visits read what earlier ones wrote (Flip reflects from copies taken first). All
// arithmetic is in 32-bit floats.
#pragma once

#include "matrix3.h"
#include "symmetry/engine/vertex_operations.h"

// The patch as the operations change it. Every pointer may be null only when its count is 0.
struct PatchArrays {
  PatchArrays() : verts(nullptr), vertFlags(nullptr), numVerts(0), vecs(nullptr), recordedOwners(nullptr), numVecs(0) {}

  Point3* verts;     // P: numVerts positions
  DWORD* vertFlags;  // F: numVerts flags words, copied whole
  int numVerts;
  Point3* vecs;      // V: numVecs positions
  // The owner vertex each vector records in the patch itself (numVecs entries, any value; one
  // outside the vertices counts as unselected). Read by Reset only.
  const int* recordedOwners;
  int numVecs;
};

// The captured target and its tables, with the same counts as the patch (numVerts entries for the
// vertex tables, numVecs for the vector tables).
struct PatchTarget {
  PatchTarget()
      : verts(nullptr), vertFlags(nullptr), vertMatch(nullptr), vecs(nullptr), vecMatch(nullptr), vecOwner(nullptr) {}

  const Point3* verts;     // T
  const DWORD* vertFlags;  // TF
  const int* vertMatch;    // M: each a vertex index below numVerts
  const Point3* vecs;      // TV
  const int* vecMatch;     // VM: each a vector index below numVecs
  // VO: the nearest target vertex of each vector; a value outside the vertices means the vector has
  // no owner and follows no selection.
  const int* vecOwner;
};

// `options.selectionOnly` plays no part on patches. `selection` is the patch's vertex selection (hard
// bits and soft weights); a vector follows the selection of its owner vertex, never its own.
void MirrorPatch(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
                 const OperationOptions& options, const VertexSelection& selection);
void FlipPatch(const PatchArrays& patch, const PatchTarget& target, const Matrix3& mirror,
               const OperationOptions& options, const VertexSelection& selection);
// Reset takes no partners (target.vertMatch, vecMatch and vecOwner are not read). With the selection
// respected, a vector follows its recorded owner when that one is selected, otherwise the target
// vertex nearest to its target position (FindOwnerVertices).
void ResetPatch(const PatchArrays& patch, const PatchTarget& target, const OperationOptions& options,
                const VertexSelection& selection);

// For each of `count` points, the vertex nearest to it (32-bit float squared distance between the
// plain positions, the lowest index among equal distances), however far away: the answer of a search
// with the match threshold whenever that one finds a vertex, and never a vertex chosen for another
// point when it finds none. -1 only when no vertex lies at a finite distance (no vertices, or a
// point that is not finite). r_owners: `count` entries.
void FindOwnerVertices(const Point3* points, int count, const Point3* vertices, int vertexCount, int* r_owners);
void FindOwnerVerticesBruteForce(const Point3* points, int count, const Point3* vertices, int vertexCount,
                                 int* r_owners);
