"""Velomorph's symmetry engine on numpy arrays (see help(velomorph) and the README)."""

from typing import Literal, Optional, Sequence, TypedDict, Union

import numpy as np
import numpy.typing as npt

__version__: str

Axis = Union[Literal[0, 1, 2], Literal["x", "y", "z", "X", "Y", "Z"]]
Positions = npt.ArrayLike  # (N, 3) floats; C-contiguous float32 is read in place
Weights = Optional[npt.ArrayLike]  # (N,) weights from 0 to 1, or booleans

class CheckReport(TypedDict):
    axis: Literal["x", "y", "z"]
    offset: float
    tolerance: float
    vertices: int
    centre_vertices: int
    mutual_pairs: int
    non_mutual_partners: int
    asymmetric_vertices: int
    pairing: Literal["position"]
    unpaired_vertices: int
    largest_distance: float
    symmetric: bool

def pair(
    positions: Positions,
    axis: Axis = 0,
    offset: float = 0.0,
    *,
    faces: Optional[Union[npt.ArrayLike, Sequence[Sequence[int]]]] = None,
    pairing: Literal["position", "topology"] = "position",
) -> npt.NDArray[np.int32]:
    """Each vertex's mirror partner about the plane coordinate[axis] = offset, as `velomorph apply`
    (with pairing="topology", from the faces, as `velomorph apply --pairing topology`)."""

def mirror(
    base: Positions,
    sculpt: Positions,
    partners: npt.ArrayLike,
    *,
    axis: Axis = 0,
    offset: float = 0.0,
    direction: Literal["negative", "positive"] = "negative",
    align_centre: bool = True,
    selection: Weights = None,
    base_selection: Weights = None,
    invert_base_selection: bool = False,
    out: Optional[npt.NDArray[np.float32]] = None,
) -> npt.NDArray[np.float32]:
    """The sculpt with one side written from the other, as `velomorph apply --operation mirror`."""

def flip(
    base: Positions,
    sculpt: Positions,
    partners: npt.ArrayLike,
    *,
    axis: Axis = 0,
    offset: float = 0.0,
    align_centre: bool = True,
    selection: Weights = None,
    base_selection: Weights = None,
    invert_base_selection: bool = False,
    out: Optional[npt.NDArray[np.float32]] = None,
) -> npt.NDArray[np.float32]:
    """The sculpt's halves swapped and reflected, as `velomorph apply --operation flip`."""

def reset(
    base: Positions,
    sculpt: Positions,
    *,
    selection: Weights = None,
    base_selection: Weights = None,
    invert_base_selection: bool = False,
    out: Optional[npt.NDArray[np.float32]] = None,
) -> npt.NDArray[np.float32]:
    """The sculpt returned to the base, as `velomorph apply --operation reset`."""

def check(positions: Positions, axis: Axis = 0, offset: float = 0.0, tolerance: float = 1e-4) -> CheckReport:
    """How symmetric a base is, as `velomorph check --json` reports it (without "file")."""
