// The `velomorph` Python module: the modifier's pairing and vertex rules on numpy arrays. Each
// function checks and converts its arguments while it holds the GIL (array_arguments.h), then lets go
// of the GIL for the work itself (array_symmetry.h, app/symmetry_report.h).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "python/array_arguments.h"
#include "python/array_symmetry.h"
#include "python/face_arguments.h"
#include "symmetry_report.h"

namespace {

const char kModuleDoc[] = R"(Velomorph's symmetry engine on numpy arrays.

pair() finds each vertex's mirror partner on a base mesh; mirror(), flip() and reset() apply the
modifier's vertex rules to a sculpt of that base; check() measures how symmetric a base is. Results
are bit for bit those of `velomorph apply --as mesh` and `velomorph check --json` on the same meshes.

Positions are (N, 3) arrays in object space. A C-contiguous float32 array is read where it lies; a
float64 or strided array is converted to float32 once (the engine works in 32-bit floats). pair()
and check() refuse a base with a coordinate that is not finite, as the command line refuses such a
file; mirror(), flip() and reset() do not look for them (that would read both meshes once more): such
a coordinate reaches only its own vertex and its partner, as in the modifier. The GIL is released
while the work runs.)";

const char kPairDoc[] = R"(pair(positions, axis=0, offset=0.0, *, faces=None, pairing="position") -> numpy.ndarray

Each vertex's mirror partner: the vertex nearest the reflection of it about the plane
coordinate[axis] = offset, exactly as `velomorph apply` pairs its base. A vertex with no partner (on
the plane, or alone) is its own partner.

With pairing="topology", partners come from the mesh's connectivity instead, exactly as
`velomorph apply --pairing topology` hands them to the modifier: for a base that is not quite
symmetric (a cleaned-up scan, a posed base). faces: an (F, k) integer array of polygons, or a
sequence of faces of any size, 0-based vertex indices in the mesh's winding. A vertex the
connectivity cannot settle keeps the partner nearest its mirror image, with a RuntimeWarning saying
how many; a mesh topology pairing cannot work on (a non-manifold edge, an isolated vertex, a
degenerate face) raises ValueError naming the face or vertex.

positions: (N, 3) floats, the base mesh. axis: 0, 1, 2 (or 'x', 'y', 'z'). offset: where the plane
lies. Returns an int32 array of N 0-based vertex indices.)";

const char kMirrorDoc[] = R"(mirror(base, sculpt, partners, *, axis=0, offset=0.0, direction="negative", align_centre=True, selection=None, base_selection=None, invert_base_selection=False, out=None) -> numpy.ndarray

The sculpt with one side written from the other, as `velomorph apply --operation mirror`.

base: (N, 3) the symmetric base the partners were found on; sculpt: (N, 3) the shape to mirror;
partners: (N,) integers from pair(base, axis, offset). direction: "negative" writes the vertices
whose base coordinate is at most the offset (from the positive side), "positive" those at least the
offset, as --direction does. align_centre: vertices that are their own partner go back onto the
base's plane. selection: (N,) weights from 0 to 1 (or booleans), as --selection: only selected
vertices change, a weight between blends. base_selection: (N,) weights of the base, as
--base-selection: only vertices the base selects take part (invert_base_selection: only those it
does not). out: a writable C-contiguous float32 (N, 3) array for the result; it may be the sculpt
itself, but must not overlap the other arrays. Returns out, or a new float32 (N, 3) array.)";

const char kFlipDoc[] = R"(flip(base, sculpt, partners, *, axis=0, offset=0.0, align_centre=True, selection=None, base_selection=None, invert_base_selection=False, out=None) -> numpy.ndarray

The sculpt with its two halves swapped and reflected, as `velomorph apply --operation flip`.
Arguments as for mirror(); a selected vertex swaps its whole pair. Returns out, or a new float32
(N, 3) array.)";

const char kResetDoc[] = R"(reset(base, sculpt, *, selection=None, base_selection=None, invert_base_selection=False, out=None) -> numpy.ndarray

The sculpt returned to the base, as `velomorph apply --operation reset`: where selected (a weight
between 0 and 1 blends), and where the base selection allows. Arguments as for mirror(). Returns
out, or a new float32 (N, 3) array.)";

const char kCheckDoc[] = R"(check(positions, axis=0, offset=0.0, tolerance=1e-4) -> dict

How symmetric a base is, as `velomorph check --json` reports it (without its "file"): "axis" ('x',
'y' or 'z'), "offset", "tolerance", "vertices", "centre_vertices" (their own partner),
"mutual_pairs", "non_mutual_partners", "asymmetric_vertices" (partner farther than the tolerance
from the mirror image), "pairing" ("position"), "unpaired_vertices" (0 with this pairing),
"largest_distance" and "symmetric". offset and tolerance are taken as
32-bit floats, as the command line reads them.)";

void refuseNonFinite(std::int64_t vertex, const char* name) {
  if (vertex >= 0) {
    throw py::value_error(std::string(name) + "[" + std::to_string(vertex) + "] has a coordinate that is not finite");
  }
}

// A number as `velomorph check --json` prints it, the shortest text of its 32-bit float, read back as
// JSON readers read it: 1e-4 is 0.0001, not 9.99999974e-05.
double asPrinted(float value) {
  if (!std::isfinite(value)) return double(value);
  char text[32];
  const auto printed = std::to_chars(text, text + sizeof text, value);
  double read = 0.0;
  std::from_chars(text, printed.ptr, read);
  return read;
}

const Point3* points(const FloatArray& a) { return reinterpret_cast<const Point3*>(a.data()); }

static_assert(sizeof(Point3) == 3 * sizeof(float), "an (N, 3) float32 array is read as N Point3");

py::array_t<std::int32_t> pair(py::handle positionsValue, py::handle axisValue, py::handle offsetValue,
                               py::handle facesValue, py::handle pairingValue) {
  const FloatArray positions = PositionsArgument(positionsValue, "positions");
  const int axis = AxisArgument(axisValue);
  const float offset = FiniteFloatArgument(offsetValue, "offset");
  const py::ssize_t n = positions.shape(0);
  if (!py::isinstance<py::str>(pairingValue)) throw py::type_error("pairing must be \"position\" or \"topology\"");
  const std::string pairing = pairingValue.cast<std::string>();
  if (pairing != "position" && pairing != "topology") {
    throw py::value_error("pairing must be \"position\" or \"topology\", not \"" + pairing + "\"");
  }
  const bool byConnectivity = pairing == "topology";
  if (!byConnectivity && !facesValue.is_none()) throw py::value_error("faces is read only with pairing=\"topology\"");
  FaceCorners faces;
  if (byConnectivity) faces = FacesArgument(facesValue, n);
  py::array_t<std::int32_t> partners(n);
  std::int32_t* r = partners.mutable_data();
  std::int64_t bad;
  std::string error;
  std::vector<int> unsettled;
  {
    py::gil_scoped_release released;
    bad = FirstNonFinite(positions.data(), n);
    if (bad >= 0) {
    } else if (byConnectivity) {
      error = PairByConnectivity(points(positions), int(n), faces.faceStart, faces.cornerVertex, axis, offset, r,
                                 unsettled);
    } else {
      PairPositions(points(positions), int(n), axis, offset, r);
    }
  }
  refuseNonFinite(bad, "positions");
  if (!error.empty()) throw py::value_error("faces: " + error);
  if (!unsettled.empty()) {
    const std::string warning = std::to_string(unsettled.size()) +
                                " vertices could not be paired by topology and keep the partner nearest their "
                                "mirror image (the first is vertex " + std::to_string(unsettled.front()) + ")";
    if (PyErr_WarnEx(PyExc_RuntimeWarning, warning.c_str(), 1) != 0) throw py::error_already_set();
  }
  return partners;
}

// What mirror(), flip() and reset() share: the arguments, the result array, the work.
py::array operate(ArrayOperation operation, py::handle baseValue, py::handle sculptValue, py::handle partnersValue,
                  py::handle selectionValue, py::handle baseSelectionValue, py::handle outValue) {
  const FloatArray base = PositionsArgument(baseValue, "base");
  const py::ssize_t n = base.shape(0);
  const FloatArray sculpt = PositionsArgument(sculptValue, "sculpt");
  RequireRows(sculpt, n, "sculpt", "base");
  std::optional<IndexArray> partners;
  if (operation.kind != ArrayOperationKind::kReset) partners = PartnersArgument(partnersValue, n);
  const std::optional<FloatArray> selection = WeightsArgument(selectionValue, n, "selection");
  const std::optional<FloatArray> baseSelection = WeightsArgument(baseSelectionValue, n, "base_selection");
  if (!baseSelection && operation.invertBaseSelection) {
    throw py::value_error("invert_base_selection inverts a base selection: give base_selection as well");
  }

  FloatArray out = outValue.is_none() ? FloatArray({n, py::ssize_t(3)}) : OutArgument(outValue, n);
  // The work reads base, partners and the selections while it writes out, so out must be none of
  // them; it may be the sculpt itself, worked on in place.
  const bool inPlace = out.data() == sculpt.data();
  const auto refuseOverlap = [&out](const py::array& array, const char* name) {
    if (Overlaps(out, array)) throw py::value_error(std::string("out must not share memory with ") + name);
  };
  refuseOverlap(base, "base");
  if (partners) refuseOverlap(*partners, "partners");
  if (selection) refuseOverlap(*selection, "selection");
  if (baseSelection) refuseOverlap(*baseSelection, "base_selection");
  if (!inPlace && Overlaps(out, sculpt)) throw py::value_error("out must be the sculpt itself or share no memory with it");

  operation.selection = selection ? selection->data() : nullptr;
  operation.baseSelection = baseSelection ? baseSelection->data() : nullptr;
  const std::int32_t* partnerIndices = partners ? partners->data() : nullptr;
  float* result = out.mutable_data();
  {
    py::gil_scoped_release released;
    if (!inPlace && n > 0) std::memcpy(result, sculpt.data(), size_t(n) * sizeof(Point3));
    ApplyArrayOperation(operation, points(base), partnerIndices, int(n), reinterpret_cast<Point3*>(result));
  }
  return out;
}

py::array mirror(py::handle base, py::handle sculpt, py::handle partners, py::handle axis, py::handle offset,
                 py::handle direction, py::handle alignCentre, py::handle selection, py::handle baseSelection,
                 py::handle invertBaseSelection, py::handle out) {
  ArrayOperation operation;
  operation.kind = ArrayOperationKind::kMirror;
  operation.axis = AxisArgument(axis);
  operation.offset = FiniteFloatArgument(offset, "offset");
  operation.positive = DirectionArgument(direction);
  operation.alignCentre = FlagArgument(alignCentre, "align_centre");
  operation.invertBaseSelection = FlagArgument(invertBaseSelection, "invert_base_selection");
  return operate(operation, base, sculpt, partners, selection, baseSelection, out);
}

py::array flip(py::handle base, py::handle sculpt, py::handle partners, py::handle axis, py::handle offset,
               py::handle alignCentre, py::handle selection, py::handle baseSelection, py::handle invertBaseSelection,
               py::handle out) {
  ArrayOperation operation;
  operation.kind = ArrayOperationKind::kFlip;
  operation.axis = AxisArgument(axis);
  operation.offset = FiniteFloatArgument(offset, "offset");
  operation.alignCentre = FlagArgument(alignCentre, "align_centre");
  operation.invertBaseSelection = FlagArgument(invertBaseSelection, "invert_base_selection");
  return operate(operation, base, sculpt, partners, selection, baseSelection, out);
}

py::array reset(py::handle base, py::handle sculpt, py::handle selection, py::handle baseSelection,
                py::handle invertBaseSelection, py::handle out) {
  ArrayOperation operation;
  operation.kind = ArrayOperationKind::kReset;
  operation.invertBaseSelection = FlagArgument(invertBaseSelection, "invert_base_selection");
  return operate(operation, base, sculpt, py::none(), selection, baseSelection, out);
}

py::dict check(py::handle positionsValue, py::handle axisValue, py::handle offsetValue, py::handle toleranceValue) {
  const FloatArray positions = PositionsArgument(positionsValue, "positions");
  const int axis = AxisArgument(axisValue);
  const float offset = FiniteFloatArgument(offsetValue, "offset");
  const float tolerance = FiniteFloatArgument(toleranceValue, "tolerance");
  if (tolerance < 0.0f) throw py::value_error("tolerance must be at least 0, not " + std::to_string(tolerance));
  const py::ssize_t n = positions.shape(0);
  SymmetryReport r;
  std::int64_t bad;
  {
    py::gil_scoped_release released;
    bad = FirstNonFinite(positions.data(), n);
    if (bad < 0) r = MeasureSymmetry(points(positions), int(n), axis, offset, tolerance);
  }
  refuseNonFinite(bad, "positions");
  py::dict d;
  d["axis"] = std::string(1, "xyz"[axis]);
  d["offset"] = asPrinted(offset);
  d["tolerance"] = asPrinted(tolerance);
  d["vertices"] = r.vertices;
  d["centre_vertices"] = r.centreVertices;
  d["mutual_pairs"] = r.mutualPairs;
  d["non_mutual_partners"] = r.nonMutualPartners;
  d["asymmetric_vertices"] = r.asymmetricVertices;
  d["pairing"] = std::string("position");
  d["unpaired_vertices"] = r.unpairedVertices;
  d["largest_distance"] = asPrinted(float(r.largestDistance));
  d["symmetric"] = r.asymmetricVertices == 0 && r.unpairedVertices == 0;
  return d;
}

}  // namespace

PYBIND11_MODULE(velomorph, m) {
  // Each docstring opens with its own signature, in Python's terms rather than pybind11's.
  py::options options;
  options.disable_function_signatures();
  m.doc() = kModuleDoc;
  m.attr("__version__") = VELOMORPH_VERSION;
  m.def("pair", &pair, kPairDoc, py::arg("positions"), py::arg("axis") = 0, py::arg("offset") = 0.0, py::kw_only(),
        py::arg("faces") = py::none(), py::arg("pairing") = "position");
  m.def("mirror", &mirror, kMirrorDoc, py::arg("base"), py::arg("sculpt"), py::arg("partners"), py::kw_only(),
        py::arg("axis") = 0, py::arg("offset") = 0.0, py::arg("direction") = "negative",
        py::arg("align_centre") = true, py::arg("selection") = py::none(), py::arg("base_selection") = py::none(),
        py::arg("invert_base_selection") = false, py::arg("out") = py::none());
  m.def("flip", &flip, kFlipDoc, py::arg("base"), py::arg("sculpt"), py::arg("partners"), py::kw_only(),
        py::arg("axis") = 0, py::arg("offset") = 0.0, py::arg("align_centre") = true,
        py::arg("selection") = py::none(), py::arg("base_selection") = py::none(),
        py::arg("invert_base_selection") = false, py::arg("out") = py::none());
  m.def("reset", &reset, kResetDoc, py::arg("base"), py::arg("sculpt"), py::kw_only(),
        py::arg("selection") = py::none(), py::arg("base_selection") = py::none(),
        py::arg("invert_base_selection") = false, py::arg("out") = py::none());
  m.def("check", &check, kCheckDoc, py::arg("positions"), py::arg("axis") = 0, py::arg("offset") = 0.0,
        py::arg("tolerance") = 1e-4);
}
