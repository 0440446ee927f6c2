# Topology pairing side by side with Blender's topology mirror, on the corpus the tests build.
#
#   build/default/bin/topology_bench --write-corpus /tmp/corpus
#   blender -b --factory-startup --python-exit-code 1 --python bench/blender_topology_mirror.py -- \
#       --corpus /tmp/corpus --velomorph build/default/bin/velomorph
#
# Blender's pairs are read through a shape key: each vertex's key position holds its own number
# (y = number, x = 1); Mirror Shape Key (Topology) moves every key position to the vertex's mirror
# partner with x negated, so afterwards a vertex with x = -1 holds its partner's number and one still
# at x = 1 found no partner. Velomorph's pairs come from `check --pairing topology --partners-out`.
# Both are compared with the partners known from the corpus's construction: per mesh and in total,
# the share paired correctly, and the vertices paired wrongly (not merely left unpaired).
import argparse
import os
import subprocess
import sys
import tempfile

import bpy


def read_obj(path):
    verts, faces = [], []
    with open(path) as f:
        for line in f:
            words = line.split()
            if not words:
                continue
            if words[0] == "v":
                verts.append(tuple(float(w) for w in words[1:4]))
            elif words[0] == "f":
                faces.append([int(w.split("/")[0]) - 1 for w in words[1:]])
    return verts, faces


def read_numbers(path):
    with open(path) as f:
        return [int(line) for line in f if line.strip()]


def blender_partners(verts, faces):
    """Each vertex's partner by Blender's topology mirror (0-based), -1 for none."""
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj, do_unlink=True)
    mesh = bpy.data.meshes.new("base")
    mesh.from_pydata(verts, [], faces)
    mesh.update()
    obj = bpy.data.objects.new("base", mesh)
    bpy.context.scene.collection.objects.link(obj)
    bpy.context.view_layer.objects.active = obj
    obj.select_set(True)
    obj.shape_key_add(name="Basis", from_mix=False)
    key = obj.shape_key_add(name="numbers", from_mix=False)
    for i, point in enumerate(key.data):
        point.co = (1.0, float(i + 1), 0.0)
    obj.active_shape_key_index = 1
    result = bpy.ops.object.shape_key_mirror(use_topology=True)
    if "FINISHED" not in result:
        raise RuntimeError("shape_key_mirror did not finish: %s" % result)
    partners = []
    for point in key.data:
        x, y = point.co[0], point.co[1]
        partners.append(int(round(y)) - 1 if x < 0 else -1)
    return partners


def velomorph_partners(velomorph, obj_path, folder):
    out = os.path.join(folder, "partners.txt")
    run = subprocess.run([velomorph, "check", "--target", obj_path, "--pairing", "topology", "--partners-out", out],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if run.returncode not in (0, 1):
        raise RuntimeError("velomorph check failed on %s: %s" % (obj_path, run.stderr))
    return [p - 1 for p in read_numbers(out)]


def score(partners, truth):
    right = sum(1 for p, t in zip(partners, truth) if p == t)
    wrong = sum(1 for p, t in zip(partners, truth) if p >= 0 and p != t)
    return right, wrong


def main():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser()
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--velomorph", required=True)
    args = parser.parse_args(argv)
    with open(os.path.join(args.corpus, "index.txt")) as f:
        entries = [line.rstrip("\n").split("\t") for line in f if line.strip()]
    totals = {"blender": [0, 0], "velomorph": [0, 0], "vertices": 0}
    groups = {}
    print("%-45s %8s | %-22s | %-22s" % ("mesh", "vertices", "Blender right / wrong", "Velomorph right / wrong"))
    with tempfile.TemporaryDirectory() as folder:
        for file_name, mesh_name in entries:
            obj_path = os.path.join(args.corpus, file_name + ".obj")
            truth = [t - 1 for t in read_numbers(os.path.join(args.corpus, file_name + ".truth"))]
            verts, faces = read_obj(obj_path)
            n = len(verts)
            b_right, b_wrong = score(blender_partners(verts, faces), truth)
            v_right, v_wrong = score(velomorph_partners(args.velomorph, obj_path, folder), truth)
            print("%-45s %8d | %6.1f%% %6d wrong    | %6.1f%% %6d wrong" %
                  (mesh_name, n, 100.0 * b_right / n, b_wrong, 100.0 * v_right / n, v_wrong))
            group = {"s": "symmetric connectivity", "a": "asymmetric connectivity", "q": "quads split one way"}[file_name[0]]
            g = groups.setdefault(group, {"blender": [0, 0], "velomorph": [0, 0], "vertices": 0})
            for t in (totals, g):
                t["blender"][0] += b_right
                t["blender"][1] += b_wrong
                t["velomorph"][0] += v_right
                t["velomorph"][1] += v_wrong
                t["vertices"] += n
    for name, t in list(groups.items()) + [("all", totals)]:
        n = t["vertices"]
        print("%-45s %8d | %6.1f%% %6d wrong    | %6.1f%% %6d wrong" %
              ("total, " + name, n, 100.0 * t["blender"][0] / n, t["blender"][1], 100.0 * t["velomorph"][0] / n,
               t["velomorph"][1]))


main()
