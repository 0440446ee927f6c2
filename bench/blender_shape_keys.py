"""The Blender add-on (blender/velomorph_shape_keys.py) against Blender's own Mirror Shape Key
(bpy.ops.object.shape_key_mirror), headless:

    blender -b --factory-startup --python-exit-code 1 --python bench/blender_shape_keys.py -- \
        [--pythonpath build/default/python] [--sizes 100000 1000000]

Blender's operator swaps the key's two halves across X (centre vertices have their x negated), which
is the add-on's FLIP; the add-on's MIRROR writes one side from the other. On a symmetric sheet with a
shape key whose centre vertices stay on the plane:
  1. the basis exactly symmetric: the add-on's Flip equals Blender's result, and its Mirror equals the
     construction (each written vertex the reflection of its partner's key position);
  2. every basis vertex moved by about 1e-4: the add-on's Flip and Mirror still equal the
     construction; Blender pairs only vertices within its fixed 2e-5 of a mirror image, and the
     vertices it left as they were are counted.
Each at every size, with both operators timed. Exit 1 when a check fails. Not part of ./run.sh test
(it needs Blender)."""

import argparse
import importlib.util
import pathlib
import sys
import time

import bpy
import numpy as np

ROOT = pathlib.Path(__file__).resolve().parents[1]


def arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="blender_shape_keys.py")
    parser.add_argument("--pythonpath", default=str(ROOT / "build/default/python"))
    parser.add_argument("--sizes", type=int, nargs="+", default=[100_000, 1_000_000])
    return parser.parse_args(argv)


def load_addon():
    source = importlib.util.spec_from_file_location("velomorph_shape_keys", ROOT / "blender/velomorph_shape_keys.py")
    addon = importlib.util.module_from_spec(source)
    source.loader.exec_module(addon)
    addon.register()
    return addon


def symmetric_sheet(count, rng):
    """A bumpy sheet symmetric across x = 0 (columns 0.01 apart, the middle one on the plane), in
    shuffled order, with each vertex's partner by construction, and a key: one displacement per
    mirror pair, reflected on the other side, plus an asymmetric sculpt; centre vertices stay on the plane."""
    rows = max(1, int(np.sqrt(count / 2)))
    half = (count // rows - 1) // 2
    c, r = np.meshgrid(np.arange(-half, half + 1), np.arange(rows))
    base = np.stack([0.01 * c, 0.01 * r, 0.1 * np.sin(0.002 * c * c + 0.05 * r)], -1).reshape(-1, 3).astype(np.float32)
    mirror_of = (r * (2 * half + 1) + (half - c)).ravel()  # the index of (-c, r)
    order = rng.permutation(len(base))
    new_index = np.empty_like(order)
    new_index[order] = np.arange(len(order))
    base, partner = base[order], new_index[mirror_of[order]]
    key = base + rng.normal(0, 0.02, base.shape).astype(np.float32)
    centre = partner == np.arange(len(base))
    key[centre, 0] = base[centre, 0]
    return base, partner, key


def make_object(base, key):
    mesh = bpy.data.meshes.new("sheet")
    mesh.vertices.add(len(base))
    mesh.vertices.foreach_set("co", base.ravel())
    obj = bpy.data.objects.new("sheet", mesh)
    bpy.context.scene.collection.objects.link(obj)
    bpy.context.view_layer.objects.active = obj
    obj.select_set(True)
    obj.shape_key_add(name="Basis")
    block = obj.shape_key_add(name="Smile")
    block.data.foreach_set("co", key.ravel())
    obj.active_shape_key_index = 1
    return obj


def key_of(obj):
    block = obj.active_shape_key
    out = np.empty((len(block.data), 3), np.float32)
    block.data.foreach_get("co", out.ravel())
    return out


def reflected(p):
    return p * np.array([-1, 1, 1], np.float32)


def expected_flip(base, partner, key):
    result = reflected(key[partner])
    centre = partner == np.arange(len(base))
    result[centre] = key[centre]
    result[centre, 0] = base[centre, 0]
    return result


def expected_mirror(base, partner, key):
    """Direction negative: vertices with basis x <= 0 take the reflection of their partner's key."""
    result = key.copy()
    written = base[:, 0] <= 0
    result[written] = reflected(key[partner[written]])
    centre = partner == np.arange(len(base))
    result[centre] = key[centre]
    result[centre, 0] = base[centre, 0]
    return result


def run(obj, key, call):
    obj.active_shape_key.data.foreach_set("co", key.ravel())
    start = time.perf_counter()
    call()
    return time.perf_counter() - start, key_of(obj)


def main():
    args = arguments()
    sys.path.insert(0, args.pythonpath)
    addon = load_addon()
    if addon.velomorph is None:
        sys.exit(f"the velomorph module is not in {args.pythonpath}: build it first (see README)")
    rng = np.random.default_rng(5)
    failures = []
    print(f"{'vertices':>9} {'basis':>14} {'operator':>34} {'seconds':>8}  result")
    for size in args.sizes:
        base, partner, sculpt = symmetric_sheet(size, rng)
        off = np.abs(base[:, 0]) > 0
        perturbed = base + rng.uniform(-1e-4, 1e-4, base.shape).astype(np.float32)
        for label, basis in (("exact", base), ("moved by 1e-4", perturbed)):
            key = sculpt - base + basis
            key[partner == np.arange(len(base)), 0] = basis[partner == np.arange(len(base)), 0]
            obj = make_object(basis, key)
            flip = expected_flip(basis, partner, key)
            rows = {
                "Blender shape_key_mirror": run(obj, key, lambda: bpy.ops.object.shape_key_mirror(use_topology=False)),
                "velomorph_symmetry FLIP": run(obj, key, lambda: bpy.ops.object.velomorph_symmetry(operation="FLIP")),
                "velomorph_symmetry MIRROR": run(obj, key, lambda: bpy.ops.object.velomorph_symmetry(operation="MIRROR")),
            }
            blender = rows["Blender shape_key_mirror"][1]
            # Vertices Blender found no partner for keep the key as it was.
            unpaired = int(np.sum(np.all(blender[off] == key[off], axis=1) & np.any(flip[off] != key[off], axis=1)))
            checks = {
                "Blender shape_key_mirror": (unpaired == 0 if label == "exact" else None,
                                             f"{unpaired} of {len(base)} vertices left unmirrored"),
                "velomorph_symmetry FLIP": (np.array_equal(rows["velomorph_symmetry FLIP"][1], flip) and
                                            (label != "exact" or np.array_equal(rows["velomorph_symmetry FLIP"][1], blender)),
                                            "equals the construction" + (" and Blender" if label == "exact" else "")),
                "velomorph_symmetry MIRROR": (np.array_equal(rows["velomorph_symmetry MIRROR"][1],
                                                             expected_mirror(basis, partner, key)),
                                              "equals the construction"),
            }
            for name, (seconds, _) in rows.items():
                ok, text = checks[name]
                print(f"{len(base):9d} {label:>14} {name:>34} {seconds:8.3f}  {text}"
                      + ("" if ok is not False else "  FAILED"))
                if ok is False:
                    failures.append((len(base), label, name))
            bpy.data.objects.remove(obj)
    if failures:
        sys.exit(f"failed: {failures}")


main()
