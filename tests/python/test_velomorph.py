"""The velomorph module against the command line: every result must equal `velomorph apply` on the
same meshes and options bit for bit, and `check` must report what `velomorph check --json` does."""

import ctypes
import itertools
import json
import os
import pathlib
import subprocess
import tracemalloc

import numpy as np
import pytest

import velomorph

ROOT = pathlib.Path(__file__).resolve().parents[2]
VELOMORPH = os.environ.get("VELOMORPH_BIN", str(ROOT / "build/default/bin/velomorph"))
OFFSETS = {0: 0.0, 1: 0.25, 2: -0.5}  # the plane of each axis
_strtof = ctypes.CDLL(None).strtof
_strtof.restype = ctypes.c_float
_strtof.argtypes = [ctypes.c_char_p, ctypes.c_void_p]


def symmetric_grid(axis, rows=8, half=7, seed=1):
    """A bumpy sheet symmetric about coordinate[axis] = OFFSETS[axis], in shuffled vertex order, with
    its quads; a few base vertices are moved by about 1e-4, so some partners are nearest, not exact."""
    rng = np.random.default_rng(seed + axis)
    cols = np.arange(-half, half + 1)
    c, r = np.meshgrid(cols, np.arange(rows))
    p = np.zeros(c.shape + (3,), np.float32)
    p[..., axis] = np.float32(OFFSETS[axis]) + np.float32(0.25) * c
    p[..., (axis + 1) % 3] = np.float32(0.25) * r
    p[..., (axis + 2) % 3] = np.float32(0.5) * np.sin(np.float32(0.01) * c * c + np.float32(0.3) * r)
    p = p.reshape(-1, 3)
    moved = rng.choice(len(p), 6, replace=False)
    p[moved] += rng.normal(0, 1e-4, (6, 3)).astype(np.float32)
    order = rng.permutation(len(p))
    index_of = np.empty(len(p), int)
    index_of[order] = np.arange(len(p))
    width = len(cols)
    quads = [[index_of[k], index_of[k + 1], index_of[k + 1 + width], index_of[k + width]]
             for k in range(len(p) - width) if (k + 1) % width != 0]
    return np.ascontiguousarray(p[order]), quads


def write_obj(path, positions, quads):
    lines = ["v %.9g %.9g %.9g" % tuple(map(float, v)) for v in positions]
    lines += ["f " + " ".join(str(i + 1) for i in q) for q in quads]
    path.write_text("\n".join(lines) + "\n")


def read_obj_positions(path):
    # strtof reads each coordinate straight to the nearest float, as the command line does.
    return np.array([[_strtof(t.encode(), None) for t in line.split()[1:4]]
                     for line in path.read_text().splitlines() if line.startswith("v ")], np.float32)


def write_weights(path, weights):
    path.write_text("".join("%.9g\n" % float(w) for w in weights))


def weights(kind, n, rng):
    if kind == "hard":
        return (rng.random(n) < 0.5).astype(np.float32)
    w = rng.choice(np.array([0, 0.25, 1, 1, 0.5], np.float32), n)
    w[rng.random(n) < 0.3] = rng.random(int(np.sum(rng.random(n) < 0.3)) or 1, np.float32)[0]
    return w


@pytest.fixture(scope="module")
def meshes(tmp_path_factory):
    """Per axis: base and sculpt on disk and in memory, with a hard and a soft selection of each."""
    folder = tmp_path_factory.mktemp("meshes")
    made = {}
    for axis in range(3):
        base, quads = symmetric_grid(axis)
        rng = np.random.default_rng(10 + axis)
        sculpt = base + rng.normal(0, 0.05, base.shape).astype(np.float32)
        files = {"base": folder / f"base{axis}.obj", "sculpt": folder / f"sculpt{axis}.obj"}
        write_obj(files["base"], base, quads)
        write_obj(files["sculpt"], sculpt, quads)
        selections = {}
        for kind in ("hard", "soft"):
            for role in ("selection", "base_selection"):
                w = weights(kind, len(base), rng)
                selections[role, kind] = w
                files[role, kind] = folder / f"{role}_{kind}{axis}.txt"
                write_weights(files[role, kind], w)
        made[axis] = (base, sculpt, selections, files)
    return made


def run_apply(files, out, operation, axis, direction, align, selection, mask, form):
    args = [VELOMORPH, "apply", "--target", str(files["base"]), "--input", str(files["sculpt"]), "--out", str(out),
            "--as", form, "--operation", operation, "--axis", "xyz"[axis], "--offset", str(OFFSETS[axis]),
            "--direction", direction, "--align-centre", "on" if align else "off", "--quiet"]
    if selection:
        args += ["--selection", str(files["selection", selection])]
    if mask:
        args += ["--base-selection", str(files["base_selection", mask[0]])]
        if mask[1]:
            args.append("--invert-base-selection")
    subprocess.run(args, check=True, capture_output=True)
    return read_obj_positions(out)


def cases():
    masks = [None, ("soft", False), ("soft", True), ("hard", True)]
    for axis, selection, mask in itertools.product(range(3), [None, "hard", "soft"], masks):
        align = axis != 1
        for direction in ("negative", "positive"):
            yield "mirror", axis, direction, align, selection, mask
        yield "flip", axis, "negative", align, selection, mask
        if axis == 0:
            yield "reset", axis, "negative", align, selection, mask


def module_result(meshes, operation, axis, direction, align, selection, mask):
    base, sculpt, selections, _ = meshes[axis]
    options = {}
    if selection:
        options["selection"] = selections["selection", selection]
    if mask:
        options["base_selection"] = selections["base_selection", mask[0]]
        options["invert_base_selection"] = mask[1]
    if operation == "reset":
        return velomorph.reset(base, sculpt, **options)
    partners = velomorph.pair(base, axis, OFFSETS[axis])
    options.update(axis=axis, offset=OFFSETS[axis], align_centre=align)
    # Soft selections work in place on a copy of the sculpt, the others into a new array.
    if selection == "soft":
        options["out"] = sculpt.copy()
    if operation == "mirror":
        return velomorph.mirror(base, sculpt, partners, direction=direction, **options)
    return velomorph.flip(base, sculpt, partners, **options)


def same_bits(a, b):
    return a.shape == b.shape and np.array_equal(a.view(np.uint32), b.view(np.uint32))


@pytest.mark.parametrize("case", list(cases()), ids=lambda c: "-".join(map(str, c)))
def test_operations_equal_apply_as_mesh(meshes, tmp_path, case):
    expected = run_apply(meshes[case[1]][3], tmp_path / "out.obj", *case, "mesh")
    result = module_result(meshes, *case)
    assert same_bits(result, expected)
    assert not same_bits(result, meshes[case[1]][1])  # the case changed something


def test_apply_as_poly_and_patch_differ_only_in_their_base_masks(meshes, tmp_path):
    """The polygon form masks Flip and Reset with the base's hard selection alone, so a base weight
    between 0 and 1 lets a vertex through only in the triangle form (inverted, both forms refuse it);
    the patch form has no base mask. Otherwise both give the triangle form's vertex positions, which
    the module gives."""
    for case in cases():
        operation, mask = case[0], case[5]
        poly = run_apply(meshes[case[1]][3], tmp_path / "poly.obj", *case, "poly")
        result = module_result(meshes, *case)
        bits_alone = operation != "mirror" and mask == ("soft", False)
        assert same_bits(result, poly) != bits_alone, case
        patch = run_apply(meshes[case[1]][3], tmp_path / "patch.obj", *case, "patch")
        assert same_bits(module_result(meshes, *case[:5], None), patch), case


@pytest.mark.parametrize("axis", range(3))
def test_check_reports_as_the_command_line(meshes, tmp_path, axis):
    base, _, _, files = meshes[axis]
    for tolerance in (1e-4, 1e-3):
        run = subprocess.run([VELOMORPH, "check", "--target", str(files["base"]), "--axis", "xyz"[axis], "--offset",
                              str(OFFSETS[axis]), "--tolerance", str(tolerance), "--json"], capture_output=True, text=True)
        expected = json.loads(run.stdout)
        del expected["file"]
        assert velomorph.check(base, axis, OFFSETS[axis], tolerance) == expected
        assert run.returncode == (0 if expected["symmetric"] else 1)
    assert not velomorph.check(base, axis, OFFSETS[axis], 1e-6)["symmetric"]


def test_topology_pairing_is_the_table_apply_hands_the_modifier(tmp_path):
    base, quads = symmetric_grid(0)
    rng = np.random.default_rng(11)
    # Noise of a fifth of an edge: the nearest mirror image is often the wrong vertex.
    noisy = (base + rng.normal(0, 0.05, base.shape)).astype(np.float32)
    sculpt = noisy.copy()
    sculpt[:, 2] += np.float32(0.1) * np.maximum(sculpt[:, 0], 0)
    write_obj(tmp_path / "base.obj", noisy, quads)
    write_obj(tmp_path / "sculpt.obj", sculpt, quads)
    partners = velomorph.pair(noisy, faces=np.array(quads), pairing="topology")
    assert not np.array_equal(partners, velomorph.pair(noisy))
    assert np.array_equal(velomorph.pair(noisy, faces=quads, pairing="topology"), partners)

    subprocess.run([VELOMORPH, "check", "--target", str(tmp_path / "base.obj"), "--pairing", "topology",
                    "--partners-out", str(tmp_path / "partners.txt")], capture_output=True)
    written = np.array([int(line) for line in (tmp_path / "partners.txt").read_text().split()]) - 1
    settled = written >= 0
    assert np.array_equal(partners[settled], written[settled])
    assert np.array_equal(partners[~settled], velomorph.pair(noisy)[~settled])

    subprocess.run([VELOMORPH, "apply", "--target", str(tmp_path / "base.obj"), "--input", str(tmp_path / "sculpt.obj"),
                    "--out", str(tmp_path / "out.obj"), "--as", "mesh", "--pairing", "topology", "--quiet"],
                   check=True, capture_output=True)
    assert same_bits(velomorph.mirror(noisy, sculpt, partners), read_obj_positions(tmp_path / "out.obj"))

    for faces, error, text in (([[0, 1]], ValueError, "faces\\[0\\] has fewer than three corners"),
                               ([[0, 1, len(noisy)]], ValueError, "faces\\[0\\] names vertex"),
                               (None, ValueError, "faces must be given"),
                               (np.zeros((2, 3)), TypeError, "faces must hold integer")):
        with pytest.raises(error, match=text):
            velomorph.pair(noisy, faces=faces, pairing="topology")
    with pytest.raises(ValueError, match="pairing must be"):
        velomorph.pair(noisy, pairing="nearest")


def test_converted_inputs_give_the_same_result(meshes):
    base, sculpt, selections, _ = meshes[0]
    partners = velomorph.pair(base)
    expected = velomorph.mirror(base, sculpt, partners, selection=selections["selection", "soft"])
    wide = np.zeros((len(base), 6))
    wide[:, ::2] = sculpt  # a strided float64 view
    converted = velomorph.mirror(base.astype(np.float64), wide[:, ::2], partners.astype(np.int64),
                                 selection=selections["selection", "soft"].astype(np.float64))
    assert same_bits(converted, expected)
    assert np.array_equal(velomorph.pair(base.tolist()), partners)
    out = np.empty_like(sculpt)
    assert velomorph.mirror(base, sculpt, partners, out=out) is out


def test_float32_input_is_read_in_place():
    """numpy reports its allocations to tracemalloc: pairing a float32 array allocates the int32 result
    only, pairing a float64 one also its float32 copy."""
    n = 200_000
    positions = np.random.default_rng(3).random((n, 3), dtype=np.float32)
    partners = velomorph.pair(positions)
    for array, copies in ((positions, False), (positions.astype(np.float64), True)):
        tracemalloc.start()
        velomorph.pair(array)
        _, peak = tracemalloc.get_traced_memory()
        tracemalloc.stop()
        assert (peak >= n * 12) == copies
    out = np.empty_like(positions)
    tracemalloc.start()
    velomorph.mirror(positions, positions, partners, out=out)
    _, peak = tracemalloc.get_traced_memory()
    tracemalloc.stop()
    assert peak < n * 4


def test_bad_arguments_are_refused_naming_them():
    base = np.zeros((4, 3), np.float32)
    base[:, 0] = [-1, 1, -2, 2]
    partners = velomorph.pair(base)
    not_finite = base.copy()
    not_finite[2, 1] = np.nan
    refused = [
        (lambda: velomorph.pair(base.astype(np.int32)), TypeError, "positions must hold floats"),
        (lambda: velomorph.pair(None), TypeError, "positions must be an array"),
        (lambda: velomorph.pair(base[:, :2]), ValueError, "positions must have shape (N, 3)"),
        (lambda: velomorph.pair(base, axis=3), ValueError, "axis must be"),
        (lambda: velomorph.pair(base, axis=1.0), TypeError, "axis must be"),
        (lambda: velomorph.pair(base, offset=float("inf")), ValueError, "offset must be a finite number"),
        (lambda: velomorph.pair(not_finite), ValueError, "positions[2] has a coordinate that is not finite"),
        (lambda: velomorph.mirror(base, base[:3], partners), ValueError, "sculpt has 3 vertices, base has 4"),
        (lambda: velomorph.mirror(base, base, partners[:3]), ValueError, "partners has 3 vertices"),
        (lambda: velomorph.mirror(base, base, partners + 1), ValueError, "partners[2] is 4"),
        (lambda: velomorph.mirror(base, base, np.full(4, -1, np.int64)), ValueError, "partners[0] is -1"),
        (lambda: velomorph.mirror(base, base, np.full(4, 2**32, np.int64)), ValueError, "partners[0] is 4294967296"),
        (lambda: velomorph.mirror(base, base, partners.astype(float)), TypeError, "partners must hold integers"),
        (lambda: velomorph.mirror(base, base, partners, direction="up"), ValueError, "direction must be"),
        (lambda: velomorph.mirror(base, base, partners, align_centre=1), TypeError, "align_centre must be"),
        (lambda: velomorph.mirror(base, base, partners, selection=np.full(4, 1.5)), ValueError, "selection[0] is 1.5"),
        (lambda: velomorph.flip(base, base, partners, selection=np.ones(5)), ValueError, "selection has 5 vertices"),
        (lambda: velomorph.flip(base, base, partners, base_selection=["a"] * 4), TypeError, "base_selection must hold"),
        (lambda: velomorph.reset(base, base, invert_base_selection=True), ValueError, "give base_selection"),
        (lambda: velomorph.reset(base, base, out=np.zeros((4, 3))), TypeError, "out must be float32"),
        (lambda: velomorph.reset(base, base, out=np.zeros((4, 6), np.float32)[:, ::2]), ValueError, "C-contiguous"),
        (lambda: velomorph.reset(base, base.copy(), out=base), ValueError, "out must not share memory with base"),
        (lambda: velomorph.check(base, tolerance=-1.0), ValueError, "tolerance must be at least 0"),
    ]
    for call, error, text in refused:
        with pytest.raises(error) as raised:
            call()
        assert text in str(raised.value)
    read_only = base.copy()
    read_only.flags.writeable = False
    with pytest.raises(ValueError, match="out must be writable"):
        velomorph.reset(base, base, out=read_only)


def test_non_finite_sculpt_coordinates_reach_only_their_pair(meshes):
    base, sculpt, _, _ = meshes[0]
    partners = velomorph.pair(base)
    clean = velomorph.flip(base, sculpt, partners)
    k = int(np.flatnonzero(partners != np.arange(len(base)))[0])
    damaged = sculpt.copy()
    damaged[k] = [np.nan, np.inf, 0]
    result = velomorph.flip(base, damaged, partners)
    untouched = np.ones(len(base), bool)
    untouched[[k, partners[k]]] = False
    assert same_bits(result[untouched], clean[untouched])
    assert not np.isfinite(result[partners[k]]).all()


def test_version_is_the_command_lines():
    run = subprocess.run([VELOMORPH, "--version"], capture_output=True, text=True, check=True)
    assert run.stdout.split() == ["velomorph", velomorph.__version__]
