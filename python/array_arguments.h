// The module's arguments as the engine takes them. Every check happens here, where values enter from
// Python, and every refusal names the argument: TypeError for a value of the wrong kind (a dtype,
// an object that is not an array or number), ValueError for the right kind with a wrong value (a
// shape, a length, an index out of range, a coordinate that is not finite).
//
// Arrays are read in place when they already are what the engine reads (C-contiguous, aligned,
// native float32 or int32); anything else that numpy can convert is converted once, into a new array
// the returned object owns.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

namespace py = pybind11;

// ensure() on these returns the array itself when it already is one, else a converted copy.
using FloatArray = py::array_t<float, py::array::c_style | py::array::forcecast>;
using IndexArray = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;

// An (N, 3) array of floating-point coordinates. Does not look at the values (see FirstNonFinite).
FloatArray PositionsArgument(py::handle value, const char* name);
// Refuses `array` (named `name`) unless it has `rows` rows, as `reference` has.
void RequireRows(const py::array& array, py::ssize_t rows, const char* name, const char* reference);
// An (N,) array of integer vertex indices, each in 0..n-1.
IndexArray PartnersArgument(py::handle value, py::ssize_t n);
// An (N,) array of weights in [0, 1] (floats or booleans); nothing when `value` is None.
std::optional<FloatArray> WeightsArgument(py::handle value, py::ssize_t n, const char* name);
// A writable, C-contiguous float32 (N, 3) array the result is written into.
FloatArray OutArgument(py::handle value, py::ssize_t n);

int AxisArgument(py::handle value);
float FiniteFloatArgument(py::handle value, const char* name);
bool FlagArgument(py::handle value, const char* name);
// "negative" -> false, "positive" -> true.
bool DirectionArgument(py::handle value);

// The first of `count` positions with a coordinate that is not finite, or -1. Needs no GIL.
std::int64_t FirstNonFinite(const float* coordinates, std::int64_t count);
// Whether two arrays' memory overlaps.
bool Overlaps(const py::array& a, const py::array& b);
