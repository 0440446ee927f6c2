// The faces of a mesh as the module takes them for topology pairing: an (F, k) integer array of
// polygons with k corners each (k >= 3), or a sequence of sequences of vertex indices (polygons of
// any size), 0-based, in the mesh's own winding. Refusals name the argument: TypeError for a value
// that is not integers, ValueError for a face of fewer than three corners or an index outside 0..n-1.
#pragma once

#include <pybind11/pybind11.h>

#include <vector>

namespace py = pybind11;

struct FaceCorners {
  std::vector<int> faceStart;     // F + 1 entries: face f's corners are [faceStart[f], faceStart[f + 1])
  std::vector<int> cornerVertex;  // each a vertex index below the vertex count
};

FaceCorners FacesArgument(py::handle value, py::ssize_t vertexCount);
