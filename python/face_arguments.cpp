#include "python/face_arguments.h"

#include <pybind11/numpy.h>

#include <cstdint>
#include <string>

namespace {

void addCorner(FaceCorners& faces, py::handle index, py::ssize_t vertexCount, std::size_t face) {
  if (!py::isinstance<py::int_>(index) && !py::hasattr(index, "__index__")) {
    throw py::type_error("faces[" + std::to_string(face) + "] must hold integer vertex indices, not " +
                         std::string(py::str(py::type::of(index).attr("__name__"))));
  }
  const long long v = index.cast<long long>();
  if (v < 0 || v >= vertexCount) {
    throw py::value_error("faces[" + std::to_string(face) + "] names vertex " + std::to_string(v) +
                          ", not a vertex index 0.." + std::to_string(vertexCount - 1));
  }
  faces.cornerVertex.push_back(int(v));
}

void endFace(FaceCorners& faces, std::size_t face) {
  if (faces.cornerVertex.size() - std::size_t(faces.faceStart.back()) < 3) {
    throw py::value_error("faces[" + std::to_string(face) + "] has fewer than three corners");
  }
  faces.faceStart.push_back(int(faces.cornerVertex.size()));
}

}  // namespace

FaceCorners FacesArgument(py::handle value, py::ssize_t vertexCount) {
  if (value.is_none()) throw py::value_error("faces must be given for pairing=\"topology\"");
  FaceCorners faces;
  faces.faceStart.push_back(0);
  if (py::isinstance<py::array>(value)) {
    const py::array a = py::reinterpret_borrow<py::array>(value);
    const char kind = a.dtype().kind();
    if (kind != 'i' && kind != 'u') {
      throw py::type_error("faces must hold integer vertex indices, not " + std::string(py::str(a.dtype())));
    }
    if (a.ndim() != 2) throw py::value_error("faces must be an (F, k) array or a sequence of faces");
    const auto cells = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(a);
    const py::ssize_t count = a.shape(0), corners = a.shape(1);
    faces.cornerVertex.reserve(std::size_t(count * corners));
    const std::int64_t* v = cells.data();
    for (py::ssize_t f = 0; f < count; ++f) {
      for (py::ssize_t k = 0; k < corners; ++k) {
        const std::int64_t index = v[f * corners + k];
        if (index < 0 || index >= vertexCount) {
          throw py::value_error("faces[" + std::to_string(f) + "] names vertex " + std::to_string(index) +
                                ", not a vertex index 0.." + std::to_string(vertexCount - 1));
        }
        faces.cornerVertex.push_back(int(index));
      }
      endFace(faces, std::size_t(f));
    }
    return faces;
  }
  if (!py::isinstance<py::sequence>(value) || py::isinstance<py::str>(value)) {
    throw py::type_error("faces must be an (F, k) integer array or a sequence of faces");
  }
  std::size_t f = 0;
  for (py::handle face : value) {
    if (!py::isinstance<py::sequence>(face) || py::isinstance<py::str>(face)) {
      throw py::type_error("faces[" + std::to_string(f) + "] must be a sequence of vertex indices");
    }
    for (py::handle index : face) addCorner(faces, index, vertexCount, f);
    endFace(faces, f);
    ++f;
  }
  return faces;
}
