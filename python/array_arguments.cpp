// Checking and converting the module's arguments.
#include "python/array_arguments.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string typeName(py::handle value) { return py::str(py::type::handle_of(value).attr("__name__")); }

std::string shapeText(const py::array& a) {
  std::string text = "(";
  for (py::ssize_t d = 0; d < a.ndim(); ++d) text += (d > 0 ? ", " : "") + std::to_string(a.shape(d));
  return text + (a.ndim() == 1 ? ",)" : ")");
}

// Anything numpy reads as an array, as one: TypeError for None, ValueError with numpy's reason for
// what it cannot read (ragged lists).
py::array asArray(py::handle value, const char* name) {
  if (value.is_none()) throw py::type_error(std::string(name) + " must be an array, not None");
  if (py::isinstance<py::array>(value)) return py::reinterpret_borrow<py::array>(value);
  try {
    return py::module_::import("numpy").attr("asarray")(value);
  } catch (py::error_already_set& e) {
    throw py::value_error(std::string(name) + " cannot be read as an array: " + e.what());
  }
}

// ensure()'s result, which is empty when numpy could not convert (it drops numpy's error).
template <class Array>
Array converted(Array a, const char* name) {
  if (!a) throw py::value_error(std::string(name) + " could not be converted to the type the engine reads");
  return a;
}

char dtypeKind(const py::array& a) { return a.dtype().kind(); }

void requireVertexCount(py::ssize_t n, const char* name) {
  if (n > INT_MAX) throw py::value_error(std::string(name) + " has more vertices than velomorph takes (2147483647)");
}

// The first of n indices outside 0..n-1, or -1: one branch-free pass, then a search of the block
// that failed.
template <class Index>
std::int64_t FirstOutOfRange(const Index* p, std::int64_t n) {
  constexpr std::int64_t kBlock = 4096;
  for (std::int64_t first = 0; first < n; first += kBlock) {
    const std::int64_t end = first + kBlock < n ? first + kBlock : n;
    bool outside = false;
    for (std::int64_t k = first; k < end; ++k) outside |= static_cast<std::uint64_t>(p[k]) >= static_cast<std::uint64_t>(n);
    if (!outside) continue;
    for (std::int64_t k = first; k < end; ++k) {
      if (static_cast<std::uint64_t>(p[k]) >= static_cast<std::uint64_t>(n)) return k;
    }
  }
  return -1;
}

}  // namespace

FloatArray PositionsArgument(py::handle value, const char* name) {
  const py::array a = asArray(value, name);
  if (dtypeKind(a) != 'f') {
    throw py::type_error(std::string(name) + " must hold floats (float32, or float64 converted once), not " +
                         std::string(py::str(a.dtype())));
  }
  if (a.ndim() != 2 || a.shape(1) != 3) {
    throw py::value_error(std::string(name) + " must have shape (N, 3), not " + shapeText(a));
  }
  requireVertexCount(a.shape(0), name);
  return converted(FloatArray::ensure(a), name);
}

void RequireRows(const py::array& array, py::ssize_t rows, const char* name, const char* reference) {
  if (array.shape(0) != rows) {
    throw py::value_error(std::string(name) + " has " + std::to_string(array.shape(0)) + " vertices, " + reference +
                          " has " + std::to_string(rows));
  }
}

IndexArray PartnersArgument(py::handle value, py::ssize_t n) {
  const py::array a = asArray(value, "partners");
  const char kind = dtypeKind(a);
  if (kind != 'i' && kind != 'u') {
    throw py::type_error("partners must hold integers (int32, as pair() returns them), not " +
                         std::string(py::str(a.dtype())));
  }
  if (a.ndim() != 1) throw py::value_error("partners must have shape (N,), not " + shapeText(a));
  RequireRows(a, n, "partners", "base");
  // Another integer type is checked as 64-bit integers, before narrowing could wrap a value into range.
  py::array checked = a;
  if (!a.dtype().is(py::dtype::of<std::int32_t>())) {
    checked = converted(py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(a), "partners");
  }
  const IndexArray partners = converted(IndexArray::ensure(checked), "partners");
  const std::int64_t bad = checked.dtype().is(py::dtype::of<std::int32_t>())
                               ? FirstOutOfRange(partners.data(), n)
                               : FirstOutOfRange(static_cast<const std::int64_t*>(checked.data()), n);
  if (bad >= 0) {
    // The value as given, before any conversion.
    throw py::value_error("partners[" + std::to_string(bad) + "] is " + std::string(py::str(a.attr("item")(bad))) +
                          ", not a vertex index 0.." + std::to_string(n - 1));
  }
  return partners;
}

std::optional<FloatArray> WeightsArgument(py::handle value, py::ssize_t n, const char* name) {
  if (value.is_none()) return std::nullopt;
  const py::array a = asArray(value, name);
  const char kind = dtypeKind(a);
  if (kind != 'f' && kind != 'b' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(name) + " must hold weights (floats 0 to 1, or booleans), not " +
                         std::string(py::str(a.dtype())));
  }
  if (a.ndim() != 1) throw py::value_error(std::string(name) + " must have shape (N,), not " + shapeText(a));
  RequireRows(a, n, name, "base");
  const FloatArray weights = converted(FloatArray::ensure(a), name);
  // A value that is not a number fails both comparisons.
  const float* w = weights.data();
  for (py::ssize_t i = 0; i < n; ++i) {
    if (!(w[i] >= 0.0f && w[i] <= 1.0f)) {
      throw py::value_error(std::string(name) + "[" + std::to_string(i) + "] is " + std::string(py::str(a.attr("item")(i))) +
                            ", not a weight from 0 to 1");
    }
  }
  return weights;
}

FloatArray OutArgument(py::handle value, py::ssize_t n) {
  if (!py::isinstance<py::array>(value)) throw py::type_error("out must be a numpy array, not " + typeName(value));
  const auto a = py::reinterpret_borrow<py::array>(value);
  if (!a.dtype().is(py::dtype::of<float>())) {
    throw py::type_error("out must be float32, not " + std::string(py::str(a.dtype())));
  }
  if (a.ndim() != 2 || a.shape(1) != 3) throw py::value_error("out must have shape (N, 3), not " + shapeText(a));
  RequireRows(a, n, "out", "base");
  const int flags = py::detail::array_proxy(a.ptr())->flags;
  if (!(flags & py::detail::npy_api::NPY_ARRAY_C_CONTIGUOUS_) || !(flags & py::detail::npy_api::NPY_ARRAY_ALIGNED_)) {
    throw py::value_error("out must be C-contiguous and aligned");
  }
  if (!a.writeable()) throw py::value_error("out must be writable");
  return py::reinterpret_borrow<FloatArray>(value);
}

int AxisArgument(py::handle value) {
  const std::string expected = "axis must be 0, 1 or 2 ('x', 'y' or 'z'), not ";
  if (py::isinstance<py::str>(value)) {
    const std::string s = py::str(value);
    if (s == "x" || s == "X") return 0;
    if (s == "y" || s == "Y") return 1;
    if (s == "z" || s == "Z") return 2;
    throw py::value_error(expected + "'" + s + "'");
  }
  PyObject* index = py::isinstance<py::bool_>(value) ? nullptr : PyNumber_Index(value.ptr());
  if (index == nullptr) {
    PyErr_Clear();
    throw py::type_error(expected + typeName(value));
  }
  const long long axis = PyLong_AsLongLong(index);
  Py_DECREF(index);
  if (axis == -1 && PyErr_Occurred()) PyErr_Clear();
  if (axis < 0 || axis > 2) throw py::value_error(expected + std::string(py::str(value)));
  return int(axis);
}

float FiniteFloatArgument(py::handle value, const char* name) {
  if (py::isinstance<py::bool_>(value) || py::isinstance<py::str>(value) || !PyNumber_Check(value.ptr())) {
    throw py::type_error(std::string(name) + " must be a number, not " + typeName(value));
  }
  const double d = PyFloat_AsDouble(value.ptr());
  if (d == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  const float f = float(d);
  if (!std::isfinite(f)) throw py::value_error(std::string(name) + " must be a finite number, not " + std::string(py::repr(value)));
  return f;
}

bool FlagArgument(py::handle value, const char* name) {
  if (py::isinstance<py::bool_>(value)) return value.cast<bool>();
  if (py::hasattr(value, "dtype") && std::string(py::str(value.attr("dtype"))) == "bool") return PyObject_IsTrue(value.ptr()) == 1;
  throw py::type_error(std::string(name) + " must be True or False, not " + typeName(value));
}

bool DirectionArgument(py::handle value) {
  if (!py::isinstance<py::str>(value)) throw py::type_error("direction must be 'negative' or 'positive', not " + typeName(value));
  const std::string s = py::str(value);
  if (s == "negative") return false;
  if (s == "positive") return true;
  throw py::value_error("direction must be 'negative' or 'positive', not '" + s + "'");
}

std::int64_t FirstNonFinite(const float* coordinates, std::int64_t count) {
  // A float is not finite exactly when its exponent bits are all set; adding one to the exponent field
  // then carries into the top bit. Integer operations over blocks, so the compiler vectorises the scan.
  constexpr std::int64_t kBlock = 4096;
  const std::int64_t total = count * 3;
  for (std::int64_t first = 0; first < total; first += kBlock) {
    const std::int64_t end = first + kBlock < total ? first + kBlock : total;
    std::uint32_t carried = 0;
    for (std::int64_t k = first; k < end; ++k) {
      std::uint32_t bits;
      std::memcpy(&bits, coordinates + k, sizeof bits);
      carried |= (bits & 0x7f800000u) + 0x00800000u;
    }
    if ((carried & 0x80000000u) == 0) continue;
    for (std::int64_t k = first; k < end; ++k) {
      if (!std::isfinite(coordinates[k])) return k / 3;
    }
  }
  return -1;
}

bool Overlaps(const py::array& a, const py::array& b) {
  if (a.nbytes() == 0 || b.nbytes() == 0) return false;
  const auto* a0 = static_cast<const char*>(a.data());
  const auto* b0 = static_cast<const char*>(b.data());
  return a0 < b0 + b.nbytes() && b0 < a0 + a.nbytes();
}
